// Conversions of stored sprite pixels (layouts beside pixelData in
// common/sprite_records.h): into one display pixel (formats in
// client/display/display.h), and to and from 8-bit red, green, blue and alpha
// (alpha 0 transparent, 255 opaque). Shifts and masks only, inline, so the
// loops that call them per pixel vectorise. Every operation is on 8-bit
// values: bits shifted past bit 7 are lost.
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
// 6 and 5 bits of red, green and blue. It is 0, the colour key, for every
// colour with red and blue below 8 and green below 4.
inline void convert24To16(uint8_t blue, uint8_t green, uint8_t red, uint8_t *out) {
    const uint16_t word = uint16_t((red & 0xF8) << 8 | (green & 0xFC) << 3 | blue >> 3);
    out[0] = uint8_t(word);
    out[1] = uint8_t(word >> 8);
}

// An 8-bit colour as a stored 16-bit pixel: the top 5 bits of each channel,
// the spare bit (0 or 1) as given.
inline void packStored16(uint8_t red, uint8_t green, uint8_t blue, uint8_t spare, uint8_t *out) {
    out[0] = uint8_t((blue & 0xF8) | (green >> 5));
    out[1] = uint8_t(((green << 3) & 0xC0) | ((red >> 2) & 0x3E) | spare);
}

// An 8-bit colour as a stored 24-bit pixel.
inline void packStored24(uint8_t red, uint8_t green, uint8_t blue, uint8_t *out) {
    out[0] = blue;
    out[1] = green;
    out[2] = red;
}

// Pictures of stored pixels. A 5-bit channel v reads as (v << 3) | (v >> 2),
// so 0 and 31 become 0 and 255. A stored pixel whose bytes are all 0 reads
// as transparent (alpha 0), every other one as opaque (alpha 255). The spare
// bit of a 16-bit pixel does not show; it is handed out separately (0 or 1).
inline void stored16ToRgba(uint8_t b0, uint8_t b1, uint8_t *rgba, uint8_t *spare) {
    const uint8_t red = (b1 >> 1) & 0x1F, green = uint8_t(((b0 & 0x07) << 2) | (b1 >> 6)), blue = b0 >> 3;
    rgba[0] = uint8_t((red << 3) | (red >> 2));
    rgba[1] = uint8_t((green << 3) | (green >> 2));
    rgba[2] = uint8_t((blue << 3) | (blue >> 2));
    rgba[3] = (b0 | b1) ? 0xFF : 0x00;
    *spare = b1 & 0x01;
}

inline void stored24ToRgba(uint8_t blue, uint8_t green, uint8_t red, uint8_t *rgba) {
    rgba[0] = red;
    rgba[1] = green;
    rgba[2] = blue;
    rgba[3] = (blue | green | red) ? 0xFF : 0x00;
}

// Storing a picture: alpha below 128 stores 0, the transparent value. An
// opaque pixel never stores a value that a 16-bit display shows as the
// colour key: where it would, blue gets the smallest value that survives the
// reduction (1 of 31 for 16 bits, 8 for 24 bits). A 24-bit pixel marked
// keepDark keeps its bytes even so, so that pictures of such pixels store
// back exactly. The spare bit is stored only for opaque pixels.
inline void rgbaToStored16(const uint8_t *rgba, uint8_t spare, uint8_t *out) {
    const uint8_t opaque = rgba[3] >> 7;
    packStored16(rgba[0], rgba[1], rgba[2], spare & 1, out);
    out[0] &= uint8_t(-opaque);
    out[1] &= uint8_t(-opaque);
    out[0] |= uint8_t(((out[0] | out[1]) == 0) & opaque) << 3;
}

inline void rgbaToStored24(const uint8_t *rgba, uint8_t keepDark, uint8_t *out) {
    const uint8_t opaque = rgba[3] >> 7;
    const uint8_t keyed = ((rgba[0] >> 3) | (rgba[1] >> 2) | (rgba[2] >> 3)) == 0;
    const uint8_t bump = keyed & ~keepDark & 1;
    packStored24(rgba[0], rgba[1], rgba[2], out);
    out[0] = uint8_t(((out[0] & uint8_t(bump - 1)) | (bump << 3)) & -opaque);
    out[1] &= uint8_t(-opaque);
    out[2] &= uint8_t(-opaque);
}

#endif
