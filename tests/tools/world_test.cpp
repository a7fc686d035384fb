// The sample world as the build wrote it into bin/, read back independently:
// the map parsed here, the library loaded through the module, the stored
// pixels decoded here rather than by the code that wrote them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "tools/canvas.h"
#include "tools/world_files.h"
#include "tools/world_layout.h"
#include "vornak/vornak.h"

using namespace world;

namespace {

std::vector<uint8_t> readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A key colour as a 16-bit sprite stores it: five bits a channel.
Rgb stored(Rgb c, uint16_t bitsPerPixel) {
    return bitsPerPixel == 24 ? c : Rgb{uint8_t(c.r & 0xF8), uint8_t(c.g & 0xF8), uint8_t(c.b & 0xF8)};
}

// Pixel (x, y) of a frame as 8-bit channels (16-bit pixels give their five
// stored bits in the top of each byte); false where it is transparent.
bool framePixel(const SpriteRecord &sprite, int frame, int x, int y, Rgb &out) {
    const int width = sprite.width[frame], bytes = sprite.bitsPerPixel / 8;
    const int64_t at = (int64_t{y} * width + x) * bytes;
    if (x < 0 || y < 0 || x >= width || y >= sprite.height[frame] || at + bytes > sprite.pixelSize[frame])
        return false;
    const uint8_t *p = sprite.pixelData[frame] + at;
    if (bytes == 3)
        out = {p[2], p[1], p[0]};
    else
        out = {uint8_t((p[1] >> 1 & 31) << 3), uint8_t(((p[0] & 7) << 2 | p[1] >> 6) << 3), uint8_t(p[0] & 0xF8)};
    return p[0] || p[1] || (bytes == 3 && p[2]);
}

bool visible(Rgb c) {
    return c.r >= 8 || c.g >= 8 || c.b >= 8;
}

// The view's diamond, row by row, as the viewer's edge tables give it.
constexpr int kLeftEdge[20] = {18, 16, 14, 12, 10, 8, 6, 4, 2, 0, 0, 2, 4, 6, 8, 10, 12, 14, 16, 18};

class SampleWorld : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        loaded = LoadSpriteLibrary(&library, "sprites/test.lspr");
        bytes = readFile("maps/test.map");
        auto le32 = [](size_t at) {
            return int32_t(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24);
        };
        if (bytes.size() < 16)
            return;
        size_t at = 16;
        for (int32_t i = 0; i < le32(12) && at + 24 <= bytes.size(); ++i, at += 24)
            objects.push_back({le32(at), le32(at + 4), le32(at + 8), le32(at + 12), le32(at + 16), le32(at + 20)});
        for (; at + 5 <= bytes.size(); at += 5) {
            tileIds.push_back(le32(at));
            attributes.push_back(bytes[at + 4]);
        }
    }

    static int indexOfId(int32_t id) {
        for (int i = 0; i < library.spriteCount; ++i)
            if (library.spriteIds[i] == id)
                return i;
        return -1;
    }
    static const SpriteRecord &sprite(int32_t id) {
        const int i = indexOfId(id);
        EXPECT_GE(i, 0) << "no sprite " << id;
        return *library.sprites[i < 0 ? 0 : i];
    }
    static int32_t tile(int x, int y) { return tileIds[size_t(y * kMapSizeX + x)]; }

    // Whether any object but `except` has a visible pixel at the screen point
    // (the view centred on tile (0, 0)).
    static bool objectCovers(int sx, int sy, size_t except) {
        for (size_t i = 0; i < objects.size(); ++i) {
            const std::vector<int32_t> &o = objects[i];
            if (i == except || indexOfId(o[0]) < 0)
                continue;
            const SpriteRecord &r = sprite(o[0]);
            const int left = 320 + 20 * (o[1] + o[2]) + r.offsetX[0] - r.originX[0];
            const int top = 240 + 10 * (o[1] - o[2]) + r.offsetY[0] - r.originY[0];
            Rgb ignored;
            if (framePixel(r, 0, sx - left, sy - top, ignored))
                return true;
        }
        return false;
    }

    static inline SpriteLibraryRecord library{};
    static inline bool loaded = false;
    static inline std::vector<uint8_t> bytes, attributes;
    static inline std::vector<std::vector<int32_t>> objects;  // six values each
    static inline std::vector<int32_t> tileIds;               // y * sizeX + x
};

