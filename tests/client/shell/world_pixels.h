// What the sample world must look like, worked out from its documented
// layout alone: screen pixels and their 5-6-5 words, with the view centred on
// tile (cx, cy) and the screen centre at (320, 240).
#ifndef TESTS_CLIENT_SHELL_WORLD_PIXELS_H
#define TESTS_CLIENT_SHELL_WORLD_PIXELS_H

#include <cstdint>
#include <string>
#include <vector>

#include "tools/world_layout.h"

struct ExpectedPixel {
    int x, y;
    uint16_t word;
    std::string what;
};

// The 3 x 3 pixels at the middle of every landmark tile and the key pixel of
// every keyed landmark object, where they fall on the screen.
inline std::vector<ExpectedPixel> expectedWorldPixels(int cx, int cy)
{
    std::vector<ExpectedPixel> pixels;
    auto add = [&](int x, int y, uint16_t word, const std::string &what) {
        if (x >= 0 && x < 640 && y >= 0 && y < 480) pixels.push_back({x, y, word, what});
    };
    for (const world::TilePlace &tile : world::kLandmarkTiles) {
        const int sx = 320 + 20 * ((tile.x - cx) + (tile.y - cy)), sy = 240 + 10 * ((tile.x - cx) - (tile.y - cy));
        for (const world::TerrainInfo &terrain : world::kTerrain) {
            if (terrain.id != tile.id) continue;
            for (int i = 0; i < 9; ++i)
                add(sx + i % 3 - 1, sy + i / 3 - 1, world::displayWord(terrain.key), "tile " + std::to_string(tile.x) + "," + std::to_string(tile.y));
        }
    }
    for (const world::ObjectPlace &object : world::kLandmarkObjects) {
        if (object.id == world::kFountain) continue;  // translucent
        add(320 + 20 * ((object.x - cx) + (object.y - cy)) + object.keyDx,
            240 + 10 * ((object.x - cx) - (object.y - cy)) + object.keyDy, world::displayWord(object.key),
            "object " + std::to_string(object.id));
    }
    return pixels;
}

#endif
