#include "platform/pixels.h"

#include <cstring>

namespace standin {

void copyRows(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch, int rowBytes,
              int rows) {
    for (int y = 0; y < rows; ++y)
        std::memmove(target + y * targetPitch, source + y * sourcePitch, (size_t)rowBytes);
}

// Keyed rows go in 32-byte blocks, each a compare and a blend. A row's last
// block ends at its last pixel and may overlap the one before (keying a
// pixel twice gives the same result); it is read before any of the row is
// written, so no read waits on an overlapping write. Rows narrower than a
// block go pixel by pixel. Each loop is built for AVX2 and for the baseline,
// chosen once when the program loads.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define PIXEL_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define PIXEL_LOOP
#endif
#define PIXEL_INLINE inline __attribute__((always_inline))

namespace {

constexpr int kBlockBytes = 32;
typedef uint16_t Block16 __attribute__((vector_size(kBlockBytes)));
typedef uint32_t Block32 __attribute__((vector_size(kBlockBytes)));

// The key tests, on one pixel and on a block (all ones where skipped). For
// 32-bit pixels only the colour bits count, not the unused top byte.
struct Key16 {
    uint16_t key;
    PIXEL_INLINE bool operator()(uint16_t value) const { return value == key; }
    PIXEL_INLINE Block16 operator()(Block16 values) const { return (Block16)(values == key); }
};
struct Key32 {
    uint32_t key;
    PIXEL_INLINE bool operator()(uint32_t value) const { return (value & 0x00FFFFFFu) == key; }
    PIXEL_INLINE Block32 operator()(Block32 values) const { return (Block32)((values & 0x00FFFFFFu) == key); }
};

template <typename Block, typename Key>
PIXEL_INLINE Block keyedBlock(const uint8_t *in, const uint8_t *out, Key skips) {
    Block values, kept;
    std::memcpy(&values, in, sizeof(Block));
    std::memcpy(&kept, out, sizeof(Block));
    Block skip = skips(values);
    return (kept & skip) | (values & ~skip);
}

template <typename Pixel, typename Block, typename Key>
PIXEL_INLINE void keyedRows(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch,
                            int width, int rows, Key skips) {
    const int rowBytes = width * (int)sizeof(Pixel);
    if (rowBytes < kBlockBytes) {
        for (int y = 0; y < rows; ++y) {
            Pixel *out = reinterpret_cast<Pixel *>(target + y * targetPitch);
            const Pixel *in = reinterpret_cast<const Pixel *>(source + y * sourcePitch);
            for (int x = 0; x < width; ++x)
                out[x] = skips(in[x]) ? out[x] : in[x];
        }
        return;
    }
    const int lastBlock = rowBytes - kBlockBytes;
    for (int y = 0; y < rows; ++y) {
        uint8_t *out = target + y * targetPitch;
        const uint8_t *in = source + y * sourcePitch;
        Block last = keyedBlock<Block>(in + lastBlock, out + lastBlock, skips);
        for (int x = 0; x < lastBlock; x += kBlockBytes) {
            Block result = keyedBlock<Block>(in + x, out + x, skips);
            std::memcpy(out + x, &result, kBlockBytes);
        }
        std::memcpy(out + lastBlock, &last, kBlockBytes);
    }
}

}  // namespace

PIXEL_LOOP void copyKeyed16(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch,
                            int width, int rows, uint16_t key) {
    keyedRows<uint16_t, Block16>(target, targetPitch, source, sourcePitch, width, rows, Key16{key});
}

PIXEL_LOOP void copyKeyed32(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch,
                            int width, int rows, uint32_t key) {
    keyedRows<uint32_t, Block32>(target, targetPitch, source, sourcePitch, width, rows, Key32{key});
}

PIXEL_LOOP void fill16(uint8_t *target, ptrdiff_t pitch, int width, int rows, uint16_t value) {
    for (int y = 0; y < rows; ++y) {
        uint16_t *out = reinterpret_cast<uint16_t *>(target + y * pitch);
        for (int x = 0; x < width; ++x)
            out[x] = value;
    }
}

PIXEL_LOOP void fill32(uint8_t *target, ptrdiff_t pitch, int width, int rows, uint32_t value) {
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

}  // namespace standin
