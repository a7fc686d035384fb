// Pictures for comparing a screenshot with a reference frame: three-channel
// Images (common/png_image.h), read from PNG files there or from X window
// dumps here.
#ifndef TOOLS_FRAME_COMPARE_FRAME_IMAGE_H
#define TOOLS_FRAME_COMPARE_FRAME_IMAGE_H

#include "common/png_image.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t kMaxSide = 8192;

// An X window dump (XWD version 7, 24 or 32 bits per pixel, TrueColor). Every
// size is checked against the file before reading; pictures larger than
// kMaxSide on a side are refused. On failure a message is left in error.
bool readXwd(const std::vector<uint8_t> &file, Image &image, std::string &error);

struct FrameDifference {
    int64_t pixels = 0;  // pixels that differ at 5-6-5 precision
    Image marked;        // the expected picture dimmed, differing pixels in bright red
};

// Compares got, from its top-left corner, with the whole of expected at the
// precision of a 5-6-5 display: the top 5, 6 and 5 bits of red, green and
// blue. got must be at least as large as expected. Prints the first few
// differences, expected against got, to stdout.
FrameDifference compare565(const Image &expected, const Image &got);

// The width x height part of image whose top-left corner is (x, y); the part
// must lie inside image.
Image cropPart(const Image &image, int32_t x, int32_t y, int32_t width, int32_t height);

// image enlarged by a whole factor: each pixel becomes a factor x factor block,
// as a display scaling nearest-neighbour shows it.
Image scaleUp(const Image &image, int32_t factor);

#endif
