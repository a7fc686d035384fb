// Reading manifests: pictures of every PNG colour type stored at 16 and 24
// bits, sprites made from pictures alone, and the refusals of bad manifests.
#include "cli/manifest.h"
#include "tests/common/raw_png.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Files = std::map<std::string, std::vector<uint8_t>>;
using Bytes = std::vector<uint8_t>;

FileReader readerOf(const Files &files) {
    return [&files](const std::string &name, uint64_t maxBytes, Bytes &bytes, std::string &error) {
        const auto file = files.find(name);
        if (file == files.end() || file->second.size() > maxBytes) {
            error = name + (file == files.end() ? ": cannot open: No such file or directory" : ": too large");
            return false;
        }
        bytes = file->second;
        return true;
    };
}

std::string hex(const Bytes &bytes) {
    std::string text;
    char byte[4];
    for (const uint8_t b : bytes)
        std::snprintf(byte, sizeof byte, "%02X ", b), text += byte;
    return text;
}

// One sprite of the given depth whose only frame is picture.png.
const char *const kOnePicture =
    R"({"sprites": [{"name": "p", "bitsPerPixel": %d, "frames": [{"image": "picture.png"}]}]})";

Bytes storedPixels(const Bytes &png, int bitsPerPixel) {
    char manifest[200];
    std::snprintf(manifest, sizeof manifest, kOnePicture, bitsPerPixel);
    const Files files = {{"picture.png", png}};
    SpriteSet set;
    std::string error;
    EXPECT_TRUE(readManifest(manifest, readerOf(files), ManifestLimits(), set, error)) << error;
    return error.empty() ? set.sprites[0].frames[0].pixels : Bytes();
}

TEST(Manifest, StoresPicturesOfEveryColourTypeAndNeverOpaqueAsTheKey) {
    // Colours as stored at 16 and at 24 bits.
    const Bytes black16 = {0x08, 0x00}, black24 = {0x08, 0x00, 0x00};  // opaque black: smallest surviving blue
    const Bytes white16 = {0xFF, 0xFE}, white24 = {0xFF, 0xFF, 0xFF};
    const Bytes grey16 = {0x84, 0x20}, grey24 = {0x80, 0x80, 0x80};  // 128
    const Bytes dark16 = {0x08, 0x42}, dark24 = {0x08, 0x08, 0x08};  // 8: every channel 1 of 31
    const Bytes red16 = {0x00, 0x3E}, red24 = {0x00, 0x00, 0xFF};
    const Bytes green16 = {0x07, 0xC0}, green24 = {0x00, 0xFF, 0x00};
    const Bytes blue16 = {0xF8, 0x00}, blue24 = {0xFF, 0x00, 0x00};
    const Bytes clear16 = {0x00, 0x00}, clear24 = {0x00, 0x00, 0x00};
    const auto join = [](std::initializer_list<Bytes> pixels) {
        Bytes all;
        for (const Bytes &p : pixels)
            all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    struct Case {
        const char *what;
        RawPng png;
        Bytes stored16, stored24;
    };
    const Case cases[] = {
        {"grey",
         {2, 2, 8, PNG_COLOR_TYPE_GRAY, {{0x00, 0x80}, {0xFF, 0x08}}},
         join({black16, grey16, white16, dark16}),
         join({black24, grey24, white24, dark24})},
        {"grey, 16 bits a channel",
         {2, 2, 16, PNG_COLOR_TYPE_GRAY, {{0x00, 0x00, 0x80, 0xFF}, {0xFF, 0xFF, 0x08, 0x00}}},
         join({black16, grey16, white16, dark16}),
         join({black24, grey24, white24, dark24})},
        {"grey and alpha",
         {2, 2, 8, PNG_COLOR_TYPE_GRAY_ALPHA, {{0x80, 0xFF, 0xFF, 0x00}, {0x00, 0xFF, 0x08, 0x7F}}},
         join({grey16, clear16, black16, clear16}),
         join({grey24, clear24, black24, clear24})},
        {"palette with transparency",
         {2,
          2,
          8,
          PNG_COLOR_TYPE_PALETTE,
          {{0, 1}, {2, 3}},
          {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}},
          {255, 255, 255, 0}},
         join({red16, green16, blue16, clear16}),
         join({red24, green24, blue24, clear24})},
        {"RGB",
         {2, 2, 8, PNG_COLOR_TYPE_RGB, {{255, 0, 0, 0, 255, 0}, {0, 0, 255, 0, 0, 0}}},
         join({red16, green16, blue16, black16}),
         join({red24, green24, blue24, black24})},
        {"RGBA",
         {2, 2, 8, PNG_COLOR_TYPE_RGB_ALPHA, {{255, 0, 0, 255, 0, 255, 0, 128}, {0, 0, 255, 127, 8, 8, 8, 255}}},
         join({red16, green16, clear16, dark16}),
         join({red24, green24, clear24, dark24})},
        {"RGBA, 16 bits a channel",
         {2, 1, 16, PNG_COLOR_TYPE_RGB_ALPHA, {{0xFF, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0x7F, 0xFF}}},
         join({red16, clear16}),
         join({red24, clear24})},
    };
    for (const Case &c : cases) {
        const Bytes png = c.png.encode();
        const Bytes got16 = storedPixels(png, 16), got24 = storedPixels(png, 24);
        EXPECT_EQ(got16, c.stored16) << c.what << ", 16 bits: expected " << hex(c.stored16) << "got " << hex(got16);
        EXPECT_EQ(got24, c.stored24) << c.what << ", 24 bits: expected " << hex(c.stored24) << "got " << hex(got24);
    }
}

