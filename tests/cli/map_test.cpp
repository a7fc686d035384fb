// vornak map info and map render end to end: frames against the built client
// program's own (run headless on a script, as its tests do), whole-map
// pictures cropped against client frames, sprites that reach out of their
// cells, the size limit, and maps that announce more than they hold.
#include "tests/cli/run_vornak.h"
#include "tools/world_layout.h"
#include "tools/world_map.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct Centre {
    int32_t x, y;
    std::string text() const { return std::to_string(x) + "," + std::to_string(y); }
};

// vornak map render MAP LIBRARY OUT OPTIONS
Result render(const std::string &map, const std::string &library, const std::string &out,
              const std::string &options = "") {
    return vornak("map render " + map + " " + library + " " + out + " " + options);
}

// Frame i of clientFrames.
Image clientFrame(const TempDir &dir, size_t i) {
    return readPicture(dir.file("client" + std::to_string(i) + ".png"), 3);
}

// A client program run in dir on a script that starts centred on (0, 0) and
// clicks the middle of the tile (dx, dy) away from the centre for each move,
// saving a frame before the first move and after each: the centres they show.
std::vector<Centre> clientFrames(const fs::path &dir, const TempDir &out, const std::vector<Centre> &moves) {
    std::string script = "frames 1\nshot " + out.file("client0.png") + "\n";
    std::vector<Centre> centres = {{0, 0}};
    for (const Centre &m : moves) {
        const int sx = 320 + 20 * (m.x + m.y), sy = 240 + 10 * (m.x - m.y);
        EXPECT_TRUE(sx >= 0 && sx < 640 && sy >= 0 && sy < 480) << "a click off the screen";
        centres.push_back({centres.back().x + m.x, centres.back().y + m.y});
        script += "move " + std::to_string(sx) + " " + std::to_string(sy) + "\nlup\nframes 2\nshot " +
                  out.file("client" + std::to_string(centres.size() - 1) + ".png") + "\n";
    }
    script += "key escape\n";
    writeText(out.file("script.txt"), script);
    const std::string command = "cd '" + dir.string() + "' && STANDIN_PRESENTER=headless STANDIN_SCRIPT='" +
                                out.file("script.txt") + "' timeout -s KILL 120 ./client";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    return centres;
}

// The first differing pixel of two pictures of one size, expected against got.
std::string firstDifference(const Image &expected, const Image &got) {
    if (expected.width != got.width || expected.height != got.height)
        return "expected " + std::to_string(expected.width) + " x " + std::to_string(expected.height) + ", got " +
               std::to_string(got.width) + " x " + std::to_string(got.height);
    for (int32_t y = 0; y < got.height; ++y)
        for (int32_t x = 0; x < got.width; ++x)
            if (!std::equal(got.at(x, y), got.at(x, y) + 3, expected.at(x, y))) {
                char said[160];
                std::snprintf(said, sizeof said, "at (%d, %d) expected %02X%02X%02X, got %02X%02X%02X", x, y,
                              expected.at(x, y)[0], expected.at(x, y)[1], expected.at(x, y)[2], got.at(x, y)[0],
                              got.at(x, y)[1], got.at(x, y)[2]);
                return said;
            }
    return "";
}

// The 640 x 480 part of a whole picture that a client frame centred on c
// shows, black where the picture does not reach.
Image cropAt(const Image &whole, const nlohmann::json &placed, Centre c) {
    const int64_t cornerX = 320 - 20 * (c.x + c.y) - 20, cornerY = 240 - 10 * (c.x - c.y) - 10;
    const int64_t dx = placed["tileCornerX"].get<int64_t>() - cornerX,
                  dy = placed["tileCornerY"].get<int64_t>() - cornerY;
    Image crop(640, 480, 3);
    for (int64_t y = 0; y < 480; ++y)
        for (int64_t x = 0; x < 640; ++x)
            if (x + dx >= 0 && x + dx < whole.width && y + dy >= 0 && y + dy < whole.height)
                std::copy_n(whole.at(int32_t(x + dx), int32_t(y + dy)), 3, crop.at(int32_t(x), int32_t(y)));
    return crop;
}

