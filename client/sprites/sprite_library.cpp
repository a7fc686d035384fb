#include "client/sprites/sprite_library.h"

#include "client/sprites/sprite_module.h"
#include "common/frame_arrays.h"
#include "common/stored_pixels.h"

#include <algorithm>
#include <cstddef>

namespace {

// Larger than any surface a display can hold; such a frame gets no surface
// rather than an absurd conversion buffer.
constexpr size_t kMaxFramePixels = size_t(4096) * 4096;

// Converts whole stored pixels from the start of the block, as many as the
// block holds and the buffer takes. Pixels not converted stay 0.
void convertPixels(const uint8_t *stored, int32_t storedSize, int bitsPerPixel, uint8_t *buffer, size_t pixelCount,
                   int displayBytes) {
    if (!stored || storedSize <= 0 || (bitsPerPixel != 16 && bitsPerPixel != 24))
        return;
    const size_t storedBytes = size_t(bitsPerPixel / 8);
    const size_t count = std::min(pixelCount, size_t(storedSize) / storedBytes);
    if (displayBytes == 2 && bitsPerPixel == 16) {
        for (size_t p = 0; p < count; ++p)
            convert16To16(stored[2 * p], stored[2 * p + 1], buffer + 2 * p);
    } else if (displayBytes == 2) {
        for (size_t p = 0; p < count; ++p)
            convert24To16(stored[3 * p], stored[3 * p + 1], stored[3 * p + 2], buffer + 2 * p);
    } else if (bitsPerPixel == 16) {
        for (size_t p = 0; p < count; ++p)
            convert16To32(stored[2 * p], stored[2 * p + 1], buffer + 4 * p);
    } else {
        for (size_t p = 0; p < count; ++p) {
            buffer[4 * p] = stored[3 * p];
            buffer[4 * p + 1] = stored[3 * p + 1];
            buffer[4 * p + 2] = stored[3 * p + 2];
        }
    }
}

}  // namespace

bool SpriteEntry::createFrames(Display &display, const SpriteRecord &sprite) {
    translucent = sprite.hasOptionalBlock;
    if (sprite.frameCount == 0)
        return true;
    int displayBytes = 0;
    if (display.bitDepth == 16)
        displayBytes = 2;
    else if (display.bitDepth == 32)
        displayBytes = 4;
    if (displayBytes == 0 || !hasFrameArrays(sprite))
        return false;

    std::vector<uint8_t> buffer;
    for (int i = 0; i < sprite.frameCount; ++i) {
        SpriteFrame frame = {sprite.frameTags[i], sprite.width[i],     sprite.height[i],    sprite.originX[i],
                             sprite.originY[i],   sprite.offsetX[i],   sprite.offsetY[i],   sprite.spare1[i],
                             sprite.spare2[i],    sprite.extraSize[i], sprite.extraData[i], nullptr};
        const size_t pixelCount = size_t(frame.width) * frame.height;
        if (pixelCount != 0 && pixelCount <= kMaxFramePixels) {
            buffer.assign(pixelCount * size_t(displayBytes), 0);
            convertPixels(sprite.pixelData[i], sprite.pixelSize[i], sprite.bitsPerPixel, buffer.data(), pixelCount,
                          displayBytes);
            frame.surface = display.createSurface(frame.width, frame.height, buffer.data());
            if (frame.surface)
                display.setColorKey(&frame.surface, 0);
        }
        frames.push_back(frame);
    }
    return true;
}

SpriteLibrary::SpriteLibrary() {
    g_spriteModule.load();
}

SpriteLibrary::~SpriteLibrary() {
    // The module goes first; names and extraData dangle from here on.
    g_spriteModule.release();
    for (SpriteEntry &entry : entries) {
        for (SpriteFrame &frame : entry.frames) {
            if (frame.surface) {
                frame.surface->Release();
                frame.surface = nullptr;
            }
        }
        entry.frames.clear();
    }
    std::vector<SpriteEntry>().swap(entries);
    std::vector<char *>().swap(names);
    std::vector<int32_t>().swap(spriteIds);
}

bool SpriteLibrary::loadSprites(const char *path) {
    if (!display || !g_spriteModule.loadSpriteLibrary)
        return false;
    SpriteLibraryRecord record = {};
    if (!g_spriteModule.loadSpriteLibrary(&record, path))
        return false;
    tag1 = record.tag1;
    tag2 = record.tag2;
    tag3 = record.tag3;
    if (record.spriteCount <= 0)
        return true;
    if (!record.names || !record.spriteIds || !record.sprites)
        return false;
    for (int32_t i = 0; i < record.spriteCount; ++i) {
        SpriteEntry entry;
        if (!record.sprites[i] || !entry.createFrames(*display, *record.sprites[i]))
            return false;
        entries.push_back(entry);
        names.push_back(record.names[i]);
        spriteIds.push_back(record.spriteIds[i]);
    }
    return true;
}

int32_t SpriteLibrary::indexOfSprite(int32_t id) const {
    for (size_t position = 0; position < spriteIds.size(); ++position) {
        if (spriteIds[position] == id)
            return int32_t(position);
    }
    return -1;
}
