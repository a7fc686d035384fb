// Conversions of one stored sprite pixel (layouts beside pixelData in
// common/sprite_records.h) into one display pixel (formats in
// client/display/display.h). Shifts and masks only, inline, so the loops that
// call them per pixel vectorise. Every operation is on 8-bit values: bits
// shifted past bit 7 are lost.
#ifndef COMMON_STORED_PIXELS_H
#define COMMON_STORED_PIXELS_H

#include <cstdint>

// A stored 16-bit pixel as a 5-6-5 display word, low byte first. Green's
// lowest bit is 0; the spare bit is not masked off and lands in the top
// green bit.
inline void convert16To16(uint8_t b0, uint8_t b1, uint8_t *out) {
    out[0] = uint8_t((b1 & 0xC0) | (b0 >> 3));
    out[1] = uint8_t((b0 & 0x07) | (b1 << 2));
}

// A stored 16-bit pixel as the blue, green and red bytes of a 32-bit display
// pixel (the fourth byte is not written); the spare bit lands in bit 2 of red.
inline void convert16To32(uint8_t b0, uint8_t b1, uint8_t *out) {
    out[0] = uint8_t(b0 & 0xF8);
    out[1] = uint8_t(((b0 & 0x07) << 5) | ((b1 >> 3) & 0x18));
    out[2] = uint8_t(b1 << 2);
}

// A stored 24-bit pixel as a 5-6-5 display word, low byte first: the top 5,
// 6 and 5 bits of red, green and blue.
inline void convert24To16(uint8_t blue, uint8_t green, uint8_t red, uint8_t *out) {
    const uint16_t word = uint16_t((red & 0xF8) << 8 | (green & 0xFC) << 3 | blue >> 3);
    out[0] = uint8_t(word);
    out[1] = uint8_t(word >> 8);
}

#endif
