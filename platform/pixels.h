// Clip-free pixel loops behind the software surfaces. Callers validate and
// clip first; every pointer here addresses the first pixel of the area, rows
// start pitch bytes apart, widths are in pixels, all counts are positive.
#ifndef PLATFORM_PIXELS_H
#define PLATFORM_PIXELS_H

#include <cstddef>
#include <cstdint>

namespace standin {

void copyRows(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch, int rowBytes,
              int rows);

// Keyed copies: a source pixel equal to the key (for 32-bit, whose colour
// bits v & 0xFFFFFF equal it) is skipped; the rest are copied whole.
void copyKeyed16(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch, int width,
                 int rows, uint16_t key);
void copyKeyed32(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch, int width,
                 int rows, uint32_t key);

void fill16(uint8_t *target, ptrdiff_t pitch, int width, int rows, uint16_t value);
void fill32(uint8_t *target, ptrdiff_t pitch, int width, int rows, uint32_t value);

// Nearest-neighbour stretch: target pixel (x, y) of the area takes source
// pixel (sourceColumns[x], sourceRows[y]), both relative to source.
void stretchRows(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch,
                 int bytesPerPixel, const int *sourceColumns, int width, const int *sourceRows, int rows);

}  // namespace standin

#endif
