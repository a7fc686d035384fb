#include "tools/world_sprites.h"

#include <cmath>

#include "tools/canvas.h"

namespace world {

namespace {

// One frame as painted: the picture and its anchor.
struct Frame {
    Canvas picture;
    uint16_t originX;
    uint16_t originY;
};

constexpr int kTileWidth = 40;
constexpr int kTileHeight = 20;

// The view's diamond: row r of the 40 x 20 cell covers these columns.
int diamondLeft(int row) {
    return row < 10 ? 18 - 2 * row : diamondLeft(19 - row);
}
int diamondRight(int row) {
    return row < 10 ? 21 + 2 * row : diamondRight(19 - row);
}

// A random step in -spread..spread for pixel (x, y).
int jitter(int x, int y, uint32_t seed, int spread) {
    return static_cast<int>(hashPoint(x, y, seed) % (2 * spread + 1)) - spread;
}

bool oneIn(int x, int y, uint32_t seed, uint32_t n) {
    return hashPoint(x, y, seed) % n == 0;
}

// Isometric cell coordinates of a cell pixel: lines of constant s or t run
// parallel to the diamond's edges, and both span 0..40 across one tile, so
// patterns whose period divides 40 continue from one tile into the next.
int isoS(int x, int y) {
    return x + 2 * y - 20;
}
int isoT(int x, int y) {
    return x - 2 * y + 20;
}

Rgb grassPixel(Rgb base, int x, int y, uint32_t seed) {
    Rgb c = shade(base, 4 * jitter(x, y, seed, 2));
    if (oneIn(x, y, seed + 1, 11))
        c = shade(base, 18);
    if (oneIn(x, y - 1, seed + 1, 11))
        c = shade(base, 12);  // blade tips above
    if (oneIn(x, y, seed + 2, 17))
        c = shade(base, -20);
    return c;
}

// Stones laid on the iso grid with the given period; the centre of the
// cell lies in the middle of a stone.
Rgb stonePixel(Rgb base, int x, int y, int period, uint32_t seed) {
    const int s = isoS(x, y) + period / 2;
    const int t = isoT(x, y) + period / 2;
    const int si = s / period;
    const int ti = t / period;
    const int su = s % period;
    const int tu = t % period;
    if (su < 2 || tu < 2)
        return shade(base, -44);
    Rgb c = shade(base, 6 * jitter(si, ti, seed, 2) + jitter(x, y, seed + 3, 3));
    if (su < 3 || tu < 3)
        c = shade(c, 16);  // light on the stone's upper edges
    if (su == period - 1 || tu == period - 1)
        c = shade(c, -14);
    return c;
}

// A wave of period 1 between -1 and 1. Plain arithmetic, so every platform
// paints the same bytes (library sines may differ in the last bit).
double triangleWave(double v) {
    return std::fabs(v - std::floor(v) - 0.5) * 4 - 1;
}

Rgb waterPixel(Rgb base, int x, int y, uint32_t seed) {
    const double wave = triangleWave(x * 0.055 + y * 0.2) + triangleWave(x * 0.018 - y * 0.11);
    Rgb c = shade(base, static_cast<int>(std::lround(wave * 5)));
    // Short light dashes on the ripples.
    if (hashPoint((x + 3 * y) / 5, y, seed) % 9 == 0)
        c = mix(c, {224, 240, 248}, 0.45);
    return c;
}

Rgb terrainPixel(const TerrainInfo &terrain, int x, int y) {
    const Rgb base = terrain.key;
    const uint32_t seed = static_cast<uint32_t>(terrain.id);
    switch (terrain.id) {
    case kGrassLight:
    case kGrass:
    case kGrassDark: return grassPixel(base, x, y, seed);
    case kMeadow: {
        static const Rgb petals[] = {{248, 248, 240}, {248, 224, 64}, {240, 128, 176}, {176, 120, 232}};
        if (oneIn(x, y, seed, 19))
            return petals[hashPoint(x, y, seed + 9) % 4];
        return grassPixel(base, x, y, seed);
    }
    case kSand: {
        Rgb c = shade(base, 3 * jitter(x, y, seed, 2));
        if (oneIn(x, y, seed + 1, 13))
            c = shade(base, -26);
        if (oneIn(x, y, seed + 2, 17))
            c = shade(base, 16);
        return c;
    }
    case kDirt: {
        Rgb c = shade(base, 4 * jitter(x, y, seed, 2));
        if (oneIn(x / 2, y, seed + 1, 23))
            c = shade(base, 34);
        if (oneIn(x, y, seed + 2, 19))
            c = shade(base, -28);
        return c;
    }
    case kWater:
    case kShallowWater: {
        Rgb c = waterPixel(base, x, y, seed);
        if (terrain.id == kShallowWater && oneIn(x, y, seed + 4, 29))
            c = mix(c, {224, 200, 136}, 0.5);
        return c;
    }
    case kRoad: return stonePixel(base, x, y, 10, seed);
    case kPaving: return stonePixel(base, x, y, 20, seed);
    default: return base;
    }
}

Frame paintTerrain(const TerrainInfo &terrain) {
    Canvas c(kTileWidth, kTileHeight);
    for (int y = 0; y < kTileHeight; ++y)
        for (int x = diamondLeft(y); x <= diamondRight(y); ++x)
            c.set(x, y, terrainPixel(terrain, x, y));
    c.fillRect(19, 9, 3, 3, terrain.key);
    return {c, 0, 0};
}

// A box on a diamond footprint: centre (cx, cy) of the footprint on the
// ground, half-width hw (the half-height is hw / 2) and wall height h.
struct IsoBox {
    double cx, cy, hw, h;
    PointF front() const { return {cx, cy + hw / 2}; }
    PointF left() const { return {cx - hw, cy}; }
    PointF right() const { return {cx + hw, cy}; }
    PointF back() const { return {cx, cy - hw / 2}; }
};

PointF up(PointF p, double h) {
    return {p.x, p.y - h};
}

// A point on the wall between ground corners a and b: along the wall by t
// (0 at a, 1 at b), at height h.
PointF onWall(PointF a, PointF b, double t, double h) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t - h};
}

