// Whether a SpriteRecord (common/sprite_records.h) carries the per-frame
// arrays that its frameCount frames need: the thirteen every frame has, and
// the optional pair when hasOptionalBlock is set. A record that a load filled
// always does; one that a caller built for a save may not.
#ifndef COMMON_FRAME_ARRAYS_H
#define COMMON_FRAME_ARRAYS_H

#include "common/sprite_records.h"

inline bool hasFrameArrays(const SpriteRecord &s) {
    const bool common = s.frameTags && s.width && s.height && s.originX && s.originY && s.offsetX && s.offsetY &&
                        s.spare1 && s.spare2 && s.extraSize && s.extraData && s.pixelSize && s.pixelData;
    return common && (s.hasOptionalBlock == 0 || (s.optionalSize && s.optionalData));
}

#endif
