// Run from a folder without the sprite file module, so "Vornak" is not found.
#include "client/sprites/sprite_library.h"
#include "client/sprites/sprite_module.h"
#include "tests/client/sprites/sprite_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(NoModuleTest, LoadingSpritesFailsWithoutCallingAnything)
{
    SpriteLibrary library;
    EXPECT_EQ(g_spriteModule.moduleHandle, nullptr);
    EXPECT_EQ(g_spriteModule.saveSprite, nullptr);
    EXPECT_EQ(g_spriteModule.loadSprite, nullptr);
    EXPECT_EQ(g_spriteModule.saveSpriteLibrary, nullptr);
    EXPECT_EQ(g_spriteModule.loadSpriteLibrary, nullptr);
    EXPECT_FALSE(g_spriteModule.load());

    Display display;
    display.bitDepth = 16;
    library.display = &display;
    library.tag2 = 4;
    library.entries.emplace_back();
    library.spriteIds.push_back(1);
    library.names.push_back(nullptr);
    const LibrarySnapshot before = snapshotOf(library);
    EXPECT_FALSE(library.loadSprites("sprites/test.lspr"));
    EXPECT_TRUE(snapshotOf(library) == before);
    // Nothing was loaded, so nothing is unloaded.
    EXPECT_FALSE(g_spriteModule.release());
}

} // namespace
