#include "client/map/map.h"
#include "tests/client/sprites/sprite_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <tuple>

// Little-endian map file bytes: int32 fields, tiles of an int32 and a byte.
struct Bytes : std::vector<uint8_t> {
    Bytes &i32(std::initializer_list<int32_t> values) {
        for (int32_t value : values)
            for (int shift = 0; shift < 32; shift += 8)
                push_back(uint8_t(uint32_t(value) >> shift));
        return *this;
    }
    Bytes &tile(int32_t id, uint8_t attribute) {
        i32({id}).push_back(attribute);
        return *this;
    }
};

struct MapLoad : ::testing::Test {
    void SetUp() override { map.data = &data; }
    void TearDown() override { std::remove(path.c_str()); }

    // Loads the bytes against a library that holds these identifiers.
    bool load(const Bytes &bytes, std::initializer_list<int32_t> libraryIds) {
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

TEST_F(MapLoad, OneTileMapIsTwentyOneBytes) {
    const Bytes bytes = Bytes().i32({77, 1, 1, 0}).tile(41, 0xAB);
    ASSERT_EQ(bytes.size(), 21u);
    ASSERT_TRUE(load(bytes, {40, 41}));
    ASSERT_EQ(std::tuple(data.mapTag, data.objectCount, data.sizeX, data.sizeY), std::tuple(77, 0, 1, 1));
    ASSERT_NE(data.tileRows, nullptr);
    EXPECT_EQ(std::tuple(data.tileRows[0][0].sprite, data.tileRows[0][0].attribute), std::tuple(1, 0xAB));
}

TEST_F(MapLoad, ObjectsThenTilesRowAfterRowExtraBytesIgnored) {
    Bytes bytes = Bytes().i32({1, 3, 2, 1}).i32({15, -4, 9, 2, 3, 1});
    for (int32_t i = 0; i < 6; ++i)
        bytes.tile(10 + i, uint8_t(i * 3));
    ASSERT_TRUE(load(bytes.tile(12, 0xFF).i32({-1}), {10, 11, 12, 13, 14, 15}));
    ASSERT_EQ(std::tuple(data.objectCount, data.sizeX, data.sizeY), std::tuple(1, 3, 2));
    const MapObject &o = data.objects[0];
    EXPECT_EQ(std::tuple(o.sprite, o.x, o.y, o.extentX, o.extentY, o.elevation), std::tuple(5, -4, 9, 2, 3, 1));
    for (int i = 0; i < 6; ++i) {  // (0,0), (1,0), (2,0), (0,1), (1,1), (2,1)
        const MapTile &tile = data.tileRows[i / 3][i % 3];
        EXPECT_EQ(std::tuple(tile.sprite, tile.attribute), std::tuple(i, i * 3)) << "record " << i;
    }
}

TEST_F(MapLoad, DuplicateIdsTakeTheLowerIndexMissingOnesAndAnEmptyLibraryNone) {
    ASSERT_TRUE(load(Bytes().i32({0, 2, 1, 2, 5, 0, 0, 1, 1, 0, 9, 0, 0, 1, 1, 0}).tile(9, 0).tile(5, 0), {5, 7, 5}));
    auto sprites = [&] {  // of the two objects and the two tiles
        const MapObject *o = data.objects;
        return std::tuple(o[0].sprite, o[1].sprite, data.tileRows[0][0].sprite, data.tileRows[0][1].sprite);
    };
    EXPECT_EQ(sprites(), std::tuple(0, -1, -1, 0));
    SpriteLibrary empty;
    ASSERT_TRUE(map.load(path.c_str(), empty));
    EXPECT_EQ(sprites(), std::tuple(-1, -1, -1, -1));
}

TEST_F(MapLoad, MissingFileReadsNothing) {
    EXPECT_FALSE(map.load("no such dir/no such file.map", library));
    EXPECT_EQ(std::tuple(data.mapTag, data.sizeX, data.sizeY, data.objectCount), std::tuple(0, 0, 0, 0));
}

TEST_F(MapLoad, CountsBeyondTheFileAllocateOnlyWhatItHolds) {
    // 2^31 tiles announced by a bare header, and counts near the limits.
    for (const auto &[sizeX, sizeY, count] :
         {std::tuple{65536, 32768, 0}, {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF}, {-3, 0x7FFFFFFF, -1}}) {
        ASSERT_TRUE(load(Bytes().i32({3, sizeX, sizeY, count}), {}));
        EXPECT_TRUE(data.tileRows == nullptr && data.objects == nullptr) << sizeX << " x " << sizeY;
    }
    // A truncated object section: two records and 8 bytes of a third.
    ASSERT_TRUE(load(Bytes().i32({2, 2, 2, 1000, 8, 1, 2, 3, 4, 5, 8, 6, 7, 8, 9, 10, 8, -6}), {0, 8}));
    ASSERT_EQ(data.objectCount, 3);
    EXPECT_EQ(std::tuple(data.objects[1].elevation, data.objects[2].sprite, data.objects[2].x, data.objects[2].y),
              std::tuple(10, 1, -6, 0));
    EXPECT_EQ(data.tileRows, nullptr);
    // A truncated tile section: 3 x 3 announced, four tiles and a sprite held.
    ASSERT_TRUE(load(Bytes().i32({2, 3, 3, 0}).tile(8, 9).tile(8, 9).tile(8, 9).tile(8, 9).i32({8}), {}));
    ASSERT_EQ(std::pair(data.sizeX, data.sizeY), std::pair(3, 2));
    const MapTile *inOrder = data.tileRows[0];  // the rows share one block
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(inOrder[i].sprite, 1) << "tile " << i;
    EXPECT_EQ(std::pair(inOrder[3].attribute, inOrder[4].attribute), std::pair(uint8_t(9), uint8_t(0)));
    EXPECT_EQ(inOrder[5].sprite, -1);  // not supplied: none, although the library holds identifier 0
}
