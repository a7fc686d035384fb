// Vornak.dll as a caller on Windows finds it: by the bare name, each export
// the same by name and by its ordinal, 1 to 4, and no fifth. Looked up either
// way and called through cdecl function types declared here, the four save
// and load the one-pixel example, and a library of random records comes
// back to the same file. On 32-bit x86, where cdecl is a convention of its
// own, each export is also seen to leave its arguments on the stack for the
// caller to remove.
#include "tests/vornak/support/sample_records.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// The exports as a caller declares them without the module's header.
typedef bool(__cdecl *SaveSpriteCdecl)(const SpriteRecord *, const char *);
typedef bool(__cdecl *LoadSpriteCdecl)(SpriteRecord *, const char *);
typedef bool(__cdecl *SaveLibraryCdecl)(const SpriteLibraryRecord *, const char *);
typedef bool(__cdecl *LoadLibraryCdecl)(SpriteLibraryRecord *, const char *);

const char *const kExportNames[4] = {"SaveSprite", "LoadSprite", "SaveSpriteLibrary", "LoadSpriteLibrary"};

#if defined(__i386__)
// Calls function(record, path) and stores in *popped how many bytes of
// arguments the callee removed from the stack: 0 for cdecl, 8 for a callee
// that cleans up after itself (stdcall). Returns the callee's bool.
extern "C" bool callCountingPops(const void *function, const void *record, const char *path, int *popped);
asm(".text\n"
    ".globl _callCountingPops\n"
    "_callCountingPops:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    pushl %ebx\n"
    "    pushl 16(%ebp)\n"  // path
    "    pushl 12(%ebp)\n"  // record
    "    movl %esp, %ebx\n"
    "    call *8(%ebp)\n"
    "    movl %esp, %ecx\n"
    "    subl %ebx, %ecx\n"
    "    movl 20(%ebp), %edx\n"
    "    movl %ecx, (%edx)\n"
    "    movzbl %al, %eax\n"
    "    movl -4(%ebp), %ebx\n"
    "    leave\n"
    "    ret\n");
#endif

struct Exports {
    FARPROC procs[4];
    SaveSpriteCdecl saveSprite() const { return reinterpret_cast<SaveSpriteCdecl>(asPointer(0)); }
    LoadSpriteCdecl loadSprite() const { return reinterpret_cast<LoadSpriteCdecl>(asPointer(1)); }
    SaveLibraryCdecl saveLibrary() const { return reinterpret_cast<SaveLibraryCdecl>(asPointer(2)); }
    LoadLibraryCdecl loadLibrary() const { return reinterpret_cast<LoadLibraryCdecl>(asPointer(3)); }
    void *asPointer(int i) const { return reinterpret_cast<void *>(procs[i]); }
};

class VornakDll : public testing::TestWithParam<bool> {
protected:
    void SetUp() override { ASSERT_NE(module, nullptr) << "Vornak.dll not found"; }
    void TearDown() override {
        if (module)
            FreeLibrary(module);
    }
    // By ordinal when the parameter says so, else by name.
    Exports lookUp() const {
        Exports exports{};
        for (int i = 0; i < 4; ++i) {
            exports.procs[i] =
                GetParam() ? GetProcAddress(module, MAKEINTRESOURCEA(i + 1)) : GetProcAddress(module, kExportNames[i]);
            EXPECT_NE(exports.procs[i], nullptr) << kExportNames[i];
        }
        return exports;
    }
    HMODULE module = LoadLibraryA("Vornak");
    TempDir dir;
};

TEST_P(VornakDll, SavesAndLoadsThroughCdeclPointers) {
    const Exports exports = lookUp();
    if (HasFailure())
        return;
    SampleLibrary example = exampleLibrary();
    const SpriteLibraryRecord exampleRecord = example.record();
    ASSERT_TRUE(exports.saveSprite()(exampleRecord.sprites[0], dir.file("a.spr").c_str()));
    SpriteRecord sprite{};
    ASSERT_TRUE(exports.loadSprite()(&sprite, dir.file("a.spr").c_str()));
    ASSERT_EQ(sprite.frameCount, 1);
    EXPECT_EQ(sprite.bitsPerPixel, 16);
    EXPECT_TRUE(sprite.width[0] == 1 && sprite.height[0] == 1 && sprite.pixelSize[0] == 2);
    EXPECT_TRUE(sprite.pixelData[0][0] == 0x34 && sprite.pixelData[0][1] == 0x12);
    EXPECT_EQ(readFileBytes(dir.file("a.spr")).size(), 41u);

    ASSERT_TRUE(exports.saveLibrary()(&exampleRecord, dir.file("a.lspr").c_str()));
    SpriteLibraryRecord library{};
    ASSERT_TRUE(exports.loadLibrary()(&library, dir.file("a.lspr").c_str()));
    ASSERT_EQ(library.spriteCount, 1);
    EXPECT_STREQ(library.names[0], "a");
    EXPECT_EQ(library.spriteIds[0], 7);
    EXPECT_EQ(library.sprites[0]->pixelData[0][1], 0x12);
    EXPECT_EQ(readFileBytes(dir.file("a.lspr")).size(), 66u);

    // Every field random: a field that the module reads at another offset
    // than the caller wrote it shows in the file saved back.
    std::mt19937 rng(5);
    SampleLibrary sample = randomLibrary(rng, 5, 3, 8);
    const SpriteLibraryRecord record = sample.record();
    SpriteLibraryRecord loaded{};
    ASSERT_TRUE(exports.saveLibrary()(&record, dir.file("b.lspr").c_str()));
    ASSERT_TRUE(exports.loadLibrary()(&loaded, dir.file("b.lspr").c_str()));
    ASSERT_TRUE(exports.saveLibrary()(&loaded, dir.file("c.lspr").c_str()));
    EXPECT_EQ(readFileBytes(dir.file("c.lspr")), readFileBytes(dir.file("b.lspr")));
}

#if defined(__i386__)
TEST_P(VornakDll, ExportsLeaveTheirArgumentsToTheCaller) {
    const Exports exports = lookUp();
    SpriteRecord sprite{};
    for (int i = 0; i < 4; ++i) {
        int popped = -1;
        // A null path: each returns false at once, touching no file.
        EXPECT_FALSE(callCountingPops(exports.asPointer(i), &sprite, nullptr, &popped)) << kExportNames[i];
        EXPECT_EQ(popped, 0) << kExportNames[i] << " removed its own arguments";
    }
}
#endif

INSTANTIATE_TEST_SUITE_P(ByNameAndByOrdinal, VornakDll, testing::Bool(),
                         [](const testing::TestParamInfo<bool> &info) { return info.param ? "ByOrdinal" : "ByName"; });

TEST(VornakDllExports, ByBareNameTheSameByNameAndOrdinalAndNoFifth) {
    HMODULE module = LoadLibraryA("Vornak");
    ASSERT_NE(module, nullptr);
    for (int ordinal = 1; ordinal <= 4; ++ordinal) {
        FARPROC byName = GetProcAddress(module, kExportNames[ordinal - 1]);
        EXPECT_NE(byName, nullptr) << kExportNames[ordinal - 1];
        EXPECT_EQ(byName, GetProcAddress(module, MAKEINTRESOURCEA(ordinal))) << "ordinal " << ordinal;
    }
    EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(5)), nullptr);
    FreeLibrary(module);
}

}  // namespace
