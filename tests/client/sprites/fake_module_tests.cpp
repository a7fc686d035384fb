// Run beside a sprite file module that lacks LoadSpriteLibrary.
#include "client/sprites/sprite_library.h"
#include "client/sprites/sprite_module.h"
#include "tests/client/sprites/sprite_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(ModuleWithoutLoadSpriteLibraryTest, BindsTheOtherExportsButLoadingFails)
{
    SpriteLibrary library;
    ASSERT_NE(g_spriteModule.moduleHandle, nullptr);
    EXPECT_NE(g_spriteModule.saveSprite, nullptr);
    EXPECT_NE(g_spriteModule.loadSprite, nullptr);
    EXPECT_NE(g_spriteModule.saveSpriteLibrary, nullptr);
    EXPECT_EQ(g_spriteModule.loadSpriteLibrary, nullptr);
    // The bound exports are the module's own (they refuse everything).
    EXPECT_FALSE(g_spriteModule.saveSpriteLibrary(nullptr, "unused.lspr"));

    Display display;
    display.bitDepth = 16;
    library.display = &display;
    library.tag1 = 3;
    library.entries.emplace_back();
    library.spriteIds.push_back(8);
    library.names.push_back(nullptr);
    const LibrarySnapshot before = snapshotOf(library);
    EXPECT_FALSE(library.loadSprites("sprites/test.lspr"));
    EXPECT_TRUE(snapshotOf(library) == before);
}

TEST(ModuleWithoutLoadSpriteLibraryTest, LoadIsTrueAndReleaseUnloads)
{
    SpriteModule binding;
    EXPECT_FALSE(binding.release());
    EXPECT_TRUE(binding.load());
    EXPECT_NE(binding.moduleHandle, nullptr);
    EXPECT_EQ(binding.loadSpriteLibrary, nullptr);
    const HMODULE handle = binding.moduleHandle;
    EXPECT_TRUE(binding.release());
    EXPECT_EQ(binding.moduleHandle, handle);  // stale, but kept
}

} // namespace