TEST_F(SampleWorld, LibraryHoldsEverySpriteInOrderStandingOnItsOrigin) {
    ASSERT_TRUE(loaded);
    ASSERT_EQ(library.spriteCount, kTerrainCount + kObjectKindCount);
    EXPECT_TRUE(library.tag1 == kLibraryTag1 && library.tag2 == kLibraryTag2 && library.tag3 == kLibraryTag3);
    EXPECT_EQ(indexOfId(kMissingId), -1);
    for (int i = 0; i < library.spriteCount; ++i) {
        const bool terrain = i < kTerrainCount;
        const ObjectInfo &o = kObjectKinds[terrain ? 0 : i - kTerrainCount];
        const char *name = terrain ? kTerrain[i].name : o.name;
        const SpriteRecord &s = *library.sprites[i];
        EXPECT_EQ(library.spriteIds[i], terrain ? kTerrain[i].id : o.id) << name;
        EXPECT_STREQ(library.names[i], name);
        EXPECT_EQ(s.bitsPerPixel, terrain ? kTerrain[i].bitsPerPixel : o.bitsPerPixel) << name;
        EXPECT_EQ(s.hasOptionalBlock, terrain ? 0 : o.translucent) << name;
        EXPECT_EQ(s.frameCount, terrain ? 1 : o.frameCount) << name;
        for (int f = 0; f < s.frameCount; ++f) {
            ASSERT_EQ(s.pixelSize[f], s.width[f] * s.height[f] * s.bitsPerPixel / 8) << name;
            EXPECT_TRUE(!s.hasOptionalBlock || s.optionalSize[f] == 0) << name;
            int lowest = -1;
            for (int p = 0; p < s.width[f] * s.height[f]; ++p) {
                Rgb c;
                if (framePixel(s, f, p % s.width[f], p / s.width[f], c)) {
                    lowest = p / s.width[f];
                    ASSERT_TRUE(visible(c)) << name << " pixel " << p << " is black after 5-bit reduction";
                }
            }
            // An object's foot lies at most 12 rows below its origin, the tower's one tile lower.
            const int foot = lowest - s.originY[f] - (library.spriteIds[i] == kTower ? 20 : 0);
            EXPECT_TRUE(terrain || (foot >= 0 && foot <= 12 && s.originX[f] < s.width[f])) << name << " foot " << foot;
        }
    }
}

// Stored layouts: 24-bit pixels are B, G, R; 16-bit ones put blue in the top
// five bits of the first byte, green across both, red in bits 1..5 of the second.
TEST(Pack, ChannelsAndRowsSitWhereTheViewerReadsThem) {
    struct Case {
        Rgb colour;
        uint8_t b0, b1;
        uint16_t word;
    };
    const Case rows[] = {{{0, 0, 248}, 0xF8, 0x00, 0x001F},
                         {{248, 0, 0}, 0x00, 0x3E, 0xF800},
                         {{0, 248, 0}, 0x07, 0xC0, 0x07C0},
                         {{8, 16, 24}, 0x18, 0x82, 0x0883},
                         {{255, 255, 255}, 0xFF, 0xFE, 0xFFFF}};
    for (const Case &c : rows) {
        uint8_t out[2];
        pack16(c.colour, out);
        EXPECT_EQ(out[0] << 8 | out[1], c.b0 << 8 | c.b1) << "row " << &c - rows;
        EXPECT_EQ(displayWord(c.colour), c.word) << "row " << &c - rows;
    }
    Canvas c(2, 2);  // four different pixels show any swap or flip
    c.set(0, 0, {248, 0, 0});
    c.set(1, 0, {0, 248, 0});
    c.set(0, 1, {0, 0, 248});
    EXPECT_EQ(c.pack(24), std::vector<uint8_t>({0, 0, 248, 0, 248, 0, 248, 0, 0, 0, 0, 0}));
    EXPECT_EQ(c.pack(16), std::vector<uint8_t>({0x00, 0x3E, 0x07, 0xC0, 0xF8, 0x00, 0x00, 0x00}));
    Canvas dark(1, 1);  // a covered dark pixel stays visible
    dark.set(0, 0, {7, 3, 0});
    const std::vector<uint8_t> p16 = dark.pack(16), p24 = dark.pack(24);
    EXPECT_TRUE((p16[0] || p16[1]) && visible({p24[2], p24[1], p24[0]}));
}