void wallPanel(Canvas &c, PointF a, PointF b, double t0, double t1, double h0, double h1, Rgb colour) {
    c.fillPolygon({onWall(a, b, t0, h0), onWall(a, b, t1, h0), onWall(a, b, t1, h1), onWall(a, b, t0, h1)}, colour);
}

void window(Canvas &c, PointF a, PointF b, double t0, double t1, double h0, double h1) {
    wallPanel(c, a, b, t0 - 0.03, t1 + 0.03, h0 - 2, h1 + 2, {248, 240, 224});
    wallPanel(c, a, b, t0, t1, h0, h1, {56, 72, 112});
    wallPanel(c, a, b, t0, (t0 + t1) / 2 - 0.01, h0 + (h1 - h0) * 0.5, h1, {96, 128, 168});
}

std::vector<Frame> paintHouse() {
    // The 2 x 2 block's front corner lies 10 below the draw point.
    Canvas c(82, 78);
    const PointF frontCorner{41, 76};
    const double wallHeight = 28;
    const double roofHeight = 26;
    const IsoBox walls{frontCorner.x, frontCorner.y - 20, 36, wallHeight};
    const IsoBox eaves{frontCorner.x, frontCorner.y - 20 - wallHeight, 41, 0};
    const Rgb plaster{232, 216, 176};
    const Rgb plasterShade{200, 180, 140};
    c.fillPolygon({walls.left(), walls.front(), up(walls.front(), wallHeight), up(walls.left(), wallHeight)}, plaster);
    c.fillPolygon({walls.front(), walls.right(), up(walls.right(), wallHeight), up(walls.front(), wallHeight)},
                  plasterShade);
    // Timber corner post and sill.
    c.line(walls.front().x, walls.front().y, walls.front().x, walls.front().y - wallHeight, 2, {120, 80, 48});
    c.line(walls.left().x, walls.left().y, walls.front().x, walls.front().y, 2, {120, 80, 48});
    c.line(walls.front().x, walls.front().y, walls.right().x, walls.right().y, 2, {96, 64, 40});
    window(c, walls.left(), walls.front(), 0.12, 0.32, 10, 20);
    window(c, walls.left(), walls.front(), 0.66, 0.86, 10, 20);
    window(c, walls.front(), walls.right(), 0.62, 0.82, 10, 20);
    wallPanel(c, walls.front(), walls.right(), 0.2, 0.42, 0, 19, {112, 64, 40});
    wallPanel(c, walls.front(), walls.right(), 0.23, 0.39, 1, 17, {144, 88, 48});
    const PointF apex{eaves.cx, eaves.cy - roofHeight};
    c.fillPolygon({eaves.left(), eaves.back(), apex}, {176, 72, 56});
    c.fillPolygon({eaves.back(), eaves.right(), apex}, {152, 60, 48});
    c.fillPolygon({eaves.left(), eaves.front(), apex}, {208, 96, 64});
    c.fillPolygon({eaves.front(), eaves.right(), apex}, {168, 72, 48});
    // Rows of roof tiles, parallel to the eaves.
    for (double t = 0.2; t < 0.95; t += 0.2) {
        auto toward = [&](PointF p, double k) { return PointF{p.x + (apex.x - p.x) * k, p.y + (apex.y - p.y) * k}; };
        const PointF l = toward(eaves.left(), t), f = toward(eaves.front(), t), r = toward(eaves.right(), t);
        c.line(l.x, l.y, f.x, f.y, 1, {176, 76, 52});
        c.line(f.x, f.y, r.x, r.y, 1, {136, 56, 40});
    }
    c.line(eaves.front().x, eaves.front().y, apex.x, apex.y, 1.5, {120, 48, 32});
    // Chimney on the right slope.
    c.fillRect(54, 22, 5, 12, {136, 72, 56});
    c.fillRect(53, 20, 7, 3, {96, 56, 48});
    return {{c, 41, 66}};
}

