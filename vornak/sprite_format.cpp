#include "vornak/sprite_format.h"

#include "common/frame_arrays.h"

#include <cstdint>
#include <cstring>

namespace {

// Smallest frame entry: frame tag, eight 16-bit values and two empty byte
// counts, plus an empty optional count when the sprite has optional blocks.
constexpr uint64_t kMinFrameBytes = 28;
constexpr uint64_t kOptionalCountBytes = 4;
// Smallest sprite of a library: name length, identifier and sprite header.
constexpr uint64_t kMinLibrarySpriteBytes = 4 + 4 + kSpriteHeaderBytes;

template <typename T>
bool allocateArray(LoadArena &arena, T *&array, uint64_t count) {
    array = nullptr;
    if (count > SIZE_MAX / sizeof(T))
        return false;
    array = static_cast<T *>(arena.allocate(static_cast<size_t>(count) * sizeof(T)));
    return array != nullptr;
}

// A byte count, then that many bytes; zero or less means no bytes.
bool readBlock(ByteReader &in, LoadArena &arena, int32_t &size, uint8_t *&data) {
    data = nullptr;
    if (!in.readI32(size))
        return false;
    if (size <= 0)
        return true;
    if (!in.has(static_cast<uint64_t>(size)))
        return false;
    data = static_cast<uint8_t *>(arena.allocate(static_cast<size_t>(size)));
    return data && in.read(data, static_cast<size_t>(size));
}

bool writeBlock(ByteWriter &out, int32_t size, const uint8_t *data) {
    if (size > 0 && !data)
        return false;
    return out.writeI32(size) && (size <= 0 || out.write(data, static_cast<size_t>(size)));
}

}  // namespace

bool readSprite(ByteReader &in, LoadArena &arena, SpriteRecord &s) {
    s = SpriteRecord{};
    if (!in.readU32(s.tag) || !in.readU16(s.frameCount) || !in.readU16(s.auxWord) || !in.readU16(s.bitsPerPixel) ||
        !in.readU8(s.hasOptionalBlock))
        return false;
    const uint64_t frames = s.frameCount;
    if (frames == 0)
        return true;
    const uint64_t minFrameBytes = kMinFrameBytes + (s.hasOptionalBlock ? kOptionalCountBytes : 0);
    if (!in.has(frames * minFrameBytes))
        return false;
    if (!allocateArray(arena, s.frameTags, frames) || !allocateArray(arena, s.width, frames) ||
        !allocateArray(arena, s.height, frames) || !allocateArray(arena, s.originX, frames) ||
        !allocateArray(arena, s.originY, frames) || !allocateArray(arena, s.offsetX, frames) ||
        !allocateArray(arena, s.offsetY, frames) || !allocateArray(arena, s.spare1, frames) ||
        !allocateArray(arena, s.spare2, frames) || !allocateArray(arena, s.extraSize, frames) ||
        !allocateArray(arena, s.extraData, frames) || !allocateArray(arena, s.pixelSize, frames) ||
        !allocateArray(arena, s.pixelData, frames) || !allocateArray(arena, s.optionalSize, frames) ||
        !allocateArray(arena, s.optionalData, frames))
        return false;
    for (uint64_t i = 0; i < frames; ++i) {
        if (!in.readU32(s.frameTags[i]) || !in.readU16(s.width[i]) || !in.readU16(s.height[i]) ||
            !in.readU16(s.originX[i]) || !in.readU16(s.originY[i]) || !in.readU16(s.offsetX[i]) ||
            !in.readU16(s.offsetY[i]) || !in.readU16(s.spare1[i]) || !in.readU16(s.spare2[i]) ||
            !readBlock(in, arena, s.extraSize[i], s.extraData[i]) ||
            !readBlock(in, arena, s.pixelSize[i], s.pixelData[i]))
            return false;
        if (s.hasOptionalBlock) {
            if (!readBlock(in, arena, s.optionalSize[i], s.optionalData[i]))
                return false;
        } else {
            s.optionalSize[i] = 0;
            s.optionalData[i] = nullptr;
        }
    }
    return true;
}

