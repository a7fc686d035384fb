#include "client/map/depth_order.h"

#include <algorithm>
#include <cstring>

// How the sorts are cut short, while staying exact.
//
// A pass of the selection sort starts at position p with the object s there
// as the best; each later object that displaces the best (is not in front of
// it) becomes the best, and the best then trades places with s. Each object
// keeps the list of its displacers: the objects after it that displace it.
// A pass then follows lists instead of scanning: the best moves to its
// nearest displacer until it reaches an object whose list is empty. Only the
// last object, the tail, is compared directly. A pass whose start has an
// empty list and is not displaced by the tail changes nothing, and one
// vector scan finds the next pass that does.
//
// A list depends on which objects stand after its owner, not on their order,
// so a swap of p and r changes only the lists of the two and of the objects
// between them. The tail is kept out of all lists, which is what makes an
// insert cheap: when the tail t takes the place of the start s, s becomes
// the tail and its list stays as it was, as if s still stood at p. Every pass
// that leaves its object in place has compared that object with the tail and
// found it not displaced, so the objects placed meanwhile are right to have
// no entry for s; and when s is placed again, its list keeps the entries that
// still stand after it. Only the appended object's list is unknown; it is
// compared with the objects after it when it is first placed.
//
// When the lists or the work of a sort grow past a bound (many objects that
// displace each other), the sort goes on by plain scans, exactly as the
// list's own sort does, and the lists are made afresh a few sorts later.

