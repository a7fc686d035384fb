// A stand-in sprite module for the loading tests: SaveSprite, LoadSprite and
// SaveSpriteLibrary, but no LoadSpriteLibrary.
#include "common/sprite_records.h"

#include <cstring>

#if defined(_WIN32)
#define EXPORT extern "C" __declspec(dllexport)
#else
#define EXPORT extern "C" __attribute__((visibility("default")))
#endif

EXPORT bool VORNAK_CALL SaveSprite(const SpriteRecord *sprite, const char *path) {
    return sprite && path && sprite->frameCount == 3 && std::strcmp(path, "three") == 0;
}

EXPORT bool VORNAK_CALL LoadSprite(SpriteRecord *sprite, const char *path) {
    return sprite && path && (sprite->tag = 0x5A5A) != 0;
}

EXPORT bool VORNAK_CALL SaveSpriteLibrary(const SpriteLibraryRecord *library, const char *path) {
    return library && path && library->spriteCount == 2;
}
