// The pixel loops behind every software blit: fill, copy, keyed copy and the
// 50% mix, one per display pixel format (client/display/display.h). Both the
// display and the stand-in's surfaces draw through them.
//
// Contract of every call:
// - target and source address the first pixel of the area; rows start pitch
//   bytes apart (pitch > 0); width counts pixels, rows counts rows, both >= 1.
// - Nothing is checked or clipped here: the caller cuts the area to both
//   surfaces first (common/rect.h) and passes only what lies inside them.
// - Source and target areas do not overlap.
// - Keys: a source pixel whose colour bits equal key is left out. The colour
//   bits are the whole 16-bit pixel, the 3 bytes of a 24-bit one and the low
//   24 bits of a 32-bit one; a key wider than them matches nothing.
//
// Each loop is built for AVX-512BW, AVX2 and the x86-64 baseline; the first
// call picks the best one the CPU runs. Every variant gives the same pixels.
#ifndef COMMON_PIXEL_KERNELS_H
#define COMMON_PIXEL_KERNELS_H

#include <cstddef>
#include <cstdint>

namespace pixels {

void fill16(uint8_t *target, ptrdiff_t pitch, int width, int rows, uint16_t value);
void fill32(uint8_t *target, ptrdiff_t pitch, int width, int rows, uint32_t value);

// rowBytes bytes of each row.
void copy(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch, int rowBytes, int rows);

// Copies the source pixels that are not the key; the others keep the target.
void copyKeyed16(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch, int width,
                 int rows, uint32_t key);
void copyKeyed32(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch, int width,
                 int rows, uint32_t key);

// The even mix: where the source pixel s is not the key, the target pixel t
// becomes ((s >> 1) & mask) + ((t >> 1) & mask), each channel halved with its
// low bit dropped, so no channel carries into the next. mask is 0x7BEF for
// 5-6-5 and 0x3DEF for 5-5-5 pixels, 0x7F7F7F for 24 and 32 bits; the fourth
// byte of a 32-bit target keeps its value.
void mix16(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch, int width, int rows,
           uint16_t mask, uint32_t key);
void mix24(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch, int width, int rows,
           uint32_t key);
void mix32(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch, int width, int rows,
           uint32_t key);

// The variants behind the calls above, for tests and benchmarks.
enum class Level { baseline, avx2, avx512bw };
struct Kernels {
    const char *name;
    void (*fill16)(uint8_t *, ptrdiff_t, int, int, uint16_t);
    void (*fill32)(uint8_t *, ptrdiff_t, int, int, uint32_t);
    void (*copyKeyed16)(uint8_t *, ptrdiff_t, const uint8_t *, ptrdiff_t, int, int, uint32_t);
    void (*copyKeyed32)(uint8_t *, ptrdiff_t, const uint8_t *, ptrdiff_t, int, int, uint32_t);
    void (*mix16)(uint8_t *, ptrdiff_t, const uint8_t *, ptrdiff_t, int, int, uint16_t, uint32_t);
    void (*mix32)(uint8_t *, ptrdiff_t, const uint8_t *, ptrdiff_t, int, int, uint32_t);
};
bool cpuRuns(Level level);
// The loops built for a level; call them only when cpuRuns(level).
const Kernels &kernelsFor(Level level);

}  // namespace pixels

#endif
