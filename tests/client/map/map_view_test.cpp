// The isometric view: picking, and drawing tiles and then objects.
#include "client/map/map_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

using DrawCall = std::tuple<int32_t, int32_t, int32_t>;  // sprite, x, y
static std::vector<DrawCall> g_drawn;

// A size x size map whose tile (x, y) carries sprite 1000 y + x, viewed with
// radii 15 around a centre, the screen centre at (320, 240).
struct Scene {
    Scene(int32_t size, int32_t centerX, int32_t centerY) : tiles(size_t(size * size)), rows(size_t(size)) {
        for (int32_t i = 0; i < size * size; ++i)
            tiles[size_t(i)].sprite = 1000 * (i / size) + i % size;
        for (int32_t y = 0; y < size; ++y)
            rows[size_t(y)] = &tiles[size_t(y * size)];
        map = {0, size, size, 0, nullptr, rows.data()};
        view.map = &map, view.objects = &objects, view.centerX = centerX, view.centerY = centerY;
        view.radiusX = view.radiusY = 15, view.screenCenterX = 320, view.screenCenterY = 240;
        view.drawSprite = [](int32_t sprite, int32_t x, int32_t y) { return g_drawn.emplace_back(sprite, x, y), true; };
        g_drawn.clear();
    }
    std::vector<MapTile> tiles;
    std::vector<MapTile *> rows;
    MapData map;
    ObjectList objects;
    MapView view;
};

TEST(MapView, PickFindsTheDiamondUnderThePoint) {
    const Scene scene(1, 7, -3);
    const struct {
        int32_t sx, sy, dx, dy;
    } cases[] = {{320, 240, 0, 0},  {300, 231, -1, 0}, {339, 230, 0, 1}, {340, 250, 1, 0},  {318, 230, 0, 0},
                 {317, 230, -1, 0}, {340, 240, 1, 1},  {0, 0, -20, 4},   {300, 249, 0, -1}, {339, 249, 1, 0}};
    for (const auto &c : cases) {
        const MapPoint got = scene.view.pick(c.sx, c.sy);
        EXPECT_EQ(std::pair(got.x, got.y), std::pair(7 + c.dx, -3 + c.dy)) << "at (" << c.sx << ", " << c.sy << ")";
    }
}

TEST(MapView, DrawsTilesInOrderAtTheirCellCornersThenObjectsAtTheMiddleOfTheirTile) {
    Scene small(2, 0, 0);
    EXPECT_TRUE(small.view.draw());
    EXPECT_EQ(g_drawn, (std::vector<DrawCall>{{1000, 320, 220}, {0, 300, 230}, {1001, 340, 230}, {1, 320, 240}}));

    Scene big(200, 100, 100);
    big.view.draw();
    ASSERT_EQ(g_drawn.size(), 2048u);
    auto x = [](const DrawCall &c) { return std::get<1>(c); };
    auto y = [](const DrawCall &c) { return std::get<2>(c); };
    const auto [minX, maxX] = std::ranges::minmax_element(g_drawn, {}, x);
    EXPECT_EQ(std::tuple(x(*minX), x(*maxX), y(g_drawn.front()), y(g_drawn.back())), std::tuple(-340, 920, -90, 540));
    EXPECT_TRUE(std::ranges::is_sorted(g_drawn, {}, y));
    EXPECT_NE(std::find(g_drawn.begin(), g_drawn.end(), DrawCall{100100, 300, 230}), g_drawn.end()) << "centre tile";

    Scene scene(4, 1, 1);
    scene.objects.append({-1, 2, 1, 1, 1, 0}), scene.objects.append({77, 0, 3, 1, 1, 0});
    scene.view.draw();
    ASSERT_EQ(g_drawn.size(), 18u);
    const DrawCall tile = *std::find_if(g_drawn.begin(), g_drawn.end(), [](auto &c) { return std::get<0>(c) == 1002; });
    EXPECT_EQ(g_drawn[16], DrawCall(-1, x(tile) + 20, y(tile) + 10));
    EXPECT_EQ(g_drawn[17], DrawCall(77, 320 + 20 * (-1 + 2), 240 + 10 * (-1 - 2)));
    scene.view.objects = nullptr, g_drawn.clear();  // before the scene is set up: nothing
    EXPECT_TRUE(scene.view.draw() && g_drawn.empty());
}
