// The vornak program end to end: exit codes and messages, exact round trips
// of export and pack, the pictures of edge pixels, check against the
// module's verdict at every truncation point, and outputs that are whole or
// absent.
#include "tests/cli/run_vornak.h"
#include "vornak/vornak.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

// Exports file, packs the export, and expects the packed file to equal it.
void expectRoundTrip(const fs::path &file, const TempDir &dir, const std::string &what, bool singleSprite = false) {
    const fs::path exported = dir.path() / (what + ".export"), packed = dir.path() / (what + ".packed");
    const Result exporting =
        vornak("export " + quoted(file) + " " + quoted(exported) + (singleSprite ? " --sprite" : ""));
    ASSERT_EQ(exporting.status, 0) << what << ": " << exporting.err;
    const Result packing = vornak("pack " + quoted(exported) + " " + quoted(packed));
    ASSERT_EQ(packing.status, 0) << what << ": " << packing.err;
    const std::vector<uint8_t> original = readFileBytes(file), back = readFileBytes(packed);
    const auto [a, b] = std::mismatch(original.begin(), original.end(), back.begin(), back.end());
    EXPECT_TRUE(a == original.end() && b == back.end())
        << what << ": " << original.size() << " bytes packed back as " << back.size() << ", first difference at offset "
        << (a - original.begin());
}

TEST(Vornak, ExitCodesAndMessages) {
    TempDir dir;
    writeFileBytes(dir.file("short.lspr"), {1, 2, 3});
    struct Case {
        std::string arguments;
        int status;
        std::string said;  // expected within stdout on success, else within stderr
    };
    const Case cases[] = {
        {"--version", 0, "vornak 1.0.0\n"},
        {"--help", 0, "Subcommands:"},
        {"export --help", 0, "must not exist or be empty"},
        {"", 2, "A subcommand is required"},
        {"frobnicate", 2, "Usage: vornak"},
        {"list", 2, "LIBRARY is required"},
        {"list --colour x", 2, "Usage: vornak list"},
        {"pack onlyone", 2, "OUT is required"},
        {"list " + dir.file("missing.lspr"), 1, "missing.lspr: cannot open: No such file or directory\n"},
        {"show " + dir.file("short.lspr"), 1,
         "short.lspr: truncated: the library needs 16 header bytes at offset 0, 3 left\n"},
        {"check --sprite " + dir.file("short.lspr"), 1,
         "short.lspr: truncated: the sprite needs 11 header bytes at offset 0, 3 left\n"},
        {"check " + dir.path().string(), 1, "is a folder, not a file\n"},
        {"pack " + dir.file("nowhere") + " " + dir.file("out.lspr"), 1, "manifest.json: cannot open"},
    };
    for (const Case &c : cases) {
        const Result r = vornak(c.arguments);
        if (c.status != 0) {
            expectRefusal(r, c.status, c.said, "vornak " + c.arguments);
            continue;
        }
        EXPECT_EQ(r.status, 0) << "vornak " << c.arguments << "\n" << r.err;
        EXPECT_NE(r.out.find(c.said), std::string::npos) << "vornak " << c.arguments << " printed:\n" << r.out;
    }
}

TEST(Vornak, ListsAndShowsEveryField) {
    TempDir dir;
    SampleLibrary library = exampleLibrary();
    library.names[0] = "t\"o\xff";
    library.sprites[0].hasOptionalBlock = 7, library.sprites[0].originX = {3}, library.sprites[0].originY = {4};
    library.sprites[0].optionalSize = {-5};
    ASSERT_TRUE(saveLibrary(library, dir.path() / "one.lspr"));
    const Result list = vornak("list " + dir.file("one.lspr"));
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("    0           7      1   16      7 1 x 1 at (3, 4)        \"t\\\"o\\xFF\"\n"),
              std::string::npos)
        << list.out;
    const Result json = vornak("list --json " + dir.file("one.lspr"));
    EXPECT_NE(json.out.find(R"("nameBytes": "74226fff")"), std::string::npos) << json.out;
    const Result show = vornak("show " + dir.file("one.lspr"));
    EXPECT_NE(show.out.find("frame 0  tag 0x00000000  1 x 1  origin (3, 4)  offset (0, 0)  spare1 0  spare2 0  "
                            "extraSize 0  pixelSize 2  optionalSize -5\n"),
              std::string::npos)
        << show.out;
    const Result showJson = vornak("show --json " + dir.file("one.lspr"));
    EXPECT_NE(showJson.out.find(R"("optionalSize": -5)"), std::string::npos) << showJson.out;
}

