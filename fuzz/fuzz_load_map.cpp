// The client's map loader on one fuzz input, through a real file as the
// client reads it, then the object list's rebuild and the view's walk over
// what loaded. Counts must never exceed what the file's bytes back, and the
// view must hand out only tiles inside the map.
#include "client/map/map.h"
#include "client/map/map_view.h"
#include "client/map/object_list.h"
#include "client/sprites/sprite_library.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// Every identifier resolves to -1 in an empty library, as one the library lacks.
SpriteLibrary &emptyLibrary() {
    static SpriteLibrary *library = new SpriteLibrary;
    return *library;
}

const std::string &inputPath() {
    static const std::string path = "/tmp/fuzz_load_map_" + std::to_string(getpid()) + ".map";
    return path;
}

int64_t drawn = 0;

bool countDrawn(int32_t sprite, int32_t, int32_t) {
    if (sprite != -1)
        std::abort();
    ++drawn;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::FILE *file = std::fopen(inputPath().c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        std::abort();

    MapData mapData{};
    Map map;
    map.data = &mapData;
    if (!map.load(inputPath().c_str(), emptyLibrary()))
        std::abort();
    const int64_t records = size <= 16 ? 0 : int64_t(size - 16);
    if (int64_t(mapData.objectCount) * 24 > records + 23 ||
        (mapData.tileRows && int64_t(mapData.sizeX) * mapData.sizeY * 5 > records + 4 + 5 * int64_t(mapData.sizeX)))
        std::abort();  // more than the bytes back, beyond a partial record or row

    ObjectList objects;
    objects.map = &mapData;
    objects.rebuild();
    MapView view;
    view.map = &mapData;
    view.objects = &objects;
    view.radiusX = view.radiusY = 15;
    view.screenCenterX = 320;
    view.screenCenterY = 240;
    view.drawSprite = countDrawn;
    drawn = 0;
    view.draw();
    if (drawn > 32 * 64 + objects.count)
        std::abort();
    std::remove(inputPath().c_str());
    return 0;
}
