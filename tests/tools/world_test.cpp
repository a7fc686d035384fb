// The sample world as the build wrote it into bin/, read back independently.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "tests/tools/world_reader.h"
#include "tools/world_files.h"
#include "vornak/vornak.h"

using namespace world;

namespace {

// The view's diamond, row by row, as the viewer's edge tables give it.
constexpr int kLeftEdge[20] = {18, 16, 14, 12, 10, 8, 6, 4, 2, 0, 0, 2, 4, 6, 8, 10, 12, 14, 16, 18};
constexpr int kRightEdge[20] = {21, 23, 25, 27, 29, 31, 33, 35, 37, 39, 39, 37, 35, 33, 31, 29, 27, 25, 23, 21};

// A key colour as a 16-bit sprite stores it: five bits a channel.
Rgb stored(Rgb c, uint16_t bitsPerPixel) {
    if (bitsPerPixel == 24) return c;
    return {static_cast<uint8_t>(c.r & 0xF8), static_cast<uint8_t>(c.g & 0xF8), static_cast<uint8_t>(c.b & 0xF8)};
}

class SampleWorld : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        loaded = LoadSpriteLibrary(&library, "sprites/test.lspr");
        map = parseMap(readFile("maps/test.map"));
    }

    const SpriteRecord &sprite(int32_t id) const {
        const int i = indexOfId(library, id);
        EXPECT_GE(i, 0) << "no sprite " << id;
        return *library.sprites[i < 0 ? 0 : i];
    }

    // Whether any object other than `except` has a visible pixel at the
    // screen point (the view centred on tile (0, 0)).
    bool objectCovers(int sx, int sy, size_t except) const {
        for (size_t i = 0; i < map.objects.size(); ++i) {
            const std::vector<int32_t> &o = map.objects[i];
            const int s = indexOfId(library, o[0]);
            if (i == except || s < 0) continue;
            const SpriteRecord &r = *library.sprites[s];
            const int left = 320 + 20 * (o[1] + o[2]) + r.offsetX[0] - r.originX[0];
            const int top = 240 + 10 * (o[1] - o[2]) + r.offsetY[0] - r.originY[0];
            Rgb ignored;
            if (framePixel(r, 0, sx - left, sy - top, ignored)) return true;
        }
        return false;
    }

    static inline SpriteLibraryRecord library{};
    static inline bool loaded = false;
    static inline MapFile map;
};

TEST_F(SampleWorld, LibraryHoldsEverySpriteInOrder) {
    ASSERT_TRUE(loaded);
    ASSERT_EQ(library.spriteCount, kTerrainCount + kObjectKindCount);
    EXPECT_EQ(library.tag1, kLibraryTag1);
    EXPECT_EQ(library.tag2, kLibraryTag2);
    EXPECT_EQ(library.tag3, kLibraryTag3);
    for (int i = 0; i < kTerrainCount; ++i) {
        EXPECT_EQ(library.spriteIds[i], kTerrain[i].id);
        EXPECT_STREQ(library.names[i], kTerrain[i].name);
    }
    for (int i = 0; i < kObjectKindCount; ++i) {
        const int at = kTerrainCount + i;
        EXPECT_EQ(library.spriteIds[at], kObjectKinds[i].id);
        EXPECT_STREQ(library.names[at], kObjectKinds[i].name);
        const SpriteRecord &s = *library.sprites[at];
        EXPECT_EQ(s.bitsPerPixel, kObjectKinds[i].bitsPerPixel) << kObjectKinds[i].name;
        EXPECT_EQ(s.hasOptionalBlock, kObjectKinds[i].translucent) << kObjectKinds[i].name;
        EXPECT_EQ(s.frameCount, kObjectKinds[i].frameCount) << kObjectKinds[i].name;
    }
    EXPECT_EQ(indexOfId(library, kMissingId), -1);
}

TEST_F(SampleWorld, TerrainTilesAreShadedDiamonds) {
    ASSERT_TRUE(loaded);
    int depth24 = 0;
    for (const TerrainInfo &t : kTerrain) {
        const SpriteRecord &s = sprite(t.id);
        ASSERT_EQ(s.frameCount, 1) << t.name;
        ASSERT_EQ(s.bitsPerPixel, t.bitsPerPixel) << t.name;
        depth24 += s.bitsPerPixel == 24;
        EXPECT_EQ(s.width[0], 40);
        EXPECT_EQ(s.height[0], 20);
        EXPECT_EQ(s.originX[0] | s.originY[0] | s.offsetX[0] | s.offsetY[0], 0) << t.name;
        ASSERT_EQ(s.pixelSize[0], 40 * 20 * s.bitsPerPixel / 8) << t.name;
        std::set<uint32_t> shades;
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 40; ++x) {
                Rgb c;
                const bool inside = x >= kLeftEdge[y] && x <= kRightEdge[y];
                ASSERT_EQ(framePixel(s, 0, x, y, c), inside) << t.name << " pixel " << x << "," << y;
                if (!inside) continue;
                // Visible also after a reduction to 5 bits a channel.
                ASSERT_TRUE(c.r >= 8 || c.g >= 8 || c.b >= 8) << t.name << " pixel " << x << "," << y;
                shades.insert(c.r << 16 | c.g << 8 | c.b);
                if (x >= 19 && x <= 21 && y >= 9 && y <= 11) {
                    EXPECT_EQ(c, stored(t.key, t.bitsPerPixel))
                        << t.name << " key pixel " << x << "," << y << ": expected " << text(t.key) << " got "
                        << text(c);
                }
            }
        }
        EXPECT_GE(shades.size(), 4u) << t.name << " is flat";
    }
    EXPECT_GE(depth24, 1);
    EXPECT_LT(depth24, kTerrainCount);
}

