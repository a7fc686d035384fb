// The built module, opened by path at run time the way the viewer binds it:
// look the four exports up by name, use them, unload. Under the sanitizer
// build LeakSanitizer (and valgrind in the native build) then checks that the
// unload freed everything.
#include "tests/vornak/support/sample_records.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
using Module = HMODULE;
std::filesystem::path executableDir() {
    char path[MAX_PATH];
    return std::filesystem::path(std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH))).parent_path();
}
Module openModule(const std::string &path) {
    return LoadLibraryA(path.c_str());
}
void *findExport(Module m, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(m, name));
}
bool closeModule(Module m) {
    return FreeLibrary(m) != 0;
}
bool isLoaded(const std::string &path) {
    return GetModuleHandleA(path.c_str()) != nullptr;
}
#else
#include <dlfcn.h>
using Module = void *;
std::filesystem::path executableDir() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}
Module openModule(const std::string &path) {
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void *findExport(Module m, const char *name) {
    return dlsym(m, name);
}
bool closeModule(Module m) {
    return dlclose(m) == 0;
}
bool isLoaded(const std::string &path) {
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    return handle && dlclose(handle) == 0;
}
#endif

TEST(VornakModule, LoadsByPathServesAllFourExportsAndUnloads) {
    const std::string path = (executableDir() / VORNAK_MODULE_FILE).string();
    Module module = openModule(path);
    ASSERT_NE(module, nullptr) << path;
    auto saveSprite = reinterpret_cast<SaveSpriteProc>(findExport(module, "SaveSprite"));
    auto loadSprite = reinterpret_cast<LoadSpriteProc>(findExport(module, "LoadSprite"));
    auto saveLibrary = reinterpret_cast<SaveSpriteLibraryProc>(findExport(module, "SaveSpriteLibrary"));
    auto loadLibrary = reinterpret_cast<LoadSpriteLibraryProc>(findExport(module, "LoadSpriteLibrary"));
    ASSERT_TRUE(saveSprite && loadSprite && saveLibrary && loadLibrary);

    TempDir dir;
    std::mt19937 rng(11);
    SampleLibrary sample = randomLibrary(rng, 6, 4, 16);
    const SpriteLibraryRecord record = sample.record();
    SpriteLibraryRecord loaded{};
    SpriteRecord sprite{};
    ASSERT_TRUE(saveLibrary(&record, dir.file("a.lspr").c_str()) && loadLibrary(&loaded, dir.file("a.lspr").c_str()));
    ASSERT_TRUE(saveLibrary(&loaded, dir.file("b.lspr").c_str()));
    EXPECT_EQ(readFileBytes(dir.file("b.lspr")), readFileBytes(dir.file("a.lspr")));
    ASSERT_TRUE(saveSprite(record.sprites[1], dir.file("a.spr").c_str()) &&
                loadSprite(&sprite, dir.file("a.spr").c_str()));
    ASSERT_TRUE(saveSprite(&sprite, dir.file("b.spr").c_str()));
    EXPECT_EQ(readFileBytes(dir.file("b.spr")), readFileBytes(dir.file("a.spr")));

    ASSERT_TRUE(closeModule(module));
    EXPECT_FALSE(isLoaded(path));
}
