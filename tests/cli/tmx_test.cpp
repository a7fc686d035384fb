// vornak map to-tmx and map from-tmx without Tiled: byte-for-byte round
// trips in every tile encoding, what the TMX and its tilesets hold, edits as
// Tiled makes them, and refusals of bad input.
#include "tests/cli/tmx_support.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstring>
#include <functional>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// A map file's bytes with a header of its own: sizes and counts that
// encodeMap cannot write.
std::vector<uint8_t> withHeader(int32_t tag, int32_t sizeX, int32_t sizeY, int32_t objectCount,
                                const std::vector<world::WorldObject> &objects) {
    std::vector<uint8_t> bytes = world::encodeMap({tag, 0, 0, {}, objects});
    const int32_t header[] = {tag, sizeX, sizeY, objectCount};
    std::memcpy(bytes.data(), header, sizeof header);  // the tests run little-endian
    return bytes;
}

struct Fixture {
    TempDir dir;
    std::string library = dir.file("test.lspr");
    Fixture() { EXPECT_TRUE(saveLibrary(testLibrary(), library)); }

    // to-tmx of the map bytes into dir/name; the TMX's path.
    std::string exported(const std::string &name, const std::vector<uint8_t> &bytes, const std::string &lib = "") {
        writeFileBytes(dir.file(name + ".map"), bytes);
        const Result r = vornak("map to-tmx " + dir.file(name + ".map") + " " + (lib.empty() ? library : lib) + " " +
                                dir.file(name));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out + r.err, "");
        return dir.file(name + "/" + name + ".tmx");
    }

    std::vector<uint8_t> imported(const std::string &tmx) {
        const std::string out = dir.file("back.map");
        fs::remove(out);
        const Result r = vornak("map from-tmx " + tmx + " " + out);
        EXPECT_EQ(r.status, 0) << r.err;
        return readFileBytes(out);
    }
};

TEST(MapTmx, EveryWellFormedMapComesBackByteForByteInEveryTileEncoding) {
    Fixture f;
    world::WorldMap far = testMap();
    far.objects.push_back({kPost, INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN});
    far.objects.push_back({kAbsent, INT32_MIN, INT32_MAX, 0, 0, INT32_MAX});
    far.objects.push_back(far.objects[0]);  // a duplicate
    const world::WorldObject one = {kGlass, 0, 0, 1, 1, 0};
    struct Case {
        std::string name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"test", world::encodeMap(testMap())},
        {"far", world::encodeMap(far)},
        {"single", world::encodeMap({0, 1, 1, {{kAbsent, 255}}, {}})},  // 21 bytes
        {"negative", withHeader(7, -3, 5, 2, {one, one})},
        {"flat", withHeader(-1, 4, 0, -7, {})},
        {"nothing", withHeader(0, INT32_MIN, INT32_MIN, INT32_MIN, {})},
        {"objects-only", withHeader(3, 0, 0, 1, {one})},
    };
    for (const Case &c : cases) {
        const std::string tmx = f.exported(c.name, c.bytes);
        EXPECT_EQ(f.imported(tmx), c.bytes) << c.name;
        for (const char *encoding : {"csv", "base64", "base64 zlib", "base64 gzip", "xml"}) {
            writeText(f.dir.file(c.name + "/encoded.tmx"), reencoded(readText(tmx), encoding));
            EXPECT_EQ(f.imported(f.dir.file(c.name + "/encoded.tmx")), c.bytes) << c.name << ", " << encoding;
        }
    }
    const std::string sample = f.exported("sample", readFileBytes(kSampleMap), kSampleLibrary);
    EXPECT_EQ(f.imported(sample), readFileBytes(kSampleMap));
}

