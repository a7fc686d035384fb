// Little-endian reading and writing over buffered stdio streams.
//
// ByteReader never reads past a byte limit: the size of a regular file, or a
// fixed budget for sources whose size is unknown. Every read that the limit
// or the stream cannot satisfy fails. Callers ask has() whether the bytes a
// count announces are there before they allocate for it: a sized source has
// them when the limit does; an unsized one (a pipe) only once they have
// arrived. So has() reads ahead, in chunks that at most double what has
// arrived, into a buffer no larger than that; a load then allocates for
// what it holds, about twice what arrived at most. Neither class owns its
// FILE.
#ifndef VORNAK_BYTE_STREAM_H
#define VORNAK_BYTE_STREAM_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

class ByteReader {
public:
    ByteReader(FILE *file, uint64_t limit, bool sized) : file_(file), remaining_(limit), sized_(sized) {}
    ~ByteReader();
    ByteReader(const ByteReader &) = delete;
    ByteReader &operator=(const ByteReader &) = delete;

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
    uint8_t *ahead_ = nullptr;  // malloc'd; read ahead, consumed up to aheadStart_
    size_t aheadCapacity_ = 0;
    size_t aheadStart_ = 0;
    size_t aheadEnd_ = 0;
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
