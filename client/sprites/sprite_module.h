// The run-time binding to the sprite file module "Vornak": its handle and one
// entry point per export, each null until bound or when the export is absent.
// The client never links against the module. Everything a call through the
// binding allocates belongs to the module and is gone once it is released.
#ifndef CLIENT_SPRITES_SPRITE_MODULE_H
#define CLIENT_SPRITES_SPRITE_MODULE_H

#include "common/sprite_records.h"
#include "platform/win32.h"

class SpriteModule {
public:
    SaveSpriteProc saveSprite = nullptr;
    LoadSpriteProc loadSprite = nullptr;
    SaveSpriteLibraryProc saveSpriteLibrary = nullptr;
    LoadSpriteLibraryProc loadSpriteLibrary = nullptr;
    HMODULE moduleHandle = nullptr;

    // Constant initialisation only: the global is bound by the sprite
    // library's constructor, which may run first, and must not be reset.
    constexpr SpriteModule() = default;

    // Loads "Vornak" by bare name and looks up the four exports. False when
    // the module was not found; a missing export leaves its entry null.
    bool load();
    // Unloads the module; false when none was loaded. The handle and entry
    // points keep their (now stale) values.
    bool release();
};

extern SpriteModule g_spriteModule;

#endif
