// What the TMX tests share: a small world of sprites that exercises every
// placement and pixel rule of the Tiled export, maps over it, and rewriting a
// TMX's tile data in each encoding Tiled writes.
#ifndef TESTS_CLI_TMX_SUPPORT_H
#define TESTS_CLI_TMX_SUPPORT_H

#include "tests/cli/run_vornak.h"
#include "tools/world_map.h"

#include <string>
#include <vector>

// Identifiers of the test world's sprites.
enum TestSprite : int32_t {
    kDiamond = 1,  // 40 x 20 tile, 16 bits
    kTall = 2,     // 30 x 50 tile reaching out of its cell, 24 bits, two pixels the display keys out
    kGlass = 3,    // translucent 20 x 20, 16 bits
    kPost = 4,     // 15 x 40 object with an offset, 16 bits
    kEmpty = 9,    // no frames
    kAbsent = 77,  // not in the library
};

// The test world's library: the sprites above, with a second sprite of
// identifier kTall after the first (never drawn) and kEmpty without frames.
SampleLibrary testLibrary();

// A 6 x 5 map over the test library: every identifier, attribute bytes,
// objects on and off the map, negative extents and elevations.
world::WorldMap testMap();

// The TMX with its tile layer's data rewritten: "csv", "base64", "base64
// zlib", "base64 gzip" or "xml" (one <tile> element each).
std::string reencoded(const std::string &tmx, const std::string &encoding);

#endif
