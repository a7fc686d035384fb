// Records owned by test code, and the files the tests, fuzzers and benchmarks share. A record() points into its owner.
#pragma once
#include "common/sprite_records.h"

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
    std::vector<uint8_t *> blockPointers[3];
    SpriteRecord record();
};

struct SampleLibrary {
    uint32_t tag1 = 0, tag2 = 0, tag3 = 0;
    std::vector<std::string> names;
    std::vector<int32_t> spriteIds;
    std::vector<SampleSprite> sprites;
    std::vector<char *> namePointers;
    std::vector<SpriteRecord> records;
    std::vector<SpriteRecord *> recordPointers;
    SpriteLibraryRecord record();
};

// The one-pixel sprite whose file is 41 bytes, and that sprite alone in a library, named "a", id 7: 66 bytes.
SampleSprite exampleSprite();
SampleLibrary exampleLibrary();

// Frames of odd sizes, some negative counts, flag 0, 1, 2 or 255; names of 0 to 255 bytes, some duplicate ids.
SampleSprite randomSprite(std::mt19937 &rng, int maxFrames, int maxSide);
SampleLibrary randomLibrary(std::mt19937 &rng, int spriteCount, int maxFrames, int maxSide);

std::vector<uint8_t> readFileBytes(const std::filesystem::path &path);
void writeFileBytes(const std::filesystem::path &path, const std::vector<uint8_t> &bytes);

// The loaders' seed files; false when a save fails.
bool writeSeedCorpus(const std::filesystem::path &spriteDir, const std::filesystem::path &libraryDir);

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir() {
        std::random_device seed;
        do
            path_ = std::filesystem::temp_directory_path() / ("vornak-test-" + std::to_string(seed()));
        while (!std::filesystem::create_directory(path_));
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir &) = delete;
    const std::filesystem::path &path() const { return path_; }
    std::string file(const std::string &name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};
