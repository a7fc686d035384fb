// from-tmx: a TMX and its tilesets back into a map file's records.
#include "cli/text.h"
#include "cli/tmx_map.h"

#include <pugixml.hpp>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>

namespace {

namespace fs = std::filesystem;

constexpr uintmax_t kMaxXmlBytes = uintmax_t(256) << 20;
constexpr uint64_t kMaxTiles = uint64_t(1) << 26;  // 8192 x 8192; about 17 bytes each while read
constexpr uint32_t kFlipBits = 0xE0000000u;
constexpr uint64_t kMaxInflation = 1100;  // zlib expands data at most about 1032 times
// Tiled writes six significant digits: a point it rounded is still the
// recorded one within this fraction of its size.
constexpr double kTiledRounding = 1e-5;

// Thrown with the line to report, below the file's name.
struct Refusal {
    std::string line;
};

[[noreturn]] void refuse(std::string line) {
    throw Refusal{std::move(line)};
}

// A value from the file as a message shows it: on one line, and short.
std::string brief(const char *text) {
    std::string said(text, strnlen(text, 80));
    std::replace_if(
        said.begin(), said.end(), [](char c) { return uint8_t(c) < 0x20; }, '?');
    return said + (text[said.size()] ? "..." : "");
}

int64_t integer(const char *text, int64_t low, int64_t high, const std::string &what) {
    errno = 0;
    char *end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (!*text || *end || errno || value < low || value > high)
        refuse(what + " is \"" + brief(text) + "\", not a whole number from " + std::to_string(low) + " to " +
               std::to_string(high));
    return value;
}

double number(const char *text, const std::string &what) {
    char *end = nullptr;
    const double value = std::strtod(text, &end);
    if (!*text || *end || !std::isfinite(value))
        refuse(what + " is \"" + brief(text) + "\", not a number");
    return value;
}

// A custom property's value, or null when the owner has none of that name.
const char *property(pugi::xml_node owner, const char *name) {
    const pugi::xml_node p = owner.child("properties").find_child_by_attribute("property", "name", name);
    if (!p)
        return nullptr;
    return p.attribute("value") ? p.attribute("value").value() : p.text().get();
}

int32_t intProperty(pugi::xml_node owner, const char *name, int32_t fallback, const std::string &who) {
    const char *value = property(owner, name);
    return value ? int32_t(integer(value, INT32_MIN, INT32_MAX, who + ": property " + name)) : fallback;
}

// Loads a TMX (shown "") or a tileset file (shown by its name).
void loadXml(pugi::xml_document &doc, const fs::path &path, const std::string &shown) {
    const std::string in = shown.empty() ? "" : shown + ": ";
    std::error_code failure;
    if (fs::is_directory(path, failure))
        refuse(in + "is a folder, not a file");
    const uintmax_t size = fs::file_size(path, failure);
    if (failure)
        refuse(in + "cannot open: " + failure.message());
    if (size > kMaxXmlBytes)
        refuse(in + std::to_string(size) + " bytes; TMX and tileset files are read up to 256 MiB");
    const pugi::xml_parse_result parsed = doc.load_file(path.c_str());
    if (parsed.status == pugi::status_file_not_found || parsed.status == pugi::status_io_error)
        refuse(in + "cannot read: " + std::strerror(errno));
    if (!parsed)
        refuse(in + "not well-formed XML: " + parsed.description() + " at byte " + std::to_string(parsed.offset));
}

struct Tileset {
    uint32_t firstGid;
    uint32_t tileCount;
    std::string name;  // as messages show it
    bool named;        // carries a sprite identifier
    int32_t spriteId;
};

// Where a layer's objects are, and its pixel offset with its groups'.
struct ObjectLayer {
    pugi::xml_node node;
    double offsetX;
    double offsetY;
};

struct Placed {
    MapObject object;
    bool ordered;
    int32_t order;
};

class TmxReader {
public:
    explicit TmxReader(const fs::path &path) : path_(path), dir_(path.parent_path()) {}