TEST(Manifest, MakesALibraryFromPicturesAlone) {
    const Files files = {{"tower.png", RawPng{3, 2, 8, PNG_COLOR_TYPE_RGB, {Bytes(9, 200), Bytes(9, 100)}}.encode()}};
    const char *manifest = R"({"sprites": [
        {"name": "tower", "id": -12, "bitsPerPixel": 24, "translucent": 1,
         "frames": [{"image": "tower.png", "originX": 1, "originY": 2}, {}]}]})";
    SpriteSet set;
    std::string error;
    ASSERT_TRUE(readManifest(manifest, readerOf(files), ManifestLimits(), set, error)) << error;
    ASSERT_EQ(set.sprites.size(), 1u);
    const SpriteData &s = set.sprites[0];
    EXPECT_TRUE(!set.singleSprite && set.spriteCount == 1 && set.tag1 == 0 && set.tag2 == 0 && set.tag3 == 0);
    EXPECT_TRUE(s.name == "tower" && s.id == -12 && s.bitsPerPixel == 24 && s.translucent == 1 && s.tag == 0 &&
                s.auxWord == 0);
    ASSERT_EQ(s.frames.size(), 2u);
    const FrameData &f = s.frames[0];
    EXPECT_TRUE(f.width == 3 && f.height == 2 && f.originX == 1 && f.originY == 2 && f.offsetX == 0 && f.offsetY == 0 &&
                f.tag == 0 && f.spare1 == 0 && f.spare2 == 0)
        << f.width << " x " << f.height << " at (" << f.originX << ", " << f.originY << ")";
    EXPECT_TRUE(f.pixelSize == 18 && f.extraSize == 0 && f.optionalSize == 0 && f.extra.empty() && f.optional.empty());
    Bytes rows(9, 200);
    rows.resize(18, 100);
    EXPECT_EQ(f.pixels, rows) << "expected " << hex(rows) << "got " << hex(f.pixels);
    const FrameData &empty = s.frames[1];
    EXPECT_TRUE(empty.width == 0 && empty.height == 0 && empty.pixelSize == 0 && empty.pixels.empty());
}

