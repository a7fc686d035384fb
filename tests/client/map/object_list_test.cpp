// The object list's depth order: the documented examples, the comparison
// count and the busy mark of the plain procedure, and the footprint rule's
// fast rebuild against a plain transcription of the procedure on thousands
// of seeded random object sets.
#include "client/map/depth_order.h"
#include "client/map/map_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <sstream>
#include <tuple>
#include <vector>

namespace {

// The rule as documented, first rule that applies decides, on corners that
// wrap around as 32-bit values.
bool documentedRule(const MapObject &a, const MapObject &b) {
    auto wrap = [](int64_t value) { return int32_t(uint32_t(uint64_t(value))); };
    const int32_t aFrontX = wrap(int64_t{a.x} + a.elevation), aBackX = wrap(int64_t{aFrontX} - a.extentX);
    const int32_t aFrontY = wrap(int64_t{a.y} - a.elevation), aBackY = wrap(int64_t{aFrontY} + a.extentY);
    const int32_t bFrontX = wrap(int64_t{b.x} + b.elevation), bBackX = wrap(int64_t{bFrontX} - b.extentX);
    const int32_t bFrontY = wrap(int64_t{b.y} - b.elevation), bBackY = wrap(int64_t{bFrontY} + b.extentY);
    if (bFrontX <= aFrontX && bFrontY >= aFrontY)
        return true;
    if (bFrontX <= aBackX && bFrontY >= aBackY)
        return true;
    if (aFrontX <= bFrontX && aFrontY >= bFrontY)
        return false;
    if (aFrontX <= bBackX && aFrontY >= bBackY)
        return false;
    if (bFrontX > aFrontX && bFrontY <= aBackY)
        return false;
    return bFrontY >= aFrontY || bFrontX < aBackX;
}

// (x, y, extentX, extentY, elevation)
std::string valuesOf(const MapObject &o) {
    std::ostringstream text;
    text << "(" << o.x << ", " << o.y << ", " << o.extentX << ", " << o.extentY << ", " << o.elevation << ")";
    return text.str();
}

// The documented rebuild on an array: insert one by one, a selection sort
// after each, one more at the end. `extraSortAfter[i]` adds a sort without an
// insert after object i (what an insert whose node could not be allocated
// does). The sprites in the resulting order.
std::vector<int32_t> documentedRebuild(const std::vector<MapObject> &objects,
                                       const std::vector<bool> &extraSortAfter = {}) {
    std::vector<MapObject> chain;
    auto sort = [&chain] {
        for (size_t i = 0; i + 1 < chain.size(); ++i) {
            size_t best = i;
            for (size_t cur = i; cur < chain.size(); ++cur) {
                if (!documentedRule(chain[cur], chain[best]))
                    best = cur;
            }
            std::swap(chain[i], chain[best]);
        }
    };
    for (size_t i = 0; i < objects.size(); ++i) {
        chain.push_back(objects[i]);
        sort();
        if (i < extraSortAfter.size() && extraSortAfter[i])
            sort();
    }
    sort();
    std::vector<int32_t> sprites;
    for (const MapObject &object : chain)
        sprites.push_back(object.sprite);
    return sprites;
}

// Runs rebuild under `rule` on a map holding these objects: the sprites in
// chain order, the links checked both ways and the map's array released.
std::vector<int32_t> rebuilt(const std::vector<MapObject> &from, InFrontOfProc rule = footprintInFrontOf) {
    MapData map{};
    map.objectCount = int32_t(from.size());
    map.objects = new MapObject[from.size()];
    std::copy(from.begin(), from.end(), map.objects);
    ObjectList list;
    list.inFrontOf = rule;
    list.map = &map;
    EXPECT_TRUE(list.rebuild());
    EXPECT_TRUE(map.objects == nullptr && map.objectCount == 0 && !list.busy);
    std::vector<int32_t> sprites;
    const ObjectNode *prev = nullptr;
    for (const ObjectNode *node = list.first; node != nullptr; prev = node, node = node->next) {
        EXPECT_EQ(node->prev, prev);
        sprites.push_back(node->sprite);
    }
    EXPECT_TRUE(list.last == prev && int32_t(sprites.size()) == list.count);
    return sprites;
}

// The footprint rule behind a function of its own: rebuild then takes the
// plain procedure, one call per comparison.
bool plainFootprintRule(const ObjectNode &a, const ObjectNode &b) {
    return footprintInFrontOf(a, b);
}

// Seeded object sets of every kind the rule meets: overlapping footprints on
// a small patch, identical objects, negative extents and elevations, and
// values at the ends of the 32-bit range, whose corners wrap around.
class ObjectSets {
public:
    explicit ObjectSets(uint32_t seed) : random(seed) {}

