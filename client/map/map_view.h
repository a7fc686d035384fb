// The isometric view: tiles are 40 x 20 diamonds, and map offset (dx, dy)
// from the centre tile lies at screen offset (20 (dx + dy), 10 (dx - dy)) from
// the screen centre. The view owns nothing: map, objects and drawSprite are
// borrowed, and draw does nothing until all three are set.
#ifndef CLIENT_MAP_MAP_VIEW_H
#define CLIENT_MAP_MAP_VIEW_H

#include <cstdint>

#include "client/map/map_data.h"
#include "client/map/object_list.h"

struct MapPoint {
    int32_t x;
    int32_t y;
};

// Draws sprite index `sprite` (-1 included) at a screen position; must draw
// nothing for an index the sprite library does not hold.
using DrawSpriteProc = bool (*)(int32_t sprite, int32_t x, int32_t y);

class MapView {
public:
    static constexpr int32_t kTileWidth = 40;
    static constexpr int32_t kTileHeight = 20;
    static constexpr int32_t kHalfTileWidth = kTileWidth / 2;
    static constexpr int32_t kHalfTileHeight = kTileHeight / 2;

    // Row r of a tile cell is covered from column leftEdge[r] to rightEdge[r].
    int8_t leftEdge[kTileHeight];
    int8_t rightEdge[kTileHeight];
    ObjectList *objects = nullptr;
    MapData *map = nullptr;
    int32_t centerX = 0;
    int32_t centerY = 0;
    int32_t radiusX = 0;
    int32_t radiusY = 0;
    int32_t screenCenterX = 0;
    int32_t screenCenterY = 0;
    DrawSpriteProc drawSprite = nullptr;

    MapView();

    // Tiles in 2 * radiusY + 2 half-rows of 2 * radiusX + 2 positions, top
    // down and left to right (each at its cell's top-left corner), then the
    // objects in list order at the middle of their tiles.
    bool draw();
    // The map position of the tile whose diamond holds screen point (sx, sy);
    // not limited to the map.
    MapPoint pick(int32_t sx, int32_t sy) const;

private:
    void drawHalfRow(int64_t firstX, int64_t firstY, int64_t screenX, int64_t screenY);
};

#endif
