// The order that ObjectList::rebuild gives under the footprint rule, worked
// out on arrays: the same appends and selection sorts, so the same order for
// every input, with a small fraction of the comparisons (see depth_order.cpp).
//
// The chain is held by position p, 0 .. size - 1: ids[p] is the caller's id
// of the object there, and its footprint is split over frontX[p], backX[p],
// frontY[p] and backY[p], so that one footprint is compared with a run of
// positions in vector lanes. Ids are 0 .. capacity - 1, each inserted once.
#ifndef CLIENT_MAP_DEPTH_ORDER_H
#define CLIENT_MAP_DEPTH_ORDER_H

#include <cstdint>
#include <vector>

#include "client/map/footprint.h"

class DepthOrder {
public:
    // Throws std::bad_alloc when the memory for `capacity` objects is short.
    explicit DepthOrder(int32_t capacity);

    // Appends the object and sorts, as ObjectList::insert does.
    void insert(int32_t id, const Footprint &footprint);
    // Sorts, as ObjectList::sort does.
    void sort();

    int32_t size() const { return size_; }
    // The ids in chain order, rear-most first.
    const int32_t *ids() const { return ids_.data(); }

    // The corner arrays, as the vector loops read them.
    struct Corners {
        const int32_t *frontX;
        const int32_t *backX;
        const int32_t *frontY;
        const int32_t *backY;
    };

    // Comparisons run in AVX2 lanes when the processor has them, decided at
    // first use; tests switch that off to cover the plain loop as well.
    static void allowWideLanes(bool allowed);

private:
    Footprint at(int32_t position) const {
        return {frontX_[position], backX_[position], frontY_[position], backY_[position]};
    }
    void swapPlaces(int32_t p, int32_t q);

    void sortAfter(bool appended);
    void sortWithLists();
    int32_t placeTail(int32_t p, bool tailKnown);
    int32_t bringForward(int32_t p, int32_t r);
    void scanPasses(int32_t firstPass);

    void addDisplacer(int32_t id, int32_t displacer);
    void removeDisplacer(int32_t id, int32_t displacer);
    void keepDisplacersAfter(int32_t id, int32_t position);
    void forgetTail();
    bool listAllDisplacers();
    void clearLists();
    void giveUpLists();
    int64_t listLimit() const { return 2 * int64_t{size_} + 256; }

    // Runs of positions compared with one footprint, in vector lanes.
    Corners corners() const;
    int32_t nextChange(int32_t from) const;
    template <typename Visit>
    void forEachMatch(int32_t held, bool heldMoves, int32_t from, int32_t to, Visit visit) const;

    // By position, each with room for a run of lanes past the last object.
    std::vector<int32_t> frontX_, backX_, frontY_, backY_;
    std::vector<int32_t> ids_;
    std::vector<int32_t> listed_;  // 1 when the object's displacer list is not empty
    // By id.
    std::vector<int32_t> positions_;
    std::vector<std::vector<int32_t>> displacers_;

    int32_t size_ = 0;
    int64_t listedCount_ = 0;  // entries in all lists
    bool tracking_ = true;     // the lists are exact
    int32_t retryInterval_ = 1;
    int32_t sortsUntilRetry_ = 0;
};

#endif
