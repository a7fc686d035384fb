#include "client/map/object_list.h"

#include <new>

// Footprint corners wrap around like the 32-bit values they are, so hostile
// map values give some order instead of undefined behaviour.
static int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

static int32_t wrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

bool footprintInFrontOf(const ObjectNode &a, const ObjectNode &b) {
    const int32_t aFrontX = wrapAdd(a.x, a.elevation);
    const int32_t aBackX = wrapSub(aFrontX, a.extentX);
    const int32_t aFrontY = wrapSub(a.y, a.elevation);
    const int32_t aBackY = wrapAdd(aFrontY, a.extentY);
    const int32_t bFrontX = wrapAdd(b.x, b.elevation);
    const int32_t bBackX = wrapSub(bFrontX, b.extentX);
    const int32_t bFrontY = wrapSub(b.y, b.elevation);
    const int32_t bBackY = wrapAdd(bFrontY, b.extentY);

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
    if (map != nullptr) {
        for (int32_t i = 0; i < map->objectCount && map->objects != nullptr; ++i)
            insert(map->objects[i]);
        delete[] map->objects;
        map->objects = nullptr;
        map->objectCount = 0;
    }
    return sort();
}
