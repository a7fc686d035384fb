#include "cli/map_walk.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

constexpr int64_t kChunkRecords = 16384;

int32_t int32At(const uint8_t *bytes) {
    return int32_t(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24);
}

// Reads up to count records of recordSize bytes from where the file stands,
// keeping the identifier (the first 4 bytes) of each record that has one,
// the last record included when the file ends inside it past them.
void readIdentifiers(std::FILE *file, int64_t count, int64_t recordSize, std::vector<int32_t> &ids) {
    std::vector<uint8_t> chunk(size_t(std::min(count, kChunkRecords) * recordSize));
    for (int64_t done = 0; done < count;) {
        const size_t wanted = size_t(std::min(count - done, kChunkRecords) * recordSize);
        const size_t got = std::fread(chunk.data(), 1, wanted, file);
        for (size_t at = 0; at + 4 <= got; at += size_t(recordSize))
            ids.push_back(int32At(&chunk[at]));
        if (got < wanted)
            return;
        done += int64_t(got) / recordSize;
    }
}

std::vector<IdentifierUse> tally(std::vector<int32_t> &tileIds, std::vector<int32_t> &objectIds) {
    std::sort(tileIds.begin(), tileIds.end());
    std::sort(objectIds.begin(), objectIds.end());
    std::vector<IdentifierUse> uses;
    auto t = tileIds.begin(), o = objectIds.begin();
    while (t != tileIds.end() || o != objectIds.end()) {
        const int32_t id = o == objectIds.end() || (t != tileIds.end() && *t < *o) ? *t : *o;
        const auto tileEnd = std::upper_bound(t, tileIds.end(), id),
                   objectEnd = std::upper_bound(o, objectIds.end(), id);
        uses.push_back({id, tileEnd - t, objectEnd - o});
        t = tileEnd;
        o = objectEnd;
    }
    return uses;
}

}  // namespace

std::string MapWalk::shortfall() const {
    if (!headerHeld())
        return "the file ends inside the header, after " + std::to_string(fileSize) + " of its 16 bytes";
    std::string said;
    const int64_t objectBytes = fileSize - kMapHeaderSize;
    const auto where = [](bool onBoundary) { return onBoundary ? "before" : "inside"; };
    if (objectsHeld < objectsAnnounced)
        said = "objects: " + std::to_string(objectsAnnounced) + " announced, the file ends " +
               where(objectBytes % kMapObjectSize == 0) + " object " + std::to_string(objectsHeld);
    if (tilesHeld < tilesAnnounced) {
        said += said.empty() ? "" : "; ";
        said += "tiles: " + std::to_string(sizeX) + " x " + std::to_string(sizeY) + " announced, ";
        const int64_t tileBytes = objectBytes - kMapObjectSize * objectsAnnounced;
        if (tileBytes <= 0)
            said += "none held";
        else
            said += std::string("the file ends ") + where(tileBytes % kMapTileSize == 0) + " tile (" +
                    std::to_string(tilesHeld % sizeX) + ", " + std::to_string(tilesHeld / sizeX) + ")";
    }
    return said;
}

bool walkMapFile(const std::string &path, MapWalk &walk, std::string &error) {
    std::error_code failure;
    if (std::filesystem::is_directory(path, failure)) {
        error = path + ": is a folder, not a file";
        return false;
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        error = path + ": cannot open: " + std::strerror(errno);
        return false;
    }
    const uintmax_t size = std::filesystem::file_size(path, failure);
    if (failure) {
        error = path + ": cannot tell its size: " + failure.message();
        return false;
    }
    walk = MapWalk();
    walk.fileSize = int64_t(std::min<uintmax_t>(size, INT64_MAX));

    uint8_t header[kMapHeaderSize] = {};
    if (std::fread(header, 1, sizeof header, file.get()) < sizeof header)
        return true;
    walk.tag = int32At(header);
    walk.sizeX = int32At(header + 4);
    walk.sizeY = int32At(header + 8);
    walk.objectCount = int32At(header + 12);
    walk.objectsAnnounced = std::max(walk.objectCount, 0);
    if (walk.sizeX > 0 && walk.sizeY > 0)
        walk.tilesAnnounced = int64_t(walk.sizeX) * walk.sizeY;

    const int64_t objectBytes = walk.fileSize - kMapHeaderSize;
    walk.objectsHeld = std::min(objectBytes / kMapObjectSize, walk.objectsAnnounced);
    const int64_t tileBytes = objectBytes - kMapObjectSize * walk.objectsAnnounced;
    if (tileBytes > 0) {
        walk.tilesHeld = std::min(tileBytes / kMapTileSize, walk.tilesAnnounced);
        if (walk.tilesHeld == walk.tilesAnnounced)
            walk.bytesAfter = tileBytes - kMapTileSize * walk.tilesHeld;
    }

    std::vector<int32_t> objectIds, tileIds;
    readIdentifiers(file.get(), walk.objectsAnnounced, kMapObjectSize, objectIds);
    if (tileBytes > 0)
        readIdentifiers(file.get(), walk.tilesAnnounced, kMapTileSize, tileIds);
    walk.identifiers = tally(tileIds, objectIds);
    return true;
}
