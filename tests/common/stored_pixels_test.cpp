// Stored pixels as pictures and back: the channel expansion, the alpha of
// zero pixels, the spare bit, the rules for storing transparent and dark
// opaque pixels, and that every stored value comes back exactly.
#include "common/stored_pixels.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Rgba = std::array<uint8_t, 4>;
using Bytes = std::array<uint8_t, 3>;

TEST(StoredPixels, SixteenBitPixelsAsPictures) {
    struct Case {
        uint8_t b0, b1;
        Rgba rgba;
        uint8_t spare;
    };
    const Case cases[] = {
        {0xF8, 0x00, {0, 0, 255, 255}, 0},      // blue 31
        {0x00, 0x3E, {255, 0, 0, 255}, 0},      // red 31
        {0x07, 0xC0, {0, 255, 0, 255}, 0},      // green 31
        {0xFF, 0xFE, {255, 255, 255, 255}, 0},  // white
        {0x00, 0x01, {0, 0, 0, 255}, 1},        // the spare bit alone: opaque black
        {0x00, 0x00, {0, 0, 0, 0}, 0},          // transparent
        {0x08, 0x21, {132, 0, 8, 255}, 1},      // red 16, blue 1: (v << 3) | (v >> 2)
        {0x02, 0x40, {0, 74, 0, 255}, 0},       // green 9 across both bytes
    };
    for (const Case &c : cases) {
        Rgba got{};
        uint8_t spare = 9;
        stored16ToRgba(c.b0, c.b1, got.data(), &spare);
        EXPECT_TRUE(got == c.rgba && spare == c.spare)
            << std::hex << "stored " << int(c.b0) << " " << int(c.b1) << ": expected " << int(c.rgba[0]) << " "
            << int(c.rgba[1]) << " " << int(c.rgba[2]) << " " << int(c.rgba[3]) << " spare " << int(c.spare) << ", got "
            << int(got[0]) << " " << int(got[1]) << " " << int(got[2]) << " " << int(got[3]) << " spare " << int(spare);
    }
}

TEST(StoredPixels, TwentyFourBitPixelsAsPictures) {
    const std::pair<Bytes, Rgba> cases[] = {
        {{0x12, 0x34, 0x56}, {0x56, 0x34, 0x12, 255}},
        {{0x00, 0x00, 0x00}, {0, 0, 0, 0}},
        {{0x01, 0x00, 0x00}, {0, 0, 1, 255}},
    };
    for (const auto &[stored, rgba] : cases) {
        Rgba got{};
        stored24ToRgba(stored[0], stored[1], stored[2], got.data());
        EXPECT_EQ(got, rgba) << "stored " << int(stored[0]) << " " << int(stored[1]) << " " << int(stored[2]);
    }
}

TEST(StoredPixels, StoringPicturesKeepsTheTopBitsAndNeverStoresOpaqueAsTheKey) {
    struct Case {
        Rgba rgba;
        uint8_t mark;  // the spare bit for 16 bits, keepDark for 24
        std::array<uint8_t, 2> stored16;
        Bytes stored24;
    };
    const Case cases[] = {
        {{200, 100, 50, 127}, 1, {0x00, 0x00}, {0, 0, 0}},       // alpha below 128: transparent
        {{200, 100, 50, 128}, 0, {0x33, 0x32}, {50, 100, 200}},  // alpha 128: opaque
        {{0, 0, 0, 255}, 0, {0x08, 0x00}, {8, 0, 0}},            // opaque black: smallest surviving blue
        {{7, 3, 7, 255}, 0, {0x08, 0x00}, {8, 3, 7}},            // reduces to 0: blue bumped
        {{7, 3, 7, 255}, 1, {0x00, 0x01}, {7, 3, 7}},            // spare bit set / keepDark
        {{7, 4, 7, 255}, 0, {0x08, 0x00}, {7, 4, 7}},            // green 4 shows on a 5-6-5 display
        {{8, 0, 0, 255}, 0, {0x00, 0x02}, {0, 0, 8}},            // red 8 survives both reductions
        {{255, 255, 255, 255}, 1, {0xFF, 0xFF}, {255, 255, 255}},
    };
    for (const Case &c : cases) {
        std::array<uint8_t, 2> got16{};
        Bytes got24{};
        rgbaToStored16(c.rgba.data(), c.mark, got16.data());
        rgbaToStored24(c.rgba.data(), c.mark, got24.data());
        EXPECT_TRUE(got16 == c.stored16 && got24 == c.stored24)
            << "rgba " << int(c.rgba[0]) << " " << int(c.rgba[1]) << " " << int(c.rgba[2]) << " " << int(c.rgba[3])
            << " mark " << int(c.mark) << std::hex << ": expected 16-bit " << int(c.stored16[0]) << " "
            << int(c.stored16[1]) << ", got " << int(got16[0]) << " " << int(got16[1]) << "; expected 24-bit "
            << int(c.stored24[0]) << " " << int(c.stored24[1]) << " " << int(c.stored24[2]) << ", got " << int(got24[0])
            << " " << int(got24[1]) << " " << int(got24[2]);
    }
}

TEST(StoredPixels, EveryStoredValueComesBackFromItsPicture) {
    for (uint32_t v = 0; v < 0x10000; ++v) {
        Rgba rgba{};
        uint8_t spare = 0, back[2] = {};
        stored16ToRgba(uint8_t(v), uint8_t(v >> 8), rgba.data(), &spare);
        rgbaToStored16(rgba.data(), spare, back);
        ASSERT_TRUE(back[0] == uint8_t(v) && back[1] == uint8_t(v >> 8)) << "16-bit " << std::hex << v;
    }
    for (uint32_t v = 0; v < 0x1000000; v += 7) {  // a stride coprime to every channel's range
        const Bytes stored = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16)};
        Rgba rgba{};
        stored24ToRgba(stored[0], stored[1], stored[2], rgba.data());
        uint8_t display[2] = {}, back[3] = {};
        convert24To16(stored[0], stored[1], stored[2], display);
        const uint8_t keepDark = rgba[3] && display[0] == 0 && display[1] == 0;
        rgbaToStored24(rgba.data(), keepDark, back);
        ASSERT_TRUE((Bytes{back[0], back[1], back[2]} == stored)) << "24-bit " << std::hex << v;
    }
}

TEST(StoredPixels, PackingColoursKeepsTheirTopBits) {
    uint8_t stored[2] = {};
    packStored16(0x88, 0x48, 0xF0, 1, stored);  // red 17, green 9, blue 30
    EXPECT_TRUE(stored[0] == 0xF2 && stored[1] == 0x63) << std::hex << int(stored[0]) << " " << int(stored[1]);
    uint8_t shown[2] = {};
    convert16To16(stored[0], stored[1], shown);  // the display reads the same channels back
    EXPECT_EQ(shown[0] | shown[1] << 8, 17 << 11 | 9 << 6 | 30 | 1 << 10) << std::hex << (shown[0] | shown[1] << 8);
}

}  // namespace
