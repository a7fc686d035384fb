#include "client/map/depth_order.h"

#include <algorithm>
#include <bit>
#include <cstring>

// How the sorts are cut short while staying exact.
//
// A pass of the selection sort starts at position p with the object s there
// as the best; each later object that displaces the best (is not in front of
// it) becomes the best, and the best then trades places with s. Each object
// keeps the list of its displacers, the objects after it that displace it,
// so a pass follows lists instead of scanning: the best moves to its nearest
// displacer until it reaches an object whose list is empty. Only the last
// object, the tail, is compared directly. A pass whose start has an empty
// list and is not displaced by the tail changes nothing, and one vector scan
// finds the next pass that does. Most objects are displaced by nothing after
// them; pairs that displace each other both ways keep some lists filled.
//
// A list depends on which objects stand after its owner, not on their order,
// so a swap of p and r changes only the lists of the two and of the objects
// between them, and those are compared afresh. The tail is kept out of every
// list, which makes an insert cheap: when the tail takes the place of the
// start s, s becomes the tail and keeps its list, as if it still stood at p.
// Each pass that leaves its object in place has compared that object with
// the tail and found it not displaced, so the objects placed meanwhile rightly
// have no entry for s; and when s is placed again, its list keeps the entries
// that still stand after it. The appended object is the one tail whose list
// is unknown: it is compared with the objects after it when first placed. A
// sort without an append first takes its last object out of every list.
//
// When the lists grow past about two entries an object, or the work of a
// sort past a sixteenth of what plain scans would cost, the objects displace
// each other too much for lists to pay: the sort goes on by plain scans in
// vector lanes, exactly as the list's own sort does, and the lists are made
// afresh a few sorts later (each failure waits longer).

