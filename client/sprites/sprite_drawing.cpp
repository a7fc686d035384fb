#include "client/sprites/sprite_library.h"

bool SpriteEntry::drawAt(Display &display, IDirectDrawSurface7 *const *target, int x, int y) const {
    if (frames.empty() || !frames[0].surface)
        return true;
    const SpriteFrame &frame = frames[0];
    RECT source = {0, 0, frame.width, frame.height};
    // 64-bit: a position near the int range cannot overflow.
    const int64_t left = int64_t(x) + frame.offsetX - frame.originX;
    const int64_t top = int64_t(y) + frame.offsetY - frame.originY;
    if (left >= display.targetRect.right || top >= display.targetRect.bottom)
        return true;
    if (left + frame.width <= 0 || top + frame.height <= 0)
        return true;
    if (translucent == 0)
        display.blitKeyed(target, int(left), int(top), &frame.surface, source, true);
    else
        display.blitTranslucent(target, int(left), int(top), &frame.surface, source, true);
    return true;
}