TEST_F(SampleWorld, ObjectsStandOnTheirOrigins) {
    ASSERT_TRUE(loaded);
    for (const ObjectInfo &o : kObjectKinds) {
        const SpriteRecord &s = sprite(o.id);
        for (int f = 0; f < s.frameCount; ++f) {
            ASSERT_EQ(s.pixelSize[f], s.width[f] * s.height[f] * s.bitsPerPixel / 8) << o.name;
            int lowest = -1;
            for (int y = 0; y < s.height[f]; ++y)
                for (int x = 0; x < s.width[f]; ++x) {
                    Rgb c;
                    if (!framePixel(s, f, x, y, c)) continue;
                    lowest = y;
                    ASSERT_TRUE(c.r >= 8 || c.g >= 8 || c.b >= 8) << o.name << " pixel " << x << "," << y;
                }
            // The picture reaches the ground at its origin: its foot lies
            // at most one tile below; the tower's one more tile lower.
            const int foot = lowest - s.originY[f] - (o.id == kTower ? 20 : 0);
            EXPECT_GE(foot, 0) << o.name;
            EXPECT_LE(foot, 12) << o.name;
            EXPECT_LT(s.originX[f], s.width[f]) << o.name;
            if (s.hasOptionalBlock) {
                EXPECT_EQ(s.optionalSize[f], 0) << o.name;
            }
        }
    }
    const SpriteRecord &mill = sprite(kWindmill);
    ASSERT_EQ(mill.frameCount, 4);
    for (int f = 1; f < 4; ++f) {
        EXPECT_EQ(mill.width[f], mill.width[0]);
        EXPECT_EQ(mill.originY[f], mill.originY[0]);
        EXPECT_NE(0, std::memcmp(mill.pixelData[f], mill.pixelData[f - 1], mill.pixelSize[0])) << "frame " << f;
    }
}

TEST_F(SampleWorld, MapFileHasItsExactLayout) {
    ASSERT_TRUE(loaded);
    EXPECT_EQ(map.tag, kMapTag);
    ASSERT_EQ(map.sizeX, 64);
    ASSERT_EQ(map.sizeY, 64);
    EXPECT_GE(map.objectCount, 40);
    EXPECT_EQ(map.bytes.size(), 16u + 24u * map.objectCount + 5u * 64 * 64);
    ASSERT_EQ(map.tileIds.size(), 64u * 64u);

    std::map<int32_t, int> counts;
    for (size_t i = 0; i < map.tileIds.size(); ++i) {
        const int32_t id = map.tileIds[i];
        ++counts[id];
        if (id == kMissingId) continue;
        const int s = indexOfId(library, id);
        ASSERT_GE(s, 0) << "tile " << i << " names " << id;
        ASSERT_LT(s, kTerrainCount) << "tile " << i << " names an object sprite";
        EXPECT_EQ(map.attributes[i], kTerrain[s].attribute) << "tile " << i;
    }
    EXPECT_EQ(counts[kMissingId], static_cast<int>(std::size(kMissingTiles)));
    for (const TilePlace &m : kMissingTiles) EXPECT_EQ(map.tileIds[m.y * 64 + m.x], kMissingId);
    for (const TilePlace &t : kLandmarkTiles) EXPECT_EQ(map.tileIds[t.y * 64 + t.x], t.id) << t.x << "," << t.y;
    EXPECT_GE(counts[kWater], 20);
    EXPECT_GE(counts[kRoad], 64);
    for (int32_t y = 0; y < 64; ++y) {
        if (map.tileIds[y * 64 + kRoadX] != kMissingId) {
            EXPECT_EQ(map.tileIds[y * 64 + kRoadX], kRoad) << y;
        }
    }
}

