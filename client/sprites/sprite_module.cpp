#include "client/sprites/sprite_module.h"

constinit SpriteModule g_spriteModule;

namespace {

// Through the generic function type, which every function pointer converts
// to and from without a cast warning.
using AnyProc = void (*)();

AnyProc lookUp(HMODULE module, const char *name) {
    return reinterpret_cast<AnyProc>(GetProcAddress(module, name));
}

}  // namespace

bool SpriteModule::load() {
    moduleHandle = LoadLibraryA("Vornak");
    if (!moduleHandle)
        return false;
    saveSprite = reinterpret_cast<SaveSpriteProc>(lookUp(moduleHandle, "SaveSprite"));
    loadSprite = reinterpret_cast<LoadSpriteProc>(lookUp(moduleHandle, "LoadSprite"));
    saveSpriteLibrary = reinterpret_cast<SaveSpriteLibraryProc>(lookUp(moduleHandle, "SaveSpriteLibrary"));
    loadSpriteLibrary = reinterpret_cast<LoadSpriteLibraryProc>(lookUp(moduleHandle, "LoadSpriteLibrary"));
    return true;
}

bool SpriteModule::release() {
    if (!moduleHandle)
        return false;
    FreeLibrary(moduleHandle);
    return true;
}
