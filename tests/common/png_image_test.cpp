// The PNG reader's exact conversions of every colour type and bit depth, the
// writer's round trip, and refusals of damaged and oversized pictures.
#include "common/png_image.h"
#include "tests/common/raw_png.h"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>

namespace {

// Pixels as "rrggbbaa" words, row after row.
std::vector<uint32_t> rgbaWords(const Image &image) {
    std::vector<uint32_t> words;
    for (size_t i = 0; i + 3 < image.pixels.size(); i += 4)
        words.push_back(uint32_t(image.pixels[i]) << 24 | uint32_t(image.pixels[i + 1]) << 16 |
                        uint32_t(image.pixels[i + 2]) << 8 | image.pixels[i + 3]);
    return words;
}

TEST(PngImage, ReadsEveryColourTypeAndDepthExactly) {
    struct Case {
        const char *what;
        RawPng png;
        std::vector<uint32_t> expected;  // 2 x 2, or 3 x 1
    };
    const Case cases[] = {
        {"grey 1-bit",
         {2, 2, 1, PNG_COLOR_TYPE_GRAY, {{0x80}, {0x40}}},
         {0xFFFFFFFF, 0x000000FF, 0x000000FF, 0xFFFFFFFF}},
        {"grey 4-bit",
         {2, 2, 4, PNG_COLOR_TYPE_GRAY, {{0x1F}, {0x80}}},
         {0x111111FF, 0xFFFFFFFF, 0x888888FF, 0x000000FF}},
        {"grey 8-bit",
         {2, 2, 8, PNG_COLOR_TYPE_GRAY, {{0x00, 0x7F}, {0xC3, 0xFF}}},
         {0x000000FF, 0x7F7F7FFF, 0xC3C3C3FF, 0xFFFFFFFF}},
        {"grey 16-bit keeps the high byte",
         {2, 2, 16, PNG_COLOR_TYPE_GRAY, {{0x12, 0xFF, 0xAB, 0x00}, {0, 0, 0xFF, 0xFF}}},
         {0x121212FF, 0xABABABFF, 0x000000FF, 0xFFFFFFFF}},
        {"grey and alpha",
         {2, 2, 8, PNG_COLOR_TYPE_GRAY_ALPHA, {{0x40, 0x00, 0x80, 0x7F}, {0xC0, 0x80, 0xFF, 0xFF}}},
         {0x40404000, 0x8080807F, 0xC0C0C080, 0xFFFFFFFF}},
        {"palette with transparency",
         {3,
          1,
          8,
          PNG_COLOR_TYPE_PALETTE,
          {{2, 0, 1}},
          {{0xF8, 0x00, 0x00}, {0x00, 0xFC, 0x00}, {0x00, 0x00, 0xF8}},
          {0x00, 0x80}},
         {0x0000F8FF, 0xF8000000, 0x00FC0080}},
        {"palette 2-bit",
         {3, 1, 2, PNG_COLOR_TYPE_PALETTE, {{0b10'01'00'00}}, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}},
         {0x070809FF, 0x040506FF, 0x010203FF}},
        {"RGB 8-bit",
         {3, 1, 8, PNG_COLOR_TYPE_RGB, {{0xF8, 0, 0, 0, 0xFC, 0, 0, 0, 0xF8}}},
         {0xF80000FF, 0x00FC00FF, 0x0000F8FF}},
        {"RGB 16-bit",
         {3,
          1,
          16,
          PNG_COLOR_TYPE_RGB,
          {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 1, 0x80, 0}}},
         {0x12569AFF, 0x000000FF, 0xFF0080FF}},
        {"RGBA 8-bit",
         {3, 1, 8, PNG_COLOR_TYPE_RGB_ALPHA, {{1, 2, 3, 0, 4, 5, 6, 127, 7, 8, 9, 255}}},
         {0x01020300, 0x0405067F, 0x070809FF}},
        {"RGBA 16-bit",
         {2,
          1,
          16,
          PNG_COLOR_TYPE_RGB_ALPHA,
          {{0xAA, 1, 0xBB, 2, 0xCC, 3, 0x7F, 0xFF, 0x01, 0xFF, 0x02, 0xFF, 0x03, 0xFF, 0x80, 0x00}}},
         {0xAABBCC7F, 0x01020380}},
        {"interlaced RGB",
         {2, 2, 8, PNG_COLOR_TYPE_RGB, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}, {}, {}, true},
         {0x010203FF, 0x040506FF, 0x070809FF, 0x0A0B0CFF}},
    };
    for (const Case &c : cases) {
        const std::vector<uint8_t> file = c.png.encode();
        Image image;
        std::string error;
        ASSERT_TRUE(decodePng(file.data(), file.size(), 4, image, error)) << c.what << ": " << error;
        EXPECT_EQ(image.width, c.png.width) << c.what;
        EXPECT_EQ(rgbaWords(image), c.expected) << c.what;

        Image rgb;
        ASSERT_TRUE(decodePng(file.data(), file.size(), 3, rgb, error)) << c.what << ": " << error;
        for (size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(uint32_t(rgb.pixels[3 * i]) << 16 | rgb.pixels[3 * i + 1] << 8 | rgb.pixels[3 * i + 2],
                      c.expected[i] >> 8)
                << c.what << ", pixel " << i << " without alpha";
    }
}

TEST(PngImage, WritesWholeFilesThatReadBackUnchanged) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("png_image_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    for (int32_t channels : {3, 4}) {
        Image image(3, 2, channels);
        for (size_t i = 0; i < image.pixels.size(); ++i)
            image.pixels[i] = uint8_t(i * 37 + 1);
        const std::string path = (dir / ("picture" + std::to_string(channels) + ".png")).string();
        std::string error;
        ASSERT_TRUE(writePng(path, image, error)) << error;
        Image back;
        ASSERT_TRUE(readPng(path, channels, back, error)) << error;
        EXPECT_TRUE(back.width == 3 && back.height == 2 && back.pixels == image.pixels) << channels << " channels";
    }
    // A failed write leaves the old file and nothing beside it.
    const std::string kept = (dir / "picture3.png").string();
    const auto before = std::filesystem::file_size(kept);
    std::string error;
    EXPECT_FALSE(writePng(kept, Image(), error));
    EXPECT_FALSE(writePng((dir / "no" / "such.png").string(), Image(1, 1, 3), error));
    EXPECT_NE(error.find("no/such.png"), std::string::npos) << error;
    EXPECT_EQ(std::filesystem::file_size(kept), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 2);
    std::filesystem::remove_all(dir);
}

TEST(PngImage, WritesGreyPicturesAndBlackAndWhiteAtOneBitPerPixel) {
    struct Case {
        std::vector<uint8_t> grey;  // 9 x 2: more than a byte of bits per row
        int bitDepth;
    };
    const std::vector<uint8_t> bilevel = {255, 0, 0, 255, 255, 0, 0, 0, 255, 0, 255, 0, 0, 0, 0, 0, 255, 0};
    std::vector<uint8_t> shades = bilevel;
    shades[4] = 0x80;
    for (const Case &c : {Case{bilevel, 1}, Case{shades, 8}}) {
        Image image(9, 2, 1);
        image.pixels = c.grey;
        std::vector<uint8_t> png;
        std::string error;
        ASSERT_TRUE(encodePng(image, png, error)) << error;
        EXPECT_EQ(png[24], c.bitDepth) << "bit depth in the header";
        Image back;
        ASSERT_TRUE(decodePng(png.data(), png.size(), 3, back, error)) << error;
        for (size_t p = 0; p < c.grey.size(); ++p)
            EXPECT_TRUE(back.pixels[3 * p] == c.grey[p] && back.pixels[3 * p + 2] == c.grey[p])
                << "pixel " << p << ": expected " << int(c.grey[p]) << ", got " << int(back.pixels[3 * p]);
    }
}

TEST(PngImage, RefusesDamagedFilesAndOversizedPicturesBeforeDecoding) {
    const std::vector<uint8_t> good =
        RawPng{2, 2, 8, PNG_COLOR_TYPE_RGB, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 1, 2, 3}}}.encode();
    Image image;
    std::string error;
    for (size_t cut : {size_t(0), size_t(7), size_t(20), good.size() / 2, good.size() - 13}) {
        EXPECT_FALSE(decodePng(good.data(), cut, 4, image, error)) << "cut at " << cut;
        EXPECT_FALSE(error.empty());
    }
    std::vector<uint8_t> flipped = good;
    flipped[good.size() / 2] ^= 0xFF;
    EXPECT_FALSE(decodePng(flipped.data(), flipped.size(), 4, image, error)) << "damaged data";

    // A header announcing 60000 x 60000 is refused with its size, whatever follows.
    std::vector<uint8_t> huge = good;
    const uint8_t side[4] = {0x00, 0x00, 0xEA, 0x60};
    std::copy(side, side + 4, huge.begin() + 16);
    std::copy(side, side + 4, huge.begin() + 20);
    const uint32_t crc = uint32_t(crc32(crc32(0, nullptr, 0), huge.data() + 12, 17));
    for (int i = 0; i < 4; ++i)
        huge[29 + i] = uint8_t(crc >> (24 - 8 * i));
    EXPECT_FALSE(decodePng(huge.data(), huge.size(), 4, image, error));
    EXPECT_NE(error.find("60000 x 60000"), std::string::npos) << error;
    PngLimits small;
    small.maxSide = 1;
    EXPECT_FALSE(decodePng(good.data(), good.size(), 4, image, error, small));
    EXPECT_FALSE(readPng("/no/such/picture.png", 4, image, error));
    EXPECT_NE(error.find("/no/such/picture.png"), std::string::npos) << error;
}

}  // namespace
