#include "tests/client/sprites/sprite_test_support.h"

#include <utility>

TestSprite::TestSprite(uint16_t bitsPerPixel, uint8_t hasOptionalBlock)
{
    record = {0x51515151, 0, 0, bitsPerPixel, hasOptionalBlock, frameTags_, width_, height_, originX_, originY_,
              offsetX_, offsetY_, spare1_, spare2_, extraSize_, extraData_, pixelSize_, pixelData_, optionalSize_,
              optionalData_};
}

void TestSprite::addFrame(uint16_t width, uint16_t height, std::vector<uint8_t> pixels)
{
    const int i = record.frameCount++;
    frameTags_[i] = uint32_t(0x7A000000 + i);
    width_[i] = width;
    height_[i] = height;
    originX_[i] = uint16_t(10 + i);
    originY_[i] = uint16_t(20 + i);
    offsetX_[i] = uint16_t(30 + i);
    offsetY_[i] = uint16_t(40 + i);
    spare1_[i] = uint16_t(50 + i);
    spare2_[i] = uint16_t(60 + i);
    extraSize_[i] = 3;
    extraData_[i] = extraBlock_;
    blocks_[i] = std::move(pixels);
    pixelSize_[i] = int32_t(blocks_[i].size());
    pixelData_[i] = blocks_[i].data();
}

std::vector<uint8_t> storedWords(const std::vector<uint16_t> &words)
{
    std::vector<uint8_t> bytes;
    for (uint16_t word : words) {
        bytes.push_back(uint8_t(word));
        bytes.push_back(uint8_t(word >> 8));
    }
    return bytes;
}

LibrarySnapshot snapshotOf(const SpriteLibrary &library)
{
    return {library.tag1, library.tag2, library.tag3, library.entries.size(), library.spriteIds, library.names};
}

void addPlaceholderSprite(SpriteLibrary &library, int32_t id)
{
    library.entries.emplace_back();
    library.spriteIds.push_back(id);
    library.names.push_back(nullptr);
}
