// A stand-in sprite module for the loading tests: SaveSprite, LoadSprite and
// SaveSpriteLibrary, but no LoadSpriteLibrary.
#include "common/sprite_records.h"

#include <cstring>

#if defined(_WIN32)
#define TEST_MODULE_EXPORT extern "C" __declspec(dllexport)
#else
#define TEST_MODULE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

TEST_MODULE_EXPORT bool VORNAK_CALL SaveSprite(const SpriteRecord *sprite, const char *path) {
    return sprite && path && sprite->frameCount == 3 && std::strcmp(path, "three") == 0;
}

TEST_MODULE_EXPORT bool VORNAK_CALL LoadSprite(SpriteRecord *sprite, const char *path) {
    if (!sprite || !path)
        return false;
    sprite->tag = 0x5A5A;
    return true;
}

TEST_MODULE_EXPORT bool VORNAK_CALL SaveSpriteLibrary(const SpriteLibraryRecord *library, const char *path) {
    return library && path && library->spriteCount == 2;
}
