// Built twice: in a folder without the sprite file module (FAKE_MODULE 0), and beside one that lacks
// LoadSpriteLibrary (FAKE_MODULE 1), where on Linux the teardown order is also checked.
#include "client/sprites/sprite_module.h"
#include "tests/client/sprites/sprite_test_support.h"

#include <gtest/gtest.h>

TEST(ModuleBindingTest, LoadingFailsWithoutACallAndLeavesTheLibraryAsItWas) {
    SpriteLibrary library;
    EXPECT_EQ(g_spriteModule.moduleHandle != nullptr, FAKE_MODULE);
    EXPECT_EQ(g_spriteModule.saveSprite && g_spriteModule.loadSprite && g_spriteModule.saveSpriteLibrary, FAKE_MODULE);
    EXPECT_EQ(g_spriteModule.loadSpriteLibrary, nullptr);
    Display display;
    display.bitDepth = 16;
    library.display = &display;
    library.tag2 = 4;
    addPlaceholderSprite(library, 8);
    const std::string before = describe(library);
    EXPECT_FALSE(library.loadSprites("sprites/test.lspr"));
    EXPECT_EQ(describe(library), before);

    SpriteModule binding;
    EXPECT_FALSE(binding.release());  // nothing bound yet
    EXPECT_TRUE(binding.load() == FAKE_MODULE && binding.release() == FAKE_MODULE);
}

#if FAKE_MODULE && !defined(_WIN32)
#include "platform/standin.h"
#include "tests/client/display/display_test_support.h"

static int g_surfacesAtUnload = -1;

TEST(TeardownTest, ModuleGoesFirstThenEverySurfaceAndNothingOutlivesTheDisplay) {
    {
        TestDisplay screen(16);
        ASSERT_TRUE(screen.ready);
        const int displaySurfaces = standin::liveCounts().surfaces;
        {
            SpriteLibrary library;
            const auto setHook = reinterpret_cast<void (*)(void (*)())>(
                reinterpret_cast<void (*)()>(GetProcAddress(g_spriteModule.moduleHandle, "SetUnloadHook")));
            ASSERT_NE(setHook, nullptr);
            setHook([] { g_surfacesAtUnload = standin::liveCounts().surfaces; });
            for (int32_t frames = 0; frames < 4; ++frames) {  // 0 to 3 frames, each second one without a surface
                addPlaceholderSprite(library, frames);
                for (int32_t i = 0; i < frames; ++i) {
                    IDirectDrawSurface7 *surface = nullptr;
                    if (i % 2 == 0)
                        surface = createPictureSurface(screen.display, numberedPicture(2, 1));
                    library.entries.back().frames.push_back({0, 2, 1, 0, 0, 0, 0, 0, 0, 0, nullptr, surface});
                }
            }
            ASSERT_EQ(standin::liveCounts().surfaces, displaySurfaces + 4);
        }
        EXPECT_EQ(g_surfacesAtUnload, displaySurfaces + 4) << "the module is unloaded before any sprite surface goes";
        EXPECT_EQ(standin::liveCounts().surfaces, displaySurfaces);
    }
    const standin::LiveCounts after = standin::liveCounts();
    EXPECT_EQ(std::tuple(after.directDrawObjects, after.surfaces, after.clippers, after.releasesAfterChain),
              std::tuple(0, 0, 0, 0))
        << "live DirectDraw objects, surfaces, clippers; late releases";
}
#endif
