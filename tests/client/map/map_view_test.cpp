#include "client/map/map_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

struct DrawCall {
    int32_t sprite, x, y;
    bool operator==(const DrawCall &) const = default;
};

std::ostream &operator<<(std::ostream &out, const DrawCall &call)
{
    return out << "{" << call.sprite << " at " << call.x << ", " << call.y << "}";
}

std::vector<DrawCall> g_drawn;

bool recordDraw(int32_t sprite, int32_t x, int32_t y)
{
    g_drawn.push_back({sprite, x, y});
    return true;
}

// A size x size map whose tile (x, y) carries sprite 1000 y + x, viewed with
// radii 15 around a centre, the screen centre at (320, 240).
struct Scene {
    std::vector<MapTile> tiles;
    std::vector<MapTile *> rows;
    MapData map{};
    ObjectList objects;
    MapView view;

    Scene(int32_t size, int32_t centerX, int32_t centerY) : tiles(size_t(size * size)), rows(size_t(size))
    {
        for (int32_t i = 0; i < size * size; ++i) tiles[size_t(i)].sprite = 1000 * (i / size) + i % size;
        for (int32_t y = 0; y < size; ++y) rows[size_t(y)] = &tiles[size_t(y * size)];
        map.sizeX = map.sizeY = size;
        map.tileRows = rows.data();
        view.map = &map;
        view.objects = &objects;
        view.centerX = centerX;
        view.centerY = centerY;
        view.radiusX = view.radiusY = 15;
        view.screenCenterX = 320;
        view.screenCenterY = 240;
        view.drawSprite = recordDraw;
        g_drawn.clear();
    }
};

}  // namespace

TEST(MapView, EdgeTables)
{
    const int left[20] = {18, 16, 14, 12, 10, 8, 6, 4, 2, 0, 0, 2, 4, 6, 8, 10, 12, 14, 16, 18};
    const MapView view;
    for (int r = 0; r < 20; ++r) {
        EXPECT_EQ(view.leftEdge[r], left[r]) << "row " << r;
        EXPECT_EQ(view.rightEdge[r], 39 - left[r]) << "row " << r;
    }
}

TEST(MapView, PickFindsTheDiamondUnderThePoint)
{
    const Scene scene(1, 7, -3);
    const struct {
        int32_t sx, sy, dx, dy;
    } cases[] = {{320, 240, 0, 0},  {300, 231, -1, 0}, {339, 230, 0, 1}, {340, 250, 1, 0},   {318, 230, 0, 0},
                 {317, 230, -1, 0}, {340, 240, 1, 1},  {0, 0, -20, 4},   {300, 249, 0, -1}, {339, 249, 1, 0}};
    for (const auto &c : cases) {
        const MapPoint got = scene.view.pick(c.sx, c.sy);
        EXPECT_TRUE(got.x == 7 + c.dx && got.y == -3 + c.dy)
            << "at (" << c.sx << ", " << c.sy << ") expected (" << 7 + c.dx << ", " << -3 + c.dy << "), got (" << got.x
            << ", " << got.y << ")";
    }
}

TEST(MapView, TwoByTwoMapOrderAndCorners)
{
    Scene scene(2, 0, 0);
    EXPECT_TRUE(scene.view.draw());
    EXPECT_EQ(g_drawn, (std::vector<DrawCall>{{1000, 320, 220}, {0, 300, 230}, {1001, 340, 230}, {1, 320, 240}}));
}

TEST(MapView, VisitsAllPositionsOfBothRadii)
{
    Scene scene(200, 100, 100);
    scene.view.draw();
    ASSERT_EQ(g_drawn.size(), 2048u);
    const auto [minX, maxX] = std::minmax_element(g_drawn.begin(), g_drawn.end(), [](auto &a, auto &b) { return a.x < b.x; });
    EXPECT_EQ(minX->x, -340);
    EXPECT_EQ(maxX->x, 920);
    EXPECT_EQ(g_drawn.front().y, -90);
    EXPECT_EQ(g_drawn.back().y, 540);
    EXPECT_TRUE(std::is_sorted(g_drawn.begin(), g_drawn.end(), [](auto &a, auto &b) { return a.y < b.y; }));
    EXPECT_NE(std::find(g_drawn.begin(), g_drawn.end(), DrawCall{100100, 300, 230}), g_drawn.end()) << "centre tile";
}

TEST(MapView, ObjectsAfterTilesAtTheMiddleOfTheirTile)
{
    Scene scene(4, 1, 1);
    scene.objects.append({-1, 2, 1, 1, 1, 0});
    scene.objects.append({77, 0, 3, 1, 1, 0});
    scene.view.draw();
    ASSERT_EQ(g_drawn.size(), 18u);
    const DrawCall tile = *std::find_if(g_drawn.begin(), g_drawn.end(), [](auto &c) { return c.sprite == 1002; });
    EXPECT_EQ(g_drawn[16], (DrawCall{-1, tile.x + 20, tile.y + 10}));
    EXPECT_EQ(g_drawn[17], (DrawCall{77, 320 + 20 * (-1 + 2), 240 + 10 * (-1 - 2)}));

    scene.objects.busy = true;  // a list being changed: tiles only
    g_drawn.clear();
    scene.view.draw();
    EXPECT_EQ(g_drawn.size(), 16u);
    scene.objects.busy = false;
    scene.view.objects = nullptr;  // before the scene is set up: nothing
    g_drawn.clear();
    EXPECT_TRUE(scene.view.draw());
    EXPECT_TRUE(g_drawn.empty());
}
