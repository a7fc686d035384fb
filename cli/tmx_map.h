// Maps as Tiled maps, and back (docs/tiled.md has the whole layout).
//
// The TMX is an isometric map of 40 x 20 tiles. Map tile (x, y) is Tiled's
// column x, row height - 1 - y: the map's +y runs up and to the right on
// the screen, Tiled's rows down and to the left. Each sprite identifier is
// one tileset of one picture carrying the identifier as its spriteId
// property. Tiles are one tile layer; objects are tile objects in one object
// layer, in the viewer's depth order, each at the middle of its tile in
// Tiled's object coordinates (tileheight units along both axes), in a layer
// shifted kObjectLayerShift pixels down so that one tileset offset places a
// sprite both as a tile and as an object.
#ifndef CLI_TMX_MAP_H
#define CLI_TMX_MAP_H

#include "cli/map_file.h"
#include "common/replace_file.h"
#include "common/sprite_records.h"

#include <cstdint>
#include <string>

inline constexpr int32_t kTmxTileWidth = 40;
inline constexpr int32_t kTmxTileHeight = 20;
inline constexpr int32_t kObjectLayerShift = 20;

// Tiled's object coordinate of the middle of column or row `cell`.
inline double tmxCellMiddle(int64_t cell) {
    return double(kTmxTileHeight * cell + kTmxTileHeight / 2);
}

// Writes name.tmx, one tileset file (.tsx) per identifier and their PNG
// pictures into out. The library's first sprite with an identifier gives its
// tileset the first frame's picture as the viewer draws it; identifiers the
// library lacks get a transparent picture. False with one line in error.
bool writeTmx(const MapFile &map, const SpriteLibraryRecord &library, const std::string &name, NewDirectory &out,
              std::string &error);

// Reads a TMX written by writeTmx, or by Tiled from one, with its tilesets
// (the files it names must exist, pictures included), into map. False with
// one line in error naming the file and, for a tile or an object, which.
bool readTmx(const std::string &path, MapFile &map, std::string &error);

#endif
