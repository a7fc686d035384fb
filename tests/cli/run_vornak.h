// What the vornak program's tests share: running the built program (or any
// command line) with its output captured, and sprite frames that show a swap,
// a flip or a shift.
#ifndef TESTS_CLI_RUN_VORNAK_H
#define TESTS_CLI_RUN_VORNAK_H

#include "tests/vornak/support/sample_records.h"

#include <filesystem>
#include <string>

struct Result {
    int status = -1;
    std::string out, err;
};

// Runs a command line through the shell with its standard output and error
// captured.
Result run(const std::string &command);
// Runs the vornak program with arguments given as shell words (the tests'
// paths hold no quotes).
Result vornak(const std::string &arguments);

// The sample world beside the program.
inline const std::filesystem::path kBin = std::filesystem::path(VORNAK_PROGRAM).parent_path();
inline const std::string kSampleLibrary = (kBin / "sprites/test.lspr").string();
inline const std::string kSampleMap = (kBin / "maps/test.map").string();

// A path as one shell word.
std::string quoted(const std::filesystem::path &path);
std::string readText(const std::filesystem::path &path);

// Adds a 16-bit frame whose pixels differ along both axes, with transparent
// holes and no spare bits.
void addFrame16(SampleSprite &s, uint16_t width, uint16_t height, uint16_t originX, uint16_t originY, uint16_t offsetX,
                uint16_t offsetY, uint8_t hue);

#endif
