// Records owned by test code, for saving through the module, and the files the
// tests, fuzzers and benchmarks share. A record() points into its owner.
#ifndef TESTS_VORNAK_SAMPLE_RECORDS_H
#define TESTS_VORNAK_SAMPLE_RECORDS_H

#include "common/sprite_records.h"

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

// One element per frame in each vector; record() pads them to frameTags' size.
struct SampleSprite {
    uint32_t tag = 0;
    uint16_t auxWord = 0, bitsPerPixel = 16;
    uint8_t hasOptionalBlock = 0;
    std::vector<uint32_t> frameTags;
    std::vector<uint16_t> width, height, originX, originY, offsetX, offsetY, spare1, spare2;
    std::vector<int32_t> extraSize, pixelSize, optionalSize;  // blocks hold max(size, 0) bytes
    std::vector<std::vector<uint8_t>> extra, pixels, optional;
    SpriteRecord record();

private:
    std::vector<uint8_t *> data_[3];
};

struct SampleLibrary {
    uint32_t tag1 = 0, tag2 = 0, tag3 = 0;
    std::vector<std::string> names;
    std::vector<int32_t> spriteIds;
    std::vector<SampleSprite> sprites;
    SpriteLibraryRecord record();

private:
    std::vector<char *> names_;
    std::vector<SpriteRecord> records_;
    std::vector<SpriteRecord *> pointers_;
};

// The one-frame, one-pixel sprite whose file is 41 bytes, and that sprite as
// the only one of a library, named "a" with identifier 7: 66 bytes.
SampleSprite exampleSprite();
SampleLibrary exampleLibrary();

// Frames of odd sizes, some negative counts, flag 0, 1, 2 or 255; names of 0
// to 255 bytes, duplicate identifiers now and then.
SampleSprite randomSprite(std::mt19937 &rng, int maxFrames, int maxSide);
SampleLibrary randomLibrary(std::mt19937 &rng, int spriteCount, int maxFrames, int maxSide);

std::vector<uint8_t> readFileBytes(const std::filesystem::path &path);
void writeFileBytes(const std::filesystem::path &path, const std::vector<uint8_t> &bytes);

// The loaders' seed files; false when a save fails.
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
