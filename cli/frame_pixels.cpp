#include "cli/frame_pixels.h"

#include "common/stored_pixels.h"

#include <algorithm>

namespace {

bool anySet(const std::vector<uint8_t> &marks) {
    return std::find(marks.begin(), marks.end(), uint8_t(1)) != marks.end();
}

}  // namespace

bool pictureOf16(const uint8_t *block, Image &picture, std::vector<uint8_t> &spareBits) {
    const size_t count = picture.pixels.size() / 4;
    spareBits.resize(count);
    uint8_t *rgba = picture.pixels.data();
    uint8_t *spare = spareBits.data();
    for (size_t p = 0; p < count; ++p)
        stored16ToRgba(block[2 * p], block[2 * p + 1], rgba + 4 * p, spare + p);
    return anySet(spareBits);
}

bool pictureOf24(const uint8_t *block, Image &picture, std::vector<uint8_t> &keepDark) {
    const size_t count = picture.pixels.size() / 4;
    keepDark.resize(count);
    uint8_t *rgba = picture.pixels.data();
    uint8_t *dark = keepDark.data();
    for (size_t p = 0; p < count; ++p) {
        const uint8_t *bgr = block + 3 * p;
        stored24ToRgba(bgr[0], bgr[1], bgr[2], rgba + 4 * p);
        uint8_t stored[3];
        rgbaToStored24(rgba + 4 * p, 0, stored);
        dark[p] = stored[0] != bgr[0];
    }
    return anySet(keepDark);
}

void store16(const Image &picture, const uint8_t *spareBits, uint8_t *block) {
    const size_t count = picture.pixels.size() / 4;
    const uint8_t *rgba = picture.pixels.data();
    if (spareBits) {
        for (size_t p = 0; p < count; ++p)
            rgbaToStored16(rgba + 4 * p, spareBits[p], block + 2 * p);
    } else {
        for (size_t p = 0; p < count; ++p)
            rgbaToStored16(rgba + 4 * p, 0, block + 2 * p);
    }
}

void store24(const Image &picture, const uint8_t *keepDark, uint8_t *block) {
    const size_t count = picture.pixels.size() / 4;
    const uint8_t *rgba = picture.pixels.data();
    if (keepDark) {
        for (size_t p = 0; p < count; ++p)
            rgbaToStored24(rgba + 4 * p, keepDark[p], block + 3 * p);
    } else {
        for (size_t p = 0; p < count; ++p)
            rgbaToStored24(rgba + 4 * p, 0, block + 3 * p);
    }
}