TEST_F(SampleWorld, TerrainTilesAreShadedDiamonds) {
    ASSERT_TRUE(loaded);
    int depth24 = 0;
    for (const TerrainInfo &t : kTerrain) {
        const SpriteRecord &s = sprite(t.id);
        ASSERT_TRUE(s.frameCount == 1 && s.width[0] == 40 && s.height[0] == 20) << t.name;
        EXPECT_EQ(s.originX[0] | s.originY[0] | s.offsetX[0] | s.offsetY[0], 0) << t.name;
        EXPECT_EQ(t.key.r % 8 + t.key.g % 8 + t.key.b % 8, 0) << t.name << " key loses bits on a 5-6-5 display";
        depth24 += s.bitsPerPixel == 24;
        std::set<uint32_t> shades;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x) {
                Rgb c;
                const bool inside = x >= kLeftEdge[y] && x <= 39 - kLeftEdge[y];
                ASSERT_EQ(framePixel(s, 0, x, y, c), inside) << t.name << " pixel " << x << "," << y;
                if (!inside)
                    continue;
                shades.insert(uint32_t(c.r << 16 | c.g << 8 | c.b));
                if (x >= 19 && x <= 21 && y >= 9 && y <= 11) {
                    ASSERT_EQ(c, stored(t.key, t.bitsPerPixel)) << t.name << " key pixel " << x << "," << y;
                }
            }
        EXPECT_GE(shades.size(), 4u) << t.name << " is flat";
    }
    EXPECT_GE(depth24, 1);
    EXPECT_LT(depth24, kTerrainCount);
}

TEST_F(SampleWorld, MapFileHasItsExactLayout) {
    ASSERT_TRUE(loaded);
    ASSERT_GE(bytes.size(), 16u);
    const std::vector<uint8_t> header(bytes.begin(), bytes.begin() + 12);
    EXPECT_EQ(header, std::vector<uint8_t>({kMapTag, 0, 0, 0, 64, 0, 0, 0, 64, 0, 0, 0}));
    ASSERT_GE(objects.size(), 40u);
    ASSERT_EQ(bytes.size(), 16u + 24u * objects.size() + 5u * 64 * 64) << "the objects must fill the count";
    std::map<int32_t, int> counts;
    for (size_t i = 0; i < tileIds.size(); ++i) {
        ++counts[tileIds[i]];
        const int s = indexOfId(tileIds[i]);
        if (tileIds[i] != kMissingId) {
            ASSERT_TRUE(s >= 0 && s < kTerrainCount) << "tile " << i << " names " << tileIds[i];
            EXPECT_EQ(attributes[i], kTerrain[s].attribute) << "tile " << i;
        }
    }
    EXPECT_EQ(counts[kMissingId], int(std::size(kMissingTiles)));
    for (const TilePlace &m : kMissingTiles) {
        EXPECT_EQ(tile(m.x, m.y), kMissingId) << m.x << "," << m.y;
        EXPECT_GE(m.x + m.y, 2 * 63 - 3) << m.x << "," << m.y << " lies outside the far corner";
    }
    for (const TilePlace &t : kLandmarkTiles)
        EXPECT_EQ(tile(t.x, t.y), t.id) << t.x << "," << t.y;
    EXPECT_TRUE(counts[kWater] >= 20 && counts[kRoad] >= 64);
    for (int y = 0; y < 64; ++y)
        EXPECT_TRUE(tile(kRoadX, y) == kRoad || tile(kRoadX, y) == kMissingId) << y;

    std::set<int32_t> kinds;
    for (const std::vector<int32_t> &o : objects) {
        ASSERT_GE(indexOfId(o[0]), kTerrainCount) << "object names " << o[0];
        kinds.insert(o[0]);
        const int32_t fx = o[1] + o[5], fy = o[2] - o[5];  // the footprint's front tile, moved by the elevation
        ASSERT_TRUE(fx >= 0 && fx < 64 && fy >= 0 && fy < 64 && o[3] >= 1 && o[4] >= 1) << o[1] << "," << o[2];
        const int32_t ground = tile(fx, fy);
        if (o[0] == kFountain)
            EXPECT_TRUE(ground == kWater || ground == kPaving) << fx << "," << fy;
        else
            EXPECT_TRUE(ground != kWater && ground != kShallowWater && ground != kRoad) << fx << "," << fy;
    }
    EXPECT_EQ(kinds.size(), size_t(kObjectKindCount));
}

