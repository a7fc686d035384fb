// The two deliverables as the Windows loader sees them: client.exe a GUI
// program that imports the real ddraw, user32, gdi32 and kernel32 and not
// Vornak, with a static runtime; Vornak.dll exporting exactly SaveSprite,
// LoadSprite, SaveSpriteLibrary and LoadSpriteLibrary as ordinals 1 to 4.
// Runs in the folder holding both.
#include "tests/windows/file_bytes.h"
#include "tests/windows/pe_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace {

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

PeFile readBinary(const char *path)
{
    std::vector<uint8_t> bytes;
    PeFile pe;
    std::string error;
    EXPECT_TRUE(readWholeFile(path, bytes)) << path;
    EXPECT_TRUE(readPeFile(bytes, pe, error)) << path << ": " << error;
    return pe;
}

std::set<std::string> importsOf(const PeFile &pe)
{
    std::set<std::string> names;
    for (const std::string &name : pe.importedDlls)
        names.insert(lowerCase(name));
    return names;
}

// DLLs every Windows has; anything else (the compiler's own runtime DLLs,
// Vornak) would have to be shipped beside the program.
void expectOnlySystemDlls(const std::set<std::string> &imports)
{
    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll", "ddraw.dll", "msvcrt.dll",
                                          "advapi32.dll", "ntdll.dll"};
    for (const std::string &name : imports)
        EXPECT_TRUE(system.count(name) || name.rfind("api-ms-win-", 0) == 0) << "imports " << name;
}

TEST(ClientExe, IsAGuiProgramOnTheRealPlatformDlls)
{
    PeFile client = readBinary("client.exe");
    EXPECT_EQ(client.subsystem, 2) << "subsystem (2 is the Windows GUI)";
    std::set<std::string> imports = importsOf(client);
    for (const char *needed : {"ddraw.dll", "user32.dll", "gdi32.dll", "kernel32.dll"})
        EXPECT_TRUE(imports.count(needed)) << "does not import " << needed;
    EXPECT_FALSE(imports.count("vornak.dll")) << "Vornak is loaded at run time, never linked";
    expectOnlySystemDlls(imports);
    EXPECT_TRUE(client.exports.empty());
}

TEST(VornakDll, ExportsTheFourFunctionsByNameWithOrdinalsOneToFour)
{
    PeFile vornak = readBinary("Vornak.dll");
    EXPECT_EQ(vornak.exportedFunctionCount, 4u);
    std::vector<std::pair<std::string, uint32_t>> exports;
    for (const PeExport &entry : vornak.exports)
        exports.emplace_back(entry.name, entry.ordinal);
    std::sort(exports.begin(), exports.end(),
              [](const auto &a, const auto &b) { return a.second < b.second; });
    std::vector<std::pair<std::string, uint32_t>> expected = {
        {"SaveSprite", 1}, {"LoadSprite", 2}, {"SaveSpriteLibrary", 3}, {"LoadSpriteLibrary", 4}};
    EXPECT_EQ(exports, expected);
    expectOnlySystemDlls(importsOf(vornak));
}

TEST(VornakDll, LoadsByBareNameAndResolvesByNameAndOrdinalAlike)
{
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

TEST(PeFileReader, RefusesEveryTruncationOfARealImage)
{
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readWholeFile("Vornak.dll", bytes));
    PeFile pe;
    std::string error;
    ASSERT_TRUE(readPeFile(bytes, pe, error)) << error;
    // Cut inside the headers, the section table, and before the export
    // directory's last byte: each must fail cleanly.
    for (size_t size : {size_t(0), size_t(63), size_t(200), size_t(600), size_t(1024)}) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + std::min(size, bytes.size()));
        EXPECT_FALSE(readPeFile(cut, pe, error)) << "cut at " << size;
    }
    std::vector<uint8_t> wild = bytes;
    wild[60] = 0xF0;  // PE header offset far past the end
    wild[61] = 0xFF;
    wild[62] = 0xFF;
    wild[63] = 0x7F;
    EXPECT_FALSE(readPeFile(wild, pe, error));
}

} // namespace
