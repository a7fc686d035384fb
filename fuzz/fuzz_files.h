// What every fuzz target shares: a scratch folder for the files its inputs
// become, and plain file reading and writing. Each input is a whole file.
#ifndef FUZZ_FUZZ_FILES_H
#define FUZZ_FUZZ_FILES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A file in a folder of this process's own, made on first use under TMPDIR
// (else /dev/shm, else /tmp) and removed at exit.
std::string scratchFile(const char *name);

void writeBytes(const std::string &path, const uint8_t *data, size_t size);  // a failure is a finding
std::vector<uint8_t> readBytes(const std::string &path);

// Reports a finding and aborts, which libFuzzer records as a crash.
[[noreturn]] void fail(const char *what);

#endif
