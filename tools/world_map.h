// The sample world's map, built in memory and written in the map file
// format: a 16-byte header (tag, sizeX, sizeY, objectCount, each a signed
// 32-bit little-endian value), objectCount 24-byte object records (sprite,
// x, y, extentX, extentY, elevation) and sizeX * sizeY 5-byte tile records
// (sprite, attribute byte), row after row, x fastest.
//
// Sprites are named by identifier. Tile (x, y) is tiles[y * sizeX + x].
#ifndef TOOLS_WORLD_MAP_H
#define TOOLS_WORLD_MAP_H

#include <cstdint>
#include <vector>

namespace world {

struct WorldTile {
    int32_t sprite;
    uint8_t attribute;
};

struct WorldObject {
    int32_t sprite;
    int32_t x;
    int32_t y;
    int32_t extentX;
    int32_t extentY;
    int32_t elevation;
};

struct WorldMap {
    int32_t tag;
    int32_t sizeX;
    int32_t sizeY;
    std::vector<WorldTile> tiles;
    std::vector<WorldObject> objects;
};

WorldMap buildWorldMap();

// The map file's bytes.
std::vector<uint8_t> encodeMap(const WorldMap &map);

}  // namespace world

#endif
