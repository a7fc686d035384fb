// Sprites and sprite libraries built and owned by test code, for saving
// through the module; and the files the tests, fuzzers and benchmarks share.
// A record() points into its owner's vectors: it stays valid while the owner
// lives and is not changed.
#ifndef TESTS_VORNAK_SAMPLE_RECORDS_H
#define TESTS_VORNAK_SAMPLE_RECORDS_H

#include "common/sprite_records.h"

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

struct SampleFrame {
    uint32_t frameTag = 0;
    uint16_t width = 0, height = 0, originX = 0, originY = 0;
    uint16_t offsetX = 0, offsetY = 0, spare1 = 0, spare2 = 0;
    int32_t extraSize = 0, pixelSize = 0, optionalSize = 0;  // blocks hold max(size, 0) bytes
    std::vector<uint8_t> extra, pixels, optional;
};

class SampleSprite {
public:
    uint32_t tag = 0;
    uint16_t auxWord = 0;
    uint16_t bitsPerPixel = 16;
    uint8_t hasOptionalBlock = 0;
    std::vector<SampleFrame> frames;

    SpriteRecord record();

private:
    std::vector<uint32_t> frameTags_;
    std::vector<uint16_t> halves_[8];
    std::vector<int32_t> sizes_[3];
    std::vector<uint8_t *> data_[3];
};

class SampleLibrary {
public:
    uint32_t tag1 = 0, tag2 = 0, tag3 = 0;
    std::vector<std::string> names;
    std::vector<int32_t> spriteIds;
    std::vector<SampleSprite> sprites;

    SpriteLibraryRecord record();

private:
    std::vector<char *> namePointers_;
    std::vector<SpriteRecord> records_;
    std::vector<SpriteRecord *> recordPointers_;
};

// The one-frame, one-pixel sprite whose file is 41 bytes.
SampleSprite exampleSprite();
// That sprite as the only one of a library, named "a" with identifier 7: 66 bytes.
SampleLibrary exampleLibrary();

// Frames of odd sizes, some negative counts, flag 0, 1, 2 or 255.
SampleSprite randomSprite(std::mt19937 &rng, int maxFrames, int maxSide);
// Names of 0 to 255 bytes, duplicate identifiers now and then.
SampleLibrary randomLibrary(std::mt19937 &rng, int spriteCount, int maxFrames, int maxSide);

// First difference between two records as text; empty when they are equal.
std::string differenceBetween(const SpriteRecord &a, const SpriteRecord &b);

std::vector<uint8_t> readFileBytes(const std::filesystem::path &path);
void writeFileBytes(const std::filesystem::path &path, const std::vector<uint8_t> &bytes);

// Seeds for the loaders: sprite files into one folder, library files into
// the other. Returns false when a save fails.
bool writeSeedCorpus(const std::filesystem::path &spriteDir, const std::filesystem::path &libraryDir);

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::filesystem::path &path() const { return path_; }
    std::string file(const std::string &name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

#endif
