// Run-time library loading by bare name, through the public API only. The
// module PlatformTestModule lies beside the test program and has three of
// the four sprite module exports: LoadSpriteLibrary is missing.
#include "platform/win32.h"

#include "common/sprite_records.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

template <typename Proc>
Proc procedure(HMODULE module, const char *name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

TEST(LibraryLoading, FindsTheModuleBesideTheProgramByBareNameAndNothingElse) {
    EXPECT_EQ(LoadLibraryA("NoSuchModuleAnywhere"), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
    HMODULE module = LoadLibraryA("PlatformTestModule");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetProcAddress(module, "LoadSpriteLibrary"), nullptr);
    EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
    auto save = procedure<SaveSpriteProc>(module, "SaveSprite");
    auto load = procedure<LoadSpriteProc>(module, "LoadSprite");
    auto saveLibrary = procedure<SaveSpriteLibraryProc>(module, "SaveSpriteLibrary");
    ASSERT_TRUE(save && load && saveLibrary);
    // The entries are the module's own: they answer as it defines them.
    SpriteRecord sprite = {};
    sprite.frameCount = 3;
    SpriteLibraryRecord library = {};
    library.spriteCount = 2;
    EXPECT_EQ(
        std::make_tuple(save(&sprite, "three"), save(&sprite, "two"), load(&sprite, "x"), saveLibrary(&library, "x")),
        std::make_tuple(true, false, true, true));
    EXPECT_EQ(sprite.tag, 0x5A5Au);
    EXPECT_TRUE(FreeLibrary(module));
}

}  // namespace
