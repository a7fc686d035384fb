// A frame's pixel block as a picture and back, pixel by pixel by the rules
// of common/stored_pixels.h. Blocks hold width x height whole pixels in the
// stored layouts of common/sprite_records.h; pictures are 4-channel images
// (common/png_image.h) of the same size.
//
// What a picture cannot show travels beside it: for 16 bits the spare bits,
// one byte (0 or 1) per pixel; for 24 bits the keepDark marks, one byte
// (0 or 1) per pixel, of the opaque pixels that a 16-bit display would show
// as its colour key. Storing a picture with its marks gives back the block.
#ifndef CLI_FRAME_PIXELS_H
#define CLI_FRAME_PIXELS_H

#include "common/png_image.h"

#include <cstdint>
#include <vector>

// Each fills picture (already sized) and marks (one per pixel), and returns
// whether any mark is set.
bool pictureOf16(const uint8_t *block, Image &picture, std::vector<uint8_t> &spareBits);
bool pictureOf24(const uint8_t *block, Image &picture, std::vector<uint8_t> &keepDark);

// marks is null or holds one byte per pixel.
void store16(const Image &picture, const uint8_t *spareBits, uint8_t *block);
void store24(const Image &picture, const uint8_t *keepDark, uint8_t *block);

#endif
