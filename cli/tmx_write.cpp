// to-tmx: the map, its sprites' tilesets and pictures.
#include "cli/frame_pixels.h"
#include "cli/text.h"
#include "cli/tmx_map.h"
#include "client/map/object_list.h"
#include "common/png_image.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

namespace {

// The viewer makes no surface for a frame of more pixels than this, and
// draws nothing for it (client/sprites/sprite_library.cpp).
constexpr size_t kMaxFramePixels = size_t(4096) * 4096;
constexpr uint8_t kTranslucentAlpha = 128;
constexpr const char *kNothingPicture = "nothing.png";

struct Tileset {
    int32_t spriteId;
    int32_t position;  // in the library; -1 for an identifier the library lacks
    std::string stem;  // of the .tsx and the picture
    std::string name;
    Image picture;  // empty: the viewer draws nothing for it
    int32_t offsetX = 0, offsetY = 0;
};

std::string numbered(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d", value);
    return text;
}

// The first frame as the viewer draws it: the whole stored pixels the block
// holds, the rest transparent; 24-bit pixels that the viewer's 16-bit
// display shows as its colour key transparent too; translucent sprites half
// see-through. False when the viewer draws nothing for it.
bool drawnPicture(const SpriteRecord &s, Image &picture) {
    if (s.frameCount == 0 || (s.bitsPerPixel != 16 && s.bitsPerPixel != 24))
        return false;
    const size_t pixels = size_t(s.width[0]) * s.height[0], pixelBytes = s.bitsPerPixel / 8u;
    if (pixels == 0 || pixels > kMaxFramePixels)
        return false;
    std::vector<uint8_t> block(pixels * pixelBytes, 0);
    const size_t held = std::min(pixels, size_t(std::max(s.pixelSize[0], 0)) / pixelBytes);
    if (held > 0)
        std::memcpy(block.data(), s.pixelData[0], held * pixelBytes);
    picture = Image(s.width[0], s.height[0], 4);
    std::vector<uint8_t> marks;
    if (s.bitsPerPixel == 16)
        pictureOf16(block.data(), picture, marks);  // the spare bits do not show
    else if (pictureOf24(block.data(), picture, marks))
        for (size_t p = 0; p < pixels; ++p)
            picture.pixels[4 * p + 3] &= uint8_t(marks[p] - 1);
    if (s.hasOptionalBlock)
        for (size_t p = 0; p < pixels; ++p)
            picture.pixels[4 * p + 3] = std::min(picture.pixels[4 * p + 3], kTranslucentAlpha);
    return true;
}

// Tiled's name for a sprite: its library name where that is plain text.
std::string tilesetName(const std::string &name, int32_t position) {
    const bool plain = !name.empty() && isUtf8(name) &&
                       std::none_of(name.begin(), name.end(), [](char c) { return uint8_t(c) < 0x20; });
    return plain ? name : "sprite " + std::to_string(position);
}

// One tileset per identifier: the library's in its order, then those only
// the map names, in increasing order. The global id of tileset i is i + 1.
std::vector<Tileset> plannedTilesets(const MapFile &map, const SpriteLibraryRecord &library) {
    std::vector<Tileset> tilesets;
    std::map<int32_t, bool> known;
    for (int32_t i = 0; i < library.spriteCount; ++i) {
        const int32_t id = library.spriteIds[i];
        if (!known.emplace(id, true).second)
            continue;  // the viewer draws the first sprite with an identifier
        Tileset t{id, i, "sprite-" + numbered(i), tilesetName(library.names[i], i), {}};
        const SpriteRecord &s = *library.sprites[i];
        if (drawnPicture(s, t.picture)) {
            t.offsetX = int32_t(s.offsetX[0]) - s.originX[0];
            t.offsetY = int32_t(s.offsetY[0]) - s.originY[0] + s.height[0] - kTmxTileHeight;
        }
        tilesets.push_back(std::move(t));
    }
    std::map<int32_t, bool> missing;
    for (const MapTile &tile : map.tiles)
        if (!known.count(tile.sprite))
            missing.emplace(tile.sprite, true);
    for (const MapObject &object : map.objects)
        if (!known.count(object.sprite))
            missing.emplace(object.sprite, true);
    for (const auto &[id, unused] : missing)
        tilesets.push_back({id, -1, "missing-" + std::to_string(id), "missing " + std::to_string(id), {}});
    return tilesets;
}

void addProperty(pugi::xml_node properties, const char *name, int64_t value) {
    pugi::xml_node p = properties.append_child("property");
    p.append_attribute("name") = name;
    p.append_attribute("type") = "int";
    p.append_attribute("value") = static_cast<long long>(value);
}

void addProperty(pugi::xml_node properties, const char *name, const std::string &value) {
    pugi::xml_node p = properties.append_child("property");
    p.append_attribute("name") = name;
    p.append_attribute("value") = value.c_str();
}

pugi::xml_node startDocument(pugi::xml_document &doc, const char *root) {
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node node = doc.append_child(root);
    node.append_attribute("version") = "1.8";
    node.append_attribute("tiledversion") = "1.8.2";
    return node;
}

std::string text(const pugi::xml_document &doc) {
    std::ostringstream out;
    doc.save(out, " ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

std::string tilesetText(const Tileset &t) {
    pugi::xml_document doc;
    pugi::xml_node set = startDocument(doc, "tileset");
    const bool drawn = !t.picture.pixels.empty();
    const int32_t width = drawn ? t.picture.width : kTmxTileWidth, height = drawn ? t.picture.height : kTmxTileHeight;
    set.append_attribute("name") = t.name.c_str();
    set.append_attribute("tilewidth") = width;
    set.append_attribute("tileheight") = height;
    set.append_attribute("tilecount") = 1;
    set.append_attribute("columns") = 1;
    set.append_attribute("objectalignment") = "bottomleft";
    pugi::xml_node offset = set.append_child("tileoffset");
    offset.append_attribute("x") = t.offsetX;
    offset.append_attribute("y") = t.offsetY;
    addProperty(set.append_child("properties"), "spriteId", t.spriteId);
    pugi::xml_node image = set.append_child("image");
    image.append_attribute("source") = drawn ? (t.stem + ".png").c_str() : kNothingPicture;
    image.append_attribute("width") = width;
    image.append_attribute("height") = height;
    return text(doc);
}

// Whether Tiled, which writes six significant digits, keeps the value.
bool tiledKeeps(double value) {
    char said[32];
    std::snprintf(said, sizeof said, "%g", value);
    return std::strtod(said, nullptr) == value;
}

// The objects' indices in the viewer's depth order: the object list built
// as the viewer builds it, each node's sprite set to its object's index.
std::vector<int32_t> depthOrder(const MapFile &map) {
    MapData data{};
    data.objectCount = int32_t(map.objects.size());
    data.objects = new MapObject[map.objects.size()];
    for (size_t i = 0; i < map.objects.size(); ++i) {
        data.objects[i] = map.objects[i];
        data.objects[i].sprite = int32_t(i);
    }
    ObjectList list;
    list.map = &data;
    list.rebuild();  // releases data.objects
    std::vector<int32_t> order;
    for (const ObjectNode *node = list.first; node; node = node->next)
        order.push_back(node->sprite);
    return order;
}

std::string mapText(const MapFile &map, const std::vector<Tileset> &tilesets) {
    std::map<int32_t, size_t> tilesetOf;
    for (size_t i = 0; i < tilesets.size(); ++i)
        tilesetOf.emplace(tilesets[i].spriteId, i);
    const int32_t width = std::max(map.sizeX, 0), height = std::max(map.sizeY, 0);
    const bool tiles = !map.tiles.empty();

    pugi::xml_document doc;
    pugi::xml_node root = startDocument(doc, "map");
    root.append_attribute("orientation") = "isometric";
    root.append_attribute("renderorder") = "right-down";
    root.append_attribute("width") = width;
    root.append_attribute("height") = height;
    root.append_attribute("tilewidth") = kTmxTileWidth;
    root.append_attribute("tileheight") = kTmxTileHeight;
    root.append_attribute("infinite") = 0;
    root.append_attribute("nextlayerid") = 3;
    root.append_attribute("nextobjectid") = static_cast<unsigned long long>(map.objects.size() + 1);
    pugi::xml_node properties = root.append_child("properties");
    addProperty(properties, "mapTag", map.tag);
    // Tiled's sizes cannot be negative, nor its object count.
    if (map.sizeX < 0)
        addProperty(properties, "sizeX", map.sizeX);
    if (map.sizeY < 0)
        addProperty(properties, "sizeY", map.sizeY);
    if (map.objectCount < 0)
        addProperty(properties, "objectCount", map.objectCount);
    for (size_t i = 0; i < tilesets.size(); ++i) {
        pugi::xml_node ref = root.append_child("tileset");
        ref.append_attribute("firstgid") = static_cast<unsigned long long>(i + 1);
        ref.append_attribute("source") = (tilesets[i].stem + ".tsx").c_str();
    }

    pugi::xml_node layer = root.append_child("layer");
    layer.append_attribute("id") = 1;
    layer.append_attribute("name") = "tiles";
    layer.append_attribute("width") = width;
    layer.append_attribute("height") = height;
    const bool anyAttribute =
        std::any_of(map.tiles.begin(), map.tiles.end(), [](const MapTile &t) { return t.attribute != 0; });
    if (anyAttribute) {
        std::string bytes;
        for (const MapTile &t : map.tiles)
            bytes.push_back(char(t.attribute));
        addProperty(layer.append_child("properties"), "attributes", toHex(bytes));
    }
    std::string csv = "\n";
    for (int32_t row = 0; tiles && row < height; ++row) {
        const MapTile *tile = &map.tiles[size_t(height - 1 - row) * size_t(width)];
        for (int32_t column = 0; column < width; ++column) {
            csv += std::to_string(tilesetOf.at(tile[column].sprite) + 1);
            csv += row + 1 < height || column + 1 < width ? "," : "";
        }
        csv += "\n";
    }
    pugi::xml_node data = layer.append_child("data");
    data.append_attribute("encoding") = "csv";
    data.append_child(pugi::node_pcdata).set_value(csv.c_str());

    pugi::xml_node group = root.append_child("objectgroup");
    group.append_attribute("id") = 2;
    group.append_attribute("name") = "objects";
    group.append_attribute("draworder") = "index";
    group.append_attribute("offsety") = kObjectLayerShift;
    int64_t objectId = 0;
    for (int32_t index : depthOrder(map)) {
        const MapObject &o = map.objects[size_t(index)];
        const Tileset &t = tilesets[tilesetOf.at(o.sprite)];
        const double pointX = tmxCellMiddle(o.x), pointY = tmxCellMiddle(int64_t(height) - 1 - o.y);
        pugi::xml_node object = group.append_child("object");
        object.append_attribute("id") = static_cast<long long>(++objectId);
        object.append_attribute("gid") = static_cast<unsigned long long>(tilesetOf.at(o.sprite) + 1);
        object.append_attribute("x") = static_cast<long long>(pointX);
        object.append_attribute("y") = static_cast<long long>(pointY);
        object.append_attribute("width") = t.picture.pixels.empty() ? kTmxTileWidth : t.picture.width;
        object.append_attribute("height") = t.picture.pixels.empty() ? kTmxTileHeight : t.picture.height;
        pugi::xml_node props = object.append_child("properties");
        addProperty(props, "order", index);
        addProperty(props, "extentX", o.extentX);
        addProperty(props, "extentY", o.extentY);
        addProperty(props, "elevation", o.elevation);
        if (!tiledKeeps(pointX) || !tiledKeeps(pointY)) {
            addProperty(props, "mapX", o.x);
            addProperty(props, "mapY", o.y);
        }
    }
    return text(doc);
}

}  // namespace

bool writeTmx(const MapFile &map, const SpriteLibraryRecord &library, const std::string &name, NewDirectory &out,
              std::string &error) {
    const std::vector<Tileset> tilesets = plannedTilesets(map, library);
    std::vector<uint8_t> png;
    bool nothingUsed = false;
    for (const Tileset &t : tilesets) {
        const std::string tsx = tilesetText(t);
        if (!out.write(t.stem + ".tsx", tsx.data(), tsx.size(), error))
            return false;
        if (t.picture.pixels.empty()) {
            nothingUsed = true;
            continue;
        }
        if (!encodePng(t.picture, png, error)) {
            error = t.stem + ".png: " + error;
            return false;
        }
        if (!out.write(t.stem + ".png", png.data(), png.size(), error))
            return false;
    }
    if (nothingUsed) {
        const Image nothing(kTmxTileWidth, kTmxTileHeight, 4);
        if (!encodePng(nothing, png, error) || !out.write(kNothingPicture, png.data(), png.size(), error))
            return false;
    }
    const std::string tmx = mapText(map, tilesets);
    return out.write(name + ".tmx", tmx.data(), tmx.size(), error);
}
