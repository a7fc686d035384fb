// The library in display memory and sprite drawing, with the sprite file module beside the program.
#include "client/sprites/sprite_module.h"
#include "tests/client/display/display_test_support.h"
#include "tests/client/sprites/sprite_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

// A SpriteRecord over arrays of its own, up to four frames; frame i gets tag 0x7A00000i, origin
// (10 + i, 20 + i), offset (30 + i, 40 + i), spares 50 + i and 60 + i, and a 3-byte extra block.
struct TestSprite {
    TestSprite(uint16_t bitsPerPixel, uint8_t hasOptionalBlock)
        : record{0x51515151, 0,        0,        bitsPerPixel, hasOptionalBlock, tags,     words[0],
                 words[1],   words[2], words[3], words[4],     words[5],         words[6], words[7],
                 sizes[0],   extra,    sizes[1], pixels,       sizes[2],         optional} {}
    TestSprite(const TestSprite &) = delete;  // the record points into this object
    void addFrame(uint16_t width, uint16_t height, std::vector<uint8_t> stored) {
        const int i = record.frameCount++, values[8] = {width, height, 10 + i, 20 + i, 30 + i, 40 + i, 50 + i, 60 + i};
        for (int field = 0; field < 8; ++field)
            words[field][i] = uint16_t(values[field]);
        blocks[i] = std::move(stored), pixels[i] = blocks[i].data(), extra[i] = extraBlock;
        tags[i] = uint32_t(0x7A000000 + i), sizes[0][i] = 3, sizes[1][i] = int32_t(blocks[i].size());
    }
    SpriteRecord record;
    uint32_t tags[4] = {};
    uint16_t words[8][4] = {};  // width, height, originX, originY, offsetX, offsetY, spare1, spare2
    int32_t sizes[3][4] = {};   // extra, pixel and optional block sizes
    uint8_t *extra[4] = {}, *pixels[4] = {}, *optional[4] = {};
    uint8_t extraBlock[3] = {0xE0, 0xE1, 0xE2};
    std::vector<uint8_t> blocks[4];
};

// Constructed during static initialisation, as the client's library is.
static SpriteLibrary g_earlyLibrary;
const HMODULE g_handleAfterEarlyLoad = g_spriteModule.moduleHandle;
const LoadSpriteLibraryProc g_entryAfterEarlyLoad = g_spriteModule.loadSpriteLibrary;

TEST(SpriteModuleTest, BindingMadeDuringStaticConstructionSurvives) {
    ASSERT_TRUE(g_handleAfterEarlyLoad && g_entryAfterEarlyLoad);
    EXPECT_EQ(g_spriteModule.moduleHandle, g_handleAfterEarlyLoad);
    EXPECT_EQ(g_spriteModule.loadSpriteLibrary, g_entryAfterEarlyLoad);
    EXPECT_TRUE(g_spriteModule.saveSprite && g_spriteModule.loadSprite && g_spriteModule.saveSpriteLibrary);
}

// Stored 16-bit pixels (b0, b1); 0x00, 0x01 is the spare bit only.
const std::vector<uint8_t> kStored = {0xF8, 0x00, 0x00, 0x3E, 0x07, 0xC0, 0xFF, 0xFE, 0x00, 0x01, 0x00, 0x00};