// The documented landmarks are what the start view shows at their places, and
// some objects overlap so that the depth order shows.
TEST_F(SampleWorld, LandmarksShowTheirKeyColoursAndObjectsOverlap) {
    ASSERT_TRUE(loaded);
    ASSERT_EQ(tileIds.size(), 64u * 64u);
    for (const TilePlace &t : kLandmarkTiles)
        for (int d = 0; d < 9; ++d)
            EXPECT_FALSE(
                objectCovers(320 + 20 * (t.x + t.y) + d % 3 - 1, 240 + 10 * (t.x - t.y) + d / 3 - 1, objects.size()))
                << "tile " << t.x << "," << t.y;
    for (const ObjectPlace &p : kLandmarkObjects) {
        size_t found = objects.size();
        for (size_t i = 0; i < objects.size(); ++i)
            if (objects[i] == std::vector<int32_t>{p.id, p.x, p.y, p.extentX, p.extentY, p.elevation})
                found = i;
        ASSERT_LT(found, objects.size()) << "no object " << p.id << " at " << p.x << "," << p.y;
        const SpriteRecord &s = sprite(p.id);
        Rgb c;
        ASSERT_TRUE(framePixel(s, 0, s.originX[0] + p.keyDx, s.originY[0] + p.keyDy, c)) << p.id;
        EXPECT_EQ(c, stored(p.key, s.bitsPerPixel)) << "key colour of " << p.id;
        const int sx = 320 + 20 * (p.x + p.y) + p.keyDx, sy = 240 + 10 * (p.x - p.y) + p.keyDy;
        EXPECT_FALSE(objectCovers(sx, sy, found)) << "key pixel of " << p.id << " is covered";
        if (p.id == kFountain) {
            const TilePlace g = kFountainGround;
            EXPECT_TRUE(tile(g.x, g.y) == g.id && sx == 320 + 20 * (g.x + g.y) && sy == 240 + 10 * (g.x - g.y));
        }
    }
    int overlaps = 0;
    for (size_t i = 0; i < objects.size(); ++i) {
        const std::vector<int32_t> &o = objects[i];
        const SpriteRecord &s = sprite(o[0]);
        const int left = 320 + 20 * (o[1] + o[2]) - s.originX[0], top = 240 + 10 * (o[1] - o[2]) - s.originY[0];
        bool overlapping = false;
        for (int p = 0, w = s.width[0]; p < w * s.height[0] && !overlapping; p += 2) {
            Rgb c;
            overlapping = framePixel(s, 0, p % w, p / w, c) && objectCovers(left + p % w, top + p / w, i);
        }
        overlaps += overlapping;
    }
    EXPECT_GE(overlaps, 10);
}

// Below the working directory, so builds testing side by side never meet.
TEST(WorldFiles, TwoRunsWriteTheBuiltBytesAndABlockedFolderFails) {
    const std::filesystem::path base = "world_files_test";
    std::filesystem::remove_all(base);
    ASSERT_TRUE(writeWorld((base / "a").string()) && writeWorld((base / "b").string()));
    for (const char *file : {"sprites/test.lspr", "maps/test.map"}) {
        const std::vector<uint8_t> built = readFile(file);
        ASSERT_FALSE(built.empty()) << file;
        EXPECT_TRUE(readFile((base / "a" / file).string()) == built) << file;
        EXPECT_TRUE(readFile((base / "b" / file).string()) == built) << file;
    }
    std::ofstream((base / "blocker").string()).put('x');
    EXPECT_FALSE(writeWorld((base / "blocker").string()));
    EXPECT_TRUE(std::filesystem::is_regular_file(base / "blocker"));
    std::filesystem::remove_all(base);
}

}  // namespace