std::vector<Frame> paintTower() {
    // The foot is one tile further down the screen than the draw point: the
    // tower's elevation 1 moves its footprint there.
    Canvas c(36, 104);
    const IsoBox walls{18, 96, 13, 58};
    const Rgb stone{168, 160, 152};
    const Rgb stoneShade{128, 120, 112};
    c.fillPolygon({walls.left(), walls.front(), up(walls.front(), walls.h), up(walls.left(), walls.h)}, stone);
    c.fillPolygon({walls.front(), walls.right(), up(walls.right(), walls.h), up(walls.front(), walls.h)}, stoneShade);
    // Courses of stone every 8 pixels, with a few joints.
    for (double h = 8; h < walls.h; h += 8) {
        const PointF l = up(walls.left(), h), f = up(walls.front(), h), r = up(walls.right(), h);
        c.line(l.x, l.y, f.x, f.y, 1, {136, 128, 120});
        c.line(f.x, f.y, r.x, r.y, 1, {104, 96, 88});
    }
    wallPanel(c, walls.left(), walls.front(), 0.55, 0.8, 30, 40, {40, 40, 56});
    wallPanel(c, walls.front(), walls.right(), 0.25, 0.6, 0, 14, {80, 56, 40});
    // Battlements, then the slate roof and its flag.
    const double top = walls.cy - walls.h;
    for (int i = 0; i < 4; ++i)
        c.fillRect(5 + 7 * i, static_cast<int>(top) - 10, 5, 5, i < 2 ? stone : stoneShade);
    c.fillPolygon({{4, top - 5}, {32, top - 5}, {32, top + 1}, {18, top + 8}, {4, top + 1}}, {144, 136, 128});
    c.fillPolygon({{6, top - 6}, {18, top - 30}, {18, top - 2}}, {96, 104, 144});
    c.fillPolygon({{18, top - 30}, {30, top - 6}, {18, top - 2}}, {64, 72, 112});
    c.line(18, top - 30, 18, top - 38, 1, {80, 64, 48});
    c.fillPolygon({{18.5, top - 38}, {26, top - 35.5}, {18.5, top - 33}}, {216, 48, 40});
    return {{c, 18, 76}};
}