TEST(CreateFramesTest, ConvertsWhatTheBlockHoldsIntoTheDisplayDepth) {
    const struct {
        int depth;
        uint16_t bitsPerPixel, width, height;
        std::vector<uint8_t> stored;
        std::vector<uint32_t> expected;
    } cases[] = {
        // expected empty: no surface
        {16, 16, 3, 2, kStored, {0x001F, 0xF800, 0x07C0, 0xFFDF, 0x0400, 0}},
        {32, 16, 3, 2, kStored, {0xF8, 0xF80000, 0xF800, 0xF8F8F8, 0x040000, 0}},
        {16, 24, 1, 2, {0x12, 0x34, 0x56, 0xFF, 0x00, 0x00}, {0x51A2, 0x001F}},  // blue as 16-bit blue gives it
        {32, 24, 2, 1, {0x12, 0x34, 0x56, 0x00, 0x00, 0x00}, {0x563412, 0}},
        {16, 16, 2, 2, {0x00, 0x3E, 0xF8, 0x00, 0x07, 0xC0, 0xFF}, {0xF800, 0x001F, 0x07C0, 0}},  // a stray byte
        {16, 16, 2, 1, {0x00, 0x3E, 0xF8, 0x00, 0x07, 0xC0}, {0xF800, 0x001F}},                   // more than the frame
        {16, 8, 2, 1, {0x00, 0x3E, 0xF8, 0x00}, {}},
        {16, 16, 0, 5, {0x00, 0x3E}, {}},
    };
    for (const auto &c : cases) {
        TestDisplay screen(c.depth);
        ASSERT_TRUE(screen.ready);
        TestSprite sprite(c.bitsPerPixel, 0);
        sprite.addFrame(c.width, c.height, c.stored);
        SpriteEntry entry;
        ASSERT_TRUE(entry.createFrames(screen.display, sprite.record) && entry.frames.size() == 1);
        const Picture expected = c.expected.empty() ? Picture{} : Picture{c.width, c.height, c.expected};
        EXPECT_EQ(pictureDifferences(expected, readPicture(entry.frames[0].surface, c.depth / 8)), "")
            << c.bitsPerPixel << " bits on " << c.depth << ", " << c.width << " x " << c.height;
        if (IDirectDrawSurface7 *surface = entry.frames[0].surface)
            surface->Release();
    }
}

// A frame's surface covers what its block supplies, so display memory follows the file and not the sizes it
// claims; drawn keyed and translucent, it shows what the same frame with its block filled out by zeros shows.
TEST(CreateFramesTest, ShortBlocksGetSurfacesOfTheRowsTheyReach) {
    const struct {
        int depth;
        uint16_t bitsPerPixel, width, height;
        size_t storedBytes;
        int surfaceWidth, surfaceHeight;  // 0: no surface
    } cases[] = {
        {32, 16, 4096, 4096, 0, 0, 0},  // 40 such frames took 1.36 GB
        {16, 24, 4096, 4096, 2, 0, 0},  // less than one pixel
        {32, 16, 4096, 4096, 2, 1, 1},
        {16, 16, 65535, 65535, 2, 1, 1},  // and no 8 GB buffer for it
        {32, 24, 4096, 4096, 3 * 4096 * 2 + 3, 4096, 3},
        {16, 16, 5, 4, 2 * 7 + 1, 5, 2},
        {16, 24, 5, 4, 3 * 3, 3, 1},
        {16, 16, 5, 4, 2 * 20, 5, 4},
        {32, 16, 5, 4, 2 * 25, 5, 4},
        {16, 8, 5, 4, 20, 0, 0},  // nothing converted
    };
    for (const auto &c : cases) {
        TestDisplay screen(c.depth);
        ASSERT_TRUE(screen.ready);
        std::vector<uint8_t> stored(c.storedBytes);
        for (size_t i = 0; i < stored.size(); ++i)
            stored[i] = uint8_t(0x40 + i * 7);  // no pixel of value 0
        const size_t fullBytes = size_t(c.width) * c.height * c.bitsPerPixel / 8;
        TestSprite sprite(c.bitsPerPixel, 0), padded(c.bitsPerPixel, 0);
        sprite.addFrame(c.width, c.height, stored);
        const bool small = fullBytes <= 1000;
        if (small) {  // whole pixels only, then zeros
            stored.resize(stored.size() / (c.bitsPerPixel / 8) * (c.bitsPerPixel / 8));
            stored.resize(std::max(fullBytes, stored.size())), padded.addFrame(c.width, c.height, stored);
        }
        SpriteEntry entry, full;
        ASSERT_TRUE(entry.createFrames(screen.display, sprite.record) &&
                    full.createFrames(screen.display, padded.record));
        const SpriteFrame &frame = entry.frames[0];
        const Picture picture = readPicture(frame.surface, c.depth / 8);
        EXPECT_EQ(std::tuple(picture.width, picture.height, int(frame.width), int(frame.height)),
                  std::tuple(c.surfaceWidth, c.surfaceHeight, c.surfaceWidth, c.surfaceHeight))
            << "surface and frame size of " << c.width << " x " << c.height << " from " << c.storedBytes << " bytes";
        for (uint8_t translucent : {0, 1}) {
            if (!small)
                break;
            entry.translucent = full.translucent = translucent;
            Picture drawn[2];
            for (int k = 0; k < 2; ++k) {
                screen.display.clearBackBuffer(0x0842);
                (k ? full : entry).drawAt(screen.display, &screen.backBuffer, 100, 50);
                drawn[k] = readPicture(screen.backBuffer, c.depth / 8);
                for (uint32_t &pixel : drawn[k].pixels)
                    pixel &= 0xFFFFFF;  // the fourth byte of a 32-bit pixel is no channel (Wine's fills set it)
            }
            EXPECT_EQ(pictureDifferences(drawn[1], drawn[0]), "") << "drawn, translucent " << int(translucent);
        }
        for (const SpriteEntry *e : {&entry, &full})
            for (const SpriteFrame &f : e->frames)
                if (f.surface)
                    f.surface->Release();
    }
}

