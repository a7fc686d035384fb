#include "tools/frame_compare/frame_image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>

namespace {

Image picture(int32_t width, int32_t height, std::vector<uint8_t> rgb) {
    Image image(width, height, 3);
    image.pixels = std::move(rgb);
    return image;
}

// An XWD file as an X server writes it: 25 big-endian fields, a name, no
// colour entries unless asked, then the rows.
std::vector<uint8_t> makeXwd(uint32_t width, uint32_t height, uint32_t bitsPerPixel, uint32_t bytesPerLine,
                             bool msbFirst, const std::vector<uint32_t> &pixels, uint32_t colourCount = 0) {
    const char name[] = "xwdump";
    uint32_t headerSize = 100 + sizeof name;
    uint32_t fields[25] = {headerSize, 7, 2,   24,           width,        height, 0,        msbFirst ? 1u : 0u,
                           32,         0, 32,  bitsPerPixel, bytesPerLine, 4,      0xFF0000, 0x00FF00,
                           0x0000FF,   8, 256, colourCount,  width,        height, 0,        0,
                           0};
    std::vector<uint8_t> file;
    for (uint32_t field : fields)
        for (int shift = 24; shift >= 0; shift -= 8)
            file.push_back(uint8_t(field >> shift));
    file.insert(file.end(), name, name + sizeof name);
    file.resize(file.size() + size_t(colourCount) * 12, 0);
    uint32_t bytesPerPixel = bitsPerPixel / 8;
    for (uint32_t y = 0; y < height; ++y) {
        size_t rowStart = file.size();
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t pixel = pixels[y * width + x];
            for (uint32_t b = 0; b < bytesPerPixel; ++b) {
                uint32_t shift = msbFirst ? 8 * (bytesPerPixel - 1 - b) : 8 * b;
                file.push_back(uint8_t(pixel >> shift));
            }
        }
        file.resize(rowStart + bytesPerLine, 0xEE);
    }
    return file;
}

std::string rgbAt(const Image &image, int x, int y) {
    const uint8_t *p = &image.pixels[(size_t(y) * image.width + x) * 3];
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", p[0], p[1], p[2]);
    return text;
}

// 3 x 2, every pixel different, so a swap of channels, rows or columns shows.
const std::vector<uint32_t> kPixels = {0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0, 0x010203};
const char *const kRgb[6] = {"102030", "405060", "708090", "a0b0c0", "d0e0f0", "010203"};

// A 3 x 2 picture's pixels, row after row.
void expectPixels(const Image &image, const char *const (&expected)[6]) {
    ASSERT_EQ(std::make_pair(image.width, image.height), std::make_pair(3, 2));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(rgbAt(image, i % 3, i / 3), expected[i]) << "pixel " << i % 3 << "," << i / 3;
}

TEST(ReadXwd, ReadsBothByteOrdersAndPaddedRows) {
    for (const auto &[bitsPerPixel, bytesPerLine, msbFirst, colours] :
         {std::tuple{32u, 16u, false, 2u}, {32u, 12u, true, 0u}, {24u, 12u, false, 0u}}) {
        SCOPED_TRACE(std::to_string(bitsPerPixel) + " bits, " + std::to_string(bytesPerLine) + " bytes a row" +
                     (msbFirst ? ", most significant byte first" : ""));
        Image image;
        std::string error;
        ASSERT_TRUE(readXwd(makeXwd(3, 2, bitsPerPixel, bytesPerLine, msbFirst, kPixels, colours), image, error))
            << error;
        expectPixels(image, kRgb);
    }
}

TEST(ReadXwd, DirectColorGoesThroughTheColourEntries) {
    // What an X server dumps while a window of a DirectColor visual is up:
    // here entries that turn every channel value v into 255 - v.
    std::vector<uint8_t> file = makeXwd(3, 2, 32, 12, false, kPixels, 256);
    file[13 * 4 + 3] = 5;  // visual class DirectColor
    const size_t entries = 100 + sizeof "xwdump";
    for (uint32_t v = 0; v < 256; ++v) {
        uint8_t *entry = &file[entries + v * 12];
        const uint8_t value[12] = {
            0, uint8_t(v), uint8_t(v), uint8_t(v), uint8_t(255 - v), 0, uint8_t(255 - v), 0, uint8_t(255 - v), 0, 7, 0};
        std::memcpy(entry, value, 12);
    }
    Image image;
    std::string error;
    ASSERT_TRUE(readXwd(file, image, error)) << error;
    expectPixels(image, {"efdfcf", "bfaf9f", "8f7f6f", "5f4f3f", "2f1f0f", "fefdfc"});
}

