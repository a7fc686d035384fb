// The loaded map as a plain record, shared by pointer between Map (which
// loads into it and owns the tile storage), ObjectList (which takes the
// objects over at its rebuild) and MapView (which reads the tiles).
//
// Tile (x, y) is tileRows[y][x]; the rows are sizeY pointers into one block of
// sizeX * sizeY tiles. tileRows is null when there are no tiles (always when
// sizeX or sizeY is zero or less), so readers test it before the sizes.
// objects holds objectCount records (none when the count is zero or less).
// Sprite fields hold library indices after loading, -1 for none.
#ifndef CLIENT_MAP_MAP_DATA_H
#define CLIENT_MAP_MAP_DATA_H

#include <cstdint>

struct MapTile {
    int32_t sprite;
    uint8_t attribute;  // kept as read, not interpreted
};

struct MapObject {
    int32_t sprite;
    int32_t x;
    int32_t y;
    int32_t extentX;
    int32_t extentY;
    int32_t elevation;
};

struct MapData {
    int32_t mapTag;  // kept as read, not interpreted
    int32_t sizeX;
    int32_t sizeY;
    int32_t objectCount;
    MapObject *objects;  // allocated with new[]
    MapTile **tileRows;  // table allocated with new[]; tileRows[0] owns the block
};

#endif
