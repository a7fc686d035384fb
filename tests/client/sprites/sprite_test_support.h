// For tests of a SpriteLibrary: a placeholder sprite, and what the library holds, as text.
#ifndef TESTS_CLIENT_SPRITES_SPRITE_TEST_SUPPORT_H
#define TESTS_CLIENT_SPRITES_SPRITE_TEST_SUPPORT_H

#include "client/sprites/sprite_library.h"

#include <sstream>
#include <string>

// Appends a sprite without frames or name, as if loaded, under this id.
inline void addPlaceholderSprite(SpriteLibrary &library, int32_t id) {
    library.entries.emplace_back();
    library.spriteIds.push_back(id);
    library.names.push_back(nullptr);
}

inline std::string describe(const SpriteLibrary &library) {
    std::ostringstream text;
    text << "tags " << library.tag1 << " " << library.tag2 << " " << library.tag3 << ", " << library.names.size()
         << " names, ids";
    for (int32_t id : library.spriteIds)
        text << " " << id;
    text << ", " << library.entries.size() << " entries";
    return text.str();
}

#endif
