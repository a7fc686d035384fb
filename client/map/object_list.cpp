#include "client/map/object_list.h"

#include <algorithm>
#include <new>
#include <vector>

#include "client/map/depth_order.h"
#include "client/map/footprint.h"

static Footprint footprintOf(const ObjectNode &node) {
    return footprintOf(node.x, node.y, node.extentX, node.extentY, node.elevation);
}

bool footprintInFrontOf(const ObjectNode &a, const ObjectNode &b) {
    return liesInFront(footprintOf(a), footprintOf(b));
}

ObjectList::~ObjectList() {
    clear();
}

bool ObjectList::append(const MapObject &object) {
    busy = true;
    ObjectNode *node = new (std::nothrow) ObjectNode{object.sprite,  object.x,         object.y, object.extentX,
                                                     object.extentY, object.elevation, nullptr,  nullptr};
    if (node == nullptr) {
        busy = false;
        return true;
    }
    if (first == nullptr) {
        first = node;
    } else {
        node->prev = last;
        last->next = node;
    }
    last = node;
    busy = false;
    ++count;
    return true;
}

bool ObjectList::insert(const MapObject &object) {
    append(object);
    return sort();
}

void ObjectList::clear() {
    if (count == 0)
        return;
    busy = true;
    ObjectNode *node = first;
    for (int32_t i = 0; i < count && node != nullptr; ++i) {
        ObjectNode *next = node->next;
        delete node;
        node = next;
    }
    first = nullptr;
    last = nullptr;
    count = 0;
    busy = false;
}

// Swaps the chain places of two nodes, `earlier` standing before `later`.
void ObjectList::exchange(ObjectNode *earlier, ObjectNode *later) {
    ObjectNode *before = earlier->prev;
    ObjectNode *after = later->next;
    if (earlier->next == later) {
        later->next = earlier;
        earlier->prev = later;
    } else {
        ObjectNode *earlierNext = earlier->next;
        ObjectNode *laterPrev = later->prev;
        later->next = earlierNext;
        earlierNext->prev = later;
        earlier->prev = laterPrev;
        laterPrev->next = earlier;
    }
    later->prev = before;
    earlier->next = after;
    if (before != nullptr)
        before->next = later;
    else
        first = later;
    if (after != nullptr)
        after->prev = earlier;
    else
        last = earlier;
}

bool ObjectList::sort() {
    if (count == 0)
        return true;
    busy = true;
    ObjectNode *start = first;
    for (int32_t i = 0; i < count - 1 && start != nullptr; ++i) {
        ObjectNode *best = start;
        for (ObjectNode *cur = start; cur != nullptr; cur = cur->next) {
            if (!inFrontOf(*cur, *best))
                best = cur;
        }
        if (best != start)
            exchange(start, best);
        start = best->next;
    }
    busy = false;
    return true;
}

bool ObjectList::rebuild() {
    clear();
    const MapObject *objects = map != nullptr ? map->objects : nullptr;
    const int32_t objectCount = objects != nullptr ? map->objectCount : 0;
    const bool sorted = inFrontOf == footprintInFrontOf && rebuildByFootprints(objects, objectCount);
    if (!sorted) {
        for (int32_t i = 0; i < objectCount; ++i)
            insert(objects[i]);
    }
    if (map != nullptr) {
        delete[] map->objects;
        map->objects = nullptr;
        map->objectCount = 0;
    }
    if (!sorted)
        sort();
    return true;
}

// The footprint rule's rebuild: the same inserts and sorts, worked out by
// DepthOrder on arrays, and the chain linked once in the order they give. A
// node that cannot be allocated is left out, its insert still sorting, as
// append and insert do. False, the list left empty, when DepthOrder lacks
// memory.
bool ObjectList::rebuildByFootprints(const MapObject *objects, int32_t objectCount) {
    std::vector<ObjectNode *> nodes;
    try {
        DepthOrder order(objectCount);
        nodes.reserve(size_t(std::max(objectCount, 0)));
        for (int32_t i = 0; i < objectCount; ++i) {
            const MapObject &object = objects[i];
            ObjectNode *node = new (std::nothrow) ObjectNode{object.sprite,  object.x,         object.y, object.extentX,
                                                             object.extentY, object.elevation, nullptr,  nullptr};
            if (node == nullptr) {
                order.sort();
                continue;
            }
            nodes.push_back(node);
            order.insert(int32_t(nodes.size()) - 1, footprintOf(*node));
        }
        order.sort();
        link(nodes.data(), order.ids(), order.size());
        return true;
    } catch (const std::bad_alloc &) {
        for (ObjectNode *node : nodes)
            delete node;
        return false;
    }
}

// Makes the chain of the nodes in the given order; the list was empty.
void ObjectList::link(ObjectNode *const *nodes, const int32_t *order, int32_t orderCount) {
    busy = true;
    ObjectNode *previous = nullptr;
    for (int32_t p = 0; p < orderCount; ++p) {
        ObjectNode *node = nodes[order[p]];
        node->prev = previous;
        node->next = nullptr;
        if (previous != nullptr)
            previous->next = node;
        else
            first = node;
        previous = node;
    }
    last = previous;
    count = orderCount;
    busy = false;
}
