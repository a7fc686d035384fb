// Run beside a sprite file module that lacks LoadSpriteLibrary.
#include "client/sprites/sprite_module.h"
#include "tests/client/sprites/sprite_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(ModuleWithoutLoadSpriteLibraryTest, BindsTheOtherExportsButLoadingFails)
{
    SpriteLibrary library;
    ASSERT_NE(g_spriteModule.moduleHandle, nullptr);
    EXPECT_TRUE(g_spriteModule.saveSprite && g_spriteModule.loadSprite && g_spriteModule.saveSpriteLibrary);
    EXPECT_EQ(g_spriteModule.loadSpriteLibrary, nullptr);
    Display display;
    display.bitDepth = 16;
    library.display = &display;
    library.tag1 = 3;
    addPlaceholderSprite(library, 8);
    const LibrarySnapshot before = snapshotOf(library);
    EXPECT_FALSE(library.loadSprites("sprites/test.lspr"));
    EXPECT_TRUE(snapshotOf(library) == before);

    SpriteModule binding;
    EXPECT_FALSE(binding.release());
    EXPECT_TRUE(binding.load());
    const HMODULE handle = binding.moduleHandle;
    EXPECT_TRUE(binding.release());
    EXPECT_EQ(binding.moduleHandle, handle);  // stale, but kept
}

} // namespace
