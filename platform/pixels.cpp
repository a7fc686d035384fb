#include "platform/pixels.h"

#include <cstring>

namespace standin {

void copyRows(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch,
              int rowBytes, int rows) {
    for (int y = 0; y < rows; ++y)
        std::memmove(target + y * targetPitch, source + y * sourcePitch, (size_t)rowBytes);
}

// The key test is one unsigned compare: v - low wraps above high - low for
// every v below low.
void copyKeyed16(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch,
                 int width, int rows, uint16_t low, uint16_t high) {
    const uint16_t span = (uint16_t)(high - low);
    for (int y = 0; y < rows; ++y) {
        uint16_t *out = reinterpret_cast<uint16_t *>(target + y * targetPitch);
        const uint16_t *in = reinterpret_cast<const uint16_t *>(source + y * sourcePitch);
        for (int x = 0; x < width; ++x) {
            uint16_t value = in[x];
            out[x] = (uint16_t)(value - low) <= span ? out[x] : value;
        }
    }
}

void copyKeyed32(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch,
                 int width, int rows, uint32_t low, uint32_t high) {
    const uint32_t span = high - low;
    for (int y = 0; y < rows; ++y) {
        uint32_t *out = reinterpret_cast<uint32_t *>(target + y * targetPitch);
        const uint32_t *in = reinterpret_cast<const uint32_t *>(source + y * sourcePitch);
        for (int x = 0; x < width; ++x) {
            uint32_t value = in[x];
            out[x] = ((value & 0x00FFFFFFu) - low) <= span ? out[x] : value;
        }
    }
}

void fill16(uint8_t *target, ptrdiff_t pitch, int width, int rows, uint16_t value) {
    for (int y = 0; y < rows; ++y) {
        uint16_t *out = reinterpret_cast<uint16_t *>(target + y * pitch);
        for (int x = 0; x < width; ++x)
            out[x] = value;
    }
}

void fill32(uint8_t *target, ptrdiff_t pitch, int width, int rows, uint32_t value) {
    for (int y = 0; y < rows; ++y) {
        uint32_t *out = reinterpret_cast<uint32_t *>(target + y * pitch);
        for (int x = 0; x < width; ++x)
            out[x] = value;
    }
}

void stretchRows(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch,
                 int bytesPerPixel, const int *sourceColumns, int width, const int *sourceRows, int rows) {
    for (int y = 0; y < rows; ++y) {
        const uint8_t *in = source + sourceRows[y] * sourcePitch;
        uint8_t *out = target + y * targetPitch;
        if (bytesPerPixel == 2) {
            for (int x = 0; x < width; ++x)
                std::memcpy(out + 2 * x, in + 2 * sourceColumns[x], 2);
        } else {
            for (int x = 0; x < width; ++x)
                std::memcpy(out + 4 * x, in + 4 * sourceColumns[x], 4);
        }
    }
}

} // namespace standin