namespace {

constexpr int32_t kBlock = 64;  // positions marked at a time, and the arrays' spare room
constexpr int32_t kLongestRetryInterval = 64;

bool g_wideLanesAllowed = true;

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define WIDE_LANES __attribute__((target("avx2")))
bool wideLanes() {
    static const bool supported = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    return supported && g_wideLanesAllowed;
}
#else
#define WIDE_LANES
bool wideLanes() {
    return false;
}
#endif
#define LANES_INLINE inline __attribute__((always_inline))

// Footprints side by side in vector lanes: four (a baseline SSE2 register)
// or eight (an AVX2 register). Each loop below is built for both.
typedef int32_t Vector4 __attribute__((vector_size(16)));
typedef int32_t Vector8 __attribute__((vector_size(32)));

template <typename Vector>
constexpr int32_t kLanes = int32_t(sizeof(Vector) / sizeof(int32_t));

template <typename Vector>
struct FootprintLanes {
    Vector frontX;
    Vector backX;
    Vector frontY;
    Vector backY;
};

using Corners = DepthOrder::Corners;

template <typename Vector>
LANES_INLINE Vector load(const int32_t *values) {
    Vector lanes;
    std::memcpy(&lanes, values, sizeof lanes);
    return lanes;
}

// The value in every lane. GCC broadcasts lane 0 of a load in one
// instruction, where it builds Vector{} + *value lane by lane.
template <typename Vector>
LANES_INLINE Vector broadcast(const int32_t *value) {
#if defined(__clang__)
    return Vector{} + *value;
#else
    return __builtin_shuffle(load<Vector>(value), Vector{});
#endif
}

// The footprint at position i in every lane.
template <typename Vector>
LANES_INLINE FootprintLanes<Vector> splat(const Corners &chain, int32_t i) {
    return {broadcast<Vector>(chain.frontX + i), broadcast<Vector>(chain.backX + i),
            broadcast<Vector>(chain.frontY + i), broadcast<Vector>(chain.backY + i)};
}

// Bit i set when lane i is not zero (lanes hold all ones or zero).
template <typename Vector>
LANES_INLINE uint32_t laneBits(const Vector &lanes) {
    uint32_t bits = 0;
    for (int32_t i = 0; i < kLanes<Vector>; ++i)
        bits |= uint32_t(lanes[i] & 1) << i;
    return bits;
}

// The first lane that is not zero, or the number of lanes.
template <typename Vector>
LANES_INLINE int32_t firstLane(const Vector &lanes) {
    const uint32_t bits = laneBits(lanes);
    return bits != 0 ? std::countr_zero(bits) : kLanes<Vector>;
}

// All ones in the lanes from position i on whose footprint is displaced by
// `held` (kHeldMoves) or displaces it (otherwise).
template <bool kHeldMoves, typename Vector>
LANES_INLINE Vector displacedLanes(const Corners &chain, int32_t i, const FootprintLanes<Vector> &held) {
    const FootprintLanes<Vector> other{load<Vector>(chain.frontX + i), load<Vector>(chain.backX + i),
                                       load<Vector>(chain.frontY + i), load<Vector>(chain.backY + i)};
    return ~(kHeldMoves ? liesInFrontLanes(held, other) : liesInFrontLanes(other, held));
}

// Bit i set for the positions from + i, i below count (at most 64), that
// match the footprint at `held`.
template <bool kHeldMoves, typename Vector>
LANES_INLINE uint64_t markRun(const Corners &chain, int32_t held, int32_t from, int32_t count) {
    const FootprintLanes<Vector> heldLanes = splat<Vector>(chain, held);
    uint64_t bits = 0;
    for (int32_t i = 0; i < count; i += kLanes<Vector>)
        bits |= uint64_t{laneBits(displacedLanes<kHeldMoves>(chain, from + i, heldLanes))} << i;
    return count < 64 ? bits & ((uint64_t{1} << count) - 1) : bits;
}

// The first position in [from, to) whose footprint the one at `held`
// displaces or whose stop is not zero, or to.
template <typename Vector>
LANES_INLINE int32_t firstStop(const Corners &chain, int32_t held, int32_t from, int32_t to, const int32_t *stops) {
    const FootprintLanes<Vector> heldLanes = splat<Vector>(chain, held);
    for (int32_t i = from; i < to; i += kLanes<Vector>) {
        const int32_t lane = firstLane(displacedLanes<true>(chain, i, heldLanes) | load<Vector>(stops + i));
        if (lane < kLanes<Vector>)
            return std::min(i + lane, to);
    }
    return to;
}

// One pass of the list's own sort over positions [start, end): the position
// of the best it ends with.
template <typename Vector>
LANES_INLINE int32_t passBest(const Corners &chain, int32_t start, int32_t end) {
    int32_t best = start;
    FootprintLanes<Vector> held = splat<Vector>(chain, best);
    for (int32_t i = start + 1;;) {
        const int32_t lane = firstLane(displacedLanes<false>(chain, i, held));
        if (i + lane >= end)
            return best;
        if (lane == kLanes<Vector>) {
            i += kLanes<Vector>;
        } else {
            best = i + lane;
            held = splat<Vector>(chain, best);
            i = best + 1;
        }
    }
}

template <bool kHeldMoves>
uint64_t markRunPlain(Corners chain, int32_t held, int32_t from, int32_t count) {
    return markRun<kHeldMoves, Vector4>(chain, held, from, count);
}
template <bool kHeldMoves>
WIDE_LANES uint64_t markRunWide(Corners chain, int32_t held, int32_t from, int32_t count) {
    return markRun<kHeldMoves, Vector8>(chain, held, from, count);
}
int32_t firstStopPlain(Corners chain, int32_t held, int32_t from, int32_t to, const int32_t *stops) {
    return firstStop<Vector4>(chain, held, from, to, stops);
}
WIDE_LANES int32_t firstStopWide(Corners chain, int32_t held, int32_t from, int32_t to, const int32_t *stops) {
    return firstStop<Vector8>(chain, held, from, to, stops);
}
int32_t passBestPlain(Corners chain, int32_t start, int32_t end) {
    return passBest<Vector4>(chain, start, end);
}
WIDE_LANES int32_t passBestWide(Corners chain, int32_t start, int32_t end) {
    return passBest<Vector8>(chain, start, end);
}

}  // namespace