TEST(Vornak, CheckAndExportTellWhatTheModuleLeavesOut) {
    TempDir dir;
    SampleLibrary library = exampleLibrary();
    library.names[0] = std::string(300, 'n');
    ASSERT_TRUE(saveLibrary(library, dir.path() / "long.lspr"));
    std::vector<uint8_t> bytes = readFileBytes(dir.path() / "long.lspr");
    bytes.insert(bytes.end(), {1, 2, 3});
    writeFileBytes(dir.file("long.lspr"), bytes);
    const std::string left =
        "1 name is longer than the 255 bytes a loaded name keeps; 3 bytes after the end are ignored";
    const Result check = vornak("check " + dir.file("long.lspr"));
    EXPECT_EQ(check.status, 0);
    EXPECT_EQ(check.out, dir.file("long.lspr") + ": well formed, 1 sprite, 1 frame; " + left + "\n");
    const Result exporting = vornak("export " + dir.file("long.lspr") + " " + dir.file("out"));
    EXPECT_EQ(exporting.status, 0);
    EXPECT_EQ(exporting.err,
              "vornak: warning: " + dir.file("long.lspr") + ": " + left + "; the export leaves them out\n");
    EXPECT_NE(readText(dir.path() / "out" / "manifest.json").find("\"name\": \"" + std::string(255, 'n') + "\""),
              std::string::npos);
}

TEST(Vornak, ExportThenPackGivesBackTheSampleWorld) {
    TempDir dir;
    expectRoundTrip(SAMPLE_LIBRARY, dir, "world");
    // Standard output as a pipe (the module writes through it) and as a file.
    const Result piped = vornak("pack " + dir.file("world.export") + " - | cmp - " + SAMPLE_LIBRARY);
    EXPECT_EQ(piped.status, 0) << piped.err << piped.out;
    const Result redirected = vornak("pack " + dir.file("world.export") + " -");
    EXPECT_EQ(redirected.status, 0) << redirected.err;
    EXPECT_TRUE(redirected.out == readText(SAMPLE_LIBRARY)) << redirected.out.size() << " bytes on standard output";
}

TEST(Vornak, ExportThenPackGivesBackEveryKindOfField) {
    TempDir dir;
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        std::mt19937 rng(seed);
        SampleLibrary library = randomLibrary(rng, 8, 4, 9);
        SampleSprite &odd = library.sprites[0];
        odd.bitsPerPixel = std::array<uint16_t, 6>{8, 32, 0, 15, 16, 24}[seed - 1];
        for (size_t f = 0; f < odd.frameTags.size(); ++f)
            if (odd.pixelSize[f] > 0)
                odd.pixelSize[f] = int32_t(odd.pixels[f].size());
        library.sprites[1] = SampleSprite{};  // empty
        library.names[2] = std::string(255, char(0xC3));
        library.spriteIds[3] = library.spriteIds[2];
        SampleSprite &cut = library.sprites[4];  // blocks that are no whole picture
        if (!cut.frameTags.empty() && cut.pixels[0].size() > 1) {
            cut.pixels[0].pop_back();
            cut.pixelSize[0] = int32_t(cut.pixels[0].size());
        }
        library.sprites[5].width.assign(library.sprites[5].width.size(), 0);
        const fs::path file = dir.path() / ("random-" + std::to_string(seed) + ".lspr");
        ASSERT_TRUE(saveLibrary(library, file));
        expectRoundTrip(file, dir, "random-" + std::to_string(seed));

        SampleSprite sprite = randomSprite(rng, 5, 7);
        const SpriteRecord record = sprite.record();
        const fs::path spriteFile = dir.path() / ("sprite-" + std::to_string(seed) + ".spr");
        ASSERT_TRUE(SaveSprite(&record, spriteFile.string().c_str()));
        expectRoundTrip(spriteFile, dir, "sprite-" + std::to_string(seed), true);
    }
    SampleLibrary none;
    none.tag1 = 0xFFFFFFFF;
    const SpriteLibraryRecord negative{0, 0xFFFFFFFF, 0, -3, nullptr, nullptr, nullptr};
    ASSERT_TRUE(SaveSpriteLibrary(&negative, dir.file("negative.lspr").c_str()));
    expectRoundTrip(dir.path() / "negative.lspr", dir, "negative");
}

