// The test's own view of the sample world: the map file parsed by hand and
// the library loaded through the module, with the pixel layouts decoded
// here rather than by the code that wrote them.
#ifndef TESTS_TOOLS_WORLD_READER_H
#define TESTS_TOOLS_WORLD_READER_H

#include <cstdint>
#include <string>
#include <vector>

#include "common/sprite_records.h"
#include "tools/world_layout.h"

struct MapFile {
    std::vector<uint8_t> bytes;
    int32_t tag = 0, sizeX = 0, sizeY = 0, objectCount = 0;
    std::vector<std::vector<int32_t>> objects;  // six values each
    std::vector<int32_t> tileIds;               // y * sizeX + x
    std::vector<uint8_t> attributes;
};

std::vector<uint8_t> readFile(const std::string &path);
// Parses what the bytes hold; short files leave the rest empty.
MapFile parseMap(std::vector<uint8_t> bytes);

// Pixel (x, y) of a frame as 8-bit channels (16-bit pixels give the five
// stored bits in the top of each byte); false where it is transparent.
bool framePixel(const SpriteRecord &sprite, int frame, int x, int y, world::Rgb &out);

// "(r,g,b)" for failure messages.
std::string text(world::Rgb c);

// The library position of an identifier, or -1.
int indexOfId(const SpriteLibraryRecord &library, int32_t id);

#endif
