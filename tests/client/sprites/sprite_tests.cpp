// Pixel conversion, the library in display memory and sprite drawing, with
// the sprite file module beside the program.
#include "client/sprites/sprite_library.h"
#include "client/sprites/sprite_module.h"
#include "tests/client/display/display_test_support.h"
#include "tests/client/sprites/sprite_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Constructed during static initialisation, as the client's library is.
SpriteLibrary g_earlyLibrary;
const HMODULE g_handleAfterEarlyLoad = g_spriteModule.moduleHandle;
const LoadSpriteLibraryProc g_entryAfterEarlyLoad = g_spriteModule.loadSpriteLibrary;

TEST(SpriteModuleTest, BindingMadeDuringStaticConstructionSurvives)
{
    ASSERT_TRUE(g_handleAfterEarlyLoad && g_entryAfterEarlyLoad);
    EXPECT_EQ(g_spriteModule.moduleHandle, g_handleAfterEarlyLoad);
    EXPECT_EQ(g_spriteModule.loadSpriteLibrary, g_entryAfterEarlyLoad);
    EXPECT_TRUE(g_spriteModule.saveSprite && g_spriteModule.loadSprite && g_spriteModule.saveSpriteLibrary);
}

TEST(ConversionTest, StoredPixelsBecomeDisplayPixels)
{
    struct Case {
        uint8_t b0, b1;
        uint16_t word;
        uint32_t bytes;  // the three 32-bit display bytes in memory order
    };
    const Case cases[] = {{0xF8, 0x00, 0x001F, 0xF80000}, {0x00, 0x3E, 0xF800, 0x0000F8},
                          {0x07, 0xC0, 0x07C0, 0x00F800}, {0xFF, 0xFE, 0xFFDF, 0xF8F8F8},
                          {0x00, 0x01, 0x0400, 0x000004}, {0x00, 0x00, 0x0000, 0x000000}};
    for (const Case &c : cases) {
        uint8_t word[2], bytes[3];
        convert16To16(c.b0, c.b1, word);
        convert16To32(c.b0, c.b1, bytes);
        EXPECT_EQ(word[0] | word[1] << 8, c.word) << std::hex << int(c.b0) << " " << int(c.b1);
        EXPECT_EQ(uint32_t(bytes[0] << 16 | bytes[1] << 8 | bytes[2]), c.bytes) << std::hex << int(c.b0);
    }
    uint8_t word[2];
    convert24To16(0x12, 0x34, 0x56, word);
    EXPECT_EQ(word[0] | word[1] << 8, 0x51A2);
    convert24To16(0x00, 0x00, 0xFF, word);  // pure red, as stored 16-bit red gives it
    EXPECT_EQ(word[0] | word[1] << 8, 0xF800);
}

// Stored words whose conversions all differ: an asymmetric 3 x 2 frame.
const std::vector<uint16_t> kStored = {0x00F8, 0x3E00, 0xC007, 0xFEFF, 0x0100, 0x0000};

class CreateFramesTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const SpriteFrame &frame : entry.frames)
            if (frame.surface)
                frame.surface->Release();
    }
    SpriteEntry entry;
};