    std::vector<MapObject> next(int32_t count) {
        const int32_t reach = pick({1, 2, 3, 6, 20, 1000});
        const int32_t extent = pick({0, 1, 2, 3, 5});
        std::vector<MapObject> objects;
        for (int32_t i = 0; i < count; ++i) {
            MapObject object{i, within(reach), within(reach), within(extent), within(extent), within(extent)};
            if (!objects.empty() && chance(8)) {  // identical to an earlier one but for the sprite
                object = objects[size_t(within(0, int32_t(objects.size()) - 1))];
                object.sprite = i;
            }
            if (chance(16)) {
                int32_t *fields[] = {&object.x, &object.y, &object.extentX, &object.extentY, &object.elevation};
                *fields[within(0, 4)] = pick({kMin, kMin + 1, kMax - 1, kMax, kMax / 2 + 1});
            }
            objects.push_back(object);
        }
        return objects;
    }

    int32_t within(int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(random); }
    bool chance(int32_t oneIn) { return within(1, oneIn) == 1; }

private:
    static constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    static constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

    int32_t within(int32_t reach) { return within(-reach, reach); }
    int32_t pick(std::initializer_list<int32_t> values) {
        return values.begin()[within(0, int32_t(values.size()) - 1)];
    }

    std::mt19937 random;
};

// Both builds of the comparison loops: AVX2 lanes where the processor has
// them, and the plain ones.
class LaneWidths : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { DepthOrder::allowWideLanes(GetParam()); }
    void TearDown() override { DepthOrder::allowWideLanes(true); }
};

}  // namespace

TEST(ObjectList, OrdersTheExamplesOfTheFootprintRule) {
    // (sprite, x, y, extentX, extentY, elevation)
    const MapObject pX{1, 2, 0, 1, 1, 0}, qX{2, 5, 0, 1, 1, 0}, pY{1, 3, 5, 1, 1, 0}, qY{2, 3, 2, 1, 1, 0};
    const MapObject u{'U', 1, 4, 0, 2, 0}, v{'V', 1, 5, 1, 3, 1}, w{'W', 3, 6, 3, 3, 1};
    const std::pair<std::vector<MapObject>, std::vector<int32_t>> cases[] = {
        {{qX, pX}, {1, 2}},  // further along +x is drawn later
        {{pY, qY}, {1, 2}},
        {{qY, pY}, {1, 2}},                                                         // further along +y is drawn first
        {{{0, 6, 6, 2, 2, 1}, {1, 6, 6, 2, 2, 1}, {2, 6, 6, 2, 2, 1}}, {0, 1, 2}},  // identical: as given
        {{u, w, v}, {'W', 'U', 'V'}},
        {{u, v, w}, {'U', 'V', 'W'}},
        {{v, w, u}, {'V', 'U', 'W'}},
        {{{-1, 0, 0, 1, 1, 0}}, {-1}},  // no sprite: ordered like any other
        {{}, {}},
    };
    for (const auto &[objects, order] : cases) {
        EXPECT_EQ(rebuilt(objects), order) << objects.size() << " objects";
        EXPECT_EQ(rebuilt(objects, plainFootprintRule), order) << objects.size() << " objects, plain procedure";
    }
}

TEST(ObjectList, RebuildOfTenMakes264ComparisonsUnderAnotherRule) {
    static int comparisons = 0;
    std::vector<MapObject> ten;
    for (int32_t i = 0; i < 10; ++i)
        ten.push_back({i, (i * 7) % 5, (i * 3) % 4, 1, 2, i % 2});
    const std::vector<int32_t> order =
        rebuilt(ten, [](const ObjectNode &a, const ObjectNode &b) { return ++comparisons, footprintInFrontOf(a, b); });
    EXPECT_EQ(comparisons, 264);
    EXPECT_EQ(order, rebuilt(ten));
}

TEST(ObjectList, DrawingNeverSeesAHalfLinkedList) {
    // One tile (sprite 0, its cell at (300, 230)) and eight objects, the view
    // drawn by the rule at every comparison: only the tile while busy.
    using DrawCall = std::tuple<int32_t, int32_t, int32_t>;  // sprite, x, y
    static std::vector<DrawCall> drawn;
    static int unmarkedComparisons = 0;
    static ObjectList list;
    static MapView view;
    MapTile tile{0, 0};
    MapTile *row = &tile;
    MapData map{0, 1, 1, 8, new MapObject[8], &row};
    for (int32_t i = 0; i < 8; ++i)
        map.objects[i] = {100 + i, 8 - i, i, 1, 1, 0};
    view.map = &map, view.objects = &list, view.radiusX = view.radiusY = 15;
    view.screenCenterX = 320, view.screenCenterY = 240;
    view.drawSprite = [](int32_t sprite, int32_t x, int32_t y) { return drawn.emplace_back(sprite, x, y), true; };
    list.map = &map;
    list.inFrontOf = [](const ObjectNode &a, const ObjectNode &b) {
        unmarkedComparisons += !list.busy;
        view.draw();
        return footprintInFrontOf(a, b);
    };

    list.rebuild();
    EXPECT_EQ(unmarkedComparisons, 0) << "comparisons while the list was not marked busy";
    EXPECT_FALSE(drawn.empty());
    EXPECT_EQ(std::count(drawn.begin(), drawn.end(), DrawCall{0, 300, 230}), long(drawn.size())) << "tiles only";
    drawn.clear();
    view.draw();
    EXPECT_EQ(drawn.size(), 9u);
    list.clear();
    EXPECT_TRUE(list.count == 0 && !list.first && !list.last && !list.busy);
}

