#include "client/map/map_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

struct DrawCall {
    int32_t sprite, x, y;
    bool operator==(const DrawCall &) const = default;
};

std::vector<DrawCall> g_drawn;

bool recordDraw(int32_t sprite, int32_t x, int32_t y)
{
    g_drawn.push_back({sprite, x, y});
    return true;
}

// A sizeX x sizeY grid whose tile (x, y) carries sprite 1000 y + x.
struct TestGrid {
    std::vector<MapTile> tiles;
    std::vector<MapTile *> rows;
    MapData data{};

    TestGrid(int32_t sizeX, int32_t sizeY) : tiles(static_cast<size_t>(sizeX * sizeY)), rows(static_cast<size_t>(sizeY))
    {
        for (int32_t y = 0; y < sizeY; ++y) {
            rows[y] = &tiles[static_cast<size_t>(y * sizeX)];
            for (int32_t x = 0; x < sizeX; ++x) rows[y][x].sprite = 1000 * y + x;
        }
        data.sizeX = sizeX;
        data.sizeY = sizeY;
        data.tileRows = rows.data();
    }
};

MapView viewOf(MapData &map, ObjectList &objects, int32_t centerX, int32_t centerY)
{
    MapView view;
    view.map = &map;
    view.objects = &objects;
    view.centerX = centerX;
    view.centerY = centerY;
    view.radiusX = 15;
    view.radiusY = 15;
    view.screenCenterX = 320;
    view.screenCenterY = 240;
    view.drawSprite = recordDraw;
    g_drawn.clear();
    return view;
}

}  // namespace

TEST(MapViewEdges, DiamondRowsAsTabulated)
{
    const int left[20] = {18, 16, 14, 12, 10, 8, 6, 4, 2, 0, 0, 2, 4, 6, 8, 10, 12, 14, 16, 18};
    const int right[20] = {21, 23, 25, 27, 29, 31, 33, 35, 37, 39, 39, 37, 35, 33, 31, 29, 27, 25, 23, 21};
    const MapView view;
    for (int r = 0; r < 20; ++r) {
        EXPECT_EQ(view.leftEdge[r], left[r]) << "row " << r;
        EXPECT_EQ(view.rightEdge[r], right[r]) << "row " << r;
    }
}

TEST(MapViewPick, ScreenPointsToTiles)
{
    MapData none{};
    ObjectList objects;
    const int32_t x0 = 7, y0 = -3;
    const MapView view = viewOf(none, objects, x0, y0);
    struct Case {
        int32_t sx, sy, dx, dy;
    };
    const Case cases[] = {
        {320, 240, 0, 0}, {300, 231, -1, 0}, {339, 230, 0, 1}, {340, 250, 1, 0},  {318, 230, 0, 0},
        {317, 230, -1, 0}, {340, 240, 1, 1}, {0, 0, -20, 4},   {320, 251, 1, -1}, {359, 251, 2, 0},
        {300, 249, 0, -1}, {339, 249, 1, 0},
    };
    for (const Case &c : cases) {
        const MapPoint got = view.pick(c.sx, c.sy);
        EXPECT_EQ(got.x, x0 + c.dx) << "at (" << c.sx << ", " << c.sy << ")";
        EXPECT_EQ(got.y, y0 + c.dy) << "at (" << c.sx << ", " << c.sy << ")";
    }
}

TEST(MapViewPick, FarCentreSaturatesInsteadOfWrapping)
{
    MapData none{};
    ObjectList objects;
    const MapView view = viewOf(none, objects, INT32_MAX, INT32_MIN);
    const MapPoint got = view.pick(639, 479);
    EXPECT_EQ(got.x, INT32_MAX);
    EXPECT_EQ(got.y, INT32_MIN);
}

