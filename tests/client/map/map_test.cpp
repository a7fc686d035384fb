#include "client/map/map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "client/sprites/sprite_library.h"

namespace {

// Little-endian map file bytes, built field by field.
struct Bytes {
    std::vector<uint8_t> data;
    Bytes &i32(int32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8) data.push_back(static_cast<uint8_t>(uint32_t(value) >> shift));
        return *this;
    }
    Bytes &u8(uint8_t value)
    {
        data.push_back(value);
        return *this;
    }
    Bytes &header(int32_t tag, int32_t sizeX, int32_t sizeY, int32_t objectCount)
    {
        return i32(tag).i32(sizeX).i32(sizeY).i32(objectCount);
    }
    Bytes &object(int32_t id, int32_t x, int32_t y, int32_t extentX, int32_t extentY, int32_t elevation)
    {
        return i32(id).i32(x).i32(y).i32(extentX).i32(extentY).i32(elevation);
    }
    Bytes &tile(int32_t id, uint8_t attribute) { return i32(id).u8(attribute); }
};

class MapLoad : public ::testing::Test {
protected:
    std::string path = (std::filesystem::temp_directory_path() /
                        ("map_test_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".map"))
                           .string();
    MapData data{};
    Map map;
    SpriteLibrary library;

    void SetUp() override { map.data = &data; }
    void TearDown() override
    {
        std::remove(path.c_str());
        delete[] data.objects;
        data.objects = nullptr;
    }

    void write(const Bytes &bytes)
    {
        std::FILE *file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data.data(), 1, bytes.data.size(), file);
        std::fclose(file);
    }
    // Library whose sprite at position i carries ids[i].
    void holdIds(std::initializer_list<int32_t> ids)
    {
        for (int32_t id : ids) {
            library.entries.emplace_back();
            library.spriteIds.push_back(id);
            library.names.push_back(nullptr);
        }
    }
};

}  // namespace

TEST_F(MapLoad, OneTileMapIsTwentyOneBytes)
{
    holdIds({40, 41});
    Bytes bytes;
    bytes.header(77, 1, 1, 0).tile(41, 0xAB);
    ASSERT_EQ(bytes.data.size(), 21u);
    write(bytes);
    ASSERT_TRUE(map.load(path.c_str(), library));
    EXPECT_EQ(data.mapTag, 77);
    EXPECT_EQ(data.sizeX, 1);
    EXPECT_EQ(data.sizeY, 1);
    EXPECT_EQ(data.objectCount, 0);
    ASSERT_NE(data.tileRows, nullptr);
    EXPECT_EQ(data.tileRows[0][0].sprite, 1);
    EXPECT_EQ(data.tileRows[0][0].attribute, 0xAB);
}

TEST_F(MapLoad, TilesComeRowAfterRowAndExtraBytesChangeNothing)
{
    holdIds({10, 11, 12, 13, 14, 15});
    Bytes bytes;
    bytes.header(1, 3, 2, 1).object(15, -4, 9, 2, 3, 1);
    for (int32_t i = 0; i < 6; ++i) bytes.tile(10 + i, static_cast<uint8_t>(i * 3));
    for (int extra = 0; extra < 2; ++extra) {
        if (extra == 1) bytes.tile(12, 0xFF).i32(-1);
        write(bytes);
        ASSERT_TRUE(map.load(path.c_str(), library));
        ASSERT_EQ(data.objectCount, 1);
        EXPECT_EQ(data.objects[0].sprite, 5);
        EXPECT_EQ(data.objects[0].x, -4);
        EXPECT_EQ(data.objects[0].y, 9);
        EXPECT_EQ(data.objects[0].extentX, 2);
        EXPECT_EQ(data.objects[0].extentY, 3);
        EXPECT_EQ(data.objects[0].elevation, 1);
        ASSERT_EQ(data.sizeX, 3);
        ASSERT_EQ(data.sizeY, 2);
        const int order[2][3] = {{0, 1, 2}, {3, 4, 5}};
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                EXPECT_EQ(data.tileRows[y][x].sprite, order[y][x]) << "tile (" << x << ", " << y << ") extra " << extra;
                EXPECT_EQ(data.tileRows[y][x].attribute, order[y][x] * 3) << "tile (" << x << ", " << y << ")";
            }
        }
    }
}

TEST_F(MapLoad, DuplicateIdTakesLowerIndexAndMissingIdNone)
{
    holdIds({5, 7, 5});
    write(Bytes().header(0, 2, 1, 2).object(5, 0, 0, 1, 1, 0).object(9, 0, 0, 1, 1, 0).tile(9, 0).tile(5, 0));
    ASSERT_TRUE(map.load(path.c_str(), library));
    EXPECT_EQ(data.objects[0].sprite, 0);
    EXPECT_EQ(data.objects[1].sprite, -1);
    EXPECT_EQ(data.tileRows[0][0].sprite, -1);
    EXPECT_EQ(data.tileRows[0][1].sprite, 0);
}

TEST_F(MapLoad, EmptyLibraryLeavesEverySpriteNone)
{
    write(Bytes().header(0, 2, 1, 1).object(0, 1, 1, 1, 1, 0).tile(0, 0).tile(-1, 0));
    ASSERT_TRUE(map.load(path.c_str(), library));
    EXPECT_EQ(data.objects[0].sprite, -1);
    EXPECT_EQ(data.tileRows[0][0].sprite, -1);
    EXPECT_EQ(data.tileRows[0][1].sprite, -1);
}