// A folder holding a copy of the client program and the module beside the
// given world, for frames of worlds other than the sample.
fs::path clientWorld(const TempDir &dir, const std::string &library, const std::string &map) {
    const fs::path world = dir.path() / "world";
    fs::create_directories(world / "sprites");
    fs::create_directories(world / "maps");
    fs::copy_file(kBin / "client", world / "client");
    fs::copy_file(kBin / "libVornak.so", world / "libVornak.so");
    fs::copy_file(library, world / "sprites/test.lspr");
    fs::copy_file(map, world / "maps/test.map");
    return world;
}

void writeMap(const std::string &path, const world::WorldMap &map) {
    writeFileBytes(path, world::encodeMap(map));
}

// Terrain tiles of the sample library over a sizeX x sizeY map.
world::WorldMap terrainMap(int32_t sizeX, int32_t sizeY) {
    world::WorldMap map{0, sizeX, sizeY, {}, {}};
    for (int32_t i = 0; i < sizeX * sizeY; ++i)
        map.tiles.push_back({world::kTerrain[i % 10].id, 0});
    return map;
}

// 2^31 - 1 by 2^31 - 1 tiles and -5 objects announced, three tiles of identifier 100 held.
const std::vector<uint8_t> kAbsurdMap = {
    0,   0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 0xFB, 0xFF, 0xFF, 0xFF,  // tag, sizes, objects
    100, 0, 0, 0, 0,    100,  0,    0,    0,    0,    100,  0,    0,    0,    0};

TEST(MapRender, CentredFrameIsTheClientsFrameOnTheSampleWorldAndAfterItsClicks) {
    TempDir dir;
    // The last centre, (-6, 5), lies off the map.
    const std::vector<Centre> centres = clientFrames(kBin, dir, {{6, 3}, {7, 7}, {-10, 4}, {5, -9}, {-14, 0}});
    for (size_t i = 0; i < centres.size(); ++i) {
        const std::string out = dir.file("render" + std::to_string(i) + ".png");
        const Result r = render(kSampleMap, kSampleLibrary, out, i == 0 ? "" : "--center " + centres[i].text());
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(firstDifference(clientFrame(dir, i), readPicture(out, 3)), "") << "centred on " << centres[i].text();
    }
}

TEST(MapRender, WholePictureCroppedAtItsTileCornerIsTheClientsFrameUpToTheFarCorner) {
    TempDir dir;
    const Result r = render(kSampleMap, kSampleLibrary, dir.file("whole.png"), "--whole");
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json placed = nlohmann::json::parse(r.out);
    const Image whole = readPicture(dir.file("whole.png"), 3);
    EXPECT_EQ(placed["width"], whole.width);
    EXPECT_EQ(placed["height"], whole.height);
    // From tile (0, 63) at u = 63 to tile (63, 0) at u = 63 the tiles span u 0 to 124 (the tiles of the far
    // corner, u = 125 and 126, draw nothing): 20 pixels a step and one tile's 40.
    EXPECT_EQ(whole.width, 20 * 124 + 40);
    EXPECT_EQ(placed["tileCornerX"], 0);

    std::vector<Centre> moves = {{6, 3}};
    moves.insert(moves.end(), 8, {7, 7});
    moves.push_back({1, 4});
    const std::vector<Centre> centres = clientFrames(kBin, dir, moves);
    ASSERT_EQ(centres.back().x, 63);
    ASSERT_EQ(centres.back().y, 63);
    for (size_t i = 0; i < centres.size(); ++i)
        EXPECT_EQ(firstDifference(clientFrame(dir, i), cropAt(whole, placed, centres[i])), "")
            << "centred on " << centres[i].text();
}

