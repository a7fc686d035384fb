#include "cli/map_file.h"

#include "cli/map_walk.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

int32_t int32At(const uint8_t *bytes) {
    return int32_t(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24);
}

void putInt32(std::vector<uint8_t> &out, int32_t value) {
    const uint32_t bits = uint32_t(value);
    out.insert(out.end(), {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)});
}

}  // namespace

bool readMapFile(const std::string &path, MapFile &map, int64_t &bytesAfter, std::string &error) {
    // The walk checks the header against the file's size, so nothing below
    // allocates more than the file holds.
    MapWalk walk;
    if (!walkMapFile(path, walk, error))
        return false;
    if (!walk.complete()) {
        error = path + ": " + walk.shortfall();
        return false;
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    std::vector<uint8_t> bytes(size_t(walk.fileSize - walk.bytesAfter));
    if (!file || std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        error = path + ": cannot read: " + std::strerror(errno);
        return false;
    }
    map = MapFile{walk.tag, walk.sizeX, walk.sizeY, walk.objectCount, {}, {}};
    const uint8_t *at = bytes.data() + kMapHeaderSize;
    map.objects.resize(size_t(walk.objectsAnnounced));
    for (MapObject &o : map.objects) {
        o = {int32At(at), int32At(at + 4), int32At(at + 8), int32At(at + 12), int32At(at + 16), int32At(at + 20)};
        at += kMapObjectSize;
    }
    map.tiles.resize(size_t(walk.tilesAnnounced));
    for (MapTile &t : map.tiles) {
        t = {int32At(at), at[4]};
        at += kMapTileSize;
    }
    bytesAfter = walk.bytesAfter;
    return true;
}

std::vector<uint8_t> encodeMapFile(const MapFile &map) {
    std::vector<uint8_t> out;
    out.reserve(size_t(kMapHeaderSize) + kMapObjectSize * map.objects.size() + kMapTileSize * map.tiles.size());
    putInt32(out, map.tag);
    putInt32(out, map.sizeX);
    putInt32(out, map.sizeY);
    putInt32(out, map.objectCount);
    for (const MapObject &o : map.objects)
        for (int32_t value : {o.sprite, o.x, o.y, o.extentX, o.extentY, o.elevation})
            putInt32(out, value);
    for (const MapTile &t : map.tiles) {
        putInt32(out, t.sprite);
        out.push_back(t.attribute);
    }
    return out;
}
