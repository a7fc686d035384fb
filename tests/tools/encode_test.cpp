// The tool's own encoders: stored pixel layouts and the map writer.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/tools/world_reader.h"
#include "tools/canvas.h"
#include "tools/world_map.h"

using namespace world;

namespace {

std::string hex(const std::vector<uint8_t> &bytes) {
    std::string s;
    char b[4];
    for (const uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02X ", v);
        s += b;
    }
    return s;
}

TEST(Pack, SixteenBitChannelsSitWhereTheViewerReadsThem) {
    struct Case { Rgb colour; uint8_t b0, b1; };
    for (const Case c : {Case{{0, 0, 248}, 0xF8, 0x00}, Case{{248, 0, 0}, 0x00, 0x3E}, Case{{0, 248, 0}, 0x07, 0xC0},
                         Case{{255, 255, 255}, 0xFF, 0xFE}, Case{{8, 16, 24}, 0x18, 0x82}}) {
        uint8_t out[2];
        pack16(c.colour, out);
        EXPECT_EQ(out[0], c.b0) << text(c.colour);
        EXPECT_EQ(out[1], c.b1) << text(c.colour);
    }
}

// A 2 x 2 picture with four different pixels shows any swap or flip.
TEST(Pack, PicturesPackRowByRowFromTheTop) {
    Canvas c(2, 2);
    c.set(0, 0, {248, 0, 0});
    c.set(1, 0, {0, 248, 0});
    c.set(0, 1, {0, 0, 248});
    const std::vector<uint8_t> expected24 = {0, 0, 248, 0, 248, 0, 248, 0, 0, 0, 0, 0};
    EXPECT_EQ(c.pack(24), expected24) << "expected " << hex(expected24) << " got " << hex(c.pack(24));
    const std::vector<uint8_t> expected16 = {0x00, 0x3E, 0x07, 0xC0, 0xF8, 0x00, 0x00, 0x00};
    EXPECT_EQ(c.pack(16), expected16) << "expected " << hex(expected16) << " got " << hex(c.pack(16));
}

TEST(Pack, CoveredDarkPixelsStayVisible) {
    Canvas c(1, 1);
    c.set(0, 0, {7, 3, 0});
    const std::vector<uint8_t> p16 = c.pack(16), p24 = c.pack(24);
    EXPECT_TRUE(p16[0] || p16[1]) << hex(p16);
    EXPECT_TRUE(p24[0] >= 8 || p24[1] >= 8 || p24[2] >= 8) << hex(p24);
}

TEST(MapWriter, TilesFollowInRowOrderAfterTheObjects) {
    WorldMap m{7, 3, 2, {}, {{5, 1, 2, 3, 4, -1}}};
    for (int32_t i = 0; i < 6; ++i) m.tiles.push_back({100 + i, static_cast<uint8_t>(i)});
    const std::vector<uint8_t> bytes = encodeMap(m);
    ASSERT_EQ(bytes.size(), 16u + 24u + 30u);
    const std::vector<uint8_t> header = {7, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 16), header);
    const MapFile parsed = parseMap(bytes);
    ASSERT_EQ(parsed.objects.size(), 1u);
    EXPECT_EQ(parsed.objects[0], (std::vector<int32_t>{5, 1, 2, 3, 4, -1}));
    EXPECT_EQ(parsed.tileIds, (std::vector<int32_t>{100, 101, 102, 103, 104, 105}));
    EXPECT_EQ(parsed.attributes, (std::vector<uint8_t>{0, 1, 2, 3, 4, 5}));
    // The elevation -1 is stored as all ones.
    EXPECT_EQ(bytes[16 + 20], 0xFF);
    EXPECT_EQ(bytes[16 + 23], 0xFF);
}

}  // namespace

namespace {

// The documented display words agree with the viewer's 5-6-5 conversion of
// the same stored pixels: (F8, 00) -> 001F, (00, 3E) -> F800, (07, C0) -> 07C0.
TEST(Layout, KeyColoursGiveTheViewersDisplayWords) {
    EXPECT_EQ(displayWord({0, 0, 248}), 0x001F);
    EXPECT_EQ(displayWord({248, 0, 0}), 0xF800);
    EXPECT_EQ(displayWord({0, 248, 0}), 0x07C0);
    for (const TerrainInfo &t : kTerrain) {
        EXPECT_EQ(t.key.r % 8 + t.key.g % 8 + t.key.b % 8, 0) << t.name;
    }
}

}  // namespace
