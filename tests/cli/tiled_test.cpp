// vornak map to-tmx and from-tmx against Tiled's own programs: the picture
// tmxrasterizer draws of an exported map against the viewer's whole-map
// picture, and maps that Tiled rewrote (TMX to TMX, and through JSON) in
// each tile encoding coming back byte for byte. Exits 77 (skipped) where
// Tiled is not installed.
#include "tests/cli/tmx_support.h"
#include "vornak/vornak.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>

namespace {

namespace fs = std::filesystem;

Result tiled(const std::string &arguments) {
    return run("QT_QPA_PLATFORM=offscreen " + arguments);
}

// The library with its translucent sprites renamed to identifiers no map
// names, so that a map drawn with it shows only its keyed sprites.
void saveKeyedOnly(const std::string &from, const std::string &to) {
    SpriteLibraryRecord library{};
    ASSERT_TRUE(LoadSpriteLibrary(&library, from.c_str()));
    std::vector<int32_t> ids(library.spriteIds, library.spriteIds + std::max(library.spriteCount, 0));
    for (size_t i = 0; i < ids.size(); ++i)
        if (library.sprites[i]->hasOptionalBlock)
            ids[i] = INT32_MIN + int32_t(i);
    SpriteLibraryRecord keyed = library;
    keyed.spriteIds = ids.data();
    ASSERT_TRUE(SaveSpriteLibrary(&keyed, to.c_str()));
}

struct Comparison {
    std::string firstDifference;  // empty when none
    int64_t keyedPixels = 0;      // compared pixels that keyed sprites cover
    int64_t mixedPixels = 0;      // compared pixels that translucent sprites touch
};

// Compares at 5 bits a channel, the sprites' own precision, over the area
// both pictures cover: tile (0, 0)'s cell corner is at (0, 10 (height - 1))
// in tmxrasterizer's picture and at the printed tileCornerX, tileCornerY in
// the viewer's. Tiled's picture is laid over black, as the viewer draws.
// Pixels that a translucent sprite touches (where the viewer's pictures with
// and without the translucent sprites differ) may differ by one step.
Comparison compare(const Image &raster, int32_t mapHeight, const Image &whole, const Image &keyedOnly,
                   const nlohmann::json &placed) {
    Comparison c;
    const int64_t dx = placed["tileCornerX"].get<int64_t>(),
                  dy = placed["tileCornerY"].get<int64_t>() - 10 * (int64_t(mapHeight) - 1);
    for (int32_t y = 0; y < raster.height; ++y)
        for (int32_t x = 0; x < raster.width; ++x) {
            const int64_t wx = x + dx, wy = y + dy;
            if (wx < 0 || wy < 0 || wx >= whole.width || wy >= whole.height)
                continue;
            const uint8_t *tiled = raster.at(x, y), *viewer = whole.at(int32_t(wx), int32_t(wy)),
                          *keyed = keyedOnly.at(int32_t(wx), int32_t(wy));
            const bool mixed = !std::equal(viewer, viewer + 3, keyed);
            c.mixedPixels += mixed;
            c.keyedPixels += !mixed && (keyed[0] | keyed[1] | keyed[2]) != 0;
            for (int k = 0; k < 3; ++k) {
                const int got = (tiled[k] * tiled[3] + 127) / 255 >> 3, expected = viewer[k] >> 3;
                if (std::abs(got - expected) > (mixed ? 1 : 0) && c.firstDifference.empty()) {
                    char said[200];
                    std::snprintf(said, sizeof said,
                                  "at (%d, %d) of Tiled's picture%s: expected %02X%02X%02X, got %02X%02X%02X alpha %d",
                                  x, y, mixed ? " (translucent)" : "", viewer[0], viewer[1], viewer[2], tiled[0],
                                  tiled[1], tiled[2], tiled[3]);
                    c.firstDifference = said;
                }
            }
        }
    return c;
}

TEST(Tiled, TmxrasterizerDrawsTheExportedMapAsTheViewerDoes) {
    TempDir dir;
    ASSERT_TRUE(saveLibrary(testLibrary(), dir.file("test.lspr")));
    writeFileBytes(dir.file("small.map"), world::encodeMap(testMap()));
    struct Case {
        std::string map, library;
        int32_t height;
        int64_t leastKeyed;
    };
    const Case cases[] = {
        {kSampleMap, kSampleLibrary, 64, 1500000},
        {dir.file("small.map"), dir.file("test.lspr"), 5, 1500},
    };
    for (const Case &c : cases) {
        const std::string name = fs::path(c.map).stem().string(), out = dir.file(name + "-tmx");
        ASSERT_EQ(vornak("map to-tmx " + c.map + " " + c.library + " " + out).status, 0);
        const Result raster =
            tiled("tmxrasterizer --no-smoothing " + out + "/" + name + ".tmx " + dir.file(name + "-tiled.png"));
        ASSERT_EQ(raster.status, 0) << raster.err;
        const Result whole =
            vornak("map render " + c.map + " " + c.library + " " + dir.file(name + ".png") + " --whole");
        ASSERT_EQ(whole.status, 0) << whole.err;
        saveKeyedOnly(c.library, dir.file(name + "-keyed.lspr"));
        ASSERT_EQ(vornak("map render " + c.map + " " + dir.file(name + "-keyed.lspr") + " " +
                         dir.file(name + "-keyed.png") + " --whole")
                      .status,
                  0);

        const Image tiledPicture = readPicture(dir.file(name + "-tiled.png"), 4),
                    wholePicture = readPicture(dir.file(name + ".png"), 3),
                    keyedPicture = readPicture(dir.file(name + "-keyed.png"), 3);
        ASSERT_FALSE(HasFailure()) << name;
        const Comparison result =
            compare(tiledPicture, c.height, wholePicture, keyedPicture, nlohmann::json::parse(whole.out));
        EXPECT_EQ(result.firstDifference, "") << name;
        EXPECT_GE(result.keyedPixels, c.leastKeyed) << name;
        EXPECT_GT(result.mixedPixels, 100) << name;
    }
}

TEST(Tiled, MapsTiledRewroteComeBackByteForByte) {
    TempDir dir;
    ASSERT_TRUE(saveLibrary(testLibrary(), dir.file("test.lspr")));
    world::WorldMap far = testMap();
    far.objects.push_back({kPost, INT32_MAX, INT32_MIN, -5, 7, INT32_MIN});
    far.objects.push_back({kAbsent, -1234567, 7654321, 0, 0, 1});
    std::vector<uint8_t> negative = world::encodeMap({11, 0, 0, {}, far.objects});
    const int32_t sizes[] = {-3, -4};
    std::memcpy(negative.data() + 4, sizes, sizeof sizes);
    struct Case {
        std::string name, library;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"test", dir.file("test.lspr"), world::encodeMap(testMap())},
        {"far", dir.file("test.lspr"), world::encodeMap(far)},
        {"negative", dir.file("test.lspr"), negative},
        {"sample", kSampleLibrary, readFileBytes(kSampleMap)},
    };
    for (const Case &c : cases) {
        writeFileBytes(dir.file(c.name + ".map"), c.bytes);
        const std::string out = dir.file(c.name + "-tmx") + "/";
        ASSERT_EQ(vornak("map to-tmx " + dir.file(c.name + ".map") + " " + c.library + " " + out).status, 0);
        const std::string tmx = readText(out + c.name + ".tmx");
        for (const char *encoding : {"csv", "base64", "base64 zlib", "base64 gzip"}) {
            writeText(out + "encoded.tmx", reencoded(tmx, encoding));
            // Straight to TMX, and through JSON.
            for (const auto &[from, to] : {std::pair<std::string, std::string>{"encoded.tmx", "direct.tmx"},
                                           {"encoded.tmx", "rewritten.json"},
                                           {"rewritten.json", "rewritten.tmx"}}) {
                const Result r = tiled("tiled --export-map " + out + from + " " + out + to);
                ASSERT_EQ(r.status, 0) << c.name << ", " << encoding << ": " << r.err;
            }
            for (const char *rewritten : {"direct.tmx", "rewritten.tmx"}) {
                const std::string said = c.name + ", " + encoding + ", " + rewritten;
                EXPECT_EQ(readText(out + rewritten).find("encoding=\"base64\"") != std::string::npos,
                          std::string(encoding) != "csv")
                    << said;
                fs::remove(dir.file("back.map"));
                const Result r = vornak("map from-tmx " + out + rewritten + " " + dir.file("back.map"));
                EXPECT_EQ(r.status, 0) << said << ": " << r.err;
                EXPECT_EQ(readFileBytes(dir.file("back.map")), c.bytes) << said;
            }
        }
    }
}

}  // namespace

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    if (run("(command -v tiled && command -v tmxrasterizer)").status != 0) {
        std::printf("Tiled is not installed (tiled and tmxrasterizer, Debian package tiled, which scripts/setup "
                    "installs): skipping\n");
        return 77;
    }
    return RUN_ALL_TESTS();
}
