#include "tools/world_files.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "tools/world_map.h"
#include "tools/world_sprites.h"
#include "vornak/vornak.h"

namespace world {

namespace {

bool writeBytes(const std::string &path, const std::vector<uint8_t> &bytes) {
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

bool writeWorld(const std::string &dir) {
    std::error_code error;
    std::filesystem::create_directories(dir + "/sprites", error);
    std::filesystem::create_directories(dir + "/maps", error);
    const WorldLibrary library;
    const std::string libraryPath = dir + "/sprites/test.lspr";
    if (!SaveSpriteLibrary(&library.record(), libraryPath.c_str()))
        return false;
    return writeBytes(dir + "/maps/test.map", encodeMap(buildWorldMap()));
}

}  // namespace world