TEST(MapRender, SpritesThatReachOutOfTheirCellsSetThePicturesBounds) {
    TempDir dir;
    SampleLibrary library;
    library.names = {"tile", "tall", "glass"};
    library.spriteIds = {1, 2, 3};
    library.sprites.resize(3);
    addFrame16(library.sprites[0], 50, 30, 5, 10, 0, 0, 1);  // 5 left of and 10 above its cell
    addFrame16(library.sprites[1], 10, 60, 5, 55, 0, 0, 3);  // stands 55 above its tile's middle
    addFrame16(library.sprites[2], 20, 20, 0, 0, 3, 4, 5);   // a 50% mix, 3 right and 4 below the middle
    library.sprites[2].hasOptionalBlock = 1;
    ASSERT_TRUE(saveLibrary(library, dir.file("reach.lspr")));

    world::WorldMap map{0, 3, 2, {}, {{2, 2, 0, 1, 1, 0}, {3, 0, 1, 1, 1, 0}, {2, -1, 5, 1, 1, 0}}};
    for (int i = 0; i < 6; ++i)
        map.tiles.push_back({i == 3 ? 99 : 1, 0});  // tile (0, 1) names no sprite
    writeMap(dir.file("reach.map"), map);

    const Result r = render(dir.file("reach.map"), dir.file("reach.lspr"), dir.file("whole.png"), "--whole");
    ASSERT_EQ(r.status, 0) << r.err;
    // From tile (0, 0)'s corner: tiles reach from x -5 (u = 0) to 105 (u = 3) and y -10 (v = 0; the tile
    // at v = -1 draws nothing) to 40 (v = 2); the object at (-1, 5) reaches up to y -105.
    EXPECT_EQ(r.out, "{\"width\":110,\"height\":145,\"scale\":1,\"tileCornerX\":5,\"tileCornerY\":105}\n");
    const Image whole = readPicture(dir.file("whole.png"), 3);
    // The far object's first row: a hole ((0 + 0) % 7 == 0), then stored bytes 0B 02: red 1, green 12
    // (24 of 63 on the display), blue 1.
    EXPECT_EQ(std::vector<uint8_t>(whole.at(100, 0), whole.at(100, 0) + 6), std::vector<uint8_t>({0, 0, 0, 8, 97, 8}));

    const fs::path world = clientWorld(dir, dir.file("reach.lspr"), dir.file("reach.map"));
    const nlohmann::json placed = nlohmann::json::parse(r.out);
    const std::vector<Centre> centres = clientFrames(world, dir, {{1, 0}, {-3, 2}});
    for (size_t i = 0; i < centres.size(); ++i) {
        const Image client = clientFrame(dir, i);
        EXPECT_EQ(firstDifference(client, cropAt(whole, placed, centres[i])), "") << "whole, centre " << i;
        const std::string at = centres[i].text();
        ASSERT_EQ(render(dir.file("reach.map"), dir.file("reach.lspr"), dir.file("frame.png"), "--center " + at).status,
                  0);
        EXPECT_EQ(firstDifference(client, readPicture(dir.file("frame.png"), 3)), "") << "centred on " << at;
    }
}

TEST(MapRender, ScaleEnlargesByWholePixelsAndA256By256MapIsDrawnWhole) {
    TempDir dir;
    ASSERT_EQ(render(kSampleMap, kSampleLibrary, dir.file("one.png")).status, 0);
    ASSERT_EQ(render(kSampleMap, kSampleLibrary, dir.file("three.png"), "--scale 3").status, 0);
    const Image one = readPicture(dir.file("one.png"), 3), three = readPicture(dir.file("three.png"), 3);
    ASSERT_TRUE(three.width == 1920 && three.height == 1440);
    for (int32_t y = 0; y < three.height; ++y)
        for (int32_t x = 0; x < three.width; ++x)
            ASSERT_TRUE(std::equal(one.at(x / 3, y / 3), one.at(x / 3, y / 3) + 3, three.at(x, y))) << x << "," << y;

    writeMap(dir.file("big.map"), terrainMap(256, 256));
    const Result r = render(dir.file("big.map"), kSampleLibrary, dir.file("big.png"), "--whole");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"width\":10240,\"height\":5120,\"scale\":1,\"tileCornerX\":0,\"tileCornerY\":2550}\n");
    const Image big = readPicture(dir.file("big.png"), 3);
    EXPECT_TRUE(big.width == 10240 && big.height == 5120);
}

