// What a map file announces and what its bytes hold (layout in
// docs/formats.md), read front to back in the order the client's loader
// reads it, with the sprite identifiers of the records it gets to. The
// loader (client/map/map.h) decides what a map loads as; the walk says where
// a file falls short of its header and which identifiers it names.
#ifndef CLI_MAP_WALK_H
#define CLI_MAP_WALK_H

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int64_t kMapHeaderSize = 16;
inline constexpr int64_t kMapObjectSize = 24;
inline constexpr int64_t kMapTileSize = 5;

// How many tiles and objects name one identifier.
struct IdentifierUse {
    int32_t id;
    int64_t tiles;
    int64_t objects;
};

struct MapWalk {
    int64_t fileSize = 0;
    // The header as announced; fields the file does not hold read 0.
    int32_t tag = 0;
    int32_t sizeX = 0;
    int32_t sizeY = 0;
    int32_t objectCount = 0;
    // Records announced (0 for a count of zero or less) and whole records held.
    int64_t objectsAnnounced = 0;
    int64_t objectsHeld = 0;
    int64_t tilesAnnounced = 0;  // sizeX * sizeY when both are positive
    int64_t tilesHeld = 0;
    int64_t bytesAfter = 0;  // after the last announced tile, never read
    // Identifiers of every record whose identifier bytes the file holds, in
    // increasing order.
    std::vector<IdentifierUse> identifiers;

    bool headerHeld() const { return fileSize >= kMapHeaderSize; }
    bool complete() const { return headerHeld() && objectsHeld == objectsAnnounced && tilesHeld == tilesAnnounced; }
    // Where the file falls short of its header, e.g. "objects: 120 announced,
    // the file ends inside object 87", clauses joined by "; "; "" when complete.
    std::string shortfall() const;
};

// False with one line naming the path when it cannot be read.
bool walkMapFile(const std::string &path, MapWalk &walk, std::string &error);

#endif