TEST(CreateFramesTest, OtherDisplayDepthsFailAtTheFirstFrame) {
    Display display;  // never initialised: nothing may be created
    display.bitDepth = 24;
    TestSprite sprite(16, 0), frameless(16, 1);
    sprite.addFrame(1, 1, {0x00, 0x3E});
    SpriteEntry failed, empty;
    EXPECT_TRUE(!failed.createFrames(display, sprite.record) && failed.frames.empty());
    EXPECT_TRUE(empty.createFrames(display, frameless.record) && empty.translucent == 1 && empty.frames.empty());
}

TEST(DrawAtTest, PlacesFrameZeroAndSkipsFramesOffTheScreen) {
    TestDisplay screen(16);
    ASSERT_TRUE(screen.ready);
    Picture sprite = numberedPicture(40, 20);
    sprite.at(5, 0) = 0;  // left out by both blits
    SpriteEntry entry;
    for (const Picture &picture : {sprite, filledPicture(40, 20, 0x1111)}) {
        entry.frames.push_back(
            {0, 40, 20, 20, 10, 0, 0, 0, 0, 0, nullptr, createPictureSurface(screen.display, picture)});
        screen.display.setColorKey(&entry.frames.back().surface, 0);
    }
    // drawn empty: nothing is drawn
    const struct {
        int x, y, offsetX, offsetY, translucent;
        RECT drawn;
        int left, top;
    } cases[] = {
        {100, 50, 0, 0, 0, {0, 0, 40, 20}, 80, 40},
        {100, 50, 5, 3, 0, {0, 0, 40, 20}, 85, 43},
        {100, 50, 0, 0, 1, {0, 0, 40, 20}, 80, 40},
        {659, 50, 0, 0, 0, {0, 0, 1, 20}, 639, 40},
        {660, 50, 0, 0, 0, {}, 0, 0},
        {-19, 50, 0, 0, 1, {39, 0, 40, 20}, 0, 40},
        {-20, 50, 0, 0, 0, {}, 0, 0},
        {100, 489, 0, 0, 0, {0, 0, 40, 1}, 80, 479},
        {100, 490, 0, 0, 1, {}, 0, 0},
        {100, -9, 0, 0, 0, {0, 19, 40, 20}, 80, 0},
        {100, -10, 0, 0, 0, {}, 0, 0},
        {2147483647, 50, 65535, 0, 0, {}, 0, 0},
    };
    for (const auto &c : cases) {
        entry.frames[0].offsetX = uint16_t(c.offsetX), entry.frames[0].offsetY = uint16_t(c.offsetY);
        entry.translucent = uint8_t(c.translucent);
        Picture expected = filledPicture(640, 480, 0x0842);
        drawExpected(expected, sprite, c.drawn, c.left, c.top, 0, c.translucent ? 0x7BEF : 0);
        screen.display.clearBackBuffer(0x0842);
        EXPECT_TRUE(entry.drawAt(screen.display, &screen.backBuffer, c.x, c.y));
        EXPECT_EQ(pictureDifferences(expected, readPicture(screen.backBuffer, 2)), "")
            << "at (" << c.x << ", " << c.y << ") translucent " << c.translucent;
    }
    for (const SpriteFrame &frame : entry.frames)
        frame.surface->Release();
    EXPECT_TRUE(SpriteEntry().drawAt(screen.display, &screen.backBuffer, 100, 50));  // no frames
}