    void read(MapFile &map) {
        pugi::xml_document doc;
        loadXml(doc, path_, "");
        const pugi::xml_node root = doc.child("map");
        if (!root)
            refuse("holds no <map>: not a TMX map");
        if (std::strcmp(root.attribute("orientation").value(), "isometric") != 0 ||
            root.attribute("tilewidth").as_int() != kTmxTileWidth ||
            root.attribute("tileheight").as_int() != kTmxTileHeight)
            refuse("a map of " + brief(root.attribute("orientation").value()) + " orientation with " +
                   brief(root.attribute("tilewidth").value()) + " x " + brief(root.attribute("tileheight").value()) +
                   " tiles; maps are isometric with 40 x 20 tiles");
        if (root.attribute("infinite").as_int() != 0)
            refuse("an infinite map; maps have a fixed size (Map > Map Properties > Infinite off)");
        width_ = int32_t(integer(root.attribute("width").value(), 0, INT32_MAX, "the map's width"));
        height_ = int32_t(integer(root.attribute("height").value(), 0, INT32_MAX, "the map's height"));
        const uint64_t tileCount = uint64_t(width_) * uint64_t(height_);
        if (tileCount > kMaxTiles)
            refuse("declares " + std::to_string(width_) + " x " + std::to_string(height_) + " tiles; at most " +
                   std::to_string(kMaxTiles) + " are read");

        for (const pugi::xml_node ref : root.children("tileset"))
            readTileset(ref);
        std::sort(tilesets_.begin(), tilesets_.end(),
                  [](const Tileset &a, const Tileset &b) { return a.firstGid < b.firstGid; });
        findLayers(root, 0, 0);
        if (tileLayers_.size() > 1)
            refuse(std::to_string(tileLayers_.size()) + " tile layers; a map has one");
        if (tileLayers_.empty() && tileCount > 0)
            refuse("no tile layer");

        map = MapFile{intProperty(root, "mapTag", 0, "the map"), width_, height_, 0, {}, {}};
        // Sizes of zero or less travel as properties: Tiled has no negative sizes.
        if (width_ == 0)
            map.sizeX = std::min(intProperty(root, "sizeX", 0, "the map"), 0);
        if (height_ == 0)
            map.sizeY = std::min(intProperty(root, "sizeY", 0, "the map"), 0);
        if (tileCount > 0)
            readTiles(tileLayers_[0], tileCount, map.tiles);
        readObjects(map.objects);
        map.objectCount = int32_t(map.objects.size());
        if (map.objects.empty())
            map.objectCount = std::min(intProperty(root, "objectCount", 0, "the map"), 0);
    }

private:
    void readTileset(pugi::xml_node ref) {
        const uint32_t firstGid =
            uint32_t(integer(ref.attribute("firstgid").value(), 1, ~kFlipBits, "a tileset's firstgid"));
        const char *source = ref.attribute("source").value();
        if (!*source) {
            tilesets_.push_back(describe(ref, firstGid, dir_, "tileset " + brief(ref.attribute("name").value())));
            return;
        }
        const fs::path file = (dir_ / source).lexically_normal();
        auto known = sources_.find(file.string());
        if (known == sources_.end()) {
            pugi::xml_document doc;
            loadXml(doc, file, brief(source));
            const pugi::xml_node set = doc.child("tileset");
            if (!set)
                refuse(brief(source) + ": holds no <tileset>");
            known = sources_.emplace(file.string(), describe(set, 0, file.parent_path(), brief(source))).first;
        }
        Tileset t = known->second;
        t.firstGid = firstGid;
        tilesets_.push_back(t);
    }

