// The map's objects as a doubly linked chain in drawing order, rear-most
// first. The list owns its nodes (allocated by append, released by clear and
// the destructor). While `busy` is set the links are being changed and must
// not be walked; the view then draws no objects.
#ifndef CLIENT_MAP_OBJECT_LIST_H
#define CLIENT_MAP_OBJECT_LIST_H

#include <cstdint>

#include "client/map/map_data.h"

struct ObjectNode {
    int32_t sprite;
    int32_t x;
    int32_t y;
    int32_t extentX;
    int32_t extentY;
    int32_t elevation;
    ObjectNode *prev;
    ObjectNode *next;
};

// True when a is drawn after b. Not transitive, and can be true or false both
// ways for overlapping footprints; only the sort below defines the order.
using InFrontOfProc = bool (*)(const ObjectNode &a, const ObjectNode &b);

// The footprint rule: each footprint runs from its front corner
// (x + elevation, y - elevation) back by extentX along -x and extentY along +y.
bool footprintInFrontOf(const ObjectNode &a, const ObjectNode &b);

class ObjectList {
public:
    MapData *map = nullptr;
    int32_t count = 0;
    bool busy = false;
    ObjectNode *first = nullptr;
    ObjectNode *last = nullptr;
    InFrontOfProc inFrontOf = footprintInFrontOf;

    ObjectList() = default;
    ~ObjectList();
    ObjectList(const ObjectList &) = delete;
    ObjectList &operator=(const ObjectList &) = delete;

    // Rebuilds the list from map's objects, one insert each, then releases the
    // map's object array (objects null, objectCount 0 afterwards) and sorts
    // once more. Under the footprint rule the order is worked out on arrays
    // and the chain linked once; any other rule runs insert and sort as they
    // are, one call of inFrontOf per comparison.
    bool rebuild();
    bool insert(const MapObject &object);
    // Selection sort by relinking: position i receives the first remaining
    // node that no later node displaces (inFrontOf(cur, best) false).
    bool sort();
    bool append(const MapObject &object);
    void clear();

private:
    void exchange(ObjectNode *earlier, ObjectNode *later);
    bool rebuildByFootprints(const MapObject *objects, int32_t objectCount);
    void link(ObjectNode *const *nodes, const int32_t *order, int32_t orderCount);
};

#endif