TEST(MapViewDraw, TwoByTwoMapOrderAndCorners)
{
    TestGrid grid(2, 2);
    ObjectList objects;
    MapView view = viewOf(grid.data, objects, 0, 0);
    EXPECT_TRUE(view.draw());
    const std::vector<DrawCall> expected = {{1000, 320, 220}, {0, 300, 230}, {1001, 340, 230}, {1, 320, 240}};
    EXPECT_EQ(g_drawn, expected);
}

TEST(MapViewDraw, VisitsAllPositionsOfBothRadii)
{
    TestGrid grid(200, 200);
    ObjectList objects;
    MapView view = viewOf(grid.data, objects, 100, 100);
    view.draw();
    ASSERT_EQ(g_drawn.size(), 2048u);
    int32_t minX = INT32_MAX, maxX = INT32_MIN, minY = INT32_MAX, maxY = INT32_MIN;
    for (const DrawCall &call : g_drawn) {
        minX = std::min(minX, call.x);
        maxX = std::max(maxX, call.x);
        minY = std::min(minY, call.y);
        maxY = std::max(maxY, call.y);
    }
    EXPECT_EQ(minX, -340);
    EXPECT_EQ(maxX, 920);
    EXPECT_EQ(minY, -90);
    EXPECT_EQ(maxY, 540);
    // Top to bottom: half-rows never go back up.
    for (size_t i = 1; i < g_drawn.size(); ++i) ASSERT_GE(g_drawn[i].y, g_drawn[i - 1].y) << "call " << i;
    // The centre tile's cell is centred on the screen centre.
    const DrawCall centre{1000 * 100 + 100, 300, 230};
    EXPECT_NE(std::find(g_drawn.begin(), g_drawn.end(), centre), g_drawn.end());
}

TEST(MapViewDraw, ObjectsAfterTilesAtTheMiddleOfTheirTile)
{
    TestGrid grid(4, 4);
    ObjectList objects;
    objects.append(MapObject{-1, 2, 1, 1, 1, 0});
    objects.append(MapObject{77, 0, 3, 1, 1, 0});
    MapView view = viewOf(grid.data, objects, 1, 1);
    view.draw();
    ASSERT_EQ(g_drawn.size(), 18u);
    const DrawCall tile21 = *std::find_if(g_drawn.begin(), g_drawn.end(), [](const DrawCall &c) { return c.sprite == 1002; });
    EXPECT_EQ(g_drawn[16], (DrawCall{-1, tile21.x + 20, tile21.y + 10}));
    EXPECT_EQ(g_drawn[17], (DrawCall{77, 320 + 20 * (-1 + 2), 240 + 10 * (-1 - 2)}));
}

TEST(MapViewDraw, FarCentreDrawsOnlyObjectsAndBusyListOnlyTiles)
{
    TestGrid grid(3, 3);
    ObjectList objects;
    objects.append(MapObject{5, 1, 1, 1, 1, 0});
    MapView far = viewOf(grid.data, objects, 500, -500);
    far.draw();
    EXPECT_EQ(g_drawn, (std::vector<DrawCall>{{5, 320 + 20 * (-499 + 501), 240 + 10 * (-499 - 501)}}));

    MapView near = viewOf(grid.data, objects, 1, 1);
    objects.busy = true;
    near.draw();
    EXPECT_EQ(g_drawn.size(), 9u);
    EXPECT_TRUE(std::none_of(g_drawn.begin(), g_drawn.end(), [](const DrawCall &c) { return c.sprite == 5; }));
    objects.busy = false;
}

TEST(MapViewDraw, NothingBeforeTheSceneIsSet)
{
    TestGrid grid(3, 3);
    ObjectList objects;
    objects.append(MapObject{5, 1, 1, 1, 1, 0});
    MapView view = viewOf(grid.data, objects, 1, 1);
    view.map = nullptr;
    EXPECT_TRUE(view.draw());
    view = viewOf(grid.data, objects, 1, 1);
    view.objects = nullptr;
    EXPECT_TRUE(view.draw());
    EXPECT_TRUE(g_drawn.empty());
    MapView unset;
    EXPECT_TRUE(unset.draw());
}