    // Its pictures must be there, as Tiled needs them to show the map.
    static Tileset describe(pugi::xml_node set, uint32_t firstGid, const fs::path &base, const std::string &shown) {
        const auto checkPicture = [&](pugi::xml_node image) {
            const char *source = image.attribute("source").value();
            std::error_code failure;
            if (image && !fs::is_regular_file(base / source, failure))
                refuse(shown + ": picture " + brief(source) + ": cannot open: no such file");
        };
        checkPicture(set.child("image"));
        for (const pugi::xml_node tile : set.children("tile"))
            checkPicture(tile.child("image"));
        const char *id = property(set, "spriteId");
        return {firstGid, set.attribute("tilecount").as_uint(), shown, id != nullptr,
                id ? int32_t(integer(id, INT32_MIN, INT32_MAX, shown + ": property spriteId")) : 0};
    }

    void findLayers(pugi::xml_node parent, double offsetX, double offsetY) {
        for (const pugi::xml_node child : parent.children()) {
            const double x = offsetX + child.attribute("offsetx").as_double(),
                         y = offsetY + child.attribute("offsety").as_double();
            if (std::strcmp(child.name(), "layer") == 0)
                tileLayers_.push_back(child);
            else if (std::strcmp(child.name(), "objectgroup") == 0)
                objectLayers_.push_back({child, x, y});
            else if (std::strcmp(child.name(), "group") == 0)
                findLayers(child, x, y);
        }
    }

    // who names the tile or object, for messages only.
    int32_t spriteOf(uint32_t gid, const std::function<std::string()> &who) const {
        if (gid == 0)
            refuse(who() + " has no tile; every tile of a map names a sprite");
        if (gid & kFlipBits)
            refuse(who() + " is flipped or rotated; the viewer draws sprites as they are");
        auto after = std::upper_bound(tilesets_.begin(), tilesets_.end(), gid,
                                      [](uint32_t g, const Tileset &t) { return g < t.firstGid; });
        if (after == tilesets_.begin())
            refuse(who() + ": its tile " + std::to_string(gid) + " comes from no tileset");
        const Tileset &t = *--after;
        if (gid - t.firstGid >= t.tileCount)
            refuse(who() + ": its tile " + std::to_string(gid) + " lies past the " + std::to_string(t.tileCount) +
                   " tiles of " + t.name);
        if (!t.named)
            refuse(who() + ": its tile comes from " + t.name + ", which is no sprite's tileset (it has no spriteId)");
        return t.spriteId;
    }

    void readTiles(pugi::xml_node layer, uint64_t count, std::vector<MapTile> &tiles) const {
        const std::string name = "tile layer \"" + brief(layer.attribute("name").value()) + "\"";
        if (layer.attribute("width").as_llong() != width_ || layer.attribute("height").as_llong() != height_)
            refuse(name + " is not the map's size");
        const std::vector<uint32_t> gids = layerGids(layer.child("data"), count, name);
        std::string attributes(count, '\0');
        if (const char *hex = property(layer, "attributes");
            hex && (!fromHex(hex, attributes) || attributes.size() != count))
            refuse(name + ": property attributes does not hold one byte in hexadecimal for each of its " +
                   std::to_string(count) + " tiles");
        tiles.resize(count);
        for (int64_t y = 0; y < height_; ++y)
            for (int64_t x = 0; x < width_; ++x) {
                const size_t at = size_t(y * width_ + x);
                const auto who = [x, y] { return "tile (" + std::to_string(x) + ", " + std::to_string(y) + ")"; };
                tiles[at] = {spriteOf(gids[size_t((height_ - 1 - y) * width_ + x)], who), uint8_t(attributes[at])};
            }
    }