TEST(MapRender, RefusesPicturesOverTheLimitSayingHowLargeBeforeDrawing) {
    TempDir dir;
    writeMap(dir.file("long.map"), terrainMap(820, 1));
    struct Case {
        std::string map, options, said;
    };
    const Case cases[] = {
        // 819 cells of 20 pixels to the right and 10 down, plus one tile.
        {dir.file("long.map"), "--whole", "the picture would be 16420 x 8210 pixels (386 MiB)"},
        {kSampleMap, "--whole --scale 7", "the picture would be 17640 x 8960 pixels (452 MiB)"},
        {kSampleMap, "--center 0,0 --scale 8", ""},  // 5120 x 3840 is within
    };
    for (const Case &c : cases) {
        fs::remove(dir.file("out.png"));
        const Result r = render(c.map, kSampleLibrary, dir.file("out.png"), c.options);
        if (c.said.empty()) {
            EXPECT_EQ(r.status, 0) << r.err;
            continue;
        }
        expectRefusal(r, 1, c.said, c.options);
        EXPECT_NE(r.err.find("the largest is 16384 pixels a side and 1024 MiB\n"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir.file("out.png")));
    }
}

TEST(MapInfo, SaysWhatTheFileHoldsWhereItFallsShortAndWhatTheLibraryLacks) {
    TempDir dir;
    world::WorldMap small{7, 3, 2, {}, {{200, 1, 1, 1, 1, 0}, {201, 2, 0, 1, 1, 0}, {200, 0, 0, 1, 1, 0}}};
    for (int i = 0; i < 6; ++i)
        small.tiles.push_back({i < 4 ? 100 : 150, uint8_t(i)});
    const std::vector<uint8_t> bytes = world::encodeMap(small);  // 16 + 72 + 30 = 118 bytes
    ASSERT_EQ(bytes.size(), 118u);
    const auto cut = [&](const std::string &name, size_t size, std::vector<uint8_t> extra = {}) {
        std::vector<uint8_t> part(bytes.begin(), bytes.begin() + std::ptrdiff_t(std::min(size, bytes.size())));
        part.insert(part.end(), extra.begin(), extra.end());
        writeFileBytes(dir.file(name), part);
        return dir.file(name);
    };
    writeFileBytes(dir.file("absurd.map"), kAbsurdMap);

    struct Case {
        std::string map;
        std::vector<std::string> lines;  // each expected within the output
    };
    const Case cases[] = {
        {cut("whole.map", 118),
         {"tag 0x00000007, 3 x 2 tiles, 3 objects, 118 bytes\nthe file holds every object and tile\n",
          "the client loads 3 x 2 tiles and 3 objects\n4 sprite identifiers\n",
          "        100          4          0\n        150          2          0\n        200          0          2\n"}},
        {cut("after.map", 118, {1, 2, 3, 4, 5, 6, 7}), {"7 bytes after the last tile, not read\n"}},
        {cut("header.map", 10),
         {"the file ends inside the header, after 10 of its 16 bytes\n", "0 sprite identifiers"}},
        // Object 1 keeps its identifier: the loader reads it, and the rest of the object reads 0.
        {cut("objects.map", 16 + 24 + 5),
         {"objects: 3 announced, the file ends inside object 1; tiles: 3 x 2 announced, none held\n",
          "the client loads 0 x 0 tiles and 2 objects\n",
          "        200          0          1\n"
          "        201          0          1\n"}},
        {cut("tiles.map", 16 + 72 + 5 * 4 + 2),
         {"tiles: 3 x 2 announced, the file ends inside tile (1, 1)\n", "the client loads 3 x 2 tiles and 3 objects\n",
          "        100          4          0\n        200          0          2\n"}},
        {cut("boundary.map", 16 + 72 + 5 * 3), {"tiles: 3 x 2 announced, the file ends before tile (0, 1)\n"}},
        {dir.file("absurd.map"),
         {"2147483647 x 2147483647 tiles, -5 objects, 31 bytes\n",
          "tiles: 2147483647 x 2147483647 announced, the file ends before tile (3, 0)\n",
          "the client loads 3 x 1 tiles and 0 objects\n"}},
    };
    for (const Case &c : cases) {
        const Result r = vornak("map info " + c.map);
        EXPECT_EQ(r.status, 0) << c.map << ": " << r.err;
        for (const std::string &line : c.lines)
            EXPECT_NE(r.out.find(line), std::string::npos) << c.map << " lacks\n" << line << "\nin\n" << r.out;
    }

    const Result lacking = vornak("map info " + dir.file("whole.map") + " --library " + kSampleLibrary);
    EXPECT_NE(lacking.out.find("        150          2          0  missing\n"), std::string::npos) << lacking.out;
    EXPECT_NE(lacking.out.find("        201          0          1  position 11\n"), std::string::npos) << lacking.out;
    EXPECT_NE(lacking.out.find("test.lspr lacks 1 identifier: 150\n"), std::string::npos) << lacking.out;
    const nlohmann::json json =
        nlohmann::json::parse(vornak("map info --json " + dir.file("tiles.map") + " --library " + kSampleLibrary).out);
    EXPECT_EQ(json["complete"], false);
    EXPECT_EQ(json["held"]["tiles"], 4);
    EXPECT_EQ(json["loaded"]["sizeY"], 2);
    EXPECT_EQ(json["identifiers"][0]["libraryPosition"], 0);
    EXPECT_EQ(json["missing"], nlohmann::json::array());

    const Result sample = vornak("map info " + kSampleMap + " --library " + kSampleLibrary);
    EXPECT_NE(sample.out.find("the file holds every object and tile\n"), std::string::npos) << sample.out;
    EXPECT_NE(sample.out.find("        150          4          0  missing\n"), std::string::npos) << sample.out;
}

