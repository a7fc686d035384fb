// Pictures for comparing a screenshot with a reference frame.
//
// RgbImage: width x height pixels, rows top down with no padding, three
// bytes per pixel (red, green, blue); the image owns its bytes. The readers
// accept an X window dump (XWD, 24 or 32 bits per pixel, TrueColor) or an
// 8-bit PNG. They check
// every size against the file before reading and refuse pictures larger
// than kMaxSide on a side; on failure they leave a message in error.
#ifndef TOOLS_FRAME_COMPARE_FRAME_IMAGE_H
#define TOOLS_FRAME_COMPARE_FRAME_IMAGE_H

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t kMaxSide = 8192;

struct RgbImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;
};

bool readXwd(const std::vector<uint8_t> &file, RgbImage &image, std::string &error);
bool readPngFile(const std::string &path, RgbImage &image, std::string &error);
bool writePngFile(const std::string &path, const RgbImage &image);

struct FrameDifference {
    int64_t pixels = 0;  // pixels that differ at 5-6-5 precision
    RgbImage marked;     // the expected picture dimmed, differing pixels in bright red
};

// Compares got, from its top-left corner, with the whole of expected at the
// precision of a 5-6-5 display: the top 5, 6 and 5 bits of red, green and
// blue. got must be at least as large as expected. Prints the first few
// differences, expected against got, to stdout.
FrameDifference compare565(const RgbImage &expected, const RgbImage &got);

// The top-left width x height part of image (which must be large enough).
RgbImage cropTopLeft(const RgbImage &image, int32_t width, int32_t height);

#endif