TEST_F(CreateFramesTest, ConvertsEveryFrameForASixteenBitDisplay)
{
    TestDisplay screen(16);
    ASSERT_TRUE(screen.ready);
    TestSprite sprite(16, 5);
    sprite.addFrame(3, 2, storedWords(kStored));
    sprite.addFrame(2, 2, {0x00, 0x3E, 0xFF});  // one whole pixel and a stray byte
    sprite.addFrame(0, 5, storedWords({0x3E00}));
    sprite.addFrame(2, 1, storedWords({0x3E00, 0x00F8, 0xC007}));  // more pixels than the frame
    ASSERT_TRUE(entry.createFrames(screen.display, sprite.record));
    EXPECT_EQ(entry.translucent, 5);
    ASSERT_EQ(entry.frames.size(), 4u);
    const SpriteFrame &first = entry.frames[0];
    EXPECT_TRUE(first.frameTag == 0x7A000000 && first.width == 3 && first.height == 2 && first.originX == 10 &&
                first.originY == 20 && first.offsetX == 30 && first.offsetY == 40 && first.spare1 == 50 &&
                first.spare2 == 60 && first.extraSize == 3 && first.extraData == sprite.record.extraData[0]);
    EXPECT_EQ(entry.frames[2].surface, nullptr);  // width 0: no surface
    EXPECT_EQ(pictureDifferences(pictureOf(3, 2, {0x001F, 0xF800, 0x07C0, 0xFFDF, 0x0400, 0}),
                                 readPicture(first.surface, 2)),
              "");
    EXPECT_EQ(pictureDifferences(pictureOf(2, 2, {0xF800, 0, 0, 0}), readPicture(entry.frames[1].surface, 2)), "");
    EXPECT_EQ(pictureDifferences(pictureOf(2, 1, {0xF800, 0x001F}), readPicture(entry.frames[3].surface, 2)), "");
    DDCOLORKEY key = {1, 1};
    ASSERT_EQ(first.surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_TRUE(key.dwColorSpaceLowValue == 0 && key.dwColorSpaceHighValue == 0);

    TestSprite deep(24, 0), odd(8, 0);
    deep.addFrame(1, 2, {0x12, 0x34, 0x56, 0xFF, 0x00, 0x00});
    odd.addFrame(2, 1, storedWords({0x3E00, 0x00F8}));
    odd.addFrame(65535, 65535, storedWords({0x3E00}));  // no surface, and no 8 GB buffer for it
    ASSERT_TRUE(entry.createFrames(screen.display, deep.record));
    ASSERT_TRUE(entry.createFrames(screen.display, odd.record));
    ASSERT_EQ(entry.frames.size(), 7u);
    EXPECT_EQ(entry.frames[6].surface, nullptr);
    EXPECT_EQ(pictureDifferences(pictureOf(1, 2, {0x51A2, 0x001F}), readPicture(entry.frames[4].surface, 2)), "");
    EXPECT_EQ(pictureDifferences(pictureOf(2, 1, {0, 0}), readPicture(entry.frames[5].surface, 2)), "");
}

TEST_F(CreateFramesTest, ConvertsForAThirtyTwoBitDisplayWithAZeroFourthByte)
{
    TestDisplay screen(32);
    ASSERT_TRUE(screen.ready);
    TestSprite sixteen(16, 0), deep(24, 0);
    sixteen.addFrame(3, 2, storedWords(kStored));
    deep.addFrame(2, 1, {0x12, 0x34, 0x56, 0x00, 0x00, 0x00});
    ASSERT_TRUE(entry.createFrames(screen.display, sixteen.record));
    ASSERT_TRUE(entry.createFrames(screen.display, deep.record));
    ASSERT_EQ(entry.frames.size(), 2u);
    EXPECT_EQ(pictureDifferences(pictureOf(3, 2, {0xF8, 0xF80000, 0xF800, 0xF8F8F8, 0x040000, 0}),
                                 readPicture(entry.frames[0].surface, 4)),
              "");
    EXPECT_EQ(pictureDifferences(pictureOf(2, 1, {0x563412, 0}), readPicture(entry.frames[1].surface, 4)), "");
}

TEST_F(CreateFramesTest, OtherDisplayDepthsFailAtTheFirstFrame)
{
    Display display;  // never initialised: nothing may be created
    display.bitDepth = 24;
    TestSprite withFrames(16, 0), withoutFrames(16, 1);
    withFrames.addFrame(1, 1, storedWords({0x3E00}));
    EXPECT_FALSE(entry.createFrames(display, withFrames.record));
    EXPECT_TRUE(entry.frames.empty());
    EXPECT_TRUE(entry.createFrames(display, withoutFrames.record));
    EXPECT_TRUE(entry.translucent == 1 && entry.frames.empty());
}

TEST(IndexOfSpriteTest, FindsTheLowestPositionOrMinusOne)
{
    SpriteLibrary library;
    EXPECT_EQ(library.indexOfSprite(0), -1);
    for (int32_t id : {7, -3, 9, 7})
        addPlaceholderSprite(library, id);
    EXPECT_EQ(library.indexOfSprite(7), 0);
    EXPECT_EQ(library.indexOfSprite(-3), 1);
    EXPECT_EQ(library.indexOfSprite(9), 2);
    EXPECT_EQ(library.indexOfSprite(8), -1);
}

TEST(DrawAtTest, PlacesFrameZeroAndSkipsFramesOffTheScreen)
{
    TestDisplay screen(16);
    ASSERT_TRUE(screen.ready);
    Picture sprite = numberedPicture(40, 20);
    sprite.at(5, 0) = 0;  // left out by both blits
    SpriteEntry entry;
    for (const Picture &picture : {sprite, filledPicture(40, 20, 0x1111)}) {
        entry.frames.push_back({0, 40, 20, 20, 10, 0, 0, 0, 0, 0, nullptr, nullptr});
        entry.frames.back().surface = createPictureSurface(screen.display, picture);
        screen.display.setColorKey(&entry.frames.back().surface, 0);
    }
    struct Case {
        int x, y, offsetX, offsetY, translucent;
        RECT drawn;  // empty: nothing is drawn
        int left, top;
    };
    const Case cases[] = {
        {100, 50, 0, 0, 0, {0, 0, 40, 20}, 80, 40},   {100, 50, 5, 3, 0, {0, 0, 40, 20}, 85, 43},
        {100, 50, 0, 0, 1, {0, 0, 40, 20}, 80, 40},   {659, 50, 0, 0, 0, {0, 0, 1, 20}, 639, 40},
        {660, 50, 0, 0, 0, {}, 0, 0},                 {-19, 50, 0, 0, 1, {39, 0, 40, 20}, 0, 40},
        {-20, 50, 0, 0, 0, {}, 0, 0},                 {100, 489, 0, 0, 0, {0, 0, 40, 1}, 80, 479},
        {100, 490, 0, 0, 1, {}, 0, 0},                {100, -9, 0, 0, 0, {0, 19, 40, 20}, 80, 0},
        {100, -10, 0, 0, 0, {}, 0, 0},                {2147483647, 50, 65535, 0, 0, {}, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "at (" << c.x << ", " << c.y << ") translucent " << c.translucent);
        entry.frames[0].offsetX = uint16_t(c.offsetX);
        entry.frames[0].offsetY = uint16_t(c.offsetY);
        entry.translucent = uint8_t(c.translucent);
        Picture expected = filledPicture(640, 480, 0x0842);
        if (c.translucent)
            drawMixed(expected, sprite, c.drawn, c.left, c.top, 0, 0x7BEF);
        else
            drawKeyed(expected, sprite, c.drawn, c.left, c.top);
        screen.display.clearBackBuffer(0x0842);
        EXPECT_TRUE(entry.drawAt(screen.display, &screen.backBuffer, c.x, c.y));
        EXPECT_EQ(pictureDifferences(expected, readPicture(screen.backBuffer, 2)), "");
    }
    for (const SpriteFrame &frame : entry.frames)
        frame.surface->Release();
    EXPECT_TRUE(SpriteEntry().drawAt(screen.display, &screen.backBuffer, 100, 50));  // no frames
}

class LoadSpritesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(screen.ready && g_spriteModule.saveSpriteLibrary);
        library.display = &screen.display;
    }
    void TearDown() override { std::remove(path.c_str()); }

    std::string path = std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + ".lspr";
    TestDisplay screen{16};
    SpriteLibrary library;
};