bool writeSprite(ByteWriter &out, const SpriteRecord &s) {
    if (!out.writeU32(s.tag) || !out.writeU16(s.frameCount) || !out.writeU16(s.auxWord) ||
        !out.writeU16(s.bitsPerPixel) || !out.writeU8(s.hasOptionalBlock))
        return false;
    if (s.frameCount > 0 && !hasFrameArrays(s))
        return false;
    for (size_t i = 0; i < s.frameCount; ++i) {
        if (!out.writeU32(s.frameTags[i]) || !out.writeU16(s.width[i]) || !out.writeU16(s.height[i]) ||
            !out.writeU16(s.originX[i]) || !out.writeU16(s.originY[i]) || !out.writeU16(s.offsetX[i]) ||
            !out.writeU16(s.offsetY[i]) || !out.writeU16(s.spare1[i]) || !out.writeU16(s.spare2[i]) ||
            !writeBlock(out, s.extraSize[i], s.extraData[i]) || !writeBlock(out, s.pixelSize[i], s.pixelData[i]))
            return false;
        if (s.hasOptionalBlock && !writeBlock(out, s.optionalSize[i], s.optionalData[i]))
            return false;
    }
    return true;
}

bool readSpriteLibrary(ByteReader &in, LoadArena &arena, SpriteLibraryRecord &library) {
    library = SpriteLibraryRecord{};
    if (!in.readU32(library.tag1) || !in.readU32(library.tag2) || !in.readU32(library.tag3) ||
        !in.readI32(library.spriteCount))
        return false;
    if (library.spriteCount <= 0)
        return true;
    const uint64_t count = static_cast<uint64_t>(library.spriteCount);
    if (!in.has(count * kMinLibrarySpriteBytes))
        return false;
    SpriteRecord *records = nullptr;
    if (!allocateArray(arena, library.names, count) || !allocateArray(arena, library.spriteIds, count) ||
        !allocateArray(arena, library.sprites, count) || !allocateArray(arena, records, count))
        return false;
    for (uint64_t i = 0; i < count; ++i) {
        char *name = static_cast<char *>(arena.allocate(kNameBufferBytes));
        if (!name)
            return false;
        std::memset(name, 0, kNameBufferBytes);
        library.names[i] = name;
        int32_t length;
        if (!in.readI32(length))
            return false;
        if (length <= 0)
            continue;
        // Longer names keep their first 255 bytes, so the buffer still ends
        // in a zero byte; the rest is read past to stay in step.
        const uint64_t kept = length < int32_t{kNameBufferBytes} ? uint64_t(length) : kNameBufferBytes - 1;
        if (!in.read(name, static_cast<size_t>(kept)) || !in.skip(uint64_t(length) - kept))
            return false;
    }
    for (uint64_t i = 0; i < count; ++i) {
        library.sprites[i] = &records[i];
        if (!in.readI32(library.spriteIds[i]) || !readSprite(in, arena, records[i]))
            return false;
    }
    return true;
}

bool writeSpriteLibrary(ByteWriter &out, const SpriteLibraryRecord &library) {
    if (!out.writeU32(library.tag1) || !out.writeU32(library.tag2) || !out.writeU32(library.tag3) ||
        !out.writeI32(library.spriteCount))
        return false;
    if (library.spriteCount <= 0)
        return true;
    if (!library.names || !library.spriteIds || !library.sprites)
        return false;
    const size_t count = static_cast<size_t>(library.spriteCount);
    for (size_t i = 0; i < count; ++i) {
        const char *name = library.names[i];
        if (!name)
            return false;
        const size_t length = std::strlen(name);
        if (length > INT32_MAX || !out.writeI32(static_cast<int32_t>(length)) || !out.write(name, length))
            return false;
    }
    for (size_t i = 0; i < count; ++i) {
        if (!library.sprites[i] || !out.writeI32(library.spriteIds[i]) || !writeSprite(out, *library.sprites[i]))
            return false;
    }
    return true;
}