std::vector<Frame> paintOak() {
    Canvas c(38, 50);
    c.fillRect(17, 30, 5, 17, {112, 80, 48});
    c.fillRect(21, 30, 1, 17, {80, 56, 32});
    c.set(16, 46, {96, 68, 40});
    c.set(22, 46, {80, 56, 32});
    const Rgb leaves{64, 128, 48};
    c.fillLitEllipse(19, 24, 12, 8, shade(leaves, -10), 30);
    c.fillLitEllipse(19, 17, 15, 12, leaves, 40);
    c.fillLitEllipse(12, 14, 8, 7, shade(leaves, 14), 30);
    c.fillLitEllipse(25, 12, 8, 7, shade(leaves, 6), 30);
    c.fillLitEllipse(18, 8, 8, 6, shade(leaves, 22), 28);
    for (int i = 0; i < 40; ++i) {
        const int x = 6 + static_cast<int>(hashPoint(i, 0, 7) % 26);
        const int y = 4 + static_cast<int>(hashPoint(i, 1, 7) % 22);
        if (c.covered(x, y) && (x - 19) * (x - 19) + (y - 16) * (y - 16) < 150)
            c.set(x, y, shade(c.at(x, y), -26));
    }
    return {{c, 19, 46}};
}

std::vector<Frame> paintPine() {
    Canvas c(28, 56);
    c.fillRect(12, 42, 4, 11, {104, 72, 44});
    c.fillRect(15, 42, 1, 11, {72, 48, 32});
    const Rgb needles{40, 104, 64};
    struct Tier {
        double top, bottom, half;
    };
    for (const Tier t : {Tier{20, 46, 13}, Tier{10, 35, 11}, Tier{1, 23, 8}}) {
        c.fillPolygon({{14, t.top}, {14 - t.half, t.bottom}, {14, t.bottom - 2}}, shade(needles, 10));
        c.fillPolygon({{14, t.top}, {14, t.bottom - 2}, {14 + t.half, t.bottom}}, shade(needles, -16));
        c.line(14 - t.half + 2, t.bottom - 1, 14 + t.half - 2, t.bottom - 1, 1, shade(needles, -30));
    }
    return {{c, 14, 52}};
}

std::vector<Frame> paintRock() {
    Canvas c(28, 18);
    c.fillLitEllipse(14, 10, 13, 7.5, {136, 132, 124}, 56);
    c.fillLitEllipse(9, 8, 6, 5, {152, 148, 140}, 40);
    c.line(15, 5, 18, 11, 1, {88, 84, 80});
    c.line(18, 11, 22, 12, 1, {88, 84, 80});
    return {{c, 14, 14}};
}

std::vector<Frame> paintBush() {
    Canvas c(26, 18);
    const Rgb leaves{56, 128, 56};
    c.fillLitEllipse(8, 11, 7, 6, leaves, 34);
    c.fillLitEllipse(18, 11, 7, 6, shade(leaves, -8), 34);
    c.fillLitEllipse(13, 7, 8, 6, shade(leaves, 12), 34);
    for (int i = 0; i < 9; ++i) {
        const int x = 3 + static_cast<int>(hashPoint(i, 2, 11) % 20);
        const int y = 3 + static_cast<int>(hashPoint(i, 3, 11) % 12);
        if (c.covered(x, y))
            c.set(x, y, {216, 48, 64});
    }
    return {{c, 13, 15}};
}

