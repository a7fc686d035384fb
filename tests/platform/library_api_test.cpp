// Run-time library loading by bare name, through the public API only. The
// module PlatformTestModule lies beside the test program and has three of
// the four sprite module exports: LoadSpriteLibrary is missing.
#include "platform/win32.h"

#include "common/sprite_records.h"

#include <gtest/gtest.h>

namespace {

template <typename Proc> Proc procedure(HMODULE module, const char *name) {
    // Through void(*)() so that the cast between function types is explicit.
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

TEST(LibraryLoading, AMissingLibraryGivesNull) {
    EXPECT_EQ(LoadLibraryA("NoSuchModuleAnywhere"), nullptr);
}

TEST(LibraryLoading, FindsTheModuleBesideTheProgramByBareName) {
    HMODULE module = LoadLibraryA("PlatformTestModule");
    ASSERT_NE(module, nullptr);
    auto save = procedure<SaveSpriteProc>(module, "SaveSprite");
    auto load = procedure<LoadSpriteProc>(module, "LoadSprite");
    auto saveLibrary = procedure<SaveSpriteLibraryProc>(module, "SaveSpriteLibrary");
    ASSERT_NE(save, nullptr);
    ASSERT_NE(load, nullptr);
    ASSERT_NE(saveLibrary, nullptr);
    EXPECT_EQ(GetProcAddress(module, "LoadSpriteLibrary"), nullptr);
    EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);

    // The entries are the module's own: they answer as it defines them.
    SpriteRecord sprite = {};
    sprite.frameCount = 3;
    EXPECT_TRUE(save(&sprite, "three"));
    EXPECT_FALSE(save(&sprite, "two"));
    EXPECT_TRUE(load(&sprite, "any"));
    EXPECT_EQ(sprite.tag, 0x5A5Au);
    SpriteLibraryRecord library = {};
    library.spriteCount = 2;
    EXPECT_TRUE(saveLibrary(&library, "x"));
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(LibraryLoading, FreeLibraryOfNothingFails) { EXPECT_FALSE(FreeLibrary(nullptr)); }

} // namespace