TEST(Manifest, RefusesBadManifestsSayingWhere) {
    const Bytes png2x2 = RawPng{2, 2, 8, PNG_COLOR_TYPE_GRAY, {{1, 2}, {3, 4}}}.encode();
    const Bytes png3x1 = RawPng{3, 1, 8, PNG_COLOR_TYPE_GRAY, {{1, 2, 3}}}.encode();
    const Bytes wide = RawPng{65536, 1, 1, PNG_COLOR_TYPE_GRAY, {Bytes(8192, 0)}}.encode();
    const Bytes huge = RawPng{20000, 20000, 1, PNG_COLOR_TYPE_GRAY, std::vector<Bytes>(20000, Bytes(2500, 0))}.encode();
    const Files files = {
        {"a.png", png2x2}, {"b.png", png3x1}, {"wide.png", wide}, {"huge.png", huge}, {"text.png", Bytes{'h', 'i'}}};
    const std::string longName(256, 'n');
    struct Case {
        std::string manifest, expected;
    };
    const auto sprite = [](const std::string &fields) {
        return R"({"sprites": [{"bitsPerPixel": 16, )" + fields + "}]}";
    };
    const auto frame = [&](const std::string &fields) { return sprite(R"("frames": [{)" + fields + "}]"); };
    const Case cases[] = {
        {"{\"sprites\": [", "the manifest: not valid JSON: parse error at line 1, column 14"},
        {"[1]", "the manifest: should be an object"},
        {"{}", "has neither \"sprites\" (a library) nor \"sprite\" (a sprite file)"},
        {frame(R"("image": "missing.png")"), "sprites[0].frames[0].image: missing.png: cannot open: No such file"},
        {frame(R"("image": "text.png")"), "sprites[0].frames[0].image: text.png: not a PNG file"},
        {frame(R"("image": "wide.png")"), "wide.png: the picture is 65536 x 1 pixels, more than the 65535 a side"},
        {frame(R"("image": "huge.png")"), "huge.png: the picture is 20000 x 20000 pixels, more than"},
        {sprite(R"("name": ")" + longName + "\""), "sprites[0].name: 256 bytes long, more than the 255 a name holds"},
        {sprite(R"("nameBytes": "610062")"), "sprites[0].nameBytes: holds a zero byte"},
        {sprite(R"("nameBytes": "6")"), "sprites[0].nameBytes: should be hexadecimal digits"},
        {frame(R"("orginX": 3)"), "sprites[0].frames[0]: unknown key \"orginX\""},
        {frame(R"("originX": 70000)"), "sprites[0].frames[0].originX: 70000 is not between 0 and 65535"},
        {frame(R"("originX": 1.5)"), "sprites[0].frames[0].originX: should be a whole number"},
        {frame(R"("extraSize": 4)"), "sprites[0].frames[0].extraSize: 4 is not between -2147483648 and 0"},
        {frame(R"("extra": "a.png", "extraSize": -1)"), "give \"extra\" or \"extraSize\", not both"},
        {frame(R"("optionalSize": -1)"), "only sprites with a nonzero translucent flag have them"},
        {frame(R"("image": "a.png", "pixelSize": -1)"), "give one of \"image\", \"pixels\" and \"pixelSize\""},
        {frame(R"("image": "a.png", "width": 3)"), "width and height do not match the picture's 2 x 2"},
        {frame(R"("image": "a.png", "spareBits": "b.png")"), "spareBits: is 3 x 1, not the picture's size"},
        {frame(R"("image": "a.png", "keepDark": [[0, 0]])"), "keepDark belongs to 24-bit pixels"},
        {frame(R"("spareBits": "a.png")"), "\"spareBits\" and \"keepDark\" go with an \"image\""},
        {R"({"sprites": [{"bitsPerPixel": 8, "frames": [{"image": "a.png"}]}]})",
         "pictures go with bitsPerPixel 16 or 24"},
        {R"({"sprites": [{"bitsPerPixel": 24, "frames": [{"image": "a.png", "keepDark": [[2, 0]]}]}]})",
         "keepDark[0]: lies outside the picture"},
        {R"({"sprites": [], "spriteCount": 2})", "spriteCount: 2 is not between -2147483648 and 0"},
        {R"({"sprites": [{}], "spriteCount": -1})",
         "spriteCount: may only be given, as 0 or less, for a library without sprites"},
        {R"({"sprite": {"name": "x"}})", "sprite: unknown key \"name\""},
        {R"({"sprite": {}, "sprites": []})", "the manifest: unknown key \"sprites\""},
    };
    for (const Case &c : cases) {
        SpriteSet set;
        std::string error;
        EXPECT_FALSE(readManifest(c.manifest, readerOf(files), ManifestLimits(), set, error)) << c.manifest;
        EXPECT_NE(error.find(c.expected), std::string::npos)
            << "expected \"" << c.expected << "\", got \"" << error << '"';
    }
}

TEST(Manifest, KeepsTheStoredPixelsWithinTheirBudget) {
    const Files files = {{"a.png", RawPng{2, 2, 8, PNG_COLOR_TYPE_GRAY, {{1, 2}, {3, 4}}}.encode()}};
    ManifestLimits limits;
    limits.maxTotalBytes = 16;
    const char *manifest = R"({"sprites": [{"bitsPerPixel": 24, "frames": [{"image": "a.png"}, {"image": "a.png"}]}]})";
    SpriteSet set;
    std::string error;
    EXPECT_FALSE(readManifest(manifest, readerOf(files), limits, set, error));
    EXPECT_NE(error.find("sprites[0].frames[1].image: the stored pixels would take more than the sprites may"),
              std::string::npos)
        << error;
}

}  // namespace
