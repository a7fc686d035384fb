// The whole of a file as bytes (opened "rb"); false when it cannot be read.
#ifndef TESTS_WINDOWS_FILE_BYTES_H
#define TESTS_WINDOWS_FILE_BYTES_H

#include <cstdint>
#include <string>
#include <vector>

bool readWholeFile(const std::string &path, std::vector<uint8_t> &bytes);

#endif
