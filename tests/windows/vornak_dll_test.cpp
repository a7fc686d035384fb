// Vornak.dll as a caller on Windows finds it: by the bare name, each export
// the same by name and by its ordinal, 1 to 4, and no fifth.
#include <windows.h>

#include <gtest/gtest.h>

TEST(VornakDll, LoadsByBareNameAndResolvesByNameAndOrdinalAlike) {
    HMODULE module = LoadLibraryA("Vornak");
    ASSERT_NE(module, nullptr);
    const char *names[4] = {"SaveSprite", "LoadSprite", "SaveSpriteLibrary", "LoadSpriteLibrary"};
    for (int ordinal = 1; ordinal <= 4; ++ordinal) {
        FARPROC byName = GetProcAddress(module, names[ordinal - 1]);
        EXPECT_NE(byName, nullptr) << names[ordinal - 1];
        EXPECT_EQ(byName, GetProcAddress(module, MAKEINTRESOURCEA(ordinal))) << "ordinal " << ordinal;
    }
    EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(5)), nullptr);
    FreeLibrary(module);
}
