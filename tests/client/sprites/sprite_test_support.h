// Test helpers: a SpriteRecord built from plain frame descriptions (the
// builder owns every array the record points at, so it must outlive it), and
// a snapshot of what a SpriteLibrary holds.
#ifndef TESTS_CLIENT_SPRITES_SPRITE_TEST_SUPPORT_H
#define TESTS_CLIENT_SPRITES_SPRITE_TEST_SUPPORT_H

#include "client/sprites/sprite_library.h"
#include "common/sprite_records.h"

#include <cstdint>
#include <vector>

struct TestFrame {
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t originX = 0;
    uint16_t originY = 0;
    uint16_t offsetX = 0;
    uint16_t offsetY = 0;
    std::vector<uint8_t> pixels;  // stored pixel block
};

class TestSprite {
public:
    TestSprite(uint16_t bitsPerPixel, uint8_t hasOptionalBlock, std::vector<TestFrame> frames);
    TestSprite(const TestSprite &) = delete;  // the record points into this object
    TestSprite &operator=(const TestSprite &) = delete;
    // Valid while this TestSprite lives and is not changed.
    const SpriteRecord &record() const { return record_; }
    SpriteRecord &record() { return record_; }

private:
    std::vector<TestFrame> frames_;
    std::vector<uint32_t> frameTags_;
    std::vector<uint16_t> width_, height_, originX_, originY_, offsetX_, offsetY_, spare1_, spare2_;
    std::vector<int32_t> extraSize_, pixelSize_, optionalSize_;
    std::vector<uint8_t *> extraData_, pixelData_, optionalData_;
    std::vector<uint8_t> extraBlock_;
    SpriteRecord record_ = {};
};

// A frame of stored 16-bit pixels from 16-bit words (b0 = low byte).
TestFrame frameOf16BitWords(uint16_t width, uint16_t height, const std::vector<uint16_t> &words);

struct LibrarySnapshot {
    uint32_t tag1, tag2, tag3;
    size_t entryCount;
    std::vector<int32_t> spriteIds;
    std::vector<char *> names;

    bool operator==(const LibrarySnapshot &) const = default;
};

LibrarySnapshot snapshotOf(const SpriteLibrary &library);

#endif
