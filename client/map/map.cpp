#include "client/map/map.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <new>

#include "client/sprites/sprite_library.h"

namespace {

constexpr int64_t kHeaderSize = 16;
constexpr int64_t kObjectRecordSize = 24;
constexpr int64_t kTileRecordSize = 5;

class MapFile {
public:
    explicit MapFile(const char *path) : file(std::fopen(path, "rb")) {}
    ~MapFile() {
        if (file != nullptr)
            std::fclose(file);
    }
    MapFile(const MapFile &) = delete;
    MapFile &operator=(const MapFile &) = delete;

    bool isOpen() const { return file != nullptr; }

    // Reads a little-endian int32 into value; on a short read value is kept.
    bool readInt32(int32_t &value) {
        unsigned char bytes[4];
        if (std::fread(bytes, 1, 4, file) != 4)
            return false;
        value = static_cast<int32_t>(uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                                     uint32_t{bytes[3]} << 24);
        return true;
    }

    void readByte(uint8_t &value) {
        const int c = std::fgetc(file);
        if (c != EOF)
            value = static_cast<uint8_t>(c);
    }

private:
    std::FILE *file;
};

int64_t recordsHeld(int64_t bytes, int64_t recordSize) {
    return bytes <= 0 ? 0 : (bytes + recordSize - 1) / recordSize;
}

}  // namespace

Map::~Map() {
    releaseTiles();
    if (data != nullptr) {
        delete[] data->objects;
        data->objects = nullptr;
    }
}

void Map::releaseTiles() {
    if (data == nullptr || data->tileRows == nullptr)
        return;
    delete[] data->tileRows[0];
    delete[] data->tileRows;
    data->tileRows = nullptr;
}

bool Map::load(const char *path, SpriteLibrary &library) {
    if (data == nullptr)
        return false;
    releaseTiles();
    MapFile file(path);
    if (!file.isOpen())
        return false;
    delete[] data->objects;
    data->objects = nullptr;

    std::error_code error;
    const uintmax_t fileSize = std::filesystem::file_size(path, error);
    // A size that cannot be told (a pipe, say) backs no records at all.
    int64_t bytesLeft = (error ? 0 : int64_t(std::min<uintmax_t>(fileSize, INT64_MAX))) - kHeaderSize;
    file.readInt32(data->mapTag);
    file.readInt32(data->sizeX);
    file.readInt32(data->sizeY);
    file.readInt32(data->objectCount);

    // Counts are cut to the records the file's bytes reach (a partial record
    // counts), so every allocation stays within a small multiple of its size.
    data->objectCount =
        static_cast<int32_t>(std::min<int64_t>(data->objectCount, recordsHeld(bytesLeft, kObjectRecordSize)));
    const int32_t objectCount = std::max(data->objectCount, 0);
    if (objectCount > 0) {
        data->objects = new (std::nothrow) MapObject[objectCount]();
        if (data->objects == nullptr)
            data->objectCount = 0;
    }
    bytesLeft -= kObjectRecordSize * objectCount;

    if (data->sizeX > 0 && data->sizeY > 0) {
        const int64_t tilesHeld = recordsHeld(bytesLeft, kTileRecordSize);
        data->sizeX = static_cast<int32_t>(std::min<int64_t>(data->sizeX, tilesHeld));
        if (data->sizeX > 0) {
            data->sizeY = static_cast<int32_t>(std::min<int64_t>(data->sizeY, recordsHeld(tilesHeld, data->sizeX)));
        } else {
            data->sizeY = 0;
        }
    }
    if (data->sizeX > 0 && data->sizeY > 0) {
        const int64_t tileCount = int64_t{data->sizeX} * data->sizeY;
        MapTile *tiles = new (std::nothrow) MapTile[tileCount]();
        data->tileRows = tiles == nullptr ? nullptr : new (std::nothrow) MapTile *[data->sizeY];
        if (data->tileRows == nullptr) {
            delete[] tiles;
            data->sizeY = 0;
        } else {
            for (int32_t y = 0; y < data->sizeY; ++y)
                data->tileRows[y] = tiles + int64_t{y} * data->sizeX;
        }
    }

    int32_t objectsRead = 0;
    MapObject unkept{};
    for (int32_t i = 0; i < objectCount; ++i) {
        MapObject &object = data->objects != nullptr ? data->objects[i] : unkept;
        if (file.readInt32(object.sprite))
            ++objectsRead;
        file.readInt32(object.x);
        file.readInt32(object.y);
        file.readInt32(object.extentX);
        file.readInt32(object.extentY);
        file.readInt32(object.elevation);
    }
    int64_t tilesRead = 0;
    if (data->tileRows != nullptr) {
        for (int32_t y = 0; y < data->sizeY; ++y) {
            for (int32_t x = 0; x < data->sizeX; ++x) {
                MapTile &tile = data->tileRows[y][x];
                if (file.readInt32(tile.sprite))
                    ++tilesRead;
                file.readByte(tile.attribute);
            }
        }
    }

    resolveSprites(library);

    // What the file did not supply is a prefix's remainder: no sprite there.
    for (int32_t i = objectsRead; i < data->objectCount; ++i)
        data->objects[i].sprite = -1;
    if (data->tileRows != nullptr) {
        MapTile *tiles = data->tileRows[0];
        const int64_t tileCount = int64_t{data->sizeX} * data->sizeY;
        for (int64_t i = tilesRead; i < tileCount; ++i)
            tiles[i].sprite = -1;
    }
    return true;
}

void Map::resolveSprites(SpriteLibrary &library) {
    if (data == nullptr)
        return;
    for (int32_t i = 0; i < data->objectCount && data->objects != nullptr; ++i) {
        data->objects[i].sprite = library.indexOfSprite(data->objects[i].sprite);
    }
    if (data->tileRows == nullptr)
        return;
    for (int32_t y = 0; y < data->sizeY; ++y) {
        for (int32_t x = 0; x < data->sizeX; ++x) {
            data->tileRows[y][x].sprite = library.indexOfSprite(data->tileRows[y][x].sprite);
        }
    }
}
