// Writes the fuzzers' seed files: seed_corpus SPRITE_DIR LIBRARY_DIR MAP_DIR.
// Maps: the sample world's, a corner of it with a few objects, and a header
// alone.
#include "tests/vornak/support/sample_records.h"
#include "tools/command_line/command_line.h"
#include "tools/world_map.h"

namespace {

bool writeMapSeeds(const std::filesystem::path &dir) {
    std::filesystem::create_directories(dir);
    const world::WorldMap whole = world::buildWorldMap();
    world::WorldMap corner = whole, empty{};
    corner.sizeX = std::min(whole.sizeX, 3), corner.sizeY = std::min(whole.sizeY, 2), corner.tiles.clear();
    for (int32_t y = 0; y < corner.sizeY; ++y)
        for (int32_t x = 0; x < corner.sizeX; ++x)
            corner.tiles.push_back(whole.tiles[size_t(y) * size_t(whole.sizeX) + size_t(x)]);
    corner.objects.resize(std::min<size_t>(whole.objects.size(), 3));
    const std::pair<const char *, const world::WorldMap *> seeds[] = {
        {"world", &whole}, {"corner", &corner}, {"empty", &empty}};
    bool ok = true;
    for (const auto &[name, map] : seeds) {
        const std::vector<uint8_t> bytes = world::encodeMap(*map);
        writeFileBytes(dir / name, bytes);
        ok = ok && std::filesystem::file_size(dir / name) == bytes.size();
    }
    return ok;
}

}  // namespace

int main(int argc, char **argv) {
    CLI::App app;
    describeProgram(app, "seed_corpus", "Writes the fuzzers' seed files: sprite files, sprite libraries and maps.");
    std::string spriteDir, libraryDir, mapDir;
    app.add_option("SPRITE_DIR", spriteDir, "Folder for the sprite file seeds")->required();
    app.add_option("LIBRARY_DIR", libraryDir, "Folder for the sprite library file seeds")->required();
    app.add_option("MAP_DIR", mapDir, "Folder for the map file seeds")->required();
    if (int status = parseCommandLine(app, argc, argv); status >= 0)
        return status;
    return writeSeedCorpus(spriteDir, libraryDir) && writeMapSeeds(mapDir) ? 0 : 1;
}