// Both forms of the rule: for one pair, and lane by lane for four.
TEST(ObjectList, FootprintRuleIsTheDocumentedRule) {
    typedef int32_t Lanes __attribute__((vector_size(16)));
    struct FootprintLanes {
        Lanes frontX, backX, frontY, backY;
    };
    auto footprint = [](const MapObject &o) { return footprintOf(o.x, o.y, o.extentX, o.extentY, o.elevation); };
    auto node = [](const MapObject &o) {
        return ObjectNode{o.sprite, o.x, o.y, o.extentX, o.extentY, o.elevation, nullptr, nullptr};
    };
    auto describe = [](const MapObject &a, const MapObject &b) { return valuesOf(a) + " against " + valuesOf(b); };
    ObjectSets sets(7);
    for (int round = 0; round < 200; ++round) {
        const std::vector<MapObject> objects = sets.next(24);
        for (const MapObject &a : objects) {
            const Footprint held = footprint(a);
            const FootprintLanes heldLanes{Lanes{} + held.frontX, Lanes{} + held.backX, Lanes{} + held.frontY,
                                           Lanes{} + held.backY};
            for (size_t j = 0; j < objects.size(); j += 4) {
                FootprintLanes others;
                for (int lane = 0; lane < 4; ++lane) {
                    const Footprint other = footprint(objects[j + size_t(lane)]);
                    others.frontX[lane] = other.frontX, others.backX[lane] = other.backX;
                    others.frontY[lane] = other.frontY, others.backY[lane] = other.backY;
                }
                const Lanes after = liesInFrontLanes(heldLanes, others), before = liesInFrontLanes(others, heldLanes);
                for (int lane = 0; lane < 4; ++lane) {
                    const MapObject &b = objects[j + size_t(lane)];
                    ASSERT_EQ(footprintInFrontOf(node(a), node(b)), documentedRule(a, b)) << describe(a, b);
                    ASSERT_EQ(after[lane] != 0, documentedRule(a, b)) << describe(a, b) << ", in lanes";
                    ASSERT_EQ(before[lane] != 0, documentedRule(b, a)) << describe(b, a) << ", in lanes";
                }
            }
        }
    }
}

// Thousands of small sets, and some of a few hundred objects: enough to cross
// the loops' blocks and to make the fast rebuild fall back to plain scans and
// come back.
TEST_P(LaneWidths, RebuildGivesTheDocumentedOrder) {
    ObjectSets sets(GetParam() ? 11 : 12);
    for (int round = 0; round < 3000; ++round) {
        const int32_t count = round % 300 == 0 ? sets.within(120, 260) : sets.within(0, 40);
        const std::vector<MapObject> objects = sets.next(count);
        const std::vector<int32_t> expected = documentedRebuild(objects);
        ASSERT_EQ(rebuilt(objects), expected) << "set " << round << " of " << count << " objects";
        if (round % 100 == 1) {
            ASSERT_EQ(rebuilt(objects, plainFootprintRule), expected) << "set " << round << ", plain procedure";
        }
    }
}

// DepthOrder on its own, with sorts between the inserts as well.
TEST_P(LaneWidths, DepthOrderFollowsInsertsAndSorts) {
    ObjectSets sets(GetParam() ? 21 : 22);
    for (int round = 0; round < 500; ++round) {
        const std::vector<MapObject> objects = sets.next(sets.within(1, round % 50 == 0 ? 300 : 50));
        std::vector<bool> extraSortAfter;
        DepthOrder order(int32_t(objects.size()));
        for (const MapObject &object : objects) {
            order.insert(object.sprite,
                         footprintOf(object.x, object.y, object.extentX, object.extentY, object.elevation));
            extraSortAfter.push_back(sets.chance(10));
            if (extraSortAfter.back())
                order.sort();
        }
        order.sort();
        ASSERT_EQ(std::vector<int32_t>(order.ids(), order.ids() + order.size()),
                  documentedRebuild(objects, extraSortAfter))
            << "set " << round << " of " << objects.size() << " objects";
    }
}

INSTANTIATE_TEST_SUITE_P(ObjectList, LaneWidths, ::testing::Values(true, false),
                         [](const auto &info) { return info.param ? "Wide" : "Plain"; });
