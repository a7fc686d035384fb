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

// The whole pixels a frame's block converts: those it holds, up to the
// frame's size; none for a depth that is not converted.
size_t suppliedPixels(const SpriteRecord &sprite, int frame) {
    const int32_t size = sprite.pixelSize[frame];
    if (!sprite.pixelData[frame] || size <= 0 || (sprite.bitsPerPixel != 16 && sprite.bitsPerPixel != 24))
        return 0;
    return std::min(size_t(size) / size_t(sprite.bitsPerPixel / 8), size_t(sprite.width[frame]) * sprite.height[frame]);
}

// Converts count stored pixels from the start of the block, which holds them.
void convertPixels(const uint8_t *stored, int bitsPerPixel, uint8_t *buffer, size_t count, int displayBytes) {
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
        // The surface covers what the block supplies: its rows, or its
        // pixels when they fill less than one row.
        const size_t supplied = suppliedPixels(sprite, i);
        if (supplied < size_t(frame.width) * frame.height) {
            frame.height = uint16_t((supplied + frame.width - 1) / frame.width);
            frame.width = uint16_t(std::min<size_t>(frame.width, supplied));
        }
        const size_t pixelCount = size_t(frame.width) * frame.height;
        if (pixelCount != 0 && pixelCount <= kMaxFramePixels) {
            buffer.assign(pixelCount * size_t(displayBytes), 0);
            convertPixels(sprite.pixelData[i], sprite.bitsPerPixel, buffer.data(), supplied, displayBytes);
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
