#include "cli/sprite_commands.h"

#include "cli/command.h"
#include "cli/sprite_files.h"
#include "cli/sprite_walk.h"
#include "cli/text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <iostream>
#include <memory>

namespace {

using OrderedJson = nlohmann::ordered_json;

struct Options {
    std::string file, dir;
    bool singleSprite = false;
    bool json = false;
};

std::string counted(uint64_t count, const char *noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08" PRIX32, value);
    return text;
}

int listCommand(const Options &o) {
    SpriteLibraryRecord library{};
    std::string error;
    if (!loadLibraryFile(o.file, library, error))
        return reportFailure(error);
    OrderedJson rows = OrderedJson::array();
    if (!o.json)
        std::printf("%5s %11s %6s %4s %6s %-22s %s\n", "#", "id", "frames", "bpp", "transl", "first frame", "name");
    for (int32_t i = 0; i < library.spriteCount; ++i) {
        const SpriteRecord &s = *library.sprites[i];
        const bool framed = s.frameCount > 0;
        if (o.json) {
            OrderedJson row = {{"position", i}, {"id", library.spriteIds[i]}};
            putName(row, library.names[i]);
            row.update(
                {{"frames", s.frameCount}, {"bitsPerPixel", s.bitsPerPixel}, {"translucent", s.hasOptionalBlock}});
            if (framed)
                row.update({{"width", s.width[0]},
                            {"height", s.height[0]},
                            {"originX", s.originX[0]},
                            {"originY", s.originY[0]}});
            rows.push_back(std::move(row));
            continue;
        }
        char first[64] = "-";
        if (framed)
            std::snprintf(first, sizeof first, "%u x %u at (%u, %u)", s.width[0], s.height[0], s.originX[0],
                          s.originY[0]);
        std::printf("%5d %11d %6u %4u %6u %-22s %s\n", i, library.spriteIds[i], s.frameCount, s.bitsPerPixel,
                    s.hasOptionalBlock, first, quotedName(library.names[i]).c_str());
    }
    if (o.json)
        std::cout << rows.dump(2) << '\n';
    return 0;
}

OrderedJson spriteFields(const SpriteRecord &s) {
    OrderedJson sprite = {{"tag", s.tag},
                          {"frameCount", s.frameCount},
                          {"auxWord", s.auxWord},
                          {"bitsPerPixel", s.bitsPerPixel},
                          {"translucent", s.hasOptionalBlock}};
    OrderedJson &frames = sprite["frames"] = OrderedJson::array();
    for (size_t f = 0; f < s.frameCount; ++f) {
        OrderedJson frame = {{"tag", s.frameTags[f]},       {"width", s.width[f]},        {"height", s.height[f]},
                             {"originX", s.originX[f]},     {"originY", s.originY[f]},    {"offsetX", s.offsetX[f]},
                             {"offsetY", s.offsetY[f]},     {"spare1", s.spare1[f]},      {"spare2", s.spare2[f]},
                             {"extraSize", s.extraSize[f]}, {"pixelSize", s.pixelSize[f]}};
        if (s.hasOptionalBlock)
            frame["optionalSize"] = s.optionalSize[f];
        frames.push_back(std::move(frame));
    }
    return sprite;
}

void printSprite(const SpriteRecord &s, const char *indent) {
    std::printf("%stag %s  frames %u  auxWord %u  bitsPerPixel %u  translucent %u\n", indent, hex32(s.tag).c_str(),
                s.frameCount, s.auxWord, s.bitsPerPixel, s.hasOptionalBlock);
    for (size_t f = 0; f < s.frameCount; ++f) {
        std::printf("%s  frame %zu  tag %s  %u x %u  origin (%u, %u)  offset (%u, %u)  spare1 %u  spare2 %u  "
                    "extraSize %d  pixelSize %d",
                    indent, f, hex32(s.frameTags[f]).c_str(), s.width[f], s.height[f], s.originX[f], s.originY[f],
                    s.offsetX[f], s.offsetY[f], s.spare1[f], s.spare2[f], s.extraSize[f], s.pixelSize[f]);
        if (s.hasOptionalBlock)
            std::printf("  optionalSize %d", s.optionalSize[f]);
        std::printf("\n");
    }
}

int showCommand(const Options &o) {
    std::string error;
    if (o.singleSprite) {
        SpriteRecord sprite{};
        if (!loadSpriteFile(o.file, sprite, error))
            return reportFailure(error);
        if (o.json)
            std::cout << spriteFields(sprite).dump(2) << '\n';
        else
            printSprite(sprite, "");
        return 0;
    }
    SpriteLibraryRecord library{};
    if (!loadLibraryFile(o.file, library, error))
        return reportFailure(error);
    OrderedJson shown = {{"tag1", library.tag1},
                         {"tag2", library.tag2},
                         {"tag3", library.tag3},
                         {"spriteCount", library.spriteCount},
                         {"sprites", OrderedJson::array()}};
    if (!o.json)
        std::printf("library  tag1 %s  tag2 %s  tag3 %s  spriteCount %d\n", hex32(library.tag1).c_str(),
                    hex32(library.tag2).c_str(), hex32(library.tag3).c_str(), library.spriteCount);
    for (int32_t i = 0; i < library.spriteCount; ++i) {
        if (o.json) {
            OrderedJson sprite = {{"position", i}, {"id", library.spriteIds[i]}};
            putName(sprite, library.names[i]);
            sprite.update(spriteFields(*library.sprites[i]));
            shown["sprites"].push_back(std::move(sprite));
            continue;
        }
        std::printf("sprite %d  id %d  name %s\n", i, library.spriteIds[i], quotedName(library.names[i]).c_str());
        printSprite(*library.sprites[i], "  ");
    }
    if (o.json)
        std::cout << shown.dump(2) << '\n';
    return 0;
}

int checkCommand(const Options &o) {
    std::string error, summary;
    if (o.singleSprite) {
        SpriteRecord sprite{};
        if (!loadSpriteFile(o.file, sprite, error))
            return reportFailure(error);
        summary = counted(sprite.frameCount, "frame");
    } else {
        SpriteLibraryRecord library{};
        if (!loadLibraryFile(o.file, library, error))
            return reportFailure(error);
        summary = counted(uint64_t(std::max(library.spriteCount, 0)), "sprite") + ", " +
                  counted(frameTotal(library), "frame");
    }
    const std::string left = leftOut(o.file, o.singleSprite);
    std::printf("%s: well formed, %s%s\n", o.file.c_str(), summary.c_str(), left.empty() ? "" : ("; " + left).c_str());
    return 0;
}

CLI::App *command(CLI::App &app, const char *name, const char *description, int &status,
                  const std::shared_ptr<Options> &options, int (*run)(const Options &)) {
    CLI::App *sub = app.add_subcommand(name, description);
    sub->callback([&status, options, run] { status = run(*options); });
    return sub;
}

}  // namespace

