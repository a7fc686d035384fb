// Little-endian reading and writing over stdio streams. Reads and writes
// that a signal interrupts (on a pipe, say, when the process has a handler
// that does not restart calls) carry on where they stopped.
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

// ByteWriter buffers for itself and hands the stream whole chunks, which it
// must take unbuffered (setvbuf _IONBF): only then does a write that a signal
// cuts short report exactly what it wrote, so the rest can follow.
class ByteWriter {
public:
    explicit ByteWriter(FILE *file) : file_(file) {}

    // Each returns false once any write so far has failed.
    bool write(const void *data, size_t count);
    bool writeU8(uint8_t value) { return write(&value, 1); }
    bool writeU16(uint16_t value);
    bool writeU32(uint32_t value);
    bool writeI32(int32_t value) { return writeU32(static_cast<uint32_t>(value)); }
    bool flush();  // hands over what is buffered; call before closing

private:
    static constexpr size_t kBufferBytes = size_t{64} << 10;
    bool writeThrough(const uint8_t *data, size_t count);

    FILE *file_;
    bool ok_ = true;
    size_t buffered_ = 0;
    uint8_t buffer_[kBufferBytes];
};

#endif