    static std::vector<uint32_t> layerGids(pugi::xml_node data, uint64_t count, const std::string &name) {
        if (!data)
            refuse(name + " has no <data>");
        if (data.child("chunk"))
            refuse(name + " is in chunks, as infinite maps are; maps have a fixed size");
        const std::string encoding = brief(data.attribute("encoding").value()),
                          compression = brief(data.attribute("compression").value());
        std::vector<uint32_t> gids;
        const auto add = [&](uint32_t gid) {
            if (gids.size() == count)
                refuse(name + " holds more than its " + std::to_string(count) + " tiles");
            gids.push_back(gid);
        };
        if (encoding.empty()) {
            for (const pugi::xml_node tile : data.children("tile"))
                add(uint32_t(integer(tile.attribute("gid") ? tile.attribute("gid").value() : "0", 0, UINT32_MAX,
                                     name + ": a tile's gid")));
        } else if (encoding == "csv") {
            const std::string text = data.text().get();
            const bool blank = text.find_first_not_of(" \t\r\n") == std::string::npos;
            for (size_t at = 0; !blank && at <= text.size();) {
                const size_t comma = std::min(text.find(',', at), text.size());
                std::string field = text.substr(at, comma - at);
                field.erase(std::remove_if(field.begin(), field.end(), [](char c) { return std::isspace(uint8_t(c)); }),
                            field.end());
                add(uint32_t(integer(field.c_str(), 0, UINT32_MAX, name + ": a tile")));
                at = comma + 1;
            }
        } else if (encoding == "base64") {
            gids = base64Gids(data.text().get(), compression, count, name);
        } else {
            refuse(name + ": unknown encoding \"" + encoding + "\"; Tiled writes csv or base64");
        }
        if (encoding != "base64" && !compression.empty())
            refuse(name + ": compression \"" + compression + "\" needs base64 encoding");
        if (gids.size() != count)
            refuse(name + " holds " + std::to_string(gids.size()) + " tiles, not " + std::to_string(count));
        return gids;
    }

    static std::vector<uint32_t> base64Gids(const char *text, const std::string &compression, uint64_t count,
                                            const std::string &name) {
        const bool compressed = compression == "zlib" || compression == "gzip";
        if (!compressed && !compression.empty())
            refuse(name + ": compression \"" + compression +
                   "\" is not read; choose zlib, gzip or none as the map's tile layer format in Tiled");
        std::vector<uint8_t> bytes;
        uint32_t bits = 0;
        int held = 0;
        const char *digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (const char *c = text; *c; ++c) {
            if (std::isspace(uint8_t(*c)) || *c == '=')
                continue;
            const char *digit = std::strchr(digits, *c);
            if (!digit)
                refuse(name + ": the data is not base64");
            bits = bits << 6 | uint32_t(digit - digits);
            if ((held += 6) >= 8)
                bytes.push_back(uint8_t(bits >> (held -= 8)));
        }
        std::vector<uint8_t> raw;
        if (compression.empty()) {
            raw = std::move(bytes);
        } else {
            if (count * 4 > bytes.size() * kMaxInflation + 64)
                refuse(name + ": " + std::to_string(bytes.size()) + " compressed bytes cannot hold " +
                       std::to_string(count) + " tiles");
            raw.resize(count * 4 + 1);  // one byte more shows data past the tiles
            z_stream z{};
            if (inflateInit2(&z, 15 + 32) != Z_OK)  // zlib or gzip, told by the header
                refuse(name + ": cannot start decompressing");
            z.next_in = bytes.data();
            z.avail_in = uInt(bytes.size());
            z.next_out = raw.data();
            z.avail_out = uInt(raw.size());
            const int status = inflate(&z, Z_FINISH);
            raw.resize(z.total_out);
            inflateEnd(&z);
            if (status != Z_STREAM_END)
                refuse(name + ": the " + compression + " data is damaged or holds more than its tiles");
        }
        if (raw.size() != count * 4)
            refuse(name + " holds " + std::to_string(raw.size() / 4) + " tiles, not " + std::to_string(count));
        std::vector<uint32_t> gids(count);
        for (size_t i = 0; i < count; ++i)
            gids[i] = uint32_t(raw[4 * i]) | uint32_t(raw[4 * i + 1]) << 8 | uint32_t(raw[4 * i + 2]) << 16 |
                      uint32_t(raw[4 * i + 3]) << 24;
        return gids;
    }

