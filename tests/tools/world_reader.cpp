#include "tests/tools/world_reader.h"

#include <cstdio>
#include <fstream>
#include <iterator>

std::vector<uint8_t> readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace {

int32_t le32(const std::vector<uint8_t> &b, size_t at) {
    return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24);
}

}  // namespace

MapFile parseMap(std::vector<uint8_t> bytes) {
    MapFile m;
    m.bytes = std::move(bytes);
    const std::vector<uint8_t> &b = m.bytes;
    if (b.size() < 16) return m;
    m.tag = le32(b, 0);
    m.sizeX = le32(b, 4);
    m.sizeY = le32(b, 8);
    m.objectCount = le32(b, 12);
    size_t at = 16;
    for (int32_t i = 0; i < m.objectCount && at + 24 <= b.size(); ++i, at += 24) {
        std::vector<int32_t> values;
        for (int v = 0; v < 6; ++v) values.push_back(le32(b, at + 4 * v));
        m.objects.push_back(values);
    }
    const int64_t tiles = m.sizeX > 0 && m.sizeY > 0 ? int64_t{m.sizeX} * m.sizeY : 0;
    for (int64_t i = 0; i < tiles && at + 5 <= b.size(); ++i, at += 5) {
        m.tileIds.push_back(le32(b, at));
        m.attributes.push_back(b[at + 4]);
    }
    return m;
}

bool framePixel(const SpriteRecord &sprite, int frame, int x, int y, world::Rgb &out) {
    const int width = sprite.width[frame];
    if (x < 0 || y < 0 || x >= width || y >= sprite.height[frame]) return false;
    const int bytes = sprite.bitsPerPixel / 8;
    const int64_t at = (int64_t{y} * width + x) * bytes;
    if (at + bytes > sprite.pixelSize[frame]) return false;
    const uint8_t *p = sprite.pixelData[frame] + at;
    if (bytes == 3) {
        out = {p[2], p[1], p[0]};
        return p[0] || p[1] || p[2];
    }
    const int blue = p[0] >> 3;
    const int green = (p[0] & 7) << 2 | p[1] >> 6;
    const int red = (p[1] >> 1) & 31;
    out = {static_cast<uint8_t>(red << 3), static_cast<uint8_t>(green << 3), static_cast<uint8_t>(blue << 3)};
    return p[0] || p[1];
}

std::string text(world::Rgb c) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "(%d,%d,%d)", c.r, c.g, c.b);
    return buffer;
}

int indexOfId(const SpriteLibraryRecord &library, int32_t id) {
    for (int i = 0; i < library.spriteCount; ++i)
        if (library.spriteIds[i] == id) return i;
    return -1;
}
