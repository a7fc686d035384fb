#include "tools/frame_compare/frame_image.h"

#include <cstdio>
#include <cstring>

namespace {

uint32_t bigEndian32(const uint8_t *bytes) {
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

int maskShift(uint32_t mask) {
    int shift = 0;
    while (!(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

// The value of the channel under mask, scaled to 8 bits.
uint8_t channel(uint32_t pixel, uint32_t mask) {
    const int shift = maskShift(mask);
    mask >>= shift;
    int bits = 0;
    while (mask >> bits & 1)
        ++bits;
    uint32_t value = pixel >> shift & mask;
    if (bits >= 8)
        return uint8_t(value >> (bits - 8));
    // Fewer than 8 bits: repeat them downwards, so full scale stays full.
    uint32_t scaled = value << (8 - bits);
    for (int filled = bits; filled < 8; filled += bits)
        scaled |= scaled >> filled;
    return uint8_t(scaled);
}

// One channel's intensity for each of its values (up to 8 bits). TrueColor:
// the value scaled. DirectColor: the value picks the colour entry whose own
// value of that channel is the same, and the entry gives the intensity;
// values no entry names keep their scaled value.
struct ChannelMap {
    uint32_t mask;
    int shift;
    uint8_t intensity[256];
};

ChannelMap channelMap(uint32_t mask, const uint8_t *entries, uint32_t count, int channelIndex) {
    ChannelMap map = {mask, maskShift(mask), {}};
    for (uint32_t value = 0; value <= (mask >> map.shift); ++value)
        map.intensity[value] = channel(value << map.shift, mask);
    for (uint32_t i = 0; i < count; ++i) {
        // An entry: pixel value (32 bits), red, green, blue (16 bits each), flags, pad; big-endian.
        const uint8_t *entry = entries + size_t(i) * 12;
        const uint32_t value = (bigEndian32(entry) & mask) >> map.shift;
        map.intensity[value] = entry[4 + 2 * channelIndex];
    }
    return map;
}

bool isChannelMask(uint32_t mask) {
    if (mask == 0)
        return false;
    while (!(mask & 1))
        mask >>= 1;
    return (mask & (mask + 1)) == 0;
}

}  // namespace

bool readXwd(const std::vector<uint8_t> &file, Image &image, std::string &error) {
    // The header is 25 big-endian 32-bit fields, then the window name (up to
    // headerSize), then colourCount 12-byte colour entries, then the pixels.
    enum {
        HeaderSize,
        Version,
        Format,
        Depth,
        Width,
        Height,
        XOffset,
        ByteOrder,
        BitmapUnit,
        BitOrder,
        BitmapPad,
        BitsPerPixel,
        BytesPerLine,
        VisualClass,
        RedMask,
        GreenMask,
        BlueMask,
        BitsPerRgb,
        ColormapEntries,
        ColourCount,
        FieldCount = 25
    };
    if (file.size() < FieldCount * 4) {
        error = "not an XWD file: too short";
        return false;
    }
    uint32_t field[FieldCount];
    for (int i = 0; i < FieldCount; ++i)
        field[i] = bigEndian32(&file[size_t(i) * 4]);
    if (field[Version] != 7 || field[Format] != 2 || field[HeaderSize] < FieldCount * 4) {
        error = "not an XWD version 7 ZPixmap";
        return false;
    }
    enum { TrueColor = 4, DirectColor = 5 };
    const uint32_t bits = field[BitsPerPixel];
    const bool direct = field[VisualClass] == DirectColor;
    bool masksFit = true;
    for (int mask : {RedMask, GreenMask, BlueMask})
        masksFit = masksFit && isChannelMask(field[mask]) && (field[mask] >> maskShift(field[mask])) < 256;
    if ((bits != 24 && bits != 32) || (field[VisualClass] != TrueColor && !direct) || !masksFit) {
        error = "XWD: only 24- and 32-bit TrueColor and DirectColor pictures of up to 8 bits a channel are read";
        return false;
    }
    uint32_t width = field[Width];
    uint32_t height = field[Height];
    if (width == 0 || height == 0 || width > uint32_t(kMaxSide) || height > uint32_t(kMaxSide)) {
        error = "XWD: absurd picture size";
        return false;
    }
    uint64_t bytesPerPixel = bits / 8;
    uint64_t pitch = field[BytesPerLine];
    uint64_t start = uint64_t(field[HeaderSize]) + uint64_t(field[ColourCount]) * 12;
    if (pitch < width * bytesPerPixel || start + pitch * height > file.size()) {
        error = "XWD: truncated or inconsistent sizes";
        return false;
    }
    bool mostSignificantFirst = field[ByteOrder] != 0;
    const uint8_t *entries = &file[field[HeaderSize]];
    const uint32_t entryCount = direct ? field[ColourCount] : 0;
    const ChannelMap maps[3] = {channelMap(field[RedMask], entries, entryCount, 0),
                                channelMap(field[GreenMask], entries, entryCount, 1),
                                channelMap(field[BlueMask], entries, entryCount, 2)};
    image = Image(int32_t(width), int32_t(height), 3);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t *row = &file[start + pitch * y];
        uint8_t *out = &image.pixels[size_t(y) * width * 3];
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t *p = row + x * bytesPerPixel;
            uint32_t pixel = 0;
            for (uint64_t b = 0; b < bytesPerPixel; ++b)
                pixel |= uint32_t(mostSignificantFirst ? p[b] : p[bytesPerPixel - 1 - b])
                         << (8 * (bytesPerPixel - 1 - b));
            for (int c = 0; c < 3; ++c)
                out[x * 3 + c] = maps[c].intensity[(pixel & maps[c].mask) >> maps[c].shift];
        }
    }
    return true;
}

Image cropPart(const Image &image, int32_t x, int32_t y, int32_t width, int32_t height) {
    Image part(width, height, 3);
    for (int32_t row = 0; row < height; ++row)
        std::memcpy(&part.pixels[size_t(row) * width * 3], &image.pixels[(size_t(y + row) * image.width + x) * 3],
                    size_t(width) * 3);
    return part;
}

Image scaleUp(const Image &image, int32_t factor) {
    Image large(image.width * factor, image.height * factor, 3);
    for (int32_t y = 0; y < large.height; ++y) {
        const uint8_t *in = &image.pixels[size_t(y / factor) * image.width * 3];
        uint8_t *out = &large.pixels[size_t(y) * large.width * 3];
        for (int32_t x = 0; x < large.width; ++x)
            std::memcpy(out + size_t(x) * 3, in + size_t(x / factor) * 3, 3);
    }
    return large;
}

FrameDifference compare565(const Image &expected, const Image &got) {
    static const uint8_t kTopBits[3] = {0xF8, 0xFC, 0xF8};
    FrameDifference result;
    result.marked = expected;
    for (int32_t y = 0; y < expected.height; ++y) {
        for (int32_t x = 0; x < expected.width; ++x) {
            const uint8_t *e = &expected.pixels[(size_t(y) * expected.width + x) * 3];
            const uint8_t *g = &got.pixels[(size_t(y) * got.width + x) * 3];
            uint8_t *m = &result.marked.pixels[(size_t(y) * expected.width + x) * 3];
            bool same = true;
            for (int c = 0; c < 3; ++c)
                same = same && (e[c] & kTopBits[c]) == (g[c] & kTopBits[c]);
            if (same) {
                for (int c = 0; c < 3; ++c)
                    m[c] = uint8_t(m[c] / 4);
                continue;
            }
            if (result.pixels < 10)
                std::printf("  (%d, %d): expected %02x%02x%02x, got %02x%02x%02x\n", x, y, e[0], e[1], e[2], g[0], g[1],
                            g[2]);
            ++result.pixels;
            m[0] = 255;
            m[1] = 0;
            m[2] = 0;
        }
    }
    return result;
}
