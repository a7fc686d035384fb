// The project's one PNG reader and writer, over libpng.
//
// Image: width x height pixels, rows top down with no padding, `channels`
// bytes per pixel, 8 bits per channel: 3 is red, green, blue; 4 adds alpha
// (0 transparent, 255 opaque); 1 is grey, for writing only. The image owns
// its bytes.
//
// Writing takes 1, 3 or 4 channels; a grey picture whose every value is 0 or
// 255 is written with one bit per pixel.
//
// Reading takes any PNG colour type and bit depth and converts it exactly:
// palettes and grey expand to red, green and blue, 16-bit channels keep their
// high byte, grey below 8 bits is scaled to full range, a transparency chunk
// becomes alpha, and a missing alpha reads as 255 (dropped alpha is ignored).
// No gamma is applied. The picture's size is checked against the limits
// before any pixel is decoded.
#ifndef COMMON_PNG_IMAGE_H
#define COMMON_PNG_IMAGE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = 4;
    std::vector<uint8_t> pixels;

    Image() = default;
    Image(int32_t w, int32_t h, int32_t c) : width(w), height(h), channels(c), pixels(size_t(w) * h * c) {}
    uint8_t *at(int32_t x, int32_t y) { return &pixels[(size_t(y) * width + x) * channels]; }
    const uint8_t *at(int32_t x, int32_t y) const { return &pixels[(size_t(y) * width + x) * channels]; }
};

struct PngLimits {
    int32_t maxSide = 16384;                // pixels, either side
    uint64_t maxBytes = uint64_t(1) << 30;  // of the decoded image
};

// Each returns false with a one-line reason in error.
bool decodePng(const uint8_t *data, size_t size, int32_t channels, Image &image, std::string &error,
               const PngLimits &limits = PngLimits());
bool readPng(const std::string &path, int32_t channels, Image &image, std::string &error,
             const PngLimits &limits = PngLimits());

bool encodePng(const Image &image, std::vector<uint8_t> &png, std::string &error);
// Written beside the path and renamed into place (common/replace_file.h).
bool writePng(const std::string &path, const Image &image, std::string &error);

#endif
