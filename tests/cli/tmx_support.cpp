#include "tests/cli/tmx_support.h"
#include "tests/cli/tmx_encoding.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <sstream>

SampleLibrary testLibrary() {
    SampleLibrary library;
    library.names = {"diamond", "tall", "glass", "post", "tall again", "empty"};
    library.spriteIds = {kDiamond, kTall, kGlass, kPost, kTall, kEmpty};
    library.sprites.resize(6);
    addFrame16(library.sprites[0], 40, 20, 0, 0, 0, 0, 1);
    addFrame16(library.sprites[0], 4, 4, 0, 0, 0, 0, 9);  // a second frame, never drawn

    SampleSprite &tall = library.sprites[1];  // 24 bits: blue, green, red
    tall.bitsPerPixel = 24;
    tall.frameTags = {0}, tall.width = {30}, tall.height = {50}, tall.originX = {5}, tall.originY = {30};
    tall.offsetX = {2}, tall.offsetY = {1};
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool hole = (3 * x + y) % 11 == 0, dark = (x == 7 && y == 9) || (x == 20 && y == 40);
            const uint8_t blue = uint8_t(x * 8 + 4), green = uint8_t(y * 5), red = uint8_t(200 - y);
            pixels.insert(pixels.end(), {hole   ? uint8_t(0)
                                         : dark ? uint8_t(3)
                                                : blue,
                                         hole   ? uint8_t(0)
                                         : dark ? uint8_t(2)
                                                : green,
                                         hole   ? uint8_t(0)
                                         : dark ? uint8_t(1)
                                                : red});
        }
    tall.pixelSize = {int32_t(pixels.size())};
    tall.pixels = {pixels};

    addFrame16(library.sprites[2], 20, 20, 10, 15, 0, 0, 3);
    library.sprites[2].hasOptionalBlock = 1;  // translucent
    addFrame16(library.sprites[3], 15, 40, 7, 38, 3, 0, 5);
    addFrame16(library.sprites[4], 12, 12, 0, 0, 0, 0, 7);
    return library;
}

world::WorldMap testMap() {
    world::WorldMap map{-123456789, 6, 5, {}, {}};
    const int32_t ids[] = {kDiamond, kDiamond, kTall, kDiamond, kAbsent, kEmpty, kDiamond, kTall};
    for (int32_t i = 0; i < 30; ++i)
        map.tiles.push_back({ids[(i * 5 + i / 6) % 8], uint8_t(i * 37)});
    map.objects = {
        {kPost, 2, 1, 1, 1, 0}, {kGlass, 4, 3, 1, 1, 0},  {kPost, 0, 4, 2, 1, 1},  {kPost, 5, 0, -1, 3, -2},
        {kTall, 3, 3, 1, 1, 0}, {kAbsent, 1, 1, 1, 1, 0}, {kEmpty, 2, 2, 1, 1, 0}, {kPost, -3, 2, 1, 1, 0},
        {kPost, 2, 1, 1, 1, 0}, {kGlass, 1, 4, 0, 0, 0},  {kPost, 7, 6, 1, 2, 1},  {kDiamond, 3, -1, 1, 1, 0},
    };
    return map;
}

std::string reencoded(const std::string &tmx, const std::string &encoding) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(tmx.c_str()));
    pugi::xml_node data = doc.child("map").child("layer").child("data");
    std::vector<uint32_t> gids;
    std::istringstream csv(data.text().get());
    for (std::string field; std::getline(csv, field, ',');)
        gids.push_back(uint32_t(std::stoul(field)));
    std::vector<uint8_t> raw;
    for (uint32_t gid : gids)
        raw.insert(raw.end(), {uint8_t(gid), uint8_t(gid >> 8), uint8_t(gid >> 16), uint8_t(gid >> 24)});

    data.remove_attributes();
    data.remove_children();
    if (encoding == "xml") {
        for (uint32_t gid : gids)
            data.append_child("tile").append_attribute("gid") = gid;
    } else if (encoding == "csv") {
        data.append_attribute("encoding") = "csv";
        std::string text;
        for (size_t i = 0; i < gids.size(); ++i)
            text += (i ? "," : "") + std::to_string(gids[i]);
        data.text() = text.c_str();
    } else {
        data.append_attribute("encoding") = "base64";
        std::vector<uint8_t> packed = raw;
        if (encoding != "base64") {
            const bool gzip = encoding == "base64 gzip";
            data.append_attribute("compression") = gzip ? "gzip" : "zlib";
            packed = deflated(raw, gzip ? 15 + 16 : 15);
        }
        data.text() = ("\n   " + base64(packed) + "\n  ").c_str();
    }
    std::ostringstream out;
    doc.save(out, " ");
    return out.str();
}