void addSpriteCommands(CLI::App &app, int &status) {
    auto o = std::make_shared<Options>();
    const char *spriteHelp = "The file is a single sprite file, not a sprite library";

    CLI::App *list = command(app, "list", "List the sprites of a library, one line each", status, o, listCommand);
    list->add_option("LIBRARY", o->file, "Sprite library file")->required();
    list->add_flag("--json", o->json, "Print JSON");

    CLI::App *show = command(app, "show", "Show every field of a library or sprite file, blocks by their size", status,
                             o, showCommand);
    show->add_option("FILE", o->file, "Sprite library file, or sprite file with --sprite")->required();
    show->add_flag("--sprite", o->singleSprite, spriteHelp);
    show->add_flag("--json", o->json, "Print JSON");

    CLI::App *exporter =
        command(app, "export", "Write a library or sprite file out as PNG pictures and a manifest", status, o,
                [](const Options &x) { return exportCommand(x.file, x.dir, x.singleSprite); });
    exporter->add_option("FILE", o->file, "Sprite library file, or sprite file with --sprite")->required();
    exporter->add_option("DIR", o->dir, "New folder for manifest.json and the pictures; must not exist or be empty")
        ->required();
    exporter->add_flag("--sprite", o->singleSprite, spriteHelp);

    CLI::App *pack = command(app, "pack", "Make a library or sprite file from a folder's manifest.json and pictures",
                             status, o, [](const Options &x) { return packCommand(x.dir, x.file); });
    pack->add_option("DIR", o->dir, "Folder holding manifest.json")->required();
    pack->add_option("OUT", o->file, "File to write, replaced whole; - for standard output")->required();

    CLI::App *check = command(app, "check", "Tell whether a file loads, and if not where it stops making sense", status,
                              o, checkCommand);
    check->add_option("FILE", o->file, "Sprite library file, or sprite file with --sprite")->required();
    check->add_flag("--sprite", o->singleSprite, spriteHelp);
}
