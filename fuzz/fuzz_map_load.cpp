// The client's map loader on the input as a regular file, with the sample
// world's sprite library loaded through the module as the client loads it,
// on a display that holds no surfaces; then the object list's rebuild and the
// view's walk over what loaded. Counts must never exceed what the file's
// bytes back, and the view must hand out only library indices or -1.
#include "client/map/map.h"
#include "client/map/map_view.h"
#include "client/map/object_list.h"
#include "client/sprites/sprite_library.h"
#include "fuzz/fuzz_files.h"
#include "tools/world_files.h"

namespace {

constexpr int64_t kHeaderBytes = 16, kObjectBytes = 24, kTileBytes = 5;

struct World {
    Display display;  // never initialised: frames get no surfaces
    SpriteLibrary library;
    World() {
        display.bitDepth = 16;
        library.display = &display;
        const std::string folder = scratchFile("world");
        if (!world::writeWorld(folder) || !library.loadSprites((folder + "/sprites/test.lspr").c_str()) ||
            library.entries.empty())
            fail("the sample world's library did not load");
    }
};

bool validSprite(int32_t index, const SpriteLibrary &library) {
    return index >= -1 && index < int64_t(library.entries.size());
}

World &sampleWorld() {
    static World *loaded = new World;
    return *loaded;
}

int64_t g_drawn = 0;

bool countDrawn(int32_t sprite, int32_t, int32_t) {
    if (!validSprite(sprite, sampleWorld().library))
        fail("the view handed out no library index");
    ++g_drawn;
    return true;
}

// The client's start view over the loaded map: at most 64 half-rows of 32
// tiles, then every object once.
void walkView(MapData &loaded) {
    ObjectList objects;
    objects.map = &loaded;
    objects.rebuild();
    MapView view;
    view.map = &loaded;
    view.objects = &objects;
    view.radiusX = view.radiusY = 15;
    view.screenCenterX = 320;
    view.screenCenterY = 240;
    view.drawSprite = countDrawn;
    g_drawn = 0;
    view.draw();
    if (g_drawn > 64 * 32 + int64_t(objects.count))
        fail("the view drew more than its area and the objects");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string input = scratchFile("input.map");
    writeBytes(input, data, size);
    MapData loaded{};
    Map map;
    map.data = &loaded;
    if (!map.load(input.c_str(), sampleWorld().library))
        fail("an existing map file did not load");
    // Counts are cut to the records the file reaches, a partial one counted.
    const int64_t body = std::max<int64_t>(int64_t(size) - kHeaderBytes, 0);
    if (loaded.objectCount > (body + kObjectBytes - 1) / kObjectBytes)
        fail("more objects than the file holds");
    for (int32_t i = 0; i < loaded.objectCount; ++i)
        if (!validSprite(loaded.objects[i].sprite, sampleWorld().library))
            fail("an object's sprite is no library index");
    if (loaded.tileRows) {
        const int64_t tiles = int64_t(loaded.sizeX) * loaded.sizeY;
        if (loaded.sizeX <= 0 || loaded.sizeY <= 0 || tiles > 2 * (body / kTileBytes + 1))
            fail("more tiles than the file holds");
        for (int32_t y = 0; y < loaded.sizeY; ++y)
            for (int32_t x = 0; x < loaded.sizeX; ++x)
                if (!validSprite(loaded.tileRows[y][x].sprite, sampleWorld().library))
                    fail("a tile's sprite is no library index");
    }
    walkView(loaded);
    return 0;
}