TEST(MapCommands, ExitCodesMessagesAndNoPartialOutput) {
    TempDir dir;
    writeFileBytes(dir.file("short.lspr"), {1, 2, 3});
    writeMap(dir.file("strange.map"), world::WorldMap{0, 2, 2, {{5, 0}, {6, 0}, {7, 0}, {8, 0}}, {{9, 0, 0, 1, 1, 0}}});
    const std::string sample = " " + kSampleMap + " " + kSampleLibrary + " ";
    struct Case {
        std::string arguments;
        int status;
        std::string err;  // expected within stderr
    };
    const Case cases[] = {
        {"map", 2, "A subcommand is required"},
        {"map render " + kSampleMap, 2, "LIBRARY is required"},
        {"map render" + sample + dir.file("out.png") + " --scale 0", 2, "--scale"},
        {"map render" + sample + dir.file("out.png") + " --scale 9", 2, "--scale"},
        {"map render" + sample + dir.file("out.png") + " --center 3", 2, "--center takes X,Y"},
        {"map render" + sample + dir.file("out.png") + " --center 1,2x", 2, "--center takes X,Y"},
        {"map render" + sample + dir.file("out.png") + " --center 1,2 --whole", 2, "excludes"},
        {"map info", 2, "MAP is required"},
        {"map info " + dir.file("missing.map"), 1, "missing.map: cannot open: No such file or directory\n"},
        {"map info " + dir.path().string(), 1, "is a folder, not a file\n"},
        {"map info " + kSampleMap + " --library " + dir.file("short.lspr"), 1,
         "short.lspr: truncated: the library needs 16 header bytes at offset 0, 3 left\n"},
        {"map render " + dir.file("missing.map") + " " + kSampleLibrary + " " + dir.file("out.png"), 1,
         "missing.map: cannot open: No such file or directory\n"},
        {"map render " + dir.path().string() + " " + kSampleLibrary + " " + dir.file("out.png"), 1,
         "is a folder, not a file\n"},
        {"map render " + kSampleMap + " " + dir.file("short.lspr") + " " + dir.file("out.png"), 1,
         "short.lspr: truncated: the library needs 16 header bytes at offset 0, 3 left\n"},
        {"map render " + dir.file("strange.map") + " " + kSampleLibrary + " " + dir.file("out.png") + " --whole", 1,
         "strange.map: nothing to draw: no tile or object names a sprite that the library holds and draws\n"},
        {"map render" + sample + dir.file("no/such/folder.png"), 1, "folder.png"},
    };
    for (const Case &c : cases) {
        expectRefusal(vornak(c.arguments), c.status, c.err, "vornak " + c.arguments);
        EXPECT_FALSE(fs::exists(dir.file("out.png"))) << "vornak " << c.arguments;
    }
    // A map whose sprites the library lacks draws a black frame, as the client shows it.
    ASSERT_EQ(render(dir.file("strange.map"), kSampleLibrary, dir.file("out.png")).status, 0);
    const Image black = readPicture(dir.file("out.png"), 3);
    EXPECT_TRUE(std::all_of(black.pixels.begin(), black.pixels.end(), [](uint8_t v) { return v == 0; }));
}

