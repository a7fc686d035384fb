#include "tests/client/sprites/sprite_test_support.h"

#include <utility>

TestSprite::TestSprite(uint16_t bitsPerPixel, uint8_t hasOptionalBlock, std::vector<TestFrame> frames)
    : frames_(std::move(frames)), extraBlock_{0xE0, 0xE1, 0xE2}
{
    for (size_t i = 0; i < frames_.size(); ++i) {
        TestFrame &frame = frames_[i];
        frameTags_.push_back(uint32_t(0x7A000000 + i));
        width_.push_back(frame.width);
        height_.push_back(frame.height);
        originX_.push_back(frame.originX);
        originY_.push_back(frame.originY);
        offsetX_.push_back(frame.offsetX);
        offsetY_.push_back(frame.offsetY);
        spare1_.push_back(uint16_t(0x5100 + i));
        spare2_.push_back(uint16_t(0x5200 + i));
        extraSize_.push_back(int32_t(extraBlock_.size()));
        extraData_.push_back(extraBlock_.data());
        pixelSize_.push_back(int32_t(frame.pixels.size()));
        pixelData_.push_back(frame.pixels.empty() ? nullptr : frame.pixels.data());
        optionalSize_.push_back(0);
        optionalData_.push_back(nullptr);
    }
    record_.tag = 0x51515151;
    record_.frameCount = uint16_t(frames_.size());
    record_.bitsPerPixel = bitsPerPixel;
    record_.hasOptionalBlock = hasOptionalBlock;
    record_.frameTags = frameTags_.data();
    record_.width = width_.data();
    record_.height = height_.data();
    record_.originX = originX_.data();
    record_.originY = originY_.data();
    record_.offsetX = offsetX_.data();
    record_.offsetY = offsetY_.data();
    record_.spare1 = spare1_.data();
    record_.spare2 = spare2_.data();
    record_.extraSize = extraSize_.data();
    record_.extraData = extraData_.data();
    record_.pixelSize = pixelSize_.data();
    record_.pixelData = pixelData_.data();
    record_.optionalSize = optionalSize_.data();
    record_.optionalData = optionalData_.data();
}

TestFrame frameOf16BitWords(uint16_t width, uint16_t height, const std::vector<uint16_t> &words)
{
    TestFrame frame;
    frame.width = width;
    frame.height = height;
    for (uint16_t word : words) {
        frame.pixels.push_back(uint8_t(word));
        frame.pixels.push_back(uint8_t(word >> 8));
    }
    return frame;
}

LibrarySnapshot snapshotOf(const SpriteLibrary &library)
{
    return {library.tag1, library.tag2, library.tag3, library.entries.size(), library.spriteIds, library.names};
}