std::vector<Frame> paintFence() {
    // Along +x through the middle of the tile: from the middle of its upper
    // left edge to the middle of its lower right edge.
    Canvas c(25, 25);
    const PointF from{2, 13};
    const PointF to{22, 23};
    const Rgb wood{168, 128, 80};
    const Rgb woodShade{112, 80, 48};
    for (const double h : {4.0, 9.0}) {
        c.line(from.x, from.y - h + 1, to.x, to.y - h + 1, 1, woodShade);
        c.line(from.x, from.y - h, to.x, to.y - h, 1.5, wood);
    }
    for (const PointF p : {from, PointF{12, 18}, to}) {
        c.fillRect(static_cast<int>(p.x) - 1, static_cast<int>(p.y) - 13, 2, 14, wood);
        c.fillRect(static_cast<int>(p.x) + 1, static_cast<int>(p.y) - 13, 1, 14, woodShade);
    }
    return {{c, 12, 18}};
}

std::vector<Frame> paintFountain() {
    Canvas c(32, 42);
    const Rgb spray{232, 240, 248};
    c.fillEllipse(16, 37, 13, 4, {200, 224, 248});
    for (const int side : {-1, 1}) {
        for (double t = 0; t <= 1.0; t += 0.04) {
            const double x = 16 + side * t * 12;
            const double y = 8 + 60 * (t - 0.15) * (t - 0.15) - 1.35;
            c.fillEllipse(x, y, 1.2, 1.2, {216, 232, 248});
        }
    }
    c.fillRect(15, 4, 3, 34, spray);
    c.fillEllipse(16, 5, 3, 2.5, {248, 248, 248});
    return {{c, 16, 37}};
}

std::vector<Frame> paintWindmill() {
    std::vector<Frame> frames;
    for (int f = 0; f < 4; ++f) {
        Canvas c(72, 100);
        const double cx = 36;
        const double base = 94;
        c.fillPolygon({{cx - 13, base}, {cx, base + 4}, {cx, 44}, {cx - 8, 44}}, {240, 232, 216});
        c.fillPolygon({{cx, base + 4}, {cx + 13, base}, {cx + 8, 44}, {cx, 44}}, {200, 188, 168});
        c.fillPolygon({{cx - 4, base + 2}, {cx + 4, base + 2}, {cx + 4, base - 12}, {cx - 4, base - 12}},
                      {120, 80, 48});
        c.fillEllipse(cx - 6, 66, 2, 3, {64, 72, 104});
        c.fillPolygon({{cx - 11, 46}, {cx, 30}, {cx, 48}}, {144, 88, 56});
        c.fillPolygon({{cx, 30}, {cx + 11, 46}, {cx, 48}}, {112, 64, 40});
        // Four sails, a quarter turn apart, turned further in each frame.
        const double hub = 40;
        // cos and sin of 20, 42.5, 65 and 87.5 degrees, as constants for the
        // same reason as triangleWave.
        static const PointF turns[] = {{0.9396926207859084, 0.3420201433256687},
                                       {0.7372773368101240, 0.6755902076156602},
                                       {0.4226182617406994, 0.9063077870366499},
                                       {0.0436193873653360, 0.9990482215818578}};
        double dx = turns[f].x, dy = turns[f].y;
        for (int s = 0; s < 4; ++s) {
            const double turned = dx;  // a quarter turn further
            dx = -dy;
            dy = turned;
            const PointF tip{cx + 32 * dx, hub + 32 * dy};
            const PointF inner{cx + 6 * dx, hub + 6 * dy};
            const double nx = -dy * 5, ny = dx * 5;
            c.fillPolygon({inner, tip, {tip.x + nx, tip.y + ny}, {inner.x + nx, inner.y + ny}}, {232, 224, 200});
            c.line(cx, hub, tip.x, tip.y, 1.5, {96, 64, 40});
            c.line(tip.x + nx, tip.y + ny, inner.x + nx, inner.y + ny, 1, {128, 96, 64});
        }
        c.fillEllipse(cx, hub, 2.5, 2.5, {80, 56, 40});
        frames.push_back({c, 36, 90});
    }
    return frames;
}

