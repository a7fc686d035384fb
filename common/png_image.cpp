#include "common/png_image.h"

#include "common/replace_file.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

// libpng reports errors by longjmp; the message is kept here on the way out.
struct Failure {
    char message[200] = "";
};

void onError(png_structp png, png_const_charp message) {
    auto *failure = static_cast<Failure *>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

struct Source {
    const uint8_t *data;
    size_t size;
    size_t offset;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto *source = static_cast<Source *>(png_get_io_ptr(png));
    if (count > source->size - source->offset)
        png_error(png, "the file ends inside the picture");
    std::memcpy(out, source->data + source->offset, count);
    source->offset += count;
}

void writeToMemory(png_structp png, png_bytep data, png_size_t count) {
    auto *out = static_cast<std::vector<uint8_t> *>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + count);
}

void flushNothing(png_structp) {}

// The parts that may longjmp hold no C++ objects with destructors; rows and
// image memory are owned by the callers.
bool readHeader(png_structp png, png_infop info, Source *source, png_uint_32 *width, png_uint_32 *height) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, source, readFromMemory);
    png_read_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    return true;
}

bool readPixels(png_structp png, png_infop info, int32_t channels, png_bytep *rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    const int colourType = png_get_color_type(png, info);
    png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, transparency chunk to alpha
    png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (channels == 4)
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    else
        png_set_strip_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != png_get_image_width(png, info) * png_uint_32(channels))
        png_error(png, "unexpected row layout after conversion");
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

bool writePixels(png_structp png, png_infop info, const Image &image, int bitDepth, std::vector<uint8_t> *out,
                 png_bytep *rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, out, writeToMemory, flushNothing);
    const int colourType = image.channels == 4   ? PNG_COLOR_TYPE_RGB_ALPHA
                           : image.channels == 3 ? PNG_COLOR_TYPE_RGB
                                                 : PNG_COLOR_TYPE_GRAY;
    png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), bitDepth, colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool decodePng(const uint8_t *data, size_t size, int32_t channels, Image &image, std::string &error,
               const PngLimits &limits) {
    if (channels != 3 && channels != 4) {
        error = "pictures are read with 3 or 4 channels";
        return false;
    }
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        error = "not a PNG file";
        return false;
    }
    Failure failure;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &failure, onError, onWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(png ? &png : nullptr, nullptr, nullptr);
        error = "out of memory";
        return false;
    }
    // No limit of libpng's own stands in the way of ours.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    Source source{data, size, 0};
    png_uint_32 width = 0, height = 0;
    bool ok = readHeader(png, info, &source, &width, &height);
    if (!ok) {
        error = std::string("damaged PNG: ") + failure.message;
    } else if (width > png_uint_32(limits.maxSide) || height > png_uint_32(limits.maxSide) ||
               uint64_t(width) * height * uint64_t(channels) > limits.maxBytes) {
        error = "the picture is " + std::to_string(width) + " x " + std::to_string(height) + " pixels, more than the " +
                std::to_string(limits.maxSide) + " a side or " + std::to_string(limits.maxBytes >> 20) +
                " MiB this reads";
        ok = false;
    } else {
        Image decoded(int32_t(width), int32_t(height), channels);
        std::vector<png_bytep> rows(height);
        for (png_uint_32 y = 0; y < height; ++y)
            rows[y] = decoded.at(0, int32_t(y));
        ok = readPixels(png, info, channels, rows.data());
        if (ok)
            image = std::move(decoded);
        else
            error = std::string("damaged PNG: ") + failure.message;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return ok;
}

bool readPng(const std::string &path, int32_t channels, Image &image, std::string &error, const PngLimits &limits) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot open: " + std::strerror(errno);
        return false;
    }
    // A PNG compresses at best about 1000:1, so a file the limits could
    // never decode is refused before it is read whole.
    file.seekg(0, std::ios::end);
    const std::streamoff length = file.tellg();
    file.seekg(0, std::ios::beg);
    if (length < 0 || uint64_t(length) > limits.maxBytes) {
        error = path + ": too large for a picture";
        return false;
    }
    std::vector<uint8_t> bytes((size_t(length)));
    if (!file.read(reinterpret_cast<char *>(bytes.data()), length)) {
        error = path + ": cannot read";
        return false;
    }
    if (!decodePng(bytes.data(), bytes.size(), channels, image, error, limits)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool encodePng(const Image &image, std::vector<uint8_t> &out, std::string &error) {
    if (image.width <= 0 || image.height <= 0 || image.channels < 1 || image.channels == 2 || image.channels > 4 ||
        image.pixels.size() != size_t(image.width) * image.height * image.channels) {
        error = "no picture to write";
        return false;
    }
    Failure failure;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, onError, onWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(png ? &png : nullptr, nullptr);
        error = "out of memory";
        return false;
    }
    // A grey picture of only black and white goes out at one bit per pixel,
    // eight to a byte, the first pixel in the high bit.
    const bool bilevel = image.channels == 1 && std::all_of(image.pixels.begin(), image.pixels.end(),
                                                            [](uint8_t v) { return v == 0 || v == 0xFF; });
    const size_t packedRowBytes = (size_t(image.width) + 7) / 8;
    std::vector<uint8_t> packed(bilevel ? packedRowBytes * size_t(image.height) : 0, 0);
    std::vector<png_bytep> rows(size_t(image.height));
    for (int32_t y = 0; y < image.height; ++y) {
        rows[size_t(y)] = const_cast<png_bytep>(image.at(0, y));
        if (!bilevel)
            continue;
        uint8_t *row = &packed[size_t(y) * packedRowBytes];
        for (int32_t x = 0; x < image.width; ++x)
            row[x >> 3] |= uint8_t((image.at(x, y)[0] & 0x80) >> (x & 7));
        rows[size_t(y)] = row;
    }
    out.clear();
    const bool ok = writePixels(png, info, image, bilevel ? 1 : 8, &out, rows.data());
    if (!ok)
        error = std::string("cannot encode the picture: ") + failure.message;
    png_destroy_write_struct(&png, &info);
    return ok;
}

bool writePng(const std::string &path, const Image &image, std::string &error) {
    std::vector<uint8_t> bytes;
    if (!encodePng(image, bytes, error)) {
        error = path + ": " + error;
        return false;
    }
    return replaceFile(path, bytes.data(), bytes.size(), error);
}
