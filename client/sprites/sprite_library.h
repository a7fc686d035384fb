// The sprite library in display memory: every frame of every sprite of one
// library file, converted to the display's depth and held as an off-screen
// surface with source colour key 0.
//
// Stored pixel layouts: common/sprite_records.h; display formats:
// client/display/display.h; the conversions: common/stored_pixels.h.
//
// Ownership: the library owns its arrays, each entry's frames array and every
// frame surface (released once, by the library's destructor). names and
// extraData point into the module's memory, are never read and die with the
// module. Copying an entry shares its surfaces; destroying one releases none.
#ifndef CLIENT_SPRITES_SPRITE_LIBRARY_H
#define CLIENT_SPRITES_SPRITE_LIBRARY_H

#include "client/display/display.h"
#include "common/sprite_records.h"
#include "platform/win32.h"

#include <cstdint>
#include <vector>

struct SpriteFrame {
    uint32_t frameTag;
    uint16_t width;  // the surface's size: see createFrames
    uint16_t height;
    uint16_t originX;  // subtracted from x when drawn
    uint16_t originY;  // subtracted from y when drawn
    uint16_t offsetX;  // added to x when drawn
    uint16_t offsetY;  // added to y when drawn
    uint16_t spare1;
    uint16_t spare2;
    int32_t extraSize;
    uint8_t *extraData;            // module memory, borrowed
    IDirectDrawSurface7 *surface;  // null when it could not be made
};

struct SpriteEntry {
    uint8_t translucent = 0;  // nonzero: drawn as a 50% mix, else keyed
    std::vector<SpriteFrame> frames;

    // Fills the entry from one sprite: its frames, each with a surface in the
    // display's depth. False when the display depth is neither 16 nor 32 (or
    // the record lacks its per-frame arrays); nothing is created then.
    //
    // A frame's surface covers only what its pixel block supplies: the whole
    // frame for a full block; for a short one, the rows it reaches (or its
    // pixels alone, when they fill less than a row); none for an empty block
    // or a depth that is not converted. What is left out would be pixels of
    // value 0, which neither blit draws, so every frame draws as its full
    // size would, and display memory stays within about twice the pixels the
    // file holds. The frame's width and height are the surface's.
    bool createFrames(Display &display, const SpriteRecord &sprite);
    // Draws frame 0 with its top-left corner at (x + offsetX - originX,
    // y + offsetY - originY) onto the surface in *target, clipped to the
    // screen. Frames wholly off the screen are skipped. Always true.
    bool drawAt(Display &display, IDirectDrawSurface7 *const *target, int x, int y) const;
};

class SpriteLibrary {
public:
    Display *display = nullptr;  // not owned; set before loadSprites
    uint32_t tag1 = 0;
    uint32_t tag2 = 0;
    uint32_t tag3 = 0;
    // Same length, one position per loaded sprite, in library-file order.
    std::vector<SpriteEntry> entries;
    std::vector<int32_t> spriteIds;
    std::vector<char *> names;

    // Binds the sprite file module (g_spriteModule.load), result ignored.
    SpriteLibrary();
    // Unloads the module first, then releases every frame surface.
    ~SpriteLibrary();
    SpriteLibrary(const SpriteLibrary &) = delete;
    SpriteLibrary &operator=(const SpriteLibrary &) = delete;

    // Loads a library file through the module and appends its sprites. On a
    // missing module, export or file the library is left as it was.
    bool loadSprites(const char *path);
    // Position of the first sprite with this identifier, or -1.
    int32_t indexOfSprite(int32_t id) const;
};

#endif
