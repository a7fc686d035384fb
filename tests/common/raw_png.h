// PNG files made with libpng directly, in any colour type and bit depth, for
// tests of the readers.
#ifndef TESTS_COMMON_RAW_PNG_H
#define TESTS_COMMON_RAW_PNG_H

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <vector>

inline void appendBytes(png_structp png, png_bytep data, png_size_t count) {
    auto *out = static_cast<std::vector<uint8_t> *>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + count);
}

// A PNG, rows given as packed bytes in the file's own layout (big-endian 16-bit samples, sub-byte pixels packed high
// first).
struct RawPng {
    int width, height, bitDepth, colourType;
    std::vector<std::vector<uint8_t>> rows;
    std::vector<png_color> palette = {};
    std::vector<uint8_t> paletteAlpha = {};
    bool interlaced = false;

    std::vector<uint8_t> encode() const {
        std::vector<uint8_t> out;
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png)))
            ADD_FAILURE() << "libpng refused the test picture";
        else {
            png_set_write_fn(png, &out, appendBytes, nullptr);
            png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bitDepth, colourType,
                         interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                         PNG_FILTER_TYPE_DEFAULT);
            if (!palette.empty())
                png_set_PLTE(png, info, palette.data(), int(palette.size()));
            if (!paletteAlpha.empty())
                png_set_tRNS(png, info, paletteAlpha.data(), int(paletteAlpha.size()), nullptr);
            png_write_info(png, info);
            std::vector<png_bytep> pointers;
            for (const auto &row : rows)
                pointers.push_back(const_cast<png_bytep>(row.data()));
            png_write_image(png, pointers.data());
            png_write_end(png, nullptr);
        }
        png_destroy_write_struct(&png, &info);
        return out;
    }
};

#endif
