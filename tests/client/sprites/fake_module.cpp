// A sprite file module that exports everything but LoadSpriteLibrary, each
// refusing, and calls the hook given to SetUnloadHook when it is unloaded.
#include "common/sprite_records.h"

namespace {
void (*g_unloadHook)() = nullptr;
struct CallHookOnUnload {
    ~CallHookOnUnload() {
        if (g_unloadHook)
            g_unloadHook();
    }
} g_callHookOnUnload;
}  // namespace

extern "C" {
bool VORNAK_CALL SaveSprite(const SpriteRecord *, const char *) {
    return false;
}
bool VORNAK_CALL LoadSprite(SpriteRecord *, const char *) {
    return false;
}
bool VORNAK_CALL SaveSpriteLibrary(const SpriteLibraryRecord *, const char *) {
    return false;
}
void SetUnloadHook(void (*hook)()) {
    g_unloadHook = hook;
}
}
