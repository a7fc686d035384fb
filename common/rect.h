// A rectangle of pixels for clipping: left and top inside, right and bottom
// outside, as a Win32 RECT. The fields are 64-bit so that placing any 32-bit
// rectangle at any 32-bit position cannot overflow; a rectangle cut to a
// surface's bounds fits 32 bits again.
//
// Clip once, where the pixels are addressed, then call the clip-free loops of
// common/pixel_kernels.h:
//   Rect drawn = placed.intersected(bounds);
//   if (drawn.isEmpty())
//       return;
#ifndef COMMON_RECT_H
#define COMMON_RECT_H

#include <algorithm>
#include <cstdint>

struct Rect {
    int64_t left = 0;
    int64_t top = 0;
    int64_t right = 0;
    int64_t bottom = 0;

    int64_t width() const { return right - left; }
    int64_t height() const { return bottom - top; }
    // Also true for an inverted rectangle.
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool contains(const Rect &other) const {
        return other.left >= left && other.top >= top && other.right <= right && other.bottom <= bottom;
    }
    Rect intersected(const Rect &other) const {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }
    Rect translated(int64_t dx, int64_t dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    // The same size with its top-left corner at (x, y).
    Rect movedTo(int64_t x, int64_t y) const { return translated(x - left, y - top); }
};

#endif