    void readObjects(std::vector<MapObject> &objects) const {
        std::vector<Placed> placed;
        for (const ObjectLayer &layer : objectLayers_)
            for (const pugi::xml_node node : layer.node.children("object")) {
                const std::string who = "object " + brief(node.attribute("id").value());
                if (!node.attribute("gid"))
                    refuse(who + " is no tile object; objects are sprites' tiles");
                Placed p{};
                const uint32_t gid = uint32_t(integer(node.attribute("gid").value(), 0, UINT32_MAX, who + ": its gid"));
                p.object.sprite = spriteOf(gid, [&who] { return who; });
                place(node, layer, who, p.object);
                p.object.extentX = intProperty(node, "extentX", 1, who);
                p.object.extentY = intProperty(node, "extentY", 1, who);
                p.object.elevation = intProperty(node, "elevation", 0, who);
                p.ordered = property(node, "order") != nullptr;
                p.order = intProperty(node, "order", 0, who);
                placed.push_back(p);
            }
        // Recorded places first, by them; new objects after, in layer order.
        std::stable_sort(placed.begin(), placed.end(), [](const Placed &a, const Placed &b) {
            return a.ordered != b.ordered ? a.ordered : a.ordered && a.order < b.order;
        });
        objects.clear();
        for (const Placed &p : placed)
            objects.push_back(p.object);
    }

    // The tile whose middle lies nearest the object's point: the one whose
    // square of Tiled's object coordinates holds it. A layer's pixel offset
    // (ox, oy) moves points by (oy + ox / 2, oy - ox / 2) of those.
    void place(pugi::xml_node node, const ObjectLayer &layer, const std::string &who, MapObject &object) const {
        const double shiftX = layer.offsetY + layer.offsetX / 2 - kObjectLayerShift,
                     shiftY = layer.offsetY - layer.offsetX / 2 - kObjectLayerShift;
        const double pointX = number(node.attribute("x").value(), who + ": x") + shiftX,
                     pointY = number(node.attribute("y").value(), who + ": y") + shiftY;
        const char *mapX = property(node, "mapX"), *mapY = property(node, "mapY");
        if (mapX && mapY) {
            const int32_t x = int32_t(integer(mapX, INT32_MIN, INT32_MAX, who + ": property mapX")),
                          y = int32_t(integer(mapY, INT32_MIN, INT32_MAX, who + ": property mapY"));
            const double expectedX = tmxCellMiddle(x), expectedY = tmxCellMiddle(int64_t(height_) - 1 - y);
            if (std::abs(pointX - expectedX) <= kTiledRounding * std::abs(expectedX) &&
                std::abs(pointY - expectedY) <= kTiledRounding * std::abs(expectedY)) {
                object.x = x;
                object.y = y;
                return;
            }
        }
        const double column = std::floor(pointX / kTmxTileHeight), row = std::floor(pointY / kTmxTileHeight);
        const double y = double(height_) - 1 - row;
        if (column < INT32_MIN || column > INT32_MAX || y < INT32_MIN || y > INT32_MAX)
            refuse(who + " lies beyond the tiles a map can name");
        object.x = int32_t(column);
        object.y = int32_t(y);
    }

    fs::path path_, dir_;
    int32_t width_ = 0, height_ = 0;
    std::vector<Tileset> tilesets_;
    std::map<std::string, Tileset> sources_;
    std::vector<pugi::xml_node> tileLayers_;
    std::vector<ObjectLayer> objectLayers_;
};

}  // namespace

bool readTmx(const std::string &path, MapFile &map, std::string &error) {
    try {
        TmxReader(path).read(map);
        return true;
    } catch (const Refusal &refusal) {
        error = path + ": " + refusal.line;
        return false;
    }
}
