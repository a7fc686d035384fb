// The sprite file and sprite library file formats, read from a ByteReader
// and written to a ByteWriter. All integers are little-endian.
//
// Readers fill the record they are given with memory from the arena; on
// false the record holds garbage and the arena's memory must not be kept.
// Writers only read the record; on false part of it may have been written.
#ifndef VORNAK_SPRITE_FORMAT_H
#define VORNAK_SPRITE_FORMAT_H

#include "common/sprite_records.h"
#include "vornak/byte_stream.h"
#include "vornak/module_heap.h"

#include <cstddef>

inline constexpr size_t kSpriteHeaderBytes = 11;
inline constexpr size_t kLibraryHeaderBytes = 16;
inline constexpr size_t kNameBufferBytes = 256;  // a loaded name keeps at most 255 bytes

bool readSprite(ByteReader &in, LoadArena &arena, SpriteRecord &sprite);
bool writeSprite(ByteWriter &out, const SpriteRecord &sprite);
bool readSpriteLibrary(ByteReader &in, LoadArena &arena, SpriteLibraryRecord &library);
bool writeSpriteLibrary(ByteWriter &out, const SpriteLibraryRecord &library);

#endif