TEST_F(MapLoad, MissingFileReadsNothing)
{
    EXPECT_FALSE(map.load("no such dir/no such file.map", library));
    EXPECT_EQ(data.mapTag, 0);
    EXPECT_EQ(data.sizeX, 0);
    EXPECT_EQ(data.sizeY, 0);
    EXPECT_EQ(data.objectCount, 0);
    EXPECT_EQ(data.tileRows, nullptr);
}

TEST_F(MapLoad, HeaderAnnouncingHugeCountsAllocatesOnlyWhatTheFileHolds)
{
    holdIds({0});
    const int32_t sizes[][3] = {{65536, 32768, 0}, {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF}, {-3, 0x7FFFFFFF, -1}};
    for (const auto &size : sizes) {
        write(Bytes().header(3, size[0], size[1], size[2]));
        ASSERT_TRUE(map.load(path.c_str(), library));
        EXPECT_EQ(data.tileRows, nullptr) << size[0] << " x " << size[1];
        EXPECT_EQ(data.objects, nullptr);
        EXPECT_LE(data.objectCount, 0);
    }
}

TEST_F(MapLoad, TruncatedObjectSectionKeepsWhatWasRead)
{
    holdIds({0, 8});
    write(Bytes().header(2, 2, 2, 1000).object(8, 1, 2, 3, 4, 5).object(8, 6, 7, 8, 9, 10).i32(8).i32(-6).u8(1).u8(2));
    ASSERT_TRUE(map.load(path.c_str(), library));
    ASSERT_EQ(data.objectCount, 3);
    EXPECT_EQ(data.objects[1].elevation, 10);
    EXPECT_EQ(data.objects[2].sprite, 1);
    EXPECT_EQ(data.objects[2].x, -6);
    EXPECT_EQ(data.objects[2].y, 0);
    EXPECT_EQ(data.objects[2].elevation, 0);
    EXPECT_EQ(data.tileRows, nullptr);
}

TEST_F(MapLoad, TruncatedTileSectionLeavesTheRestWithoutSprite)
{
    holdIds({0, 3});
    Bytes bytes;
    bytes.header(2, 3, 3, 0);
    for (int i = 0; i < 4; ++i) bytes.tile(3, 9);
    bytes.i32(3);  // the fifth tile's sprite without its attribute
    write(bytes);
    ASSERT_TRUE(map.load(path.c_str(), library));
    ASSERT_EQ(data.sizeX, 3);
    ASSERT_EQ(data.sizeY, 2);
    const MapTile *tiles = data.tileRows[0];
    for (int i = 0; i < 4; ++i) EXPECT_EQ(tiles[i].attribute, 9) << "tile " << i;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(tiles[i].sprite, 1) << "tile " << i;
    EXPECT_EQ(tiles[4].attribute, 0);
    // Zero-filled, but not the library's sprite with identifier 0.
    EXPECT_EQ(tiles[5].sprite, -1);
    EXPECT_EQ(data.tileRows[1][2].sprite, -1);
}

TEST_F(MapLoad, LoadingAgainReplacesTheTiles)
{
    holdIds({1});
    write(Bytes().header(0, 2, 2, 0).tile(1, 0).tile(1, 0).tile(1, 0).tile(1, 0));
    ASSERT_TRUE(map.load(path.c_str(), library));
    write(Bytes().header(0, 1, 1, 0).tile(2, 4));
    ASSERT_TRUE(map.load(path.c_str(), library));
    EXPECT_EQ(data.sizeX, 1);
    EXPECT_EQ(data.tileRows[0][0].sprite, -1);
    EXPECT_EQ(data.tileRows[0][0].attribute, 4);
}

#include "tools/world_layout.h"

// The sample world's map as the world writer wrote it, read by the loader.
TEST(SampleWorldMap, LoadsWithItsDocumentedLayout)
{
    SpriteLibrary library;
    for (const world::TerrainInfo &terrain : world::kTerrain) library.spriteIds.push_back(terrain.id);
    for (const world::ObjectInfo &kind : world::kObjectKinds) library.spriteIds.push_back(kind.id);
    library.entries.resize(library.spriteIds.size());
    library.names.resize(library.spriteIds.size());
    auto indexOf = [&](int32_t id) {
        return static_cast<int32_t>(std::find(library.spriteIds.begin(), library.spriteIds.end(), id) -
                                    library.spriteIds.begin());
    };

    MapData data{};
    Map map;
    map.data = &data;
    ASSERT_TRUE(map.load("maps/test.map", library)) << "sample world missing beside the test";
    EXPECT_EQ(data.mapTag, world::kMapTag);
    ASSERT_EQ(data.sizeX, world::kMapSizeX);
    ASSERT_EQ(data.sizeY, world::kMapSizeY);
    EXPECT_GE(data.objectCount, 40);
    for (const world::TilePlace &place : world::kLandmarkTiles) {
        EXPECT_EQ(data.tileRows[place.y][place.x].sprite, indexOf(place.id)) << place.x << ", " << place.y;
    }
    for (const world::TilePlace &place : world::kMissingTiles) EXPECT_EQ(data.tileRows[place.y][place.x].sprite, -1);
    for (const world::ObjectPlace &place : world::kLandmarkObjects) {
        const MapObject *end = data.objects + data.objectCount;
        const MapObject *found = std::find_if(static_cast<const MapObject *>(data.objects), end, [&](const MapObject &o) {
            return o.x == place.x && o.y == place.y && o.sprite == indexOf(place.id);
        });
        ASSERT_NE(found, end) << "object " << place.id << " at " << place.x << ", " << place.y;
        EXPECT_EQ(found->extentX, place.extentX);
        EXPECT_EQ(found->extentY, place.extentY);
        EXPECT_EQ(found->elevation, place.elevation);
    }
    delete[] data.objects;
    data.objects = nullptr;
}
