#include "client/map/object_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "client/map/map_view.h"

namespace {

// Sprites in chain order, checking the links both ways on the way.
std::vector<int32_t> chainSprites(const ObjectList &list)
{
    std::vector<int32_t> sprites;
    const ObjectNode *prev = nullptr;
    for (const ObjectNode *node = list.first; node != nullptr; prev = node, node = node->next) {
        EXPECT_EQ(node->prev, prev);
        sprites.push_back(node->sprite);
    }
    EXPECT_EQ(list.last, prev);
    EXPECT_EQ(static_cast<int32_t>(sprites.size()), list.count);
    return sprites;
}

std::vector<int32_t> rebuildFrom(const std::vector<MapObject> &objects, InFrontOfProc rule = footprintInFrontOf)
{
    MapData data{};
    data.objectCount = static_cast<int32_t>(objects.size());
    data.objects = new MapObject[objects.size()];
    std::copy(objects.begin(), objects.end(), data.objects);
    ObjectList list;
    list.inFrontOf = rule;
    list.map = &data;
    EXPECT_TRUE(list.rebuild());
    EXPECT_EQ(data.objects, nullptr);
    return chainSprites(list);
}

int g_calls = 0;
bool countingInFrontOf(const ObjectNode &a, const ObjectNode &b)
{
    ++g_calls;
    return footprintInFrontOf(a, b);
}

}  // namespace

// Objects as (sprite, x, y, extentX, extentY, elevation).
TEST(ObjectListOrder, ExamplesOfTheFootprintRule)
{
    const MapObject pX{1, 2, 0, 1, 1, 0}, qX{2, 5, 0, 1, 1, 0};
    EXPECT_EQ(rebuildFrom({qX, pX}), (std::vector<int32_t>{1, 2})) << "further along +x is drawn later";
    const MapObject pY{1, 3, 5, 1, 1, 0}, qY{2, 3, 2, 1, 1, 0};
    EXPECT_EQ(rebuildFrom({pY, qY}), (std::vector<int32_t>{1, 2})) << "further along +y is drawn first";
    EXPECT_EQ(rebuildFrom({qY, pY}), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(rebuildFrom({{0, 6, 6, 2, 2, 1}, {1, 6, 6, 2, 2, 1}, {2, 6, 6, 2, 2, 1}}), (std::vector<int32_t>{0, 1, 2}))
        << "identical objects keep their order";
    EXPECT_EQ(rebuildFrom({{7, 5, 0, 1, 1, 0}, {-1, 2, 0, 1, 1, 0}}), (std::vector<int32_t>{-1, 7}));

    const MapObject u{'U', 1, 4, 0, 2, 0}, v{'V', 1, 5, 1, 3, 1}, w{'W', 3, 6, 3, 3, 1};
    EXPECT_EQ(rebuildFrom({u, w, v}), (std::vector<int32_t>{'W', 'U', 'V'}));
    EXPECT_EQ(rebuildFrom({u, v, w}), (std::vector<int32_t>{'U', 'V', 'W'}));
    EXPECT_EQ(rebuildFrom({v, w, u}), (std::vector<int32_t>{'V', 'U', 'W'}));
}

TEST(ObjectListSort, ComparisonCounts)
{
    ObjectList list;
    list.inFrontOf = countingInFrontOf;
    g_calls = 0;
    list.sort();
    list.append({0, 1, 1, 1, 1, 0});
    list.sort();
    EXPECT_EQ(g_calls, 0) << "an empty list and a single node need no comparison";
    for (int32_t k = 2; k <= 6; ++k) {
        list.append({k, k % 3, k % 2, 1, 1, 0});
        g_calls = 0;
        list.sort();
        EXPECT_EQ(g_calls, k * (k + 1) / 2 - 1) << "sort of " << k << " nodes";
    }
    std::vector<MapObject> ten;
    for (int32_t i = 0; i < 10; ++i) ten.push_back({i, (i * 7) % 5, (i * 3) % 4, 1, 2, i % 2});
    g_calls = 0;
    EXPECT_EQ(rebuildFrom(ten, countingInFrontOf).size(), 10u);
    EXPECT_EQ(g_calls, 264);
}

namespace {

ObjectList *g_watchedList = nullptr;
MapView *g_watchingView = nullptr;
int g_objectsDrawn = 0;
int g_comparisonsWhileIdle = 0;

bool countDraw(int32_t, int32_t, int32_t)
{
    ++g_objectsDrawn;
    return true;
}

bool drawDuringComparison(const ObjectNode &a, const ObjectNode &b)
{
    if (!g_watchedList->busy) ++g_comparisonsWhileIdle;
    g_watchingView->draw();
    return footprintInFrontOf(a, b);
}

}  // namespace

TEST(ObjectListSort, DrawingNeverSeesAHalfLinkedList)
{
    MapData noTiles{};
    ObjectList list;
    MapView view;
    view.map = &noTiles;
    view.objects = &list;
    view.drawSprite = countDraw;
    g_watchedList = &list;
    g_watchingView = &view;
    list.inFrontOf = drawDuringComparison;
    for (int32_t i = 0; i < 8; ++i) list.insert({i, 8 - i, i, 1, 1, 0});
    EXPECT_EQ(g_comparisonsWhileIdle, 0);
    EXPECT_EQ(g_objectsDrawn, 0);
    view.draw();
    EXPECT_EQ(g_objectsDrawn, 8);
    list.clear();
    EXPECT_TRUE(list.count == 0 && list.first == nullptr && list.last == nullptr && !list.busy);
}
