// The sample world that make_world writes: "sprites/test.lspr" and
// "maps/test.map", both below the program directory.
//
// Everything here is a fixed value, so a test can work out what the viewer
// must show without running any of the code that made the world.
//
// Screen geometry (view centred on tile (0, 0), screen centre (320, 240)):
// the middle of tile (x, y) lies at (320 + 20 * (x + y), 240 + 10 * (x - y)),
// its 40 x 20 cell's top-left corner 20 left and 10 above that. At start the
// screen shows the part of the map with x + y <= 16, right of the centre.
//
// Terrain sprites are one 40 x 20 frame with origin and offset (0, 0): the
// diamond of the view (row r covers columns 18 - 2r .. 21 + 2r for r < 10,
// rows 10..19 mirror rows 9..0), every pixel outside it 0. The 3 x 3 pixels
// at columns 19..21, rows 9..11 of each terrain frame hold exactly its key
// colour. Objects are drawn at the middle of their tile and stand there
// through their origin (the point of the picture that touches the ground).
//
// The start view (tile (x, y) written x,y; +x runs to the lower right on the
// screen, +y to the upper right):
//   - roads of cobbles along x == 6 and y == 3, crossing at 6,3 (screen
//     (500, 270)); tiles 0,0 .. 2,0 and 0,1, 0,2 are light grass, 1,1 meadow;
//   - a lake around 2.5,8 (deep water, a shallow ring, a sand shore) with a
//     translucent fountain at 2,8; a row of pines beyond it at y 11..13;
//   - a stone tower drawn at 0,5 whose footprint (elevation 1) is 1,4;
//   - a house on the 2 x 2 block 7..8 x 4..5 (front tile 8,4), an oak in
//     front of it at 9,4, a bush behind it at 7,6, a fence on 10..13,4;
//   - a windmill at 10,0 by a dirt path (7..11,1) and a field (12..16, 0..2).
// Beyond the start view: a village on a paved plaza (20..24 x 20..24) with a
// second fountain, two houses and a tower; woods; lakes around 38,44 and
// 50,13; side roads along x == 22 (y 3..19) and y == 22 (x 7..19); and, in
// the far corner, four tiles whose sprite the library lacks: they draw
// nothing, as the viewer does for any identifier the library lacks.
//
// All key colours have channels that are multiples of 8, so they survive
// the reduction to 5 bits per channel (6 for green on a 5-6-5 display)
// unchanged, whether the sprite is stored with 16 or 24 bits.
#ifndef TOOLS_WORLD_LAYOUT_H
#define TOOLS_WORLD_LAYOUT_H

#include <cstdint>