TEST_F(SampleWorld, ObjectsStandOnLandInsideTheMap) {
    ASSERT_TRUE(loaded);
    ASSERT_EQ(map.objects.size(), static_cast<size_t>(map.objectCount));
    std::set<int32_t> kinds;
    for (const std::vector<int32_t> &o : map.objects) {
        const int s = indexOfId(library, o[0]);
        ASSERT_GE(s, kTerrainCount) << "object names " << o[0];
        kinds.insert(o[0]);
        // The footprint's front tile, moved by the elevation.
        const int32_t fx = o[1] + o[5], fy = o[2] - o[5];
        ASSERT_TRUE(fx >= 0 && fx < 64 && fy >= 0 && fy < 64) << o[1] << "," << o[2];
        EXPECT_GE(o[3], 1);
        EXPECT_GE(o[4], 1);
        const int32_t ground = map.tileIds[fy * 64 + fx];
        if (o[0] == kFountain)
            EXPECT_TRUE(ground == kWater || ground == kPaving) << fx << "," << fy;
        else
            EXPECT_TRUE(ground != kWater && ground != kShallowWater && ground != kRoad) << fx << "," << fy;
    }
    EXPECT_EQ(kinds.size(), static_cast<size_t>(kObjectKindCount));
}

// The documented landmarks are what the start view shows at their places.
TEST_F(SampleWorld, LandmarksShowTheirKeyColours) {
    ASSERT_TRUE(loaded);
    for (const TilePlace &t : kLandmarkTiles) {
        const int sx = 320 + 20 * (t.x + t.y), sy = 240 + 10 * (t.x - t.y);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                EXPECT_FALSE(objectCovers(sx + dx, sy + dy, map.objects.size())) << "tile " << t.x << "," << t.y;
    }
    for (const ObjectPlace &p : kLandmarkObjects) {
        size_t found = map.objects.size();
        for (size_t i = 0; i < map.objects.size(); ++i)
            if (map.objects[i] == std::vector<int32_t>{p.id, p.x, p.y, p.extentX, p.extentY, p.elevation}) found = i;
        ASSERT_LT(found, map.objects.size()) << "no object " << p.id << " at " << p.x << "," << p.y;
        const SpriteRecord &s = sprite(p.id);
        Rgb c;
        ASSERT_TRUE(framePixel(s, 0, s.originX[0] + p.keyDx, s.originY[0] + p.keyDy, c)) << p.id;
        EXPECT_EQ(c, stored(p.key, s.bitsPerPixel)) << p.id << ": expected " << text(p.key) << " got " << text(c);
        const int sx = 320 + 20 * (p.x + p.y) + p.keyDx, sy = 240 + 10 * (p.x - p.y) + p.keyDy;
        EXPECT_FALSE(objectCovers(sx, sy, found)) << "key pixel of " << p.id << " is covered";
        if (p.id == kFountain) {
            const TilePlace g = kFountainGround;
            EXPECT_EQ(map.tileIds[g.y * 64 + g.x], g.id);
            EXPECT_EQ(sx, 320 + 20 * (g.x + g.y));
            EXPECT_EQ(sy, 240 + 10 * (g.x - g.y));
        }
    }
}

TEST_F(SampleWorld, SomeObjectsOverlapOnScreen) {
    ASSERT_TRUE(loaded);
    int overlaps = 0;
    for (size_t i = 0; i < map.objects.size(); ++i) {
        const std::vector<int32_t> &o = map.objects[i];
        const SpriteRecord &s = sprite(o[0]);
        const int left = 320 + 20 * (o[1] + o[2]) - s.originX[0], top = 240 + 10 * (o[1] - o[2]) - s.originY[0];
        bool overlapping = false;
        for (int y = 0; y < s.height[0] && !overlapping; y += 2)
            for (int x = 0; x < s.width[0] && !overlapping; x += 2) {
                Rgb c;
                overlapping = framePixel(s, 0, x, y, c) && objectCovers(left + x, top + y, i);
            }
        overlaps += overlapping;
    }
    EXPECT_GE(overlaps, 10);
}

TEST(WorldFiles, TwoRunsWriteTheBuiltBytes) {
    // Below the working directory, so builds testing side by side never meet.
    const std::filesystem::path base = "world_files_test";
    std::filesystem::remove_all(base);
    ASSERT_TRUE(writeWorld((base / "a").string()));
    ASSERT_TRUE(writeWorld((base / "b").string()));
    for (const char *file : {"sprites/test.lspr", "maps/test.map"}) {
        const std::vector<uint8_t> built = readFile(file);
        ASSERT_FALSE(built.empty()) << file;
        EXPECT_TRUE(readFile((base / "a" / file).string()) == built) << file;
        EXPECT_TRUE(readFile((base / "b" / file).string()) == built) << file;
    }
    std::filesystem::remove_all(base);
}

TEST(WorldFiles, UnwritableDirectoryFails) {
    const std::filesystem::path blocker = "world_files_blocker";
    std::filesystem::remove_all(blocker);
    std::FILE *file = std::fopen(blocker.string().c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_FALSE(writeWorld(blocker.string()));
    EXPECT_TRUE(std::filesystem::is_regular_file(blocker));
    std::filesystem::remove(blocker);
}

}  // namespace
