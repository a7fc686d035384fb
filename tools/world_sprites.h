// The sample world's sprite library, painted in memory and held as the
// record that the module's SaveSpriteLibrary writes.
//
// The library owns every array and block that its record points to; the
// record stays valid for the library's lifetime and the library cannot be
// copied or moved (the record points into it). Sprites come in the order of
// kTerrain then kObjectKinds (tools/world_layout.h).
#ifndef TOOLS_WORLD_SPRITES_H
#define TOOLS_WORLD_SPRITES_H

#include <memory>
#include <string>
#include <vector>

#include "common/sprite_records.h"
#include "tools/world_layout.h"

namespace world {

class WorldLibrary {
public:
    WorldLibrary();
    WorldLibrary(const WorldLibrary &) = delete;
    WorldLibrary &operator=(const WorldLibrary &) = delete;

    const SpriteLibraryRecord &record() const { return record_; }

private:
    // The storage behind one SpriteRecord.
    struct Sprite {
        SpriteRecord record{};
        std::vector<uint32_t> frameTags;
        std::vector<uint16_t> width, height, originX, originY, offsetX, offsetY, spare1, spare2;
        std::vector<int32_t> extraSize, pixelSize, optionalSize;
        std::vector<uint8_t *> extraData, pixelData, optionalData;
        std::vector<std::vector<uint8_t>> pixelBlocks;
    };

    void addSprite(const char *name, int32_t id, uint16_t bitsPerPixel, uint8_t translucent);

    std::vector<std::unique_ptr<Sprite>> sprites_;
    std::vector<std::string> names_;
    std::vector<char *> namePointers_;
    std::vector<int32_t> ids_;
    std::vector<SpriteRecord *> recordPointers_;
    SpriteLibraryRecord record_{};
};

}  // namespace world

#endif