namespace world {

struct Rgb {
    uint8_t r;
    uint8_t g;
    uint8_t b;
};

constexpr bool operator==(Rgb a, Rgb b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// The 5-6-5 display word of a key colour.
constexpr uint16_t displayWord(Rgb c) {
    return static_cast<uint16_t>(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
}

// Sprite identifiers, in library order.
enum SpriteId : int32_t {
    kGrassLight = 100,
    kGrass = 101,
    kGrassDark = 102,
    kSand = 103,
    kWater = 104,
    kShallowWater = 105,
    kRoad = 106,
    kDirt = 107,
    kMeadow = 108,  // grass with flowers
    kPaving = 109,  // stone slabs
    kOak = 200,
    kPine = 201,
    kRock = 202,
    kHouse = 203,     // 2 x 2 footprint, front corner at its tile
    kTower = 204,     // elevation 1: footprint and foot at tile (x + 1, y - 1)
    kFence = 205,     // runs along x through the middle of its tile
    kFountain = 206,  // translucent (hasOptionalBlock 1), over water
    kWindmill = 207,  // four frames, the sails turning; frame 0 is drawn
    kBush = 208,
};

// Tiles name this identifier, which no sprite in the library carries.
constexpr int32_t kMissingId = 150;

struct TerrainInfo {
    int32_t id;
    const char *name;
    uint16_t bitsPerPixel;
    Rgb key;
    uint8_t attribute;  // the tile record's byte: 0 land, 1 water, 2 road
};

constexpr TerrainInfo kTerrain[] = {
    {kGrassLight, "grass light", 16, {120, 192, 80}, 0},
    {kGrass, "grass", 16, {96, 168, 64}, 0},
    {kGrassDark, "grass dark", 16, {72, 136, 48}, 0},
    {kSand, "sand", 16, {224, 200, 136}, 0},
    {kWater, "water", 16, {40, 96, 176}, 1},
    {kShallowWater, "shallow water", 24, {72, 144, 200}, 1},
    {kRoad, "road", 16, {152, 152, 144}, 2},
    {kDirt, "dirt", 16, {136, 96, 56}, 0},
    {kMeadow, "meadow", 24, {104, 176, 72}, 0},
    {kPaving, "paving", 24, {184, 176, 160}, 2},
};
constexpr int kTerrainCount = sizeof(kTerrain) / sizeof(kTerrain[0]);

struct ObjectInfo {
    int32_t id;
    const char *name;
    uint16_t bitsPerPixel;
    uint8_t translucent;  // the sprite's hasOptionalBlock
    uint16_t frameCount;
};

constexpr ObjectInfo kObjectKinds[] = {
    {kOak, "oak", 16, 0, 1},           {kPine, "pine", 16, 0, 1},         {kRock, "rock", 24, 0, 1},
    {kHouse, "house", 16, 0, 1},       {kTower, "tower", 16, 0, 1},       {kFence, "fence", 16, 0, 1},
    {kFountain, "fountain", 16, 1, 1}, {kWindmill, "windmill", 16, 0, 4}, {kBush, "bush", 24, 0, 1},
};
constexpr int kObjectKindCount = sizeof(kObjectKinds) / sizeof(kObjectKinds[0]);
constexpr int kSpriteCount = kTerrainCount + kObjectKindCount;

// Library header values and the map's tag.
constexpr uint32_t kLibraryTag1 = 1;
constexpr uint32_t kLibraryTag2 = kSpriteCount;
constexpr uint32_t kLibraryTag3 = 0;
constexpr int32_t kMapTag = 1;
constexpr int32_t kMapSizeX = 64;
constexpr int32_t kMapSizeY = 64;

// Roads: every tile with x == kRoadX or y == kRoadY (outside the paving).
constexpr int32_t kRoadX = 6;
constexpr int32_t kRoadY = 3;

// The lake that the start view shows: centre and radii (in tiles) of its
// deep water, shallow ring and sand shore.
constexpr double kLakeX = 2.5;
constexpr double kLakeY = 8.0;
constexpr double kLakeDeep = 1.9;
constexpr double kLakeShallow = 2.7;
constexpr double kLakeShore = 3.5;

struct TilePlace {
    int32_t x;
    int32_t y;
    int32_t id;
};

// Tiles near (0, 0) whose middle no object covers: the pixel at the middle
// of each (and the 3 x 3 around it) shows the terrain's key colour.
constexpr TilePlace kLandmarkTiles[] = {
    {0, 0, kGrassLight}, {1, 1, kMeadow}, {6, 3, kRoad},         {6, 0, kRoad}, {10, 3, kRoad},
    {6, 9, kRoad},       {3, 8, kWater},  {1, 6, kShallowWater}, {4, 5, kSand},
};

// Tiles whose identifier is kMissingId; they draw nothing. They sit in the
// map's far corner, out of the views near the start, so that the holes they
// leave are not taken for a fault of the viewer.
constexpr TilePlace kMissingTiles[] = {
    {61, 63, kMissingId},
    {62, 63, kMissingId},
    {63, 63, kMissingId},
    {63, 62, kMissingId},
};

struct ObjectPlace {
    int32_t id;
    int32_t x;
    int32_t y;
    int32_t extentX;
    int32_t extentY;
    int32_t elevation;
    // A pixel of the object's frame 0, relative to its draw point (the
    // middle of its tile), that nothing drawn later covers, and its colour.
    int32_t keyDx;
    int32_t keyDy;
    Rgb key;
};

// Landmark objects in the start view. The fountain is translucent: its key
// pixel lies over the middle of kFountainGround's key patch, and the screen
// shows the two colours mixed half and half.
constexpr ObjectPlace kLandmarkObjects[] = {
    {kHouse, 8, 4, 2, 2, 0, -20, -16, {232, 216, 176}},     // left wall plaster
    {kTower, 0, 5, 1, 1, 1, -4, 4, {168, 160, 152}},        // left wall stone
    {kWindmill, 10, 0, 1, 1, 0, -4, -20, {240, 232, 216}},  // white body
    {kFountain, 2, 8, 1, 1, 0, 0, -20, {232, 240, 248}},    // the jet
    {kOak, 2, 1, 1, 1, 0, 0, -4, {112, 80, 48}},            // trunk
};

constexpr TilePlace kFountainGround = {1, 9, kShallowWater};

}  // namespace world

#endif
