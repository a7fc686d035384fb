#include "vornak/byte_stream.h"

bool ByteReader::read(void *out, size_t count) {
    if (count > remaining_)
        return false;
    if (count > 0 && std::fread(out, 1, count, file_) != count) {
        remaining_ = 0;
        return false;
    }
    remaining_ -= count;
    return true;
}

bool ByteReader::skip(uint64_t count) {
    unsigned char scratch[4096];
    while (count > 0) {
        const size_t step = count < sizeof scratch ? static_cast<size_t>(count) : sizeof scratch;
        if (!read(scratch, step))
            return false;
        count -= step;
    }
    return true;
}

bool ByteReader::readU8(uint8_t &value) {
    return read(&value, 1);
}

bool ByteReader::readU16(uint16_t &value) {
    uint8_t b[2];
    if (!read(b, 2))
        return false;
    value = static_cast<uint16_t>(b[0] | b[1] << 8);
    return true;
}

bool ByteReader::readU32(uint32_t &value) {
    uint8_t b[4];
    if (!read(b, 4))
        return false;
    value = uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
    return true;
}

bool ByteReader::readI32(int32_t &value) {
    uint32_t raw;
    if (!readU32(raw))
        return false;
    value = static_cast<int32_t>(raw);
    return true;
}

bool ByteWriter::write(const void *data, size_t count) {
    if (ok_ && count > 0 && std::fwrite(data, 1, count, file_) != count)
        ok_ = false;
    return ok_;
}

bool ByteWriter::writeU16(uint16_t value) {
    const uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    return write(b, 2);
}

bool ByteWriter::writeU32(uint32_t value) {
    const uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return write(b, 4);
}