// The frames of the sprite with this identifier (none for an unknown one).
std::vector<Frame> paintSprite(int32_t id) {
    for (const TerrainInfo &terrain : kTerrain)
        if (terrain.id == id)
            return {paintTerrain(terrain)};
    switch (id) {
    case kOak: return paintOak();
    case kPine: return paintPine();
    case kRock: return paintRock();
    case kHouse: return paintHouse();
    case kTower: return paintTower();
    case kFence: return paintFence();
    case kFountain: return paintFountain();
    case kWindmill: return paintWindmill();
    case kBush: return paintBush();
    default: return {};
    }
}

}  // namespace

WorldLibrary::WorldLibrary() {
    for (const TerrainInfo &t : kTerrain)
        addSprite(t.name, t.id, t.bitsPerPixel, 0);
    for (const ObjectInfo &o : kObjectKinds)
        addSprite(o.name, o.id, o.bitsPerPixel, o.translucent);
    for (auto &name : names_)
        namePointers_.push_back(name.data());
    for (auto &sprite : sprites_)
        recordPointers_.push_back(&sprite->record);
    record_.tag1 = kLibraryTag1;
    record_.tag2 = kLibraryTag2;
    record_.tag3 = kLibraryTag3;
    record_.spriteCount = static_cast<int32_t>(sprites_.size());
    record_.names = namePointers_.data();
    record_.spriteIds = ids_.data();
    record_.sprites = recordPointers_.data();
}

void WorldLibrary::addSprite(const char *name, int32_t id, uint16_t bitsPerPixel, uint8_t translucent) {
    auto sprite = std::make_unique<Sprite>();
    Sprite &s = *sprite;
    const std::vector<Frame> frames = paintSprite(id);
    for (size_t i = 0; i < frames.size(); ++i) {
        const Frame &f = frames[i];
        s.frameTags.push_back(static_cast<uint32_t>(i));
        s.width.push_back(static_cast<uint16_t>(f.picture.width()));
        s.height.push_back(static_cast<uint16_t>(f.picture.height()));
        s.originX.push_back(f.originX);
        s.originY.push_back(f.originY);
        s.offsetX.push_back(0);
        s.offsetY.push_back(0);
        s.spare1.push_back(0);
        s.spare2.push_back(0);
        s.extraSize.push_back(0);
        s.extraData.push_back(nullptr);
        s.pixelBlocks.push_back(f.picture.pack(bitsPerPixel));
        s.pixelSize.push_back(static_cast<int32_t>(s.pixelBlocks.back().size()));
        s.optionalSize.push_back(0);
        s.optionalData.push_back(nullptr);
    }
    for (auto &block : s.pixelBlocks)
        s.pixelData.push_back(block.data());
    s.record.tag = 0;
    s.record.frameCount = static_cast<uint16_t>(frames.size());
    s.record.auxWord = 0;
    s.record.bitsPerPixel = bitsPerPixel;
    s.record.hasOptionalBlock = translucent;
    s.record.frameTags = s.frameTags.data();
    s.record.width = s.width.data();
    s.record.height = s.height.data();
    s.record.originX = s.originX.data();
    s.record.originY = s.originY.data();
    s.record.offsetX = s.offsetX.data();
    s.record.offsetY = s.offsetY.data();
    s.record.spare1 = s.spare1.data();
    s.record.spare2 = s.spare2.data();
    s.record.extraSize = s.extraSize.data();
    s.record.extraData = s.extraData.data();
    s.record.pixelSize = s.pixelSize.data();
    s.record.pixelData = s.pixelData.data();
    s.record.optionalSize = s.optionalSize.data();
    s.record.optionalData = s.optionalData.data();
    sprites_.push_back(std::move(sprite));
    names_.emplace_back(name);
    ids_.push_back(id);
}

}  // namespace world