void DepthOrder::allowWideLanes(bool allowed) {
    g_wideLanesAllowed = allowed;
}

DepthOrder::DepthOrder(int32_t capacity) {
    const size_t objects = size_t(std::max(capacity, 0));
    for (std::vector<int32_t> *byPosition : {&frontX_, &backX_, &frontY_, &backY_, &ids_, &listed_})
        byPosition->assign(objects + kBlock, 0);
    positions_.assign(objects, 0);
    displacers_.resize(objects);
}

void DepthOrder::insert(int32_t id, const Footprint &footprint) {
    const int32_t p = size_++;
    ids_[p] = id;
    positions_[id] = p;
    frontX_[p] = footprint.frontX;
    backX_[p] = footprint.backX;
    frontY_[p] = footprint.frontY;
    backY_[p] = footprint.backY;
    listed_[p] = 0;
    sortAfter(true);
}

void DepthOrder::sort() {
    sortAfter(false);
}

void DepthOrder::sortAfter(bool appended) {
    if (size_ < 2)
        return;
    if (!tracking_ && --sortsUntilRetry_ <= 0) {
        tracking_ = listAllDisplacers();
        if (!tracking_)
            giveUpLists();
        appended = false;  // the lists now hold the last object too
    }
    if (!tracking_) {
        scanPasses(0);
        return;
    }
    if (!appended)
        forgetTail();
    sortWithLists();
}

void DepthOrder::swapPlaces(int32_t p, int32_t q) {
    std::swap(ids_[p], ids_[q]);
    std::swap(frontX_[p], frontX_[q]);
    std::swap(backX_[p], backX_[q]);
    std::swap(frontY_[p], frontY_[q]);
    std::swap(backY_[p], backY_[q]);
    std::swap(listed_[p], listed_[q]);
    positions_[ids_[p]] = p;
    positions_[ids_[q]] = q;
}

void DepthOrder::sortWithLists() {
    const int32_t last = size_ - 1;
    const int64_t workLimit = int64_t{size_} * size_ / 32 + 64 * int64_t{size_};
    int64_t work = 0;
    bool tailKnown = false;
    for (int32_t p = nextChange(0); p < last; p = nextChange(p + 1)) {
        int32_t best = p;
        while (listed_[best]) {
            const std::vector<int32_t> &list = displacers_[ids_[best]];
            best = size_;
            for (int32_t id : list)
                best = std::min(best, positions_[id]);
            work += int64_t(list.size());
        }
        if (!liesInFront(at(last), at(best))) {
            work += placeTail(p, tailKnown);
            tailKnown = true;
        } else if (best != p) {
            work += bringForward(p, best);
        }
        if (listedCount_ > listLimit() || work > workLimit) {
            giveUpLists();
            scanPasses(p + 1);
            return;
        }
    }
    keepDisplacersAfter(ids_[last], last);
    retryInterval_ = 1;
}

// The tail takes position p; the start there becomes the tail, its list kept.
int32_t DepthOrder::placeTail(int32_t p, bool tailKnown) {
    const int32_t last = size_ - 1;
    const int32_t tail = ids_[last];
    swapPlaces(p, last);
    if (tailKnown) {
        keepDisplacersAfter(tail, p);
        return 0;
    }
    forEachMatch(p, false, p + 1, size_, [&](int32_t q) { addDisplacer(tail, ids_[q]); });
    return last - p;
}

// The object at r takes position p; the start there moves to r, behind the
// objects between, which the object from r now stands before.
int32_t DepthOrder::bringForward(int32_t p, int32_t r) {
    const int32_t start = ids_[p];
    const int32_t best = ids_[r];
    forEachMatch(r, true, p + 1, r, [&](int32_t q) { removeDisplacer(ids_[q], best); });
    forEachMatch(p, true, p + 1, r, [&](int32_t q) { addDisplacer(ids_[q], start); });
    // Nothing after r displaced the best, so its list was empty.
    forEachMatch(r, false, p + 1, r, [&](int32_t q) { addDisplacer(best, ids_[q]); });
    if (!liesInFront(at(p), at(r)))
        addDisplacer(best, start);
    swapPlaces(p, r);
    keepDisplacersAfter(start, r);
    return 3 * (r - p);
}