TEST(Vornak, EdgePixelsShowAsTheirColoursAndTheSpareBitTravelsBeside) {
    TempDir dir;
    SampleLibrary library;
    library.names = {"edges", "deep"}, library.spriteIds = {1, 2};
    SampleSprite flat;  // one row of six 16-bit pixels
    flat.frameTags = {0}, flat.width = {6}, flat.height = {1}, flat.pixelSize = {12};
    flat.pixels = {{0xF8, 0x00, 0x00, 0x3E, 0x07, 0xC0, 0xFF, 0xFE, 0x00, 0x01, 0x00, 0x00}};
    SampleSprite deep;  // 2 x 2 at 24 bits, the last one dark
    deep.bitsPerPixel = 24, deep.frameTags = {0}, deep.width = {2}, deep.height = {2}, deep.pixelSize = {12};
    deep.pixels = {{0x12, 0x34, 0x56, 0, 0, 0, 0xFF, 0, 0x80, 3, 2, 1}};
    library.sprites = {flat, deep};
    ASSERT_TRUE(saveLibrary(library, dir.path() / "edges.lspr"));
    const Result r = vornak("export " + dir.file("edges.lspr") + " " + dir.file("out"));
    ASSERT_EQ(r.status, 0) << r.err;

    struct Picture {
        std::string file;
        std::vector<uint32_t> rgba;  // 0xRRGGBBAA
    };
    const Picture pictures[] = {
        {"0000/00.png", {0x0000FFFF, 0xFF0000FF, 0x00FF00FF, 0xFFFFFFFF, 0x000000FF, 0x00000000}},
        {"0001/00.png", {0x563412FF, 0x00000000, 0x8000FFFF, 0x010203FF}},
        {"0000/00.spare.png", {0x000000FF, 0x000000FF, 0x000000FF, 0x000000FF, 0xFFFFFFFF, 0x000000FF}},
    };
    for (const Picture &p : pictures) {
        const Image image = readPicture(dir.file("out/" + p.file), 4);
        ASSERT_EQ(image.pixels.size(), 4 * p.rgba.size()) << p.file;
        for (size_t i = 0; i < p.rgba.size(); ++i) {
            const uint8_t *px = &image.pixels[4 * i];
            const uint32_t got = uint32_t(px[0]) << 24 | px[1] << 16 | px[2] << 8 | px[3];
            EXPECT_EQ(got, p.rgba[i]) << p.file << " pixel " << i << std::hex << ": expected " << p.rgba[i] << ", got "
                                      << got;
        }
    }
    const std::string manifest = readText(dir.path() / "out" / "manifest.json");
    EXPECT_NE(manifest.find("\"spareBits\": \"0000/00.spare.png\""), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("\"keepDark\": [\n            [\n              1,\n              1\n"), std::string::npos)
        << manifest;
    EXPECT_FALSE(fs::exists(dir.path() / "out" / "0001" / "00.spare.png"));
}

