// The client's map loader on the input as a regular file, with the sample
// world's sprite library loaded through the module as the client loads it,
// on a display that holds no surfaces.
#include "client/map/map.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static World world;
    static const std::string input = scratchFile("input.map");
    writeBytes(input, data, size);
    MapData loaded{};
    Map map;
    map.data = &loaded;
    if (!map.load(input.c_str(), world.library))
        fail("an existing map file did not load");
    // Counts are cut to the records the file reaches, a partial one counted.
    const int64_t body = std::max<int64_t>(int64_t(size) - kHeaderBytes, 0);
    if (loaded.objectCount > (body + kObjectBytes - 1) / kObjectBytes)
        fail("more objects than the file holds");
    for (int32_t i = 0; i < loaded.objectCount; ++i)
        if (!validSprite(loaded.objects[i].sprite, world.library))
            fail("an object's sprite is no library index");
    if (!loaded.tileRows)
        return 0;
    const int64_t tiles = int64_t(loaded.sizeX) * loaded.sizeY;
    if (loaded.sizeX <= 0 || loaded.sizeY <= 0 || tiles > 2 * (body / kTileBytes + 1))
        fail("more tiles than the file holds");
    for (int32_t y = 0; y < loaded.sizeY; ++y)
        for (int32_t x = 0; x < loaded.sizeX; ++x)
            if (!validSprite(loaded.tileRows[y][x].sprite, world.library))
                fail("a tile's sprite is no library index");
    return 0;
}
