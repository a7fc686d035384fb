#include "cli/map_commands.h"

#include "cli/command.h"
#include "cli/map_file.h"
#include "cli/map_render.h"
#include "cli/map_walk.h"
#include "cli/sprite_files.h"
#include "cli/tmx_map.h"
#include "client/map/map.h"
#include "client/shell/globals.h"
#include "common/replace_file.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>

namespace {

using OrderedJson = nlohmann::ordered_json;

struct Options {
    std::string map, library, out, center, tmx;
    bool json = false;
    bool whole = false;
    int scale = 1;
};

std::string counted(int64_t count, const char *noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// The first library position of each identifier, as the map loader looks it up.
std::map<int32_t, int32_t> libraryPositions(const SpriteLibraryRecord &library) {
    std::map<int32_t, int32_t> positions;
    for (int32_t i = 0; i < library.spriteCount; ++i)
        positions.emplace(library.spriteIds[i], i);
    return positions;
}

int infoCommand(const Options &o) {
    MapWalk walk;
    std::string error;
    if (!walkMapFile(o.map, walk, error))
        return reportFailure(error);
    SpriteLibraryRecord library{};
    if (!o.library.empty() && !loadLibraryFile(o.library, library, error))
        return reportFailure(error);
    const std::map<int32_t, int32_t> positions = libraryPositions(library);

    // What the client's loader makes of the file; g_spriteLibrary is empty
    // here, and only the sizes are read.
    MapData loaded{};
    Map loader;
    loader.data = &loaded;
    loader.load(o.map.c_str(), g_spriteLibrary);

    // A count of zero or less means none.
    const bool tiles = loaded.tileRows != nullptr;
    std::vector<int32_t> missing;
    OrderedJson identifiers = OrderedJson::array();
    for (const IdentifierUse &use : walk.identifiers) {
        OrderedJson row = {{"id", use.id}, {"tiles", use.tiles}, {"objects", use.objects}};
        if (!o.library.empty()) {
            const auto found = positions.find(use.id);
            row["libraryPosition"] = found == positions.end() ? OrderedJson() : OrderedJson(found->second);
            if (found == positions.end())
                missing.push_back(use.id);
        }
        identifiers.push_back(std::move(row));
    }

    if (o.json) {
        OrderedJson info = {{"file", o.map},
                            {"bytes", walk.fileSize},
                            {"tag", walk.tag},
                            {"sizeX", walk.sizeX},
                            {"sizeY", walk.sizeY},
                            {"objectCount", walk.objectCount},
                            {"complete", walk.complete()},
                            {"shortfall", walk.shortfall()},
                            {"held", {{"objects", walk.objectsHeld}, {"tiles", walk.tilesHeld}}},
                            {"bytesAfter", walk.bytesAfter},
                            {"loaded",
                             {{"sizeX", tiles ? loaded.sizeX : 0},
                              {"sizeY", tiles ? loaded.sizeY : 0},
                              {"objectCount", std::max(loaded.objectCount, 0)}}},
                            {"identifiers", std::move(identifiers)}};
        if (!o.library.empty())
            info["missing"] = missing;
        std::cout << info.dump(2) << '\n';
        return 0;
    }

    std::printf("%s: tag 0x%08" PRIX32 ", %d x %d tiles, %s, %s\n", o.map.c_str(), uint32_t(walk.tag), walk.sizeX,
                walk.sizeY, counted(walk.objectCount, "object").c_str(), counted(walk.fileSize, "byte").c_str());
    if (walk.complete())
        std::printf("the file holds every object and tile\n");
    else
        std::printf("%s\n", walk.shortfall().c_str());
    if (walk.bytesAfter > 0)
        std::printf("%s after the last tile, not read\n", counted(walk.bytesAfter, "byte").c_str());
    std::printf("the client loads %d x %d tiles and %s\n", tiles ? loaded.sizeX : 0, tiles ? loaded.sizeY : 0,
                counted(std::max(loaded.objectCount, 0), "object").c_str());
    std::printf("%s\n", counted(int64_t(walk.identifiers.size()), "sprite identifier").c_str());
    if (!walk.identifiers.empty())
        std::printf("%11s %10s %10s%s\n", "id", "tiles", "objects", o.library.empty() ? "" : "  library");
    for (const OrderedJson &row : identifiers) {
        std::printf("%11d %10" PRId64 " %10" PRId64, row["id"].get<int32_t>(), row["tiles"].get<int64_t>(),
                    row["objects"].get<int64_t>());
        if (row.contains("libraryPosition"))
            std::printf("  %s", row["libraryPosition"].is_null()
                                    ? "missing"
                                    : ("position " + std::to_string(row["libraryPosition"].get<int32_t>())).c_str());
        std::printf("\n");
    }
    if (!o.library.empty()) {
        std::printf("%s lacks %s", o.library.c_str(), counted(int64_t(missing.size()), "identifier").c_str());
        for (size_t i = 0; i < missing.size(); ++i)
            std::printf("%s%d", i == 0 ? ": " : ", ", missing[i]);
        std::printf("\n");
    }
    return 0;
}

int renderCommand(const Options &o) {
    std::string error;
    if (!openMapScene(o.library, o.map, error))
        return reportFailure(error);
    buildSceneObjects();

    MapPicture picture;
    if (!o.whole) {
        int32_t x = 0, y = 0;
        std::sscanf(o.center.c_str(), "%d,%d", &x, &y);  // checked when parsed
        picture = centredPicture(x, y);
    } else if (!wholeMapPicture(picture, error)) {
        return reportFailure(o.map + ": " + error);
    }
    if (!checkPictureSize(picture, o.scale, error))
        return reportFailure(o.map + ": " + error);

    Canvas canvas;
    if (!canvas.create(int32_t(picture.width), int32_t(picture.height), error))
        return reportFailure(error);
    canvas.draw(picture.view);
    if (!writePng(o.out, canvas.picture(o.scale), error))
        return reportFailure(error);
    if (o.whole) {
        const OrderedJson placed = {{"width", picture.width * o.scale},
                                    {"height", picture.height * o.scale},
                                    {"scale", o.scale},
                                    {"tileCornerX", picture.tileCornerX * o.scale},
                                    {"tileCornerY", picture.tileCornerY * o.scale}};
        std::cout << placed.dump() << '\n';
    }
    return 0;
}

int toTmxCommand(const Options &o) {
    MapFile map;
    int64_t bytesAfter = 0;
    std::string error;
    if (!readMapFile(o.map, map, bytesAfter, error))
        return reportFailure(error);
    SpriteLibraryRecord library{};
    if (!loadLibraryFile(o.library, library, error))
        return reportFailure(error);
    NewDirectory out(o.out);
    if (!out.create(error) || !writeTmx(map, library, std::filesystem::path(o.map).stem().string(), out, error) ||
        !out.commit(error))
        return reportFailure(error);
    if (bytesAfter > 0)
        std::cerr << "vornak: warning: " << o.map << ": " << counted(bytesAfter, "byte")
                  << " after the last tile; the TMX leaves them out\n";
    return 0;
}

int fromTmxCommand(const Options &o) {
    MapFile map;
    std::string error;
    if (!readTmx(o.tmx, map, error))
        return reportFailure(error);
    const std::vector<uint8_t> bytes = encodeMapFile(map);
    if (!replaceFile(o.out, bytes.data(), bytes.size(), error))
        return reportFailure(error);
    return 0;
}

// "X,Y": two whole numbers that fit 32 bits.
std::string checkCentre(const std::string &text) {
    long long x = 0, y = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%lld,%lld%n", &x, &y, &used) != 2 || size_t(used) != text.size() || x < INT32_MIN ||
        x > INT32_MAX || y < INT32_MIN || y > INT32_MAX)
        return "--center takes X,Y: two whole numbers, e.g. 12,-3";
    return "";
}

}  // namespace

