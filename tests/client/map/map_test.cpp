#include "client/map/map.h"

#include <gtest/gtest.h>

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
    Bytes &header(int32_t tag, int32_t sizeX, int32_t sizeY, int32_t count) { return i32(tag).i32(sizeX).i32(sizeY).i32(count); }
    Bytes &object(int32_t id, int32_t x, int32_t y, int32_t ex, int32_t ey, int32_t el) { return i32(id).i32(x).i32(y).i32(ex).i32(ey).i32(el); }
    Bytes &tile(int32_t id, uint8_t attribute)
    {
        i32(id).data.push_back(attribute);
        return *this;
    }
};

class MapLoad : public ::testing::Test {
protected:
    std::string path = (std::filesystem::temp_directory_path() /
                        ("map_test_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())))
                           .string();
    MapData data{};
    Map map;
    SpriteLibrary library;

    void SetUp() override { map.data = &data; }
    void TearDown() override { std::remove(path.c_str()); }

    bool load(const Bytes &bytes, std::initializer_list<int32_t> libraryIds)
    {
        for (int32_t id : libraryIds) {
            library.entries.emplace_back();
            library.spriteIds.push_back(id);
            library.names.push_back(nullptr);
        }
        std::FILE *file = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data.data(), 1, bytes.data.size(), file);
        std::fclose(file);
        return map.load(path.c_str(), library);
    }
};

}  // namespace

TEST_F(MapLoad, OneTileMapIsTwentyOneBytes)
{
    Bytes bytes;
    bytes.header(77, 1, 1, 0).tile(41, 0xAB);
    ASSERT_EQ(bytes.data.size(), 21u);
    ASSERT_TRUE(load(bytes, {40, 41}));
    EXPECT_EQ(data.mapTag, 77);
    EXPECT_EQ(data.objectCount, 0);
    ASSERT_TRUE(data.sizeX == 1 && data.sizeY == 1 && data.tileRows != nullptr);
    EXPECT_EQ(data.tileRows[0][0].sprite, 1);
    EXPECT_EQ(data.tileRows[0][0].attribute, 0xAB);
}

TEST_F(MapLoad, ObjectsThenTilesRowAfterRowExtraBytesIgnored)
{
    Bytes bytes;
    bytes.header(1, 3, 2, 1).object(15, -4, 9, 2, 3, 1);
    for (int32_t i = 0; i < 6; ++i) bytes.tile(10 + i, static_cast<uint8_t>(i * 3));
    bytes.tile(12, 0xFF).i32(-1);
    ASSERT_TRUE(load(bytes, {10, 11, 12, 13, 14, 15}));
    ASSERT_EQ(data.objectCount, 1);
    const MapObject &o = data.objects[0];
    EXPECT_TRUE(o.sprite == 5 && o.x == -4 && o.y == 9 && o.extentX == 2 && o.extentY == 3 && o.elevation == 1);
    ASSERT_TRUE(data.sizeX == 3 && data.sizeY == 2);
    for (int i = 0; i < 6; ++i) {  // (0,0), (1,0), (2,0), (0,1), (1,1), (2,1)
        const MapTile &tile = data.tileRows[i / 3][i % 3];
        EXPECT_EQ(tile.sprite, i) << "record " << i;
        EXPECT_EQ(tile.attribute, i * 3) << "record " << i;
    }
}

TEST_F(MapLoad, DuplicateIdsTakeTheLowerIndexAndMissingOnesNone)
{
    ASSERT_TRUE(load(Bytes().header(0, 2, 1, 2).object(5, 0, 0, 1, 1, 0).object(9, 0, 0, 1, 1, 0).tile(9, 0).tile(5, 0), {5, 7, 5}));
    EXPECT_EQ(data.objects[0].sprite, 0);
    EXPECT_EQ(data.objects[1].sprite, -1);
    EXPECT_EQ(data.tileRows[0][0].sprite, -1);
    EXPECT_EQ(data.tileRows[0][1].sprite, 0);
}

TEST_F(MapLoad, EmptyLibraryAndMissingFile)
{
    ASSERT_TRUE(load(Bytes().header(0, 1, 1, 1).object(0, 1, 1, 1, 1, 0).tile(-1, 0), {}));
    EXPECT_EQ(data.objects[0].sprite, -1);
    EXPECT_EQ(data.tileRows[0][0].sprite, -1);

    MapData fresh{};
    map.data = &fresh;
    EXPECT_FALSE(map.load("no such dir/no such file.map", library));
    EXPECT_TRUE(fresh.mapTag == 0 && fresh.sizeX == 0 && fresh.sizeY == 0 && fresh.objectCount == 0);
    map.data = &data;
}

TEST_F(MapLoad, CountsBeyondTheFileAllocateOnlyWhatItHolds)
{
    // 2^31 tiles announced by a bare header, and counts near the limits.
    for (const auto &size : {std::vector<int32_t>{65536, 32768, 0}, {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF}, {-3, 0x7FFFFFFF, -1}}) {
        ASSERT_TRUE(load(Bytes().header(3, size[0], size[1], size[2]), {}));
        EXPECT_EQ(data.tileRows, nullptr) << size[0] << " x " << size[1];
        EXPECT_EQ(data.objects, nullptr);
    }
    // A truncated object section: two records and 8 bytes of a third.
    ASSERT_TRUE(load(Bytes().header(2, 2, 2, 1000).object(8, 1, 2, 3, 4, 5).object(8, 6, 7, 8, 9, 10).i32(8).i32(-6), {0, 8}));
    ASSERT_EQ(data.objectCount, 3);
    EXPECT_EQ(data.objects[1].elevation, 10);
    EXPECT_TRUE(data.objects[2].sprite == 1 && data.objects[2].x == -6 && data.objects[2].y == 0);
    EXPECT_EQ(data.tileRows, nullptr);
    // A truncated tile section: 3 x 3 announced, four tiles and a sprite held.
    Bytes tiles;
    tiles.header(2, 3, 3, 0).tile(8, 9).tile(8, 9).tile(8, 9).tile(8, 9).i32(8);
    ASSERT_TRUE(load(tiles, {}));
    ASSERT_TRUE(data.sizeX == 3 && data.sizeY == 2);
    const MapTile *inOrder = data.tileRows[0];  // the rows share one block
    for (int i = 0; i < 5; ++i) EXPECT_EQ(inOrder[i].sprite, 1) << "tile " << i;
    EXPECT_EQ(inOrder[3].attribute, 9);
    EXPECT_EQ(data.tileRows[1][1].attribute, 0);
    // Not supplied: no sprite, although the library holds identifier 0.
    EXPECT_EQ(data.tileRows[1][2].sprite, -1);
}
