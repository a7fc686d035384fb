// A stand-in for the sprite file module that exports only SaveSprite,
// LoadSprite and SaveSpriteLibrary (each refusing), and no LoadSpriteLibrary.
#include "common/sprite_records.h"

extern "C" {

bool VORNAK_CALL SaveSprite(const SpriteRecord *, const char *)
{
    return false;
}

bool VORNAK_CALL LoadSprite(SpriteRecord *, const char *)
{
    return false;
}

bool VORNAK_CALL SaveSpriteLibrary(const SpriteLibraryRecord *, const char *)
{
    return false;
}

}
