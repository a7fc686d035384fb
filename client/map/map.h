// Loads a map file into a MapData record that its owner provides and
// zero-fills. The file is little-endian, no padding:
//   16-byte header: mapTag, sizeX, sizeY, objectCount (int32 each);
//   objectCount records of six int32 (sprite id, x, y, extentX, extentY,
//   elevation); then sizeX * sizeY tile records (int32 sprite id, uint8
//   attribute), row after row.
// Counts the file cannot back are cut down to what its real size holds, so a
// lying header never makes a big allocation; anything the file does not
// supply reads sprite -1 and zeros. The Map owns the tile storage it puts
// into the record; the object array passes to the ObjectList at its rebuild.
#ifndef CLIENT_MAP_MAP_H
#define CLIENT_MAP_MAP_H

#include "client/map/map_data.h"

class SpriteLibrary;

class Map {
public:
    MapData *data = nullptr;

    Map() = default;
    ~Map();
    Map(const Map &) = delete;
    Map &operator=(const Map &) = delete;

    // False only when the file cannot be opened; then nothing is read.
    bool load(const char *path, SpriteLibrary &library);
    // Replaces every sprite identifier (objects, then tiles row by row) by its
    // library index, -1 when the library lacks it.
    void resolveSprites(SpriteLibrary &library);

private:
    void releaseTiles();
};

#endif
