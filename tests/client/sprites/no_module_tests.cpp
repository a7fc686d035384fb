// Run from a folder without the sprite file module, so "Vornak" is not found.
#include "client/sprites/sprite_module.h"
#include "tests/client/sprites/sprite_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(NoModuleTest, LoadingFailsWithoutACallAndNothingIsUnloaded)
{
    SpriteLibrary library;
    EXPECT_EQ(g_spriteModule.moduleHandle, nullptr);
    EXPECT_FALSE(g_spriteModule.saveSprite || g_spriteModule.loadSprite || g_spriteModule.saveSpriteLibrary ||
                 g_spriteModule.loadSpriteLibrary);
    EXPECT_FALSE(g_spriteModule.load());
    Display display;
    display.bitDepth = 16;
    library.display = &display;
    library.tag2 = 4;
    addPlaceholderSprite(library, 1);
    const LibrarySnapshot before = snapshotOf(library);
    EXPECT_FALSE(library.loadSprites("sprites/test.lspr"));
    EXPECT_TRUE(snapshotOf(library) == before);
    EXPECT_FALSE(g_spriteModule.release());
}

} // namespace
