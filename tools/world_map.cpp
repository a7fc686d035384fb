#include "tools/world_map.h"

#include <cmath>

#include "tools/canvas.h"
#include "tools/world_layout.h"

namespace world {

namespace {

struct Lake {
    double x, y, deep, shallow, shore;
};

constexpr Lake kLakes[] = {
    {kLakeX, kLakeY, kLakeDeep, kLakeShallow, kLakeShore},
    {38.0, 44.0, 5.0, 6.5, 7.8},
    {50.0, 13.0, 1.4, 2.3, 3.1},
};

// Road segments beside the two main roads: a road to the plaza and one
// along its front.
struct Segment {
    int32_t x0, y0, x1, y1;
};
constexpr Segment kSideRoads[] = {{22, 3, 22, 19}, {7, 22, 19, 22}};

// The plaza of paving stones.
constexpr Segment kPlaza{20, 20, 24, 24};
// A ploughed field by the windmill, and the dirt path to it.
constexpr Segment kField{12, 0, 16, 2};
constexpr Segment kPath{7, 1, 11, 1};

bool inside(const Segment &s, int32_t x, int32_t y) {
    return x >= s.x0 && x <= s.x1 && y >= s.y0 && y <= s.y1;
}

// Smooth noise in 0..1 over lattice cells of the given size.
double valueNoise(int32_t x, int32_t y, int32_t cell, uint32_t seed) {
    const int32_t gx = x / cell;
    const int32_t gy = y / cell;
    auto smooth = [](double t) { return t * t * (3 - 2 * t); };
    const double fx = smooth(static_cast<double>(x % cell) / cell);
    const double fy = smooth(static_cast<double>(y % cell) / cell);
    auto corner = [&](int32_t i, int32_t j) { return hashPoint(gx + i, gy + j, seed) / 4294967296.0; };
    const double top = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * fx;
    const double bottom = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * fx;
    return top + (bottom - top) * fy;
}

uint8_t attributeOf(int32_t id) {
    for (const TerrainInfo &t : kTerrain)
        if (t.id == id)
            return t.attribute;
    return 0;
}

int32_t terrainAt(int32_t x, int32_t y) {
    for (const TilePlace &m : kMissingTiles)
        if (m.x == x && m.y == y)
            return m.id;
    if (x == kRoadX || y == kRoadY)
        return kRoad;
    for (const Segment &s : kSideRoads)
        if (inside(s, x, y))
            return kRoad;
    if (inside(kPlaza, x, y))
        return kPaving;
    if (inside(kField, x, y) || inside(kPath, x, y))
        return kDirt;
    for (const Lake &lake : kLakes) {
        // A little noise on the distance frays the shore.
        const double d = std::sqrt((x - lake.x) * (x - lake.x) + (y - lake.y) * (y - lake.y)) +
                         0.9 * (valueNoise(x, y, 3, 11) - 0.5);
        if (d < lake.deep)
            return kWater;
        if (d < lake.shallow)
            return kShallowWater;
        if (d < lake.shore)
            return kSand;
    }
    // The corner of the map at the start view's centre.
    if (x + y <= 2)
        return x == 1 && y == 1 ? kMeadow : kGrassLight;
    if (valueNoise(x, y, 7, 3) > 0.74)
        return kMeadow;
    if (valueNoise(x, y, 9, 5) > 0.86)
        return kDirt;
    const double green = valueNoise(x, y, 6, 1);
    if (green < 0.36)
        return kGrassDark;
    if (green < 0.64)
        return kGrass;
    return kGrassLight;
}

WorldObject single(int32_t sprite, int32_t x, int32_t y) {
    return {sprite, x, y, 1, 1, 0};
}

// The objects that the start view shows, and the plaza's.
void placeLandmarks(std::vector<WorldObject> &objects) {
    for (const ObjectPlace &p : kLandmarkObjects)
        objects.push_back({p.id, p.x, p.y, p.extentX, p.extentY, p.elevation});
    // An oak in front of the house and a bush behind it, both overlapping it.
    objects.push_back(single(kOak, 9, 4));
    objects.push_back(single(kBush, 7, 6));
    for (int32_t x = 10; x <= 13; ++x)
        objects.push_back(single(kFence, x, 4));
    for (const WorldObject &o :
         {single(kOak, 4, 0), single(kBush, 3, 0), single(kRock, 4, 4), single(kRock, 5, 6), single(kPine, 0, 11),
          single(kPine, 0, 12), single(kPine, 1, 13), single(kPine, 2, 13), single(kPine, 3, 13), single(kOak, 9, 7),
          single(kPine, 8, 8), single(kBush, 12, 1), single(kOak, 13, 2), single(kBush, 11, 6), single(kRock, 5, 1)})
        objects.push_back(o);
    objects.push_back({kHouse, 26, 22, 2, 2, 0});
    objects.push_back({kHouse, 24, 18, 2, 2, 0});
    objects.push_back({kTower, 19, 25, 1, 1, 1});
    objects.push_back(single(kFountain, 22, 22));
    objects.push_back(single(kWindmill, 30, 10));
}

bool occupied(const std::vector<WorldObject> &objects, int32_t x, int32_t y) {
    for (const WorldObject &o : objects)
        if (x > o.x + o.elevation - o.extentX && x <= o.x + o.elevation && y >= o.y - o.elevation &&
            y < o.y - o.elevation + o.extentY)
            return true;
    return false;
}

// Woods where the forest noise is high, a tree, bush or rock now and then
// elsewhere; only on grass, never in the start view.
void scatterNature(const WorldMap &map, std::vector<WorldObject> &objects) {
    static const int32_t kWood[] = {kPine, kPine, kOak};
    static const int32_t kLone[] = {kOak, kBush, kRock, kPine};
    for (int32_t y = 0; y < map.sizeY; ++y) {
        for (int32_t x = 0; x < map.sizeX; ++x) {
            const int32_t ground = map.tiles[static_cast<size_t>(y) * map.sizeX + x].sprite;
            if (x + y <= 17 || (ground != kGrass && ground != kGrassDark && ground != kGrassLight))
                continue;
            if (occupied(objects, x, y))
                continue;
            const uint32_t roll = hashPoint(x, y, 77);
            if (valueNoise(x, y, 8, 9) > 0.72 && roll % 4 == 0)
                objects.push_back(single(kWood[roll / 4 % 3], x, y));
            else if (roll % 61 == 0)
                objects.push_back(single(kLone[roll / 61 % 4], x, y));
        }
    }
}

void put32(std::vector<uint8_t> &out, int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

}  // namespace

WorldMap buildWorldMap() {
    WorldMap map{kMapTag, kMapSizeX, kMapSizeY, {}, {}};
    for (int32_t y = 0; y < map.sizeY; ++y) {
        for (int32_t x = 0; x < map.sizeX; ++x) {
            const int32_t id = terrainAt(x, y);
            map.tiles.push_back({id, attributeOf(id)});
        }
    }
    placeLandmarks(map.objects);
    scatterNature(map, map.objects);
    return map;
}

std::vector<uint8_t> encodeMap(const WorldMap &map) {
    std::vector<uint8_t> out;
    put32(out, map.tag);
    put32(out, map.sizeX);
    put32(out, map.sizeY);
    put32(out, static_cast<int32_t>(map.objects.size()));
    for (const WorldObject &o : map.objects) {
        for (const int32_t v : {o.sprite, o.x, o.y, o.extentX, o.extentY, o.elevation})
            put32(out, v);
    }
    for (const WorldTile &t : map.tiles) {
        put32(out, t.sprite);
        out.push_back(t.attribute);
    }
    return out;
}

}  // namespace world