TEST(ReadXwd, RefusesDamagedFiles) {
    Image image;
    std::string error;
    std::vector<uint8_t> good = makeXwd(3, 2, 32, 12, false, kPixels);
    std::vector<uint8_t> truncated(good.begin(), good.end() - 1);
    EXPECT_FALSE(readXwd(truncated, image, error));
    std::vector<uint8_t> header(good.begin(), good.begin() + 60);
    EXPECT_FALSE(readXwd(header, image, error));
    EXPECT_FALSE(readXwd(makeXwd(3, 2, 32, 8, false, kPixels), image, error)) << "rows shorter than the width";
    EXPECT_FALSE(readXwd(makeXwd(3, 2, 16, 12, false, kPixels), image, error)) << "16 bits per pixel";
    std::vector<uint8_t> huge = good;
    huge[19] = 0x7F;  // width 0x7F00007F
    huge[16] = 0x7F;
    EXPECT_FALSE(readXwd(huge, image, error));
    std::vector<uint8_t> colours = good;
    colours[76] = 0xFF;  // 0xFF000000 colour entries: far past the end
    EXPECT_FALSE(readXwd(colours, image, error));
}

TEST(Compare565, IgnoresBitsBelowTheDisplayPrecisionOnly) {
    Image expected = picture(2, 1, {0xF8, 0xFC, 0xF8, 0x00, 0x00, 0x00});
    Image same = picture(
        3, 2,
        {0xFF, 0xFF, 0xFF, 0x07, 0x03, 0x07, 0x55, 0x55, 0x55, 0x12, 0x34, 0x56, 0x12, 0x34, 0x56, 0x12, 0x34, 0x56});
    EXPECT_EQ(compare565(expected, cropPart(same, 0, 0, 2, 1)).pixels, 0);

    Image greenStep = picture(2, 1, {0xF8, 0xFC, 0xF8, 0x00, 0x04, 0x00});
    FrameDifference difference = compare565(expected, greenStep);
    EXPECT_EQ(difference.pixels, 1);
    EXPECT_EQ(rgbAt(difference.marked, 1, 0), "ff0000");
    EXPECT_EQ(rgbAt(difference.marked, 0, 0), "3e3f3e");

    Image redStep = picture(2, 1, {0xF0, 0xFC, 0xF8, 0x00, 0x00, 0x00});
    EXPECT_EQ(compare565(expected, redStep).pixels, 1);
}

TEST(FramePart, CropsAtAnOffsetAndScalesUpInWholeBlocks) {
    Image image;
    std::string error;
    ASSERT_TRUE(readXwd(makeXwd(3, 2, 32, 12, false, kPixels), image, error)) << error;

    const Image part = cropPart(image, 1, 1, 2, 1);
    ASSERT_EQ(std::make_pair(part.width, part.height), std::make_pair(2, 1));
    EXPECT_EQ(rgbAt(part, 0, 0), "d0e0f0");
    EXPECT_EQ(rgbAt(part, 1, 0), "010203");

    const Image large = scaleUp(image, 2);  // each pixel a 2 x 2 block
    ASSERT_EQ(std::make_pair(large.width, large.height), std::make_pair(6, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(rgbAt(large, x, y), kRgb[y / 2 * 3 + x / 2]) << "pixel " << x << "," << y;
    // The enlarged picture found again at an offset inside a larger one.
    Image screen(8, 5, 3);
    for (int y = 0; y < 4; ++y)
        std::memcpy(&screen.pixels[(size_t(y + 1) * 8 + 2) * 3], &large.pixels[size_t(y) * 6 * 3], 6 * 3);
    EXPECT_EQ(compare565(large, cropPart(screen, 2, 1, 6, 4)).pixels, 0);
    EXPECT_EQ(compare565(large, cropPart(screen, 1, 1, 6, 4)).pixels, 12)
        << "one column off: the first column of every block";
}

}  // namespace
