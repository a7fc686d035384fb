#include "vornak/byte_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kFirstReadAhead = size_t{64} << 10;

// An interrupted read sets the stream's error flag and loses nothing, so
// reading on once the flag is cleared is safe.
size_t readFully(FILE *file, uint8_t *out, size_t count) {
    size_t done = 0;
    for (;;) {
        done += std::fread(out + done, 1, count - done, file);
        if (done == count || !std::ferror(file) || errno != EINTR)
            return done;
        std::clearerr(file);
    }
}

}  // namespace

ByteReader::~ByteReader() {
    std::free(ahead_);
}

bool ByteReader::has(uint64_t count) {
    if (count > remaining_)
        return false;
    if (sized_ || aheadEnd_ - aheadStart_ >= count)
        return true;
    if (aheadStart_ > 0) {
        std::memmove(ahead_, ahead_ + aheadStart_, aheadEnd_ - aheadStart_);
        aheadEnd_ -= aheadStart_;
        aheadStart_ = 0;
    }
    while (aheadEnd_ < count) {
        // Each chunk at most doubles what has arrived, and never goes past
        // what is asked for, which the limit allows.
        const size_t chunk =
            static_cast<size_t>(std::min<uint64_t>(count - aheadEnd_, std::max(kFirstReadAhead, aheadEnd_)));
        if (aheadEnd_ + chunk > aheadCapacity_) {
            void *grown = std::realloc(ahead_, aheadEnd_ + chunk);  // large ones move without a copy
            if (!grown)
                return false;
            ahead_ = static_cast<uint8_t *>(grown);
            aheadCapacity_ = aheadEnd_ + chunk;
        }
        const size_t got = readFully(file_, ahead_ + aheadEnd_, chunk);
        aheadEnd_ += got;
        if (got < chunk)
            return false;
    }
    return true;
}

bool ByteReader::read(void *out, size_t count) {
    if (count > remaining_)
        return false;
    const size_t buffered = std::min(count, aheadEnd_ - aheadStart_);
    if (buffered > 0) {
        std::memcpy(out, ahead_ + aheadStart_, buffered);
        aheadStart_ += buffered;
    }
    const size_t rest = count - buffered;
    if (rest > 0 && readFully(file_, static_cast<uint8_t *>(out) + buffered, rest) != rest) {
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
    const auto *bytes = static_cast<const uint8_t *>(data);
    if (buffered_ + count > kBufferBytes && !flush())
        return false;
    if (count >= kBufferBytes)
        return writeThrough(bytes, count);
    std::memcpy(buffer_ + buffered_, bytes, count);
    buffered_ += count;
    return ok_;
}

bool ByteWriter::flush() {
    const size_t count = buffered_;
    buffered_ = 0;
    return writeThrough(buffer_, count);
}

bool ByteWriter::writeThrough(const uint8_t *data, size_t count) {
    size_t done = 0;
    while (ok_ && done < count) {
        done += std::fwrite(data + done, 1, count - done, file_);
        if (done < count && std::ferror(file_) && errno == EINTR)
            std::clearerr(file_);
        else if (done < count)
            ok_ = false;
    }
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