// The passes of the list's own sort, scanning every later object.
void DepthOrder::scanPasses(int32_t firstPass) {
    const Corners chain = corners();
    for (int32_t p = firstPass; p < size_ - 1; ++p) {
        const int32_t best = wideLanes() ? passBestWide(chain, p, size_) : passBestPlain(chain, p, size_);
        if (best != p)
            swapPlaces(p, best);
    }
}

void DepthOrder::addDisplacer(int32_t id, int32_t displacer) {
    displacers_[id].push_back(displacer);
    listed_[positions_[id]] = 1;
    ++listedCount_;
}

void DepthOrder::removeDisplacer(int32_t id, int32_t displacer) {
    std::vector<int32_t> &list = displacers_[id];
    const auto found = std::find(list.begin(), list.end(), displacer);
    if (found == list.end())
        return;
    *found = list.back();
    list.pop_back();
    listed_[positions_[id]] = !list.empty();
    --listedCount_;
}

void DepthOrder::keepDisplacersAfter(int32_t id, int32_t position) {
    std::vector<int32_t> &list = displacers_[id];
    const size_t before = list.size();
    std::erase_if(list, [&](int32_t displacer) { return positions_[displacer] <= position; });
    listed_[positions_[id]] = !list.empty();
    listedCount_ -= int64_t(before - list.size());
}

// Before a sort without an append: the last object becomes a tail like an
// appended one, out of every list.
void DepthOrder::forgetTail() {
    const int32_t last = size_ - 1;
    for (int32_t q = 0; q < last; ++q) {
        if (listed_[q])
            removeDisplacer(ids_[q], ids_[last]);
    }
}

// Lists made from scratch; false when they grow past the bound.
bool DepthOrder::listAllDisplacers() {
    clearLists();
    for (int32_t p = 0; p < size_ - 1; ++p) {
        forEachMatch(p, false, p + 1, size_, [&](int32_t q) { addDisplacer(ids_[p], ids_[q]); });
        if (listedCount_ > listLimit())
            return false;
    }
    return true;
}

void DepthOrder::clearLists() {
    for (int32_t p = 0; p < size_; ++p) {
        displacers_[ids_[p]].clear();
        listed_[p] = 0;
    }
    listedCount_ = 0;
}

// Sorts go on by scanning; the next attempt at lists waits longer each time.
void DepthOrder::giveUpLists() {
    clearLists();
    tracking_ = false;
    sortsUntilRetry_ = retryInterval_;
    retryInterval_ = std::min(2 * retryInterval_, kLongestRetryInterval);
}

DepthOrder::Corners DepthOrder::corners() const {
    return {frontX_.data(), backX_.data(), frontY_.data(), backY_.data()};
}

// The first pass from `from` on that changes anything: its start has
// displacers listed or is displaced by the tail.
int32_t DepthOrder::nextChange(int32_t from) const {
    const int32_t last = size_ - 1;
    return wideLanes() ? firstStopWide(corners(), last, from, last, listed_.data())
                       : firstStopPlain(corners(), last, from, last, listed_.data());
}

// Calls visit(q) for each position q in [from, to) whose object displaces
// the one at `held` (heldMoves false) or is displaced by it (heldMoves true).
template <typename Visit>
void DepthOrder::forEachMatch(int32_t held, bool heldMoves, int32_t from, int32_t to, Visit visit) const {
    const Corners chain = corners();
    for (int32_t block = from; block < to; block += kBlock) {
        const int32_t count = std::min(kBlock, to - block);
        uint64_t bits;
        if (wideLanes())
            bits = heldMoves ? markRunWide<true>(chain, held, block, count)
                             : markRunWide<false>(chain, held, block, count);
        else
            bits = heldMoves ? markRunPlain<true>(chain, held, block, count)
                             : markRunPlain<false>(chain, held, block, count);
        for (; bits != 0; bits &= bits - 1)
            visit(block + std::countr_zero(bits));
    }
}