TEST(MapTmx, TheTmxHoldsTilesByTiledRowsObjectsInDepthOrderAndOneTilesetPerIdentifier) {
    Fixture f;
    // U, W and V, held in that order, are drawn W, U, V.
    world::WorldMap map = testMap();
    map.objects = {{kPost, 1, 4, 0, 2, 0}, {kGlass, 3, 6, 3, 3, 1}, {kDiamond, 1, 5, 1, 3, 1}};
    const std::string tmx = f.exported("test", world::encodeMap(map));
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(tmx.c_str()));
    const pugi::xml_node root = doc.child("map");
    EXPECT_STREQ(root.attribute("orientation").value(), "isometric");
    EXPECT_EQ(root.attribute("width").as_int(), 6);
    EXPECT_EQ(root.attribute("height").as_int(), 5);

    // Tilesets: the library's first sprite of each identifier in library order, then the identifier it lacks.
    std::vector<std::string> sources;
    for (const pugi::xml_node t : root.children("tileset"))
        sources.push_back(t.attribute("source").value());
    EXPECT_EQ(sources, (std::vector<std::string>{"sprite-0000.tsx", "sprite-0001.tsx", "sprite-0002.tsx",
                                                 "sprite-0003.tsx", "sprite-0005.tsx", "missing-77.tsx"}));
    // Tiled's first row is the map's last: tile (x, 4).
    std::istringstream csv(root.child("layer").child("data").text().get());
    std::string first;
    std::getline(csv, first);
    std::getline(csv, first);
    std::string expected;
    const int32_t gidOf[] = {0, 1, 2, 3, 4, 0, 0, 0, 0, 5};
    for (int32_t x = 0; x < 6; ++x) {
        const int32_t id = map.tiles[size_t(4 * 6 + x)].sprite;
        expected += std::to_string(id == kAbsent ? 6 : gidOf[id]) + ",";
    }
    EXPECT_EQ(first, expected);

    std::vector<std::string> objects;
    for (const pugi::xml_node o : root.child("objectgroup").children("object")) {
        std::string said = std::string(o.attribute("gid").value()) + " at " + o.attribute("x").value() + "," +
                           o.attribute("y").value() + " " + o.attribute("width").value() + "x" +
                           o.attribute("height").value();
        for (const pugi::xml_node p : o.child("properties").children("property"))
            said += std::string(" ") + p.attribute("name").value() + "=" + p.attribute("value").value();
        objects.push_back(said);
    }
    // Column x and row 4 - y, at the middle of the tile, 20 units a tile.
    EXPECT_EQ(objects, (std::vector<std::string>{"3 at 70,-30 20x20 order=1 extentX=3 extentY=3 elevation=1",
                                                 "4 at 30,10 15x40 order=0 extentX=0 extentY=2 elevation=0",
                                                 "1 at 30,-10 40x20 order=2 extentX=1 extentY=3 elevation=1"}));
    EXPECT_STREQ(root.child("objectgroup").attribute("draworder").value(), "index");
    EXPECT_EQ(root.child("objectgroup").attribute("offsety").as_int(), 20);

    // The tall sprite: origin (5, 30), offset (2, 1), 50 high: its tile hangs from the cell's bottom-left corner.
    pugi::xml_document tall;
    ASSERT_TRUE(tall.load_file(f.dir.file("test/sprite-0001.tsx").c_str()));
    EXPECT_EQ(tall.child("tileset").child("tileoffset").attribute("x").as_int(), 2 - 5);
    EXPECT_EQ(tall.child("tileset").child("tileoffset").attribute("y").as_int(), 1 - 30 + 50 - 20);
    EXPECT_STREQ(tall.child("tileset").attribute("objectalignment").value(), "bottomleft");
    pugi::xml_document missing;
    ASSERT_TRUE(missing.load_file(f.dir.file("test/missing-77.tsx").c_str()));
    EXPECT_STREQ(missing.child("tileset").child("image").attribute("source").value(), "nothing.png");
}

