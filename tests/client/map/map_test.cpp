#include "client/map/map.h"
#include "tests/client/sprites/sprite_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

// Little-endian map file bytes: int32 fields, tiles of an int32 and a byte.
struct Bytes : std::vector<uint8_t> {
    Bytes &i32(std::initializer_list<int32_t> values)
    {
        for (int32_t value : values)
            for (int shift = 0; shift < 32; shift += 8)
                push_back(uint8_t(uint32_t(value) >> shift));
        return *this;
    }
    Bytes &tile(int32_t id, uint8_t attribute)
    {
        i32({id}).push_back(attribute);
        return *this;
    }
};

struct MapLoad : ::testing::Test {
    void SetUp() override { map.data = &data; }
    void TearDown() override { std::remove(path.c_str()); }

    // Loads the bytes against a library that holds these identifiers.
    bool load(const Bytes &bytes, std::initializer_list<int32_t> libraryIds)
    {
        for (int32_t id : libraryIds)
            addPlaceholderSprite(library, id);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), long(bytes.size()));
        return map.load(path.c_str(), library);
    }

    const std::string path = (std::filesystem::temp_directory_path() / "map_test_").string() +
                             testing::UnitTest::GetInstance()->current_test_info()->name();
    MapData data{};
    Map map;
    SpriteLibrary library;
};

TEST_F(MapLoad, OneTileMapIsTwentyOneBytes)
{
    const Bytes bytes = Bytes().i32({77, 1, 1, 0}).tile(41, 0xAB);
    ASSERT_EQ(bytes.size(), 21u);
    ASSERT_TRUE(load(bytes, {40, 41}));
    ASSERT_TRUE(data.mapTag == 77 && data.objectCount == 0 && data.sizeX == 1 && data.sizeY == 1 && data.tileRows);
    EXPECT_TRUE(data.tileRows[0][0].sprite == 1 && data.tileRows[0][0].attribute == 0xAB);
}

TEST_F(MapLoad, ObjectsThenTilesRowAfterRowExtraBytesIgnored)
{
    Bytes bytes = Bytes().i32({1, 3, 2, 1}).i32({15, -4, 9, 2, 3, 1});
    for (int32_t i = 0; i < 6; ++i)
        bytes.tile(10 + i, uint8_t(i * 3));
    ASSERT_TRUE(load(bytes.tile(12, 0xFF).i32({-1}), {10, 11, 12, 13, 14, 15}));
    ASSERT_TRUE(data.objectCount == 1 && data.sizeX == 3 && data.sizeY == 2);
    const MapObject &o = data.objects[0];
    EXPECT_TRUE(o.sprite == 5 && o.x == -4 && o.y == 9 && o.extentX == 2 && o.extentY == 3 && o.elevation == 1);
    for (int i = 0; i < 6; ++i) {  // (0,0), (1,0), (2,0), (0,1), (1,1), (2,1)
        const MapTile &tile = data.tileRows[i / 3][i % 3];
        EXPECT_TRUE(tile.sprite == i && tile.attribute == i * 3) << "record " << i << ": sprite " << tile.sprite;
    }
}

TEST_F(MapLoad, DuplicateIdsTakeTheLowerIndexMissingOnesAndAnEmptyLibraryNone)
{
    ASSERT_TRUE(load(Bytes().i32({0, 2, 1, 2, 5, 0, 0, 1, 1, 0, 9, 0, 0, 1, 1, 0}).tile(9, 0).tile(5, 0), {5, 7, 5}));
    EXPECT_TRUE(data.objects[0].sprite == 0 && data.objects[1].sprite == -1);
    EXPECT_TRUE(data.tileRows[0][0].sprite == -1 && data.tileRows[0][1].sprite == 0);
    SpriteLibrary empty;
    ASSERT_TRUE(map.load(path.c_str(), empty));
    EXPECT_TRUE(data.objects[0].sprite == -1 && data.tileRows[0][1].sprite == -1);
}

TEST_F(MapLoad, MissingFileReadsNothing)
{
    EXPECT_FALSE(map.load("no such dir/no such file.map", library));
    EXPECT_TRUE(data.mapTag == 0 && data.sizeX == 0 && data.sizeY == 0 && data.objectCount == 0);
}

TEST_F(MapLoad, CountsBeyondTheFileAllocateOnlyWhatItHolds)
{
    // 2^31 tiles announced by a bare header, and counts near the limits.
    for (const auto &[sizeX, sizeY, count] : {std::tuple{65536, 32768, 0}, {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},
                                              {-3, 0x7FFFFFFF, -1}}) {
        ASSERT_TRUE(load(Bytes().i32({3, sizeX, sizeY, count}), {}));
        EXPECT_TRUE(data.tileRows == nullptr && data.objects == nullptr) << sizeX << " x " << sizeY;
    }
    // A truncated object section: two records and 8 bytes of a third.
    ASSERT_TRUE(load(Bytes().i32({2, 2, 2, 1000, 8, 1, 2, 3, 4, 5, 8, 6, 7, 8, 9, 10, 8, -6}), {0, 8}));
    ASSERT_EQ(data.objectCount, 3);
    EXPECT_TRUE(data.objects[1].elevation == 10 && data.objects[2].sprite == 1 && data.objects[2].x == -6 &&
                data.objects[2].y == 0 && data.tileRows == nullptr);
    // A truncated tile section: 3 x 3 announced, four tiles and a sprite held.
    ASSERT_TRUE(load(Bytes().i32({2, 3, 3, 0}).tile(8, 9).tile(8, 9).tile(8, 9).tile(8, 9).i32({8}), {}));
    ASSERT_TRUE(data.sizeX == 3 && data.sizeY == 2);
    const MapTile *inOrder = data.tileRows[0];  // the rows share one block
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(inOrder[i].sprite, 1) << "tile " << i;
    EXPECT_TRUE(inOrder[3].attribute == 9 && inOrder[4].attribute == 0);
    EXPECT_EQ(inOrder[5].sprite, -1);  // not supplied: none, although the library holds identifier 0
}