TEST_F(LoadSpritesTest, AppendsEverySpriteInFileOrder)
{
    TestSprite grass(16, 0), empty(16, 0), glass(24, 1);
    grass.addFrame(3, 2, storedWords(kStored));
    grass.addFrame(1, 1, storedWords({0x3E00}));
    glass.addFrame(1, 1, {0x12, 0x34, 0x56});
    SpriteRecord *sprites[] = {&grass.record, &empty.record, &glass.record};
    int32_t ids[] = {40, -2, 40};
    char grassName[] = "grass", emptyName[] = "", glassName[] = "glass";
    char *names[] = {grassName, emptyName, glassName};
    const SpriteLibraryRecord saved = {0x11, 0x22, 0x33, 3, names, ids, sprites};
    ASSERT_TRUE(g_spriteModule.saveSpriteLibrary(&saved, path.c_str()));

    ASSERT_TRUE(library.loadSprites(path.c_str()));
    EXPECT_TRUE(library.tag1 == 0x11 && library.tag2 == 0x22 && library.tag3 == 0x33);
    EXPECT_EQ(library.spriteIds, (std::vector<int32_t>{40, -2, 40}));
    ASSERT_TRUE(library.entries.size() == 3 && library.names.size() == 3);
    EXPECT_STREQ(library.names[2], "glass");
    EXPECT_EQ(library.indexOfSprite(-2), 1);
    ASSERT_EQ(library.entries[0].frames.size(), 2u);
    EXPECT_EQ(library.entries[0].translucent, 0);
    EXPECT_EQ(pictureDifferences(pictureOf(3, 2, {0x001F, 0xF800, 0x07C0, 0xFFDF, 0x0400, 0}),
                                 readPicture(library.entries[0].frames[0].surface, 2)),
              "");
    EXPECT_TRUE(library.entries[1].frames.empty());
    ASSERT_EQ(library.entries[2].frames.size(), 1u);
    EXPECT_NE(library.entries[2].translucent, 0);

    ASSERT_TRUE(library.loadSprites(path.c_str()));
    EXPECT_EQ(library.entries.size(), 6u);
    EXPECT_EQ(library.indexOfSprite(40), 0);
}

TEST_F(LoadSpritesTest, FailuresLeaveTheLibraryAsItWas)
{
    library.tag1 = 9;
    addPlaceholderSprite(library, 5);
    const LibrarySnapshot before = snapshotOf(library);
    EXPECT_FALSE(library.loadSprites("no-such-directory/missing.lspr"));
    EXPECT_TRUE(snapshotOf(library) == before);

    const SpriteLibraryRecord saved = {1, 2, 3, 0, nullptr, nullptr, nullptr};
    ASSERT_TRUE(g_spriteModule.saveSpriteLibrary(&saved, path.c_str()));
    library.display = nullptr;
    EXPECT_FALSE(library.loadSprites(path.c_str()));
    EXPECT_TRUE(snapshotOf(library) == before);
    library.display = &screen.display;
    EXPECT_TRUE(library.loadSprites(path.c_str()));  // no sprites
    EXPECT_EQ(library.tag3, 3u);
    EXPECT_EQ(library.entries.size(), 1u);
}

} // namespace
