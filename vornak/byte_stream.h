// Little-endian reading and writing over buffered stdio streams.
//
// ByteReader never reads past a byte limit: the size of a regular file, or a
// fixed budget for sources whose size is unknown. Every read that the limit
// or the stream cannot satisfy fails. Callers ask has() whether the bytes a
// count announces are there before they allocate for it: a sized source has
// them when the limit does; an unsized one (a pipe) only once they have
// arrived, so has() reads ahead, in chunks that grow with what has arrived,
// into a buffer of at most about twice that. Neither class owns its FILE.
#ifndef VORNAK_BYTE_STREAM_H
#define VORNAK_BYTE_STREAM_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

class ByteReader {
public:
    ByteReader(FILE *file, uint64_t limit, bool sized) : file_(file), remaining_(limit), sized_(sized) {}

    uint64_t remaining() const { return remaining_; }  // what the limit still allows
    bool has(uint64_t count);

    bool read(void *out, size_t count);
    bool skip(uint64_t count);
    bool readU8(uint8_t &value);
    bool readU16(uint16_t &value);
    bool readU32(uint32_t &value);
    bool readI32(int32_t &value);

private:
    FILE *file_;
    uint64_t remaining_;
    bool sized_;
    std::vector<uint8_t> ahead_;  // read ahead, not yet consumed from aheadStart_ on
    size_t aheadStart_ = 0;
};

class ByteWriter {
public:
    explicit ByteWriter(FILE *file) : file_(file) {}

    // Each returns false once any write so far has failed.
    bool write(const void *data, size_t count);
    bool writeU8(uint8_t value) { return write(&value, 1); }
    bool writeU16(uint16_t value);
    bool writeU32(uint32_t value);
    bool writeI32(int32_t value) { return writeU32(static_cast<uint32_t>(value)); }

private:
    FILE *file_;
    bool ok_ = true;
};

#endif
