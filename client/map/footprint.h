// An object's footprint, the rectangle on the map that orders objects for
// drawing: from its front corner (x + elevation, y - elevation), the corner
// lowest on the screen, back by extentX along -x and by extentY along +y.
// Corners wrap around like the 32-bit values they are, so hostile map values
// give some order instead of undefined behaviour; all comparisons are signed.
#ifndef CLIENT_MAP_FOOTPRINT_H
#define CLIENT_MAP_FOOTPRINT_H

#include <cstdint>

struct Footprint {
    int32_t frontX;
    int32_t backX;
    int32_t frontY;
    int32_t backY;
};

inline int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

inline int32_t wrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

inline Footprint footprintOf(int32_t x, int32_t y, int32_t extentX, int32_t extentY, int32_t elevation) {
    const int32_t frontX = wrapAdd(x, elevation);
    const int32_t frontY = wrapSub(y, elevation);
    return Footprint{frontX, wrapSub(frontX, extentX), frontY, wrapAdd(frontY, extentY)};
}

// The footprint rule: true when a is drawn after b. The first rule that
// applies decides.
inline bool liesInFront(const Footprint &a, const Footprint &b) {
    if (b.frontX <= a.frontX && b.frontY >= a.frontY)
        return true;
    if (b.frontX <= a.backX && b.frontY >= a.backY)
        return true;
    if (a.frontX <= b.frontX && a.frontY >= b.frontY)
        return false;
    if (a.frontX <= b.backX && a.frontY >= b.backY)
        return false;
    if (b.frontX > a.frontX && b.frontY <= a.backY)
        return false;
    return b.frontY >= a.frontY || b.frontX < a.backX;
}

// The same rule lane by lane, for footprints held in vectors (one vector
// per corner): all ones in the lanes where a is drawn after b. Without
// branches: rules 1 or 2 give true; else 3, 4 or 5 give false; else 6.
// Always inlined: the vector loops are built for more than one instruction
// set, and a call between them would not agree on how vectors are passed.
template <typename FootprintLanes>
inline __attribute__((always_inline)) auto liesInFrontLanes(const FootprintLanes &a, const FootprintLanes &b) {
    const auto rule1 = (b.frontX <= a.frontX) & (b.frontY >= a.frontY);
    const auto rule2 = (b.frontX <= a.backX) & (b.frontY >= a.backY);
    const auto rule3 = (a.frontX <= b.frontX) & (a.frontY >= b.frontY);
    const auto rule4 = (a.frontX <= b.backX) & (a.frontY >= b.backY);
    const auto rule5 = (b.frontX > a.frontX) & (b.frontY <= a.backY);
    const auto rule6 = (b.frontY >= a.frontY) | (b.frontX < a.backX);
    return rule1 | rule2 | (rule6 & ~(rule3 | rule4 | rule5));
}

#endif
