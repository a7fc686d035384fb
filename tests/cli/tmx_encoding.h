// The encodings of a TMX tile layer's data that Tiled writes: base64 over the
// raw little-endian tile words, or over a zlib or gzip stream of them. The TMX
// tests and the TMX fuzzer's seeds both write them.
#ifndef TESTS_CLI_TMX_ENCODING_H
#define TESTS_CLI_TMX_ENCODING_H

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

inline std::string base64(const std::vector<uint8_t> &bytes) {
    const char *digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t n = uint32_t(bytes[i]) << 16 | (i + 1 < bytes.size() ? uint32_t(bytes[i + 1]) << 8 : 0) |
                           (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        text += {digits[n >> 18], digits[(n >> 12) & 63], i + 1 < bytes.size() ? digits[(n >> 6) & 63] : '=',
                 i + 2 < bytes.size() ? digits[n & 63] : '='};
    }
    return text;
}

// raw as a zlib stream (windowBits 15) or a gzip one (31); empty if zlib fails.
inline std::vector<uint8_t> deflated(const std::vector<uint8_t> &raw, int windowBits) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::vector<uint8_t> out(deflateBound(&z, uLong(raw.size())));
    z.next_in = const_cast<uint8_t *>(raw.data());
    z.avail_in = uInt(raw.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    out.resize(deflate(&z, Z_FINISH) == Z_STREAM_END ? z.total_out : 0);
    deflateEnd(&z);
    return out;
}

#endif
