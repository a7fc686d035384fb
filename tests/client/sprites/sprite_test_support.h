// Test helpers: a SpriteRecord over arrays of its own (up to four frames),
// and a snapshot of what a SpriteLibrary holds.
#ifndef TESTS_CLIENT_SPRITES_SPRITE_TEST_SUPPORT_H
#define TESTS_CLIENT_SPRITES_SPRITE_TEST_SUPPORT_H

#include "client/sprites/sprite_library.h"
#include "common/sprite_records.h"

#include <cstdint>
#include <vector>

class TestSprite {
public:
    TestSprite(uint16_t bitsPerPixel, uint8_t hasOptionalBlock);
    TestSprite(const TestSprite &) = delete;  // record points into this object
    TestSprite &operator=(const TestSprite &) = delete;

    // Frame i gets tag 0x7A00000i, origin (10 + i, 20 + i), offset (30 + i,
    // 40 + i), spares 50 + i and 60 + i, and a 3-byte extra block.
    void addFrame(uint16_t width, uint16_t height, std::vector<uint8_t> pixels);

    SpriteRecord record = {};

private:
    static constexpr int kFrames = 4;
    uint32_t frameTags_[kFrames] = {};
    uint16_t width_[kFrames] = {}, height_[kFrames] = {}, originX_[kFrames] = {}, originY_[kFrames] = {},
             offsetX_[kFrames] = {}, offsetY_[kFrames] = {}, spare1_[kFrames] = {}, spare2_[kFrames] = {};
    int32_t extraSize_[kFrames] = {}, pixelSize_[kFrames] = {}, optionalSize_[kFrames] = {};
    uint8_t *extraData_[kFrames] = {}, *pixelData_[kFrames] = {}, *optionalData_[kFrames] = {};
    std::vector<uint8_t> blocks_[kFrames];
    uint8_t extraBlock_[3] = {0xE0, 0xE1, 0xE2};
};

// The stored bytes of 16-bit pixels given as words (first byte low).
std::vector<uint8_t> storedWords(const std::vector<uint16_t> &words);

struct LibrarySnapshot {
    uint32_t tag1, tag2, tag3;
    size_t entryCount;
    std::vector<int32_t> spriteIds;
    std::vector<char *> names;
    bool operator==(const LibrarySnapshot &) const = default;
};

LibrarySnapshot snapshotOf(const SpriteLibrary &library);
// Appends a sprite without frames or name, as if loaded, under this id.
void addPlaceholderSprite(SpriteLibrary &library, int32_t id);

#endif
