// A complete map file held exactly, record for record (layout in
// docs/formats.md), for the commands that rewrite maps. Sprites are named by
// identifier, as in the file; tile (x, y) is tiles[y * sizeX + x]. Sizes and
// the count are kept as the header gives them, zero or negative included:
// objects holds max(objectCount, 0) records, tiles sizeX * sizeY when both
// are positive and none otherwise.
#ifndef CLI_MAP_FILE_H
#define CLI_MAP_FILE_H

#include "client/map/map_data.h"

#include <cstdint>
#include <string>
#include <vector>

struct MapFile {
    int32_t tag = 0;
    int32_t sizeX = 0;
    int32_t sizeY = 0;
    int32_t objectCount = 0;
    std::vector<MapObject> objects;
    std::vector<MapTile> tiles;
};

// False with one line naming the path when the file cannot be read or does
// not hold every record its header announces. Bytes after the last tile are
// not read; bytesAfter counts them.
bool readMapFile(const std::string &path, MapFile &map, int64_t &bytesAfter, std::string &error);

// The file's bytes.
std::vector<uint8_t> encodeMapFile(const MapFile &map);

#endif
