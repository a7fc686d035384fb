// The built module, opened by path at run time the way the viewer binds it:
// look the four exports up by name, use them, unload. Under the sanitizer
// build LeakSanitizer then checks that the unload freed everything.
#include "tests/vornak/support/sample_records.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
using ModuleHandle = HMODULE;
std::filesystem::path executableDir() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::filesystem::path(std::string(path, length)).parent_path();
}
ModuleHandle openModule(const std::string &path) { return LoadLibraryA(path.c_str()); }
void *findExport(ModuleHandle m, const char *name) { return reinterpret_cast<void *>(GetProcAddress(m, name)); }
bool closeModule(ModuleHandle m) { return FreeLibrary(m) != 0; }
bool isStillLoaded(const std::string &path) { return GetModuleHandleA(path.c_str()) != nullptr; }
#else
using ModuleHandle = void *;
std::filesystem::path executableDir() { return std::filesystem::read_symlink("/proc/self/exe").parent_path(); }
ModuleHandle openModule(const std::string &path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
void *findExport(ModuleHandle m, const char *name) { return dlsym(m, name); }
bool closeModule(ModuleHandle m) { return dlclose(m) == 0; }
bool isStillLoaded(const std::string &path) {
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}
#endif

template <typename Proc>
Proc exportNamed(ModuleHandle module, const char *name) {
    return reinterpret_cast<Proc>(findExport(module, name));
}

TEST(VornakModule, LoadsByPathServesAllFourExportsAndUnloads) {
    const std::string path = (executableDir() / VORNAK_MODULE_FILE).string();
    ModuleHandle module = openModule(path);
    ASSERT_NE(module, nullptr) << path;
    auto saveSprite = exportNamed<SaveSpriteProc>(module, "SaveSprite");
    auto loadSprite = exportNamed<LoadSpriteProc>(module, "LoadSprite");
    auto saveLibrary = exportNamed<SaveSpriteLibraryProc>(module, "SaveSpriteLibrary");
    auto loadLibrary = exportNamed<LoadSpriteLibraryProc>(module, "LoadSpriteLibrary");
    ASSERT_TRUE(saveSprite && loadSprite && saveLibrary && loadLibrary);

    TempDir dir;
    std::mt19937 rng(11);
    SampleLibrary sample = randomLibrary(rng, 6, 4, 16);
    const SpriteLibraryRecord record = sample.record();
    ASSERT_TRUE(saveLibrary(&record, dir.file("test.lspr").c_str()));
    SpriteLibraryRecord loaded{};
    ASSERT_TRUE(loadLibrary(&loaded, dir.file("test.lspr").c_str()));
    ASSERT_EQ(loaded.spriteCount, 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(loaded.names[i], sample.names[size_t(i)]);
        EXPECT_EQ(differenceBetween(*loaded.sprites[i], sample.sprites[size_t(i)].record()), "");
    }
    ASSERT_TRUE(saveSprite(loaded.sprites[0], dir.file("one.spr").c_str()));
    SpriteRecord sprite{};
    ASSERT_TRUE(loadSprite(&sprite, dir.file("one.spr").c_str()));
    EXPECT_EQ(differenceBetween(sprite, *loaded.sprites[0]), "");

    ASSERT_TRUE(closeModule(module));
    EXPECT_FALSE(isStillLoaded(path));
}

}  // namespace