TEST(MapTmx, PicturesAreTheSpriteToolsColoursWithWhatTheViewerHidesTransparent) {
    Fixture f;
    f.exported("test", world::encodeMap(testMap()));
    struct Case {
        std::string picture;
        int32_t x, y;
        std::vector<uint8_t> rgba;
    };
    const Case cases[] = {
        // Diamond (1, 0): stored bytes 09 02: red 1, green 4, blue 1 of 31.
        {"sprite-0000.png", 1, 0, {8, 33, 8, 255}},
        {"sprite-0000.png", 0, 0, {0, 0, 0, 0}},  // a hole
        // Tall (1, 0): blue 12, green 0, red 200, exactly; (7, 9) is dark enough to be the display's key.
        {"sprite-0001.png", 1, 0, {200, 0, 12, 255}},
        {"sprite-0001.png", 7, 9, {1, 2, 3, 0}},
        // Glass is translucent: half see-through.
        {"sprite-0002.png", 1, 0, {8, 99, 8, 128}},  // bytes 0B 02: green 12
        {"nothing.png", 39, 19, {0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        const Image picture = readPicture(f.dir.file("test/" + c.picture), 4);
        ASSERT_TRUE(picture.width > c.x && picture.height > c.y) << c.picture;
        EXPECT_EQ(std::vector<uint8_t>(picture.at(c.x, c.y), picture.at(c.x, c.y) + 4), c.rgba)
            << c.picture << " at (" << c.x << ", " << c.y << ")";
    }
    EXPECT_FALSE(fs::exists(f.dir.file("test/sprite-0004.png"))) << "the second sprite of an identifier";
}

// Edits as Tiled writes them, on the exported TMX.
class Edit {
public:
    explicit Edit(const std::string &tmx) : path_(tmx) { EXPECT_TRUE(doc_.load_file(tmx.c_str())); }
    pugi::xml_node objects() { return doc_.child("map").child("objectgroup"); }
    pugi::xml_node object(int order) {
        for (pugi::xml_node o : objects().children("object"))
            if (o.child("properties")
                    .find_child_by_attribute("property", "name", "order")
                    .attribute("value")
                    .as_int() == order)
                return o;
        return {};
    }
    void setTiles(const std::string &csv) { doc_.child("map").child("layer").child("data").text() = csv.c_str(); }
    // Tiled's Embed Tileset: the tileset file's content in the map.
    void embedFirstTileset() {
        pugi::xml_node ref = doc_.child("map").child("tileset");
        pugi::xml_document tsx;
        EXPECT_TRUE(tsx.load_file((fs::path(path_).parent_path() / ref.attribute("source").value()).c_str()));
        ref.remove_attribute("source");
        for (const pugi::xml_attribute a : tsx.child("tileset").attributes())
            ref.append_copy(a);
        for (const pugi::xml_node child : tsx.child("tileset").children())
            ref.append_copy(child);
    }
    void save(const std::string &path) { doc_.save_file(path.c_str(), " "); }

private:
    std::string path_;
    pugi::xml_document doc_;
};

TEST(MapTmx, EditsInTiledComeBack) {
    Fixture f;
    world::WorldMap map{5, 3, 2, {}, {}};
    for (int i = 0; i < 6; ++i)
        map.tiles.push_back({kDiamond, uint8_t(10 + i)});
    map.objects = {{kPost, 0, 0, 2, 2, 1}, {kGlass, 2, 1, 1, 1, 0}, {kTall, 1, 0, -1, 1, 3}, {kPost, 2, 0, 1, 1, 0}};
    const std::string tmx = f.exported("edit", world::encodeMap(map));

    Edit edit(tmx);
    edit.embedFirstTileset();
    // Rows from Tiled's top: map row 1, then row 0. Tile (2, 1) painted with the post (gid 4), (0, 0) with the tall.
    edit.setTiles("\n1,1,4,\n2,1,1\n");
    // Object 0 moved to a point in tile (2, 0)'s square, off its middle (column 2, row 1: 40..60, 20..40).
    edit.object(0).attribute("x") = "59.5";
    edit.object(0).attribute("y") = "20.25";
    // Object 1 deleted; object 3 copied (with its properties) and the copy moved to tile (0, 1).
    edit.objects().remove_child(edit.object(1));
    pugi::xml_node copy = edit.objects().append_copy(edit.object(3));
    copy.attribute("x") = 10, copy.attribute("y") = 10;
    // Two new objects, after them: one plain, one with properties of its own, in a layer of Tiled's own placed
    // 40 pixels right: (20, -20) units.
    pugi::xml_node layer = edit.objects().parent().append_child("objectgroup");
    layer.append_attribute("offsetx") = 40;
    layer.append_attribute("offsety") = 20;
    pugi::xml_node plain = layer.append_child("object");
    plain.append_attribute("gid") = 1, plain.append_attribute("x") = 5, plain.append_attribute("y") = 30;
    pugi::xml_node propped = edit.objects().parent().insert_child_before("objectgroup", layer).append_child("object");
    propped.append_attribute("gid") = 2, propped.append_attribute("x") = 45, propped.append_attribute("y") = 45;
    pugi::xml_node ps = propped.append_child("properties");
    for (const char *name : {"extentX", "elevation"}) {
        pugi::xml_node p = ps.append_child("property");
        p.append_attribute("name") = name, p.append_attribute("type") = "int", p.append_attribute("value") = -4;
    }
    propped.parent().append_attribute("offsety") = 20;
    edit.save(f.dir.file("edit/edited.tmx"));

    world::WorldMap expected = map;
    expected.tiles[5].sprite = kPost;
    expected.tiles[0].sprite = kTall;
    expected.objects = {{kPost, 2, 0, 2, 2, 1},   {kTall, 1, 0, -1, 1, 3},   {kPost, 2, 0, 1, 1, 0},
                        {kPost, 0, 1, 1, 1, 0},   {kTall, 2, -1, -4, 1, -4},  // (45, 45): column 2, row 2
                        {kDiamond, 1, 1, 1, 1, 0}};                           // (5 + 20, 30 - 20): column 1, row 0
    EXPECT_EQ(f.imported(f.dir.file("edit/edited.tmx")), world::encodeMap(expected));
}

TEST(MapTmx, BadInputIsRefusedWithOneLineAndNoOutput) {
    Fixture f;
    const std::string tmx = f.exported("bad", world::encodeMap(testMap()));
    // The exported TMX changed by edit, saved as name.
    const auto variant = [&](const std::string &name, const std::function<void(pugi::xml_node)> &edit) {
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_file(tmx.c_str()));
        edit(doc.child("map"));
        doc.save_file(f.dir.file("bad/" + name).c_str());
        return f.dir.file("bad/" + name);
    };
    const auto data = [](pugi::xml_node map) { return map.child("layer").child("data"); };
    const auto object = [](pugi::xml_node map) { return map.child("objectgroup").child("object"); };
    // The 30 tiles with the first, tile (0, 4), given and count in all.
    const auto tiles = [&](const std::string &name, const std::string &first, int count) {
        return variant(name, [&](pugi::xml_node map) {
            std::string csv = first;
            for (int i = 1; i < count; ++i)
                csv += ",1";
            data(map).text() = csv.c_str();
        });
    };
    const auto firstTileset = [&](const std::string &name, const std::string &source) {
        return variant(name, [&](pugi::xml_node map) { map.child("tileset").attribute("source") = source.c_str(); });
    };
    std::string tsx = readText(f.dir.file("bad/sprite-0000.tsx"));
    writeText(f.dir.file("bad/nopicture.tsx"), tsx.replace(tsx.find("sprite-0000.png"), 15, "gone.png"));
    writeText(f.dir.file("bad/foreign.tsx"), "<tileset name=\"rocks\" tilecount=\"4\" columns=\"2\"/>");
    writeText(f.dir.file("bad/cut.tmx"), readText(tmx).substr(0, 600));
    writeText(f.dir.file("bad/notmap.tmx"), "<?xml version=\"1.0\"?>\n<tileset/>\n");
    // zlib data said to hold 2^26 tiles in a few bytes, refused before anything is inflated.
    pugi::xml_document bomb;
    ASSERT_TRUE(bomb.load_string(reencoded(readText(tmx), "base64 zlib").c_str()));
    for (pugi::xml_node node : {bomb.child("map"), bomb.child("map").child("layer")}) {
        node.attribute("width") = 8192;
        node.attribute("height") = 8192;
    }
    bomb.save_file(f.dir.file("bad/bomb.tmx").c_str());
    struct Case {
        std::string tmx, said;
    };
    const Case cases[] = {
        {f.dir.file("bad/cut.tmx"), "not well-formed XML: "},
        {f.dir.file("bad/notmap.tmx"), "holds no <map>"},
        {variant("ortho.tmx", [](pugi::xml_node map) { map.attribute("orientation") = "orthogonal"; }),
         "maps are isometric with 40 x 20 tiles"},
        {variant("wide.tmx", [](pugi::xml_node map) { map.attribute("tilewidth") = 64; }),
         "maps are isometric with 40 x 20 tiles"},
        {variant("infinite.tmx", [](pugi::xml_node map) { map.attribute("infinite") = 1; }), "an infinite map"},
        {variant("encoding.tmx", [&](pugi::xml_node map) { data(map).attribute("encoding") = "base32"; }),
         "unknown encoding \"base32\""},
        {variant("zstd.tmx",
                 [&](pugi::xml_node map) {
                     data(map).attribute("encoding") = "base64";
                     data(map).append_attribute("compression") = "zstd";
                 }),
         "compression \"zstd\" is not read; choose zlib, gzip or none"},
        {variant("damaged.tmx",
                 [&](pugi::xml_node map) {
                     data(map).attribute("encoding") = "base64";
                     data(map).append_attribute("compression") = "zlib";
                     data(map).text() = "eJzz";  // cut short
                 }),
         "the zlib data is damaged or holds more than its tiles"},
        {firstTileset("notile.tmx", "sprite-0099.tsx"), "sprite-0099.tsx: cannot open: "},
        {firstTileset("nopng.tmx", "nopicture.tsx"), "nopicture.tsx: picture gone.png: cannot open"},
        {firstTileset("foreign.tmx", "foreign.tsx"),
         "tile (0, 0): its tile comes from foreign.tsx, which is no sprite's tileset (it has no spriteId)"},
        {variant("huge.tmx",
                 [](pugi::xml_node map) {
                     map.attribute("width") = 1 << 20;
                     map.attribute("height") = 1 << 20;
                 }),
         "declares 1048576 x 1048576 tiles; at most 67108864 are read"},
        {variant("size.tmx", [](pugi::xml_node map) { map.attribute("height") = 6; }),
         "tile layer \"tiles\" is not the map's size"},
        {variant("layers.tmx", [](pugi::xml_node map) { map.append_copy(map.child("layer")); }),
         "2 tile layers; a map has one"},
        {tiles("empty.tmx", "0", 30), "tile (0, 4) has no tile; every tile of a map names a sprite"},
        {tiles("flipped.tmx", "2147483649", 30), "tile (0, 4) is flipped or rotated"},
        {tiles("beyond.tmx", "99", 30), "tile (0, 4): its tile 99 lies past the 1 tiles of missing-77.tsx"},
        {tiles("short.tmx", "1", 29), "tile layer \"tiles\" holds 29 tiles, not 30"},
        {tiles("long.tmx", "1", 31), "tile layer \"tiles\" holds more than its 30 tiles"},
        {tiles("word.tmx", "x", 30), "a tile is \"x\", not a whole number"},
        {variant("shape.tmx", [&](pugi::xml_node map) { object(map).remove_attribute("gid"); }),
         "object 1 is no tile object; objects are sprites' tiles"},
        {variant("point.tmx", [&](pugi::xml_node map) { object(map).attribute("x") = "1e999"; }),
         "object 1: x is \"1e999\", not a number"},
        {variant("distant.tmx", [&](pugi::xml_node map) { object(map).attribute("x") = "1e12"; }),
         "object 1 lies beyond the tiles a map can name"},
        {variant("extent.tmx",
                 [&](pugi::xml_node map) {
                     object(map).child("properties").find_child_by_attribute("name", "extentX").attribute("value") =
                         "3.5";
                 }),
         "object 1: property extentX is \"3.5\""},
        {variant("attributes.tmx",
                 [](pugi::xml_node map) {
                     map.child("layer").child("properties").child("property").attribute("value") = "0";
                 }),
         "property attributes does not hold one byte in hexadecimal for each of its 30 tiles"},
        {f.dir.file("bad/bomb.tmx"), "compressed bytes cannot hold 67108864 tiles"},
        {f.dir.file("bad/missing.tmx"), "missing.tmx: cannot open: "},
        {f.dir.path().string(), "is a folder, not a file"},
    };
    const std::string out = f.dir.file("out.map");
    for (const Case &c : cases) {
        expectRefusal(vornak("map from-tmx " + c.tmx + " " + out), 1, c.said, c.tmx);
        EXPECT_FALSE(fs::exists(out)) << c.tmx;
    }
}

TEST(MapTmx, ToTmxRefusesShortMapsAndFullFoldersAndWarnsOfBytesAfter) {
    Fixture f;
    std::vector<uint8_t> bytes = world::encodeMap(testMap());
    writeFileBytes(f.dir.file("long.map"), [&] {
        std::vector<uint8_t> b = bytes;
        b.insert(b.end(), {1, 2, 3});
        return b;
    }());
    bytes.pop_back();
    writeFileBytes(f.dir.file("short.map"), bytes);
    fs::create_directories(f.dir.file("full"));
    writeText(f.dir.file("full/keep.txt"), "mine");
    struct Case {
        std::string arguments;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {"map to-tmx " + f.dir.file("short.map") + " " + f.library + " " + f.dir.file("out"), 1,
         "short.map: tiles: 6 x 5 announced, the file ends inside tile (5, 4)\n"},
        {"map to-tmx " + kSampleMap + " " + f.library + " " + f.dir.file("full"), 1, "full"},
        {"map to-tmx " + kSampleMap + " " + f.dir.file("none.lspr") + " " + f.dir.file("out"), 1, "none.lspr"},
        {"map to-tmx " + kSampleMap + " " + f.library, 2, "OUTDIR is required"},
        {"map from-tmx " + f.dir.file("x.tmx"), 2, "OUT is required"},
    };
    for (const Case &c : cases) {
        expectRefusal(vornak(c.arguments), c.status, c.err, c.arguments);
        EXPECT_FALSE(fs::exists(f.dir.file("out"))) << c.arguments;
    }
    EXPECT_EQ(readText(f.dir.file("full/keep.txt")), "mine");
    const Result warned = vornak("map to-tmx " + f.dir.file("long.map") + " " + f.library + " " + f.dir.file("out"));
    EXPECT_EQ(warned.status, 0);
    EXPECT_EQ(warned.err, "vornak: warning: " + f.dir.file("long.map") +
                              ": 3 bytes after the last tile; the TMX leaves them out\n");
    EXPECT_EQ(f.imported(f.dir.file("out/long.tmx")), world::encodeMap(testMap()));
}

}  // namespace