TEST(Vornak, CheckGivesTheModulesVerdictAtEveryTruncationPoint) {
    TempDir dir;
    std::mt19937 rng(77);
    SampleLibrary library = randomLibrary(rng, 3, 2, 3);
    library.names = {"tower", "", "x"};
    library.sprites[1].hasOptionalBlock = 2;
    ASSERT_TRUE(saveLibrary(library, dir.path() / "whole.lspr"));
    const std::vector<uint8_t> whole = readFileBytes(dir.path() / "whole.lspr");
    size_t refused = 0;
    for (size_t length = 0; length <= whole.size() + 1; ++length) {
        std::vector<uint8_t> bytes(whole.begin(), whole.begin() + std::min(length, whole.size()));
        if (length > whole.size())
            bytes.push_back(0xAB);  // one byte after the end still loads
        writeFileBytes(dir.file("cut.lspr"), bytes);
        SpriteLibraryRecord loaded{};
        const bool loads = LoadSpriteLibrary(&loaded, dir.file("cut.lspr").c_str());
        const Result r = vornak("check " + dir.file("cut.lspr"));
        ASSERT_EQ(r.status, loads ? 0 : 1) << "at " << length << " of " << whole.size() << " bytes: " << r.err;
        const std::string &said = loads ? r.out : r.err;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << r.out << r.err;
        if (!loads) {
            EXPECT_NE(r.err.find(": truncated: "), std::string::npos) << r.err;
        }
        refused += !loads;
    }
    EXPECT_EQ(refused, whole.size());
    // Where the first sprite's pixels run out.
    const size_t pixelsAt = 16 + (4 + 5) + 4 + (4 + 1) + 4 + 11 + 24 + std::max(library.sprites[0].extraSize[0], 0) + 4;
    ASSERT_GT(library.sprites[0].pixelSize[0], 2);
    writeFileBytes(dir.file("cut.lspr"), std::vector<uint8_t>(whole.begin(), whole.begin() + long(pixelsAt) + 2));
    const Result r = vornak("check " + dir.file("cut.lspr"));
    EXPECT_NE(r.err.find("truncated: frame 0 of sprite 0 (\"tower\") needs " +
                         std::to_string(library.sprites[0].pixelSize[0]) + " pixel bytes at offset " +
                         std::to_string(pixelsAt) + ", 2 left\n"),
              std::string::npos)
        << r.err;
}

TEST(Vornak, FailuresLeaveNoFilesBehindAndNothingChanged) {
    TempDir dir;
    SampleLibrary library = exampleLibrary();
    ASSERT_TRUE(saveLibrary(library, dir.path() / "a.lspr"));
    writeFileBytes(dir.file("cut.lspr"), {1, 0, 0});
    fs::create_directories(dir.path() / "busy");
    writeFileBytes(dir.file("busy/keep.txt"), {'k'});
    fs::create_directories(dir.path() / "empty");

    EXPECT_EQ(vornak("export " + dir.file("a.lspr") + " " + dir.file("busy")).status, 1);
    EXPECT_EQ(vornak("export " + dir.file("cut.lspr") + " " + dir.file("fresh")).status, 1);
    EXPECT_EQ(vornak("export " + dir.file("a.lspr") + " " + dir.file("empty")).status, 0);  // an empty folder is taken
    EXPECT_TRUE(fs::exists(dir.path() / "empty" / "manifest.json"));

    // A manifest that names a missing picture: the old output stays as it was.
    fs::copy(dir.path() / "empty", dir.path() / "broken", fs::copy_options::recursive);
    fs::remove(dir.path() / "broken" / "0000" / "00.png");
    writeFileBytes(dir.file("out.lspr"), {'o', 'l', 'd'});
    const Result r = vornak("pack " + dir.file("broken") + " " + dir.file("out.lspr"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("broken/manifest.json: sprites[0].frames[0].image: "), std::string::npos) << r.err;
    EXPECT_EQ(readText(dir.path() / "out.lspr"), "old");

    std::vector<std::string> entries;
    for (const auto &entry : fs::directory_iterator(dir.path()))
        entries.push_back(entry.path().filename().string());
    std::sort(entries.begin(), entries.end());
    const std::vector<std::string> expected = {"a.lspr", "broken", "busy", "cut.lspr", "empty", "out.lspr"};
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "busy"), {}), 1);
}

}  // namespace