TEST(MapRender, MapsThatAnnounceMoreThanTheyHoldDrawWhatTheClientLoads) {
    TempDir dir;
    world::WorldMap map = terrainMap(3, 2);
    std::vector<uint8_t> bytes = world::encodeMap(map);
    bytes.pop_back();  // the last tile's attribute
    writeFileBytes(dir.file("attribute.map"), bytes);
    bytes.pop_back();  // and a byte of its identifier
    writeFileBytes(dir.file("identifier.map"), bytes);
    writeFileBytes(dir.file("absurd.map"), kAbsurdMap);
    std::vector<uint8_t> absurd = kAbsurdMap;
    absurd[12] = absurd[13] = absurd[14] = 0xFF, absurd[15] = 0x7F;
    writeFileBytes(dir.file("far.map"), absurd);
    struct Case {
        std::string map, placed;
    };
    const Case cases[] = {
        // Tile (2, 1) at u = 3 is drawn without its attribute, and not without a byte of its identifier.
        {dir.file("attribute.map"), "{\"width\":100,\"height\":50,\"scale\":1,\"tileCornerX\":0,\"tileCornerY\":10}\n"},
        {dir.file("identifier.map"), "{\"width\":80,\"height\":50,\"scale\":1,\"tileCornerX\":0,\"tileCornerY\":10}\n"},
        // 2^31 - 1 by 2^31 - 1 tiles and -5 objects announced, 3 tiles held: they load as a row.
        {dir.file("absurd.map"), "{\"width\":80,\"height\":40,\"scale\":1,\"tileCornerX\":0,\"tileCornerY\":0}\n"},
        // 2^31 - 1 objects announced, 15 bytes held: one object of identifier 100 at (25600, 6553600), far from
        // tile (0, 0), whose middle is 20 (u + 1), 10 (v + 1) away with u = 6579200, v = -6528000.
        {dir.file("far.map"),
         "{\"width\":40,\"height\":20,\"scale\":1,\"tileCornerX\":-131584020,\"tileCornerY\":65279990}\n"},
    };
    for (const Case &c : cases) {
        const Result r = render(c.map, kSampleLibrary, dir.file("out.png"), "--whole");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.placed) << c.map;
    }
    // An object on the last tile that 32 bits name, 20 (2^32 - 1) pixels right of tile (0, 0): drawn in its picture.
    writeMap(dir.file("corner.map"), {0, 0, 0, {}, {{world::kGrassLight, INT32_MAX, INT32_MAX, 1, 1, 0}}});
    const Result r = render(dir.file("corner.map"), kSampleLibrary, dir.file("out.png"), "--whole");
    EXPECT_EQ(r.out, "{\"width\":40,\"height\":20,\"scale\":1,\"tileCornerX\":-85899345900,\"tileCornerY\":-10}\n");
    const Image corner = readPicture(dir.file("out.png"), 3);
    EXPECT_EQ(std::vector<uint8_t>(corner.at(20, 10), corner.at(20, 10) + 3), std::vector<uint8_t>({123, 195, 82}))
        << "the middle of the grass diamond";
}

}  // namespace
