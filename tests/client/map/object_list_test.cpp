#include "client/map/object_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/map/map_view.h"

namespace {

MapObject object(int32_t sprite, int32_t x, int32_t y, int32_t extentX, int32_t extentY, int32_t elevation)
{
    return MapObject{sprite, x, y, extentX, extentY, elevation};
}

// Sprites in chain order, checking both directions of the links on the way.
std::vector<int32_t> chainSprites(const ObjectList &list)
{
    std::vector<int32_t> sprites;
    const ObjectNode *prev = nullptr;
    for (const ObjectNode *node = list.first; node != nullptr; node = node->next) {
        EXPECT_EQ(node->prev, prev);
        sprites.push_back(node->sprite);
        prev = node;
    }
    EXPECT_EQ(list.last, prev);
    EXPECT_EQ(static_cast<int32_t>(sprites.size()), list.count);
    return sprites;
}

int g_calls = 0;
bool countingInFrontOf(const ObjectNode &a, const ObjectNode &b)
{
    ++g_calls;
    return footprintInFrontOf(a, b);
}

std::vector<int32_t> rebuildFrom(std::vector<MapObject> objects)
{
    MapData data{};
    data.objectCount = static_cast<int32_t>(objects.size());
    data.objects = new MapObject[objects.size()];
    std::copy(objects.begin(), objects.end(), data.objects);
    ObjectList list;
    list.map = &data;
    EXPECT_TRUE(list.rebuild());
    EXPECT_EQ(data.objects, nullptr);
    return chainSprites(list);
}

}  // namespace

TEST(FootprintRule, ObjectIsInFrontOfItselfAndOfItsTwin)
{
    const ObjectNode a{0, 3, 4, 2, 1, 1, nullptr, nullptr};
    const ObjectNode twin{9, 3, 4, 2, 1, 1, nullptr, nullptr};
    EXPECT_TRUE(footprintInFrontOf(a, a));
    EXPECT_TRUE(footprintInFrontOf(a, twin));
    EXPECT_TRUE(footprintInFrontOf(twin, a));
}

TEST(ObjectListOrder, TwoObjectsAlongXAndAlongY)
{
    const MapObject pAlongX = object(1, 2, 0, 1, 1, 0), qAlongX = object(2, 5, 0, 1, 1, 0);
    ObjectList alongX;
    alongX.insert(qAlongX);
    alongX.insert(pAlongX);
    EXPECT_EQ(chainSprites(alongX), (std::vector<int32_t>{1, 2}));

    const MapObject pAlongY = object(1, 3, 5, 1, 1, 0), qAlongY = object(2, 3, 2, 1, 1, 0);
    ObjectList pFirst, qFirst;
    pFirst.insert(pAlongY);
    pFirst.insert(qAlongY);
    qFirst.insert(qAlongY);
    qFirst.insert(pAlongY);
    EXPECT_EQ(chainSprites(pFirst), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(chainSprites(qFirst), (std::vector<int32_t>{1, 2}));
}

TEST(ObjectListOrder, IdenticalObjectsKeepInsertionOrder)
{
    ObjectList list;
    for (int32_t sprite = 0; sprite < 4; ++sprite) list.insert(object(sprite, 6, 6, 2, 2, 1));
    EXPECT_EQ(chainSprites(list), (std::vector<int32_t>{0, 1, 2, 3}));
}

TEST(ObjectListOrder, ThreeOverlappingObjectsFollowTheSortExactly)
{
    const MapObject u = object('U', 1, 4, 0, 2, 0);
    const MapObject v = object('V', 1, 5, 1, 3, 1);
    const MapObject w = object('W', 3, 6, 3, 3, 1);
    EXPECT_EQ(rebuildFrom({u, w, v}), (std::vector<int32_t>{'W', 'U', 'V'}));
    EXPECT_EQ(rebuildFrom({u, v, w}), (std::vector<int32_t>{'U', 'V', 'W'}));
    EXPECT_EQ(rebuildFrom({v, w, u}), (std::vector<int32_t>{'V', 'U', 'W'}));
}

TEST(ObjectListOrder, MissingSpriteTakesItsPlaceLikeAnyOther)
{
    EXPECT_EQ(rebuildFrom({object(7, 5, 0, 1, 1, 0), object(-1, 2, 0, 1, 1, 0)}), (std::vector<int32_t>{-1, 7}));
}

TEST(ObjectListSort, ComparisonCounts)
{
    ObjectList list;
    list.inFrontOf = countingInFrontOf;
    g_calls = 0;
    EXPECT_TRUE(list.sort());
    list.append(object(0, 1, 1, 1, 1, 0));
    EXPECT_TRUE(list.sort());
    EXPECT_EQ(g_calls, 0) << "an empty list and a single node need no comparison";

    for (int32_t k = 2; k <= 6; ++k) {
        list.append(object(k, k % 3, k % 2, 1, 1, 0));
        g_calls = 0;
        list.sort();
        EXPECT_EQ(g_calls, k * (k + 1) / 2 - 1) << "sort of " << k << " nodes";
    }

    MapData data{};
    data.objectCount = 10;
    data.objects = new MapObject[10];
    for (int32_t i = 0; i < 10; ++i) data.objects[i] = object(i, (i * 7) % 5, (i * 3) % 4, 1, 2, i % 2);
    list.map = &data;
    g_calls = 0;
    list.rebuild();
    EXPECT_EQ(g_calls, 264);
    EXPECT_EQ(list.count, 10);
    EXPECT_EQ(data.objectCount, 0);
}

TEST(ObjectListSort, RelinkingKeepsEveryNodeAndBothDirections)
{
    ObjectList list;
    std::vector<int32_t> inserted;
    for (int32_t i = 0; i < 40; ++i) {
        list.insert(object(i, (i * 17) % 11, (i * 5) % 13, i % 3, i % 4, i % 2 - 1));
        inserted.push_back(i);
    }
    std::vector<int32_t> sorted = chainSprites(list);
    ASSERT_EQ(sorted.size(), 40u);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, inserted);

    list.clear();
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.first, nullptr);
    EXPECT_EQ(list.last, nullptr);
    EXPECT_FALSE(list.busy);
}

namespace {

ObjectList *g_watchedList = nullptr;
MapView *g_watchingView = nullptr;
int g_objectsDrawnDuringSort = 0;
int g_comparisonsWhileIdle = 0;

bool countDraw(int32_t, int32_t, int32_t)
{
    ++g_objectsDrawnDuringSort;
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
    g_objectsDrawnDuringSort = 0;
    g_comparisonsWhileIdle = 0;
    for (int32_t i = 0; i < 8; ++i) list.insert(object(i, 8 - i, i, 1, 1, 0));
    EXPECT_EQ(g_comparisonsWhileIdle, 0);
    EXPECT_EQ(g_objectsDrawnDuringSort, 0);
    EXPECT_FALSE(list.busy);
    view.draw();
    EXPECT_EQ(g_objectsDrawnDuringSort, 8);
}

TEST(ObjectListRebuild, MapWithoutObjectsGivesEmptyList)
{
    MapData data{};
    data.objectCount = -5;
    ObjectList list;
    list.insert(object(1, 1, 1, 1, 1, 1));
    list.map = &data;
    EXPECT_TRUE(list.rebuild());
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.first, nullptr);
}
