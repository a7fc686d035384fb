// What the vornak program's tests share: running the built program (or any
// command line) with its output captured, the checks of its refusals, files
// and pictures read and written, and sprite frames that show a swap, a flip
// or a shift.
#ifndef TESTS_CLI_RUN_VORNAK_H
#define TESTS_CLI_RUN_VORNAK_H

#include "common/png_image.h"
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
// A refusal of command: the status, said within stderr and nothing on
// stdout; a failure (1) is one line starting "vornak: ", a usage error (2)
// shows the usage.
void expectRefusal(const Result &r, int status, const std::string &said, const std::string &command);

// The sample world beside the program.
inline const std::filesystem::path kBin = std::filesystem::path(VORNAK_PROGRAM).parent_path();
inline const std::string kSampleLibrary = (kBin / "sprites/test.lspr").string();
inline const std::string kSampleMap = (kBin / "maps/test.map").string();

// A path as one shell word.
std::string quoted(const std::filesystem::path &path);
std::string readText(const std::filesystem::path &path);
void writeText(const std::filesystem::path &path, const std::string &text);
// A PNG file as 3 (RGB) or 4 (RGBA) channels; empty, with a failed check,
// when it cannot be read.
Image readPicture(const std::filesystem::path &path, int channels);
bool saveLibrary(SampleLibrary library, const std::filesystem::path &path);

// Adds a 16-bit frame whose pixels differ along both axes, with transparent
// holes and no spare bits.
void addFrame16(SampleSprite &s, uint16_t width, uint16_t height, uint16_t originX, uint16_t originY, uint16_t offsetX,
                uint16_t offsetY, uint8_t hue);

#endif
