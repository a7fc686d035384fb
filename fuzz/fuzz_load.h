// One fuzz input through a reader: the input is the whole file. A load that
// succeeds must give a record that writes out again without fault.
#ifndef FUZZ_FUZZ_LOAD_H
#define FUZZ_FUZZ_LOAD_H

#include "vornak/byte_stream.h"
#include "vornak/module_heap.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

// Reads data as a file with the reader, writes a successful result back out
// with the writer, and returns the bytes written (empty after a failed load)
// and in consumed how many input bytes the load used.
template <typename Record>
std::vector<uint8_t> loadAndWriteBack(const uint8_t *data, size_t size, size_t &consumed,
                                      bool (*readRecord)(ByteReader &, LoadArena &, Record &),
                                      bool (*writeRecord)(ByteWriter &, const Record &)) {
    std::vector<uint8_t> written;
    FILE *file = size ? fmemopen(const_cast<uint8_t *>(data), size, "rb") : nullptr;
    if (size && !file)
        return written;
    ByteReader in(file, size);
    LoadArena arena;  // never kept: every input's memory is freed after it
    Record record;
    const bool loaded = readRecord(in, arena, record);
    consumed = static_cast<size_t>(size - in.remaining());
    if (file)
        std::fclose(file);
    if (!loaded)
        return written;
    char *buffer = nullptr;
    size_t length = 0;
    FILE *out = open_memstream(&buffer, &length);
    if (!out)
        std::abort();
    ByteWriter writer(out);
    const bool wrote = writeRecord(writer, record);
    std::fclose(out);
    if (!wrote)
        std::abort();  // a loaded record must always be complete
    written.assign(buffer, buffer + length);
    std::free(buffer);
    return written;
}

#endif