void addMapCommands(CLI::App &app, int &status) {
    auto o = std::make_shared<Options>();
    CLI::App *map = app.add_subcommand("map", "Describe a map file, draw it as the viewer does, or edit it in Tiled");
    map->require_subcommand(1);

    CLI::App *info = map->add_subcommand(
        "info", "The header, whether the file holds what it announces, and the sprite identifiers used");
    info->add_option("MAP", o->map, "Map file")->required();
    info->add_option("--library", o->library, "Sprite library file: also list the identifiers it lacks");
    info->add_flag("--json", o->json, "Print JSON");
    info->callback([&status, o] { status = infoCommand(*o); });

    CLI::App *render = map->add_subcommand("render", "Draw the viewer's frame, or the whole map, as a PNG picture");
    render->add_option("MAP", o->map, "Map file")->required();
    render->add_option("LIBRARY", o->library, "Sprite library file")->required();
    render->add_option("OUT", o->out, "PNG file to write, replaced whole")->required();
    CLI::Option *center =
        render->add_option("--center", o->center, "The viewer's frame centred on tile X,Y (default 0,0)")
            ->check(CLI::Validator(checkCentre, "X,Y"));
    render->add_flag("--whole", o->whole, "The whole map in one picture; prints its size and where tile 0,0 lies")
        ->excludes(center);
    render->add_option("--scale", o->scale, "Enlarge each pixel to N x N (1 to 8)")->check(CLI::Range(1, 8));
    render->callback([&status, o] {
        if (o->center.empty())
            o->center = "0,0";
        status = renderCommand(*o);
    });

    CLI::App *toTmx = map->add_subcommand(
        "to-tmx", "Write the map as a Tiled map: OUTDIR/<map name>.tmx, one tileset per sprite, their pictures");
    toTmx->add_option("MAP", o->map, "Map file")->required();
    toTmx->add_option("LIBRARY", o->library, "Sprite library file")->required();
    toTmx->add_option("OUTDIR", o->out, "New folder for the Tiled files; must not exist or be empty")->required();
    toTmx->callback([&status, o] { status = toTmxCommand(*o); });

    CLI::App *fromTmx =
        map->add_subcommand("from-tmx", "Write a Tiled map made by to-tmx, edited or not, as a map file");
    fromTmx->add_option("TMX", o->tmx, "Tiled map (.tmx) with its tilesets beside it")->required();
    fromTmx->add_option("OUT", o->out, "Map file to write, replaced whole")->required();
    fromTmx->callback([&status, o] { status = fromTmxCommand(*o); });
}
