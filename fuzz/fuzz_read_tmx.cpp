// The TMX reader of vornak map from-tmx on one fuzz input, through a real
// file beside two tilesets: a sprite's (first global id 1 in the seeds) and
// one of Tiled's own. Reading may fail, but always with a reason; a map it
// reads holds what its header says and writes out.
#include "cli/tmx_map.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const fs::path &folder() {
    static const fs::path dir = fs::temp_directory_path() / ("fuzz_read_tmx_" + std::to_string(getpid()));
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fs::create_directories(folder());
    std::ofstream(folder() / "s.tsx") << R"(<tileset name="s" tilewidth="40" tileheight="20" tilecount="1" columns="1">
 <properties><property name="spriteId" type="int" value="-5"/></properties>
 <image source="p.png" width="40" height="20"/>
</tileset>
)";
    std::ofstream(folder() / "f.tsx")
        << R"(<tileset name="f" tilecount="4" columns="2"><image source="p.png"/></tileset>)";
    std::ofstream(folder() / "p.png") << "not read";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string path = (folder() / "map.tmx").string();
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        std::abort();
    MapFile map;
    std::string error;
    if (!readTmx(path, map, error)) {
        if (error.empty())
            std::abort();
        return 0;
    }
    const uint64_t tiles = map.sizeX > 0 && map.sizeY > 0 ? uint64_t(map.sizeX) * uint64_t(map.sizeY) : 0;
    if (map.tiles.size() != tiles || map.objects.size() != uint64_t(std::max(map.objectCount, 0)) ||
        encodeMapFile(map).size() != 16 + 24 * map.objects.size() + 5 * tiles)
        std::abort();
    return 0;
}