namespace {

constexpr int32_t kBlock = 64;  // flags marked at a time, and the arrays' spare room
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

template <typename Vector>
LANES_INLINE FootprintLanes<Vector> splat(const Footprint &footprint) {
    return {Vector{} + footprint.frontX, Vector{} + footprint.backX, Vector{} + footprint.frontY,
            Vector{} + footprint.backY};
}

// The first lane that is not zero, or the number of lanes.
template <typename Vector>
LANES_INLINE int32_t firstLane(const Vector &lanes) {
    uint64_t words[sizeof(Vector) / sizeof(uint64_t)];
    std::memcpy(words, &lanes, sizeof words);
    uint64_t any = 0;
    for (uint64_t word : words)
        any |= word;
    if (any == 0)
        return kLanes<Vector>;
    int32_t lane = 0;
    while (lanes[lane] == 0)
        ++lane;
    return lane;
}

// All ones in the lanes from position i on whose footprint is displaced by
// `held` (kHeldMoves) or displaces it (otherwise).
template <bool kHeldMoves, typename Vector>
LANES_INLINE Vector displacedLanes(const Corners &corners, int32_t i, const FootprintLanes<Vector> &held) {
    const FootprintLanes<Vector> other{load<Vector>(corners.frontX + i), load<Vector>(corners.backX + i),
                                       load<Vector>(corners.frontY + i), load<Vector>(corners.backY + i)};
    return kHeldMoves ? footprintRule(held, other) == 0 : footprintRule(other, held) == 0;
}

// flags[i] nonzero for the positions i below count (rounded up to whole
// vectors) that match.
template <bool kHeldMoves, typename Vector>
LANES_INLINE void markRun(const Corners &corners, const Footprint &held, int32_t count, int32_t *flags) {
    const FootprintLanes<Vector> heldLanes = splat<Vector>(held);
    for (int32_t i = 0; i < count; i += kLanes<Vector>) {
        const Vector hits = displacedLanes<kHeldMoves>(corners, i, heldLanes);
        std::memcpy(flags + i, &hits, sizeof hits);
    }
}

// The first position below count whose footprint `held` displaces or whose
// stop is not zero, or count.
template <typename Vector>
LANES_INLINE int32_t firstStop(const Corners &corners, const Footprint &held, int32_t count, const int32_t *stops) {
    const FootprintLanes<Vector> heldLanes = splat<Vector>(held);
    for (int32_t i = 0; i < count; i += kLanes<Vector>) {
        const int32_t lane = firstLane(displacedLanes<true>(corners, i, heldLanes) | load<Vector>(stops + i));
        if (lane < kLanes<Vector>)
            return std::min(i + lane, count);
    }
    return count;
}

// One pass of the list's own sort over positions 0 .. count - 1, the start
// at 0: the position of the best it ends with.
template <typename Vector>
LANES_INLINE int32_t passBest(const Corners &corners, int32_t count) {
    int32_t best = 0;
    FootprintLanes<Vector> held = splat<Vector>(corners.at(best));
    for (int32_t i = 1;;) {
        const int32_t lane = firstLane(displacedLanes<false>(corners, i, held));
        if (i + lane >= count)
            return best;
        if (lane == kLanes<Vector>) {
            i += kLanes<Vector>;
        } else {
            best = i + lane;
            held = splat<Vector>(corners.at(best));
            i = best + 1;
        }
    }
}

template <bool kHeldMoves>
void markRunPlain(Corners corners, Footprint held, int32_t count, int32_t *flags) {
    markRun<kHeldMoves, Vector4>(corners, held, count, flags);
}
template <bool kHeldMoves>
WIDE_LANES void markRunWide(Corners corners, Footprint held, int32_t count, int32_t *flags) {
    markRun<kHeldMoves, Vector8>(corners, held, count, flags);
}
int32_t firstStopPlain(Corners corners, Footprint held, int32_t count, const int32_t *stops) {
    return firstStop<Vector4>(corners, held, count, stops);
}
WIDE_LANES int32_t firstStopWide(Corners corners, Footprint held, int32_t count, const int32_t *stops) {
    return firstStop<Vector8>(corners, held, count, stops);
}
int32_t passBestPlain(Corners corners, int32_t count) {
    return passBest<Vector4>(corners, count);
}
WIDE_LANES int32_t passBestWide(Corners corners, int32_t count) {
    return passBest<Vector8>(corners, count);
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
    forEachMatch(at(p), false, p + 1, size_, [&](int32_t q) { addDisplacer(tail, ids_[q]); });
    return last - p;
}

// The object at r takes position p; the start there moves to r, behind the
// objects between, which the object from r now stands before.
int32_t DepthOrder::bringForward(int32_t p, int32_t r) {
    const int32_t start = ids_[p];
    const int32_t best = ids_[r];
    for (int32_t q = p + 1; q < r; ++q) {
        if (listed_[q])
            removeDisplacer(ids_[q], best);
    }
    forEachMatch(at(p), true, p + 1, r, [&](int32_t q) { addDisplacer(ids_[q], start); });
    // Nothing after r displaced the best, so its list was empty.
    forEachMatch(at(r), false, p + 1, r, [&](int32_t q) { addDisplacer(best, ids_[q]); });
    if (!liesInFront(at(p), at(r)))
        addDisplacer(best, start);
    swapPlaces(p, r);
    keepDisplacersAfter(start, r);
    return 2 * (r - p);
}

// The passes of the list's own sort, scanning every later object.
void DepthOrder::scanPasses(int32_t firstPass) {
    for (int32_t p = firstPass; p < size_ - 1; ++p) {
        const Corners corners = cornersFrom(p);
        const int32_t best = p + (wideLanes() ? passBestWide(corners, size_ - p) : passBestPlain(corners, size_ - p));
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
        forEachMatch(at(p), false, p + 1, size_, [&](int32_t q) { addDisplacer(ids_[p], ids_[q]); });
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

DepthOrder::Corners DepthOrder::cornersFrom(int32_t position) const {
    return {frontX_.data() + position, backX_.data() + position, frontY_.data() + position, backY_.data() + position};
}

// The first pass from `from` on that changes anything: its start has
// displacers listed or is displaced by the tail.
int32_t DepthOrder::nextChange(int32_t from) const {
    const int32_t last = size_ - 1;
    const Corners corners = cornersFrom(from);
    const int32_t *stops = listed_.data() + from;
    return from + (wideLanes() ? firstStopWide(corners, at(last), last - from, stops)
                               : firstStopPlain(corners, at(last), last - from, stops));
}

// Calls visit(q) for each position q in [from, to) whose object displaces
// `held` (heldMoves false) or is displaced by it (heldMoves true).
template <typename Visit>
void DepthOrder::forEachMatch(const Footprint &held, bool heldMoves, int32_t from, int32_t to, Visit visit) const {
    int32_t flags[kBlock];
    for (int32_t block = from; block < to; block += kBlock) {
        const int32_t count = std::min(kBlock, to - block);
        const Corners corners = cornersFrom(block);
        if (wideLanes())
            heldMoves ? markRunWide<true>(corners, held, count, flags)
                      : markRunWide<false>(corners, held, count, flags);
        else
            heldMoves ? markRunPlain<true>(corners, held, count, flags)
                      : markRunPlain<false>(corners, held, count, flags);
        for (int32_t i = 0; i < count; ++i) {
            if (flags[i] != 0)
                visit(block + i);
        }
    }
}