TEST(LoadSpritesTest, AppendsEverySpriteInFileOrderAndFailuresChangeNothing) {
    TestDisplay screen(16);
    ASSERT_TRUE(screen.ready && g_spriteModule.saveSpriteLibrary);
    const std::string path = "load_sprites_test.lspr", emptyPath = "load_sprites_empty.lspr";
    TestSprite grass(16, 0), frameless(16, 0), glass(24, 1);
    grass.addFrame(3, 2, kStored);
    grass.addFrame(1, 1, {0x00, 0x3E});
    glass.addFrame(1, 1, {0x12, 0x34, 0x56});
    SpriteRecord *sprites[] = {&grass.record, &frameless.record, &glass.record};
    int32_t ids[] = {40, -2, 40};
    char grassName[] = "grass", noName[] = "", glassName[] = "glass", *names[] = {grassName, noName, glassName};
    const SpriteLibraryRecord saved = {0x11, 0x22, 0x33, 3, names, ids, sprites};
    const SpriteLibraryRecord none = {1, 2, 3, 0, nullptr, nullptr, nullptr};
    ASSERT_TRUE(g_spriteModule.saveSpriteLibrary(&saved, path.c_str()) &&
                g_spriteModule.saveSpriteLibrary(&none, emptyPath.c_str()));

    SpriteLibrary library;
    EXPECT_EQ(library.indexOfSprite(0), -1);
    library.tag1 = 9;
    addPlaceholderSprite(library, 5);
    const std::string before = describe(library);
    EXPECT_FALSE(library.loadSprites("no-such-directory/missing.lspr"));
    EXPECT_EQ(describe(library), before);
    EXPECT_FALSE(library.loadSprites(path.c_str()));  // no display set
    EXPECT_EQ(describe(library), before);

    library.display = &screen.display;
    EXPECT_TRUE(library.loadSprites(emptyPath.c_str()));
    EXPECT_EQ(describe(library), "tags 1 2 3, 1 names, ids 5, 1 entries");
    ASSERT_TRUE(library.loadSprites(path.c_str()));
    EXPECT_EQ(describe(library), "tags 17 34 51, 4 names, ids 5 40 -2 40, 4 entries");
    EXPECT_STREQ(library.names[3], "glass");
    ASSERT_EQ(library.entries[1].frames.size(), 2u);
    const SpriteFrame &f = library.entries[1].frames[1];
    EXPECT_EQ(std::tuple(f.frameTag, f.width, f.height, f.originX, f.originY, f.offsetX, f.offsetY, f.spare1, f.spare2),
              std::tuple(0x7A000001u, 1, 1, 11, 21, 31, 41, 51, 61));
    EXPECT_EQ(std::pair(f.extraSize, f.extraData[2]), std::pair(3, uint8_t(0xE2)));
    DDCOLORKEY key = {1, 1};
    ASSERT_EQ(f.surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(std::pair(key.dwColorSpaceLowValue, key.dwColorSpaceHighValue), std::pair(DWORD(0), DWORD(0)));
    EXPECT_TRUE(library.entries[2].frames.empty() && library.entries[3].frames.size() == 1 &&
                library.entries[3].translucent != 0);
    for (auto [id, index] : {std::pair{40, 1}, {-2, 2}, {5, 0}, {8, -1}})  // duplicates: the lower position
        EXPECT_EQ(library.indexOfSprite(id), index) << "id " << id;
    std::remove(path.c_str()), std::remove(emptyPath.c_str());
}
