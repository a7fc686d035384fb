// Sprite conversion, the library in display memory and sprite drawing, with
// the sprite file module beside the program.
#include "client/sprites/sprite_library.h"
#include "client/sprites/sprite_module.h"
#include "tests/client/display/display_test_support.h"
#include "tests/client/sprites/sprite_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

namespace {

// Constructed during static initialisation, as the client's library is: it
// binds the module before anything else in the program has run.
SpriteLibrary g_earlyLibrary;
const HMODULE g_handleAfterEarlyLoad = g_spriteModule.moduleHandle;
const LoadSpriteLibraryProc g_entryAfterEarlyLoad = g_spriteModule.loadSpriteLibrary;

TEST(SpriteModuleTest, BindingMadeDuringStaticConstructionSurvives)
{
    ASSERT_NE(g_handleAfterEarlyLoad, nullptr);
    ASSERT_NE(g_entryAfterEarlyLoad, nullptr);
    EXPECT_EQ(g_spriteModule.moduleHandle, g_handleAfterEarlyLoad);
    EXPECT_EQ(g_spriteModule.loadSpriteLibrary, g_entryAfterEarlyLoad);
    EXPECT_NE(g_spriteModule.saveSprite, nullptr);
    EXPECT_NE(g_spriteModule.loadSprite, nullptr);
    EXPECT_NE(g_spriteModule.saveSpriteLibrary, nullptr);
}

uint16_t word16(uint8_t b0, uint8_t b1)
{
    uint8_t out[2];
    convert16To16(b0, b1, out);
    return uint16_t(out[0] | out[1] << 8);
}

uint32_t bytes32(uint8_t b0, uint8_t b1)
{
    uint8_t out[3];
    convert16To32(b0, b1, out);
    return uint32_t(out[0]) << 16 | uint32_t(out[1]) << 8 | out[2];  // printed in memory order
}

TEST(ConversionTest, StoredSixteenBitPixels)
{
    struct Case {
        uint8_t b0, b1;
        uint16_t word;
        uint32_t bytes;
    };
    const Case cases[] = {
        {0xF8, 0x00, 0x001F, 0xF80000}, {0x00, 0x3E, 0xF800, 0x0000F8}, {0x07, 0xC0, 0x07C0, 0x00F800},
        {0xFF, 0xFE, 0xFFDF, 0xF8F8F8}, {0x00, 0x01, 0x0400, 0x000004}, {0x00, 0x00, 0x0000, 0x000000},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(word16(c.b0, c.b1), c.word) << std::hex << "stored " << int(c.b0) << " " << int(c.b1);
        EXPECT_EQ(bytes32(c.b0, c.b1), c.bytes) << std::hex << "stored " << int(c.b0) << " " << int(c.b1);
    }
}

TEST(ConversionTest, TwentyFourBitPixelsKeepTheTopBitsOnSixteen)
{
    uint8_t out[2];
    convert24To16(0x12, 0x34, 0x56, out);
    EXPECT_EQ(out[0] | out[1] << 8, 0x51A2);
    convert24To16(0xFF, 0xFF, 0xFF, out);
    EXPECT_EQ(out[0] | out[1] << 8, 0xFFFF);
    convert24To16(0x00, 0x00, 0xFF, out);  // pure red: as the 16-bit stored red
    EXPECT_EQ(out[0] | out[1] << 8, word16(0x00, 0x3E));
    convert24To16(0xFF, 0x00, 0x00, out);  // pure blue
    EXPECT_EQ(out[0] | out[1] << 8, word16(0xF8, 0x00));
}

class SpriteTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (SpriteEntry &entry : entries)
            for (SpriteFrame &frame : entry.frames)
                if (frame.surface)
                    frame.surface->Release();
    }

    // An entry kept until the end of the test, its surfaces released then.
    SpriteEntry &newEntry()
    {
        entries.emplace_back();
        return entries.back();
    }

    std::deque<SpriteEntry> entries;  // references stay valid as it grows
};

// Stored words whose conversions are all different: an asymmetric 3 x 2.
const std::vector<uint16_t> kStoredWords = {0x00F8, 0x3E00, 0xC007, 0xFEFF, 0x0100, 0x0000};

TEST_F(SpriteTest, CreateFramesConvertsToSixteenBitsAndSetsKeyZero)
{
    TestDisplay screen(16);
    ASSERT_TRUE(screen.ready);
    TestFrame stored = frameOf16BitWords(3, 2, kStoredWords);
    stored.originX = 1;
    stored.originY = 2;
    stored.offsetX = 3;
    stored.offsetY = 4;
    TestSprite sprite(16, 5, {stored});
    SpriteEntry &entry = newEntry();
    ASSERT_TRUE(entry.createFrames(screen.display, sprite.record()));
    EXPECT_EQ(entry.translucent, 5);
    ASSERT_EQ(entry.frames.size(), 1u);
    const SpriteFrame &frame = entry.frames[0];
    EXPECT_EQ(frame.frameTag, 0x7A000000u);
    EXPECT_EQ(frame.width, 3);
    EXPECT_EQ(frame.height, 2);
    EXPECT_EQ(frame.originX, 1);
    EXPECT_EQ(frame.originY, 2);
    EXPECT_EQ(frame.offsetX, 3);
    EXPECT_EQ(frame.offsetY, 4);
    EXPECT_EQ(frame.spare1, 0x5100);
    EXPECT_EQ(frame.spare2, 0x5200);
    EXPECT_EQ(frame.extraSize, 3);
    EXPECT_EQ(frame.extraData, sprite.record().extraData[0]);
    ASSERT_NE(frame.surface, nullptr);
    Picture expected = filledPicture(3, 2, 0);
    expected.pixels = {0x001F, 0xF800, 0x07C0, 0xFFDF, 0x0400, 0x0000};
    EXPECT_EQ(pictureDifferences(expected, readPicture(frame.surface, 2)), "");
    DDCOLORKEY key = {1, 1};
    EXPECT_EQ(frame.surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, 0u);
    EXPECT_EQ(key.dwColorSpaceHighValue, 0u);
}

TEST_F(SpriteTest, CreateFramesConvertsToThirtyTwoBitsWithAZeroFourthByte)
{
    TestDisplay screen(32);
    ASSERT_TRUE(screen.ready);
    TestSprite sixteen(16, 0, {frameOf16BitWords(3, 2, kStoredWords)});
    TestFrame stored24;
    stored24.width = 2;
    stored24.height = 1;
    stored24.pixels = {0x12, 0x34, 0x56, 0x00, 0x00, 0x00};
    TestSprite twentyFour(24, 0, {stored24});
    SpriteEntry &fromSixteen = newEntry();
    SpriteEntry &fromTwentyFour = newEntry();
    ASSERT_TRUE(fromSixteen.createFrames(screen.display, sixteen.record()));
    ASSERT_TRUE(fromTwentyFour.createFrames(screen.display, twentyFour.record()));
    ASSERT_TRUE(fromSixteen.frames.at(0).surface && fromTwentyFour.frames.at(0).surface);

    Picture expected = filledPicture(3, 2, 0);
    expected.pixels = {0x000000F8, 0x00F80000, 0x0000F800, 0x00F8F8F8, 0x00040000, 0x00000000};
    EXPECT_EQ(pictureDifferences(expected, readPicture(fromSixteen.frames[0].surface, 4)), "");
    Picture expected24 = filledPicture(2, 1, 0);
    expected24.pixels = {0x00563412, 0x00000000};
    EXPECT_EQ(pictureDifferences(expected24, readPicture(fromTwentyFour.frames[0].surface, 4)), "");
}

TEST_F(SpriteTest, CreateFramesConvertsTwentyFourBitsToSixteen)
{
    TestDisplay screen(16);
    ASSERT_TRUE(screen.ready);
    TestFrame stored;
    stored.width = 1;
    stored.height = 2;
    stored.pixels = {0x12, 0x34, 0x56, 0xFF, 0x00, 0x00};
    TestSprite sprite(24, 0, {stored});
    SpriteEntry &entry = newEntry();
    ASSERT_TRUE(entry.createFrames(screen.display, sprite.record()));
    ASSERT_NE(entry.frames.at(0).surface, nullptr);
    Picture expected = filledPicture(1, 2, 0);
    expected.pixels = {0x51A2, 0x001F};
    EXPECT_EQ(pictureDifferences(expected, readPicture(entry.frames[0].surface, 2)), "");
}

TEST_F(SpriteTest, PixelsTheBlockDoesNotSupplyAreTransparent)
{
    TestDisplay screen(16);
    ASSERT_TRUE(screen.ready);
    // Three bytes: one whole 16-bit pixel and a stray byte.
    TestFrame shortBlock = frameOf16BitWords(2, 2, {0x3E00});
    shortBlock.pixels.push_back(0xFF);
    // More pixels than the frame holds: only the first four are used.
    TestFrame longBlock = frameOf16BitWords(2, 2, {0x3E00, 0x00F8, 0xC007, 0xFEFF, 0x0100, 0x0100});
    TestFrame otherDepth = frameOf16BitWords(2, 2, {0x3E00, 0x00F8, 0xC007, 0xFEFF});
    TestSprite shortSprite(16, 0, {shortBlock, longBlock});
    TestSprite eightBit(8, 0, {otherDepth});
    shortSprite.record().pixelSize[1] = 12;
    SpriteEntry &shortEntry = newEntry();
    SpriteEntry &eightBitEntry = newEntry();
    ASSERT_TRUE(shortEntry.createFrames(screen.display, shortSprite.record()));
    ASSERT_TRUE(eightBitEntry.createFrames(screen.display, eightBit.record()));

    Picture expectedShort = filledPicture(2, 2, 0);
    expectedShort.at(0, 0) = 0xF800;
    Picture expectedLong = filledPicture(2, 2, 0);
    expectedLong.pixels = {0xF800, 0x001F, 0x07C0, 0xFFDF};
    ASSERT_EQ(shortEntry.frames.size(), 2u);
    ASSERT_TRUE(shortEntry.frames[0].surface && shortEntry.frames[1].surface && eightBitEntry.frames.at(0).surface);
    EXPECT_EQ(pictureDifferences(expectedShort, readPicture(shortEntry.frames[0].surface, 2)), "");
    EXPECT_EQ(pictureDifferences(expectedLong, readPicture(shortEntry.frames[1].surface, 2)), "");
    EXPECT_EQ(pictureDifferences(filledPicture(2, 2, 0), readPicture(eightBitEntry.frames[0].surface, 2)), "");
}

TEST_F(SpriteTest, EmptyFramesGetNoSurfaceAndLoadingGoesOn)
{
    TestDisplay screen(16);
    ASSERT_TRUE(screen.ready);
    TestFrame noWidth = frameOf16BitWords(0, 5, {0x3E00, 0x3E00});
    TestFrame noHeight = frameOf16BitWords(5, 0, {});
    TestSprite sprite(16, 0, {noWidth, noHeight, frameOf16BitWords(1, 1, {0x3E00})});
    SpriteEntry &entry = newEntry();
    ASSERT_TRUE(entry.createFrames(screen.display, sprite.record()));
    ASSERT_EQ(entry.frames.size(), 3u);
    EXPECT_EQ(entry.frames[0].surface, nullptr);
    EXPECT_EQ(entry.frames[1].surface, nullptr);
    EXPECT_NE(entry.frames[2].surface, nullptr);

    // Drawing an entry whose first frame has no surface draws nothing.
    screen.display.clearBackBuffer(0x0842);
    EXPECT_TRUE(entry.drawAt(screen.display, &screen.backBuffer, 100, 100));
    EXPECT_EQ(pictureDifferences(filledPicture(640, 480, 0x0842), readPicture(screen.backBuffer, 2)), "");
}

TEST_F(SpriteTest, UnsupportedDisplayDepthFailsAtTheFirstFrame)
{
    Display display;  // never initialised: nothing may be created
    display.bitDepth = 24;
    TestSprite withFrames(16, 0, {frameOf16BitWords(1, 1, {0x3E00})});
    TestSprite withoutFrames(16, 1, {});
    SpriteEntry &failed = newEntry();
    EXPECT_FALSE(failed.createFrames(display, withFrames.record()));
    EXPECT_TRUE(failed.frames.empty());
    SpriteEntry &empty = newEntry();
    EXPECT_TRUE(empty.createFrames(display, withoutFrames.record()));
    EXPECT_EQ(empty.translucent, 1);
    EXPECT_TRUE(empty.frames.empty());
}

TEST(IndexOfSpriteTest, FindsTheLowestPositionOrMinusOne)
{
    SpriteLibrary library;
    EXPECT_EQ(library.indexOfSprite(0), -1);
    EXPECT_EQ(library.indexOfSprite(-1), -1);
    for (int32_t id : {7, -3, 9, 7, 0}) {
        library.entries.emplace_back();
        library.spriteIds.push_back(id);
        library.names.push_back(nullptr);
    }
    EXPECT_EQ(library.indexOfSprite(7), 0);
    EXPECT_EQ(library.indexOfSprite(-3), 1);
    EXPECT_EQ(library.indexOfSprite(9), 2);
    EXPECT_EQ(library.indexOfSprite(0), 4);
    EXPECT_EQ(library.indexOfSprite(8), -1);
}

// drawAt with the frame of the examples: 40 x 20, origin (20, 10).
class DrawAtTest : public SpriteTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(screen.ready);
        sprite.at(5, 0) = 0;  // a key pixel, left out by both blits
        other = filledPicture(40, 20, 0x1111);
        entry.frames.push_back(frameFor(sprite));
        entry.frames.push_back(frameFor(other));
        ASSERT_TRUE(entry.frames[0].surface && entry.frames[1].surface);
        screen.display.clearBackBuffer(kBackground);
    }
    void TearDown() override
    {
        for (SpriteFrame &frame : entry.frames)
            if (frame.surface)
                frame.surface->Release();
    }

    SpriteFrame frameFor(const Picture &picture)
    {
        SpriteFrame frame = {0, 40, 20, 20, 10, 0, 0, 0, 0, 0, nullptr, nullptr};
        frame.surface = createPictureSurface(screen.display, picture);
        screen.display.setColorKey(&frame.surface, 0);
        return frame;
    }

    Picture drawnAt(int x, int y)
    {
        EXPECT_TRUE(entry.drawAt(screen.display, &screen.backBuffer, x, y));
        return readPicture(screen.backBuffer, 2);
    }

    static constexpr uint32_t kBackground = 0x0842;
    TestDisplay screen{16};
    Picture sprite = numberedPicture(40, 20);
    Picture other;
    SpriteEntry entry;
    Picture expected = filledPicture(640, 480, kBackground);
};

TEST_F(DrawAtTest, PlacesFrameZeroByOriginAndOffset)
{
    drawKeyed(expected, sprite, {0, 0, 40, 20}, 80, 40);
    EXPECT_EQ(pictureDifferences(expected, drawnAt(100, 50)), "");

    entry.frames[0].offsetX = 5;
    entry.frames[0].offsetY = 3;
    screen.display.clearBackBuffer(kBackground);
    expected = filledPicture(640, 480, kBackground);
    drawKeyed(expected, sprite, {0, 0, 40, 20}, 85, 43);
    EXPECT_EQ(pictureDifferences(expected, drawnAt(100, 50)), "");
}

TEST_F(DrawAtTest, FramesOverAnEdgeAreClippedAndFramesPastItSkipped)
{
    struct Case {
        int left, top;
        RECT drawn;  // empty: nothing is drawn
        int x, y;
    };
    const Case cases[] = {
        {639, 40, {0, 0, 1, 20}, 639, 40},  {640, 40, {0, 0, 0, 0}, 0, 0},
        {-39, 40, {39, 0, 40, 20}, 0, 40},  {-40, 40, {0, 0, 0, 0}, 0, 0},
        {80, 479, {0, 0, 40, 1}, 80, 479},  {80, 480, {0, 0, 0, 0}, 0, 0},
        {80, -19, {0, 19, 40, 20}, 80, 0},  {80, -20, {0, 0, 0, 0}, 0, 0},
        {-2000000000, 40, {0, 0, 0, 0}, 0, 0}, {2000000000, 40, {0, 0, 0, 0}, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "left " << c.left << " top " << c.top);
        screen.display.clearBackBuffer(kBackground);
        expected = filledPicture(640, 480, kBackground);
        drawKeyed(expected, sprite, c.drawn, c.x, c.y);
        EXPECT_EQ(pictureDifferences(expected, drawnAt(c.left + 20, c.top + 10)), "");
    }
}

TEST_F(DrawAtTest, TranslucentEntriesAreMixedOverTheTarget)
{
    entry.translucent = 1;
    drawMixed(expected, sprite, {0, 0, 40, 20}, 80, 40, 0, 0x7BEF);
    drawMixed(expected, sprite, {39, 0, 40, 20}, 0, 300, 0, 0x7BEF);
    drawnAt(100, 50);
    EXPECT_EQ(pictureDifferences(expected, drawnAt(-19, 310)), "");
    EXPECT_EQ(expected.at(85, 40), kBackground);
}

TEST_F(DrawAtTest, EntryWithoutFramesDrawsNothing)
{
    SpriteEntry empty;
    EXPECT_TRUE(empty.drawAt(screen.display, &screen.backBuffer, 100, 50));
    EXPECT_EQ(pictureDifferences(expected, readPicture(screen.backBuffer, 2)), "");
}

// A library file saved through the module, removed at the end.
class LoadSpritesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(screen.ready);
        ASSERT_NE(g_spriteModule.saveSpriteLibrary, nullptr);
        path = std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + ".lspr";
        library.display = &screen.display;
    }
    void TearDown() override { std::remove(path.c_str()); }

    bool save(int32_t count, SpriteRecord **sprites, int32_t *ids, char **names)
    {
        SpriteLibraryRecord record = {0x11, 0x22, 0x33, count, names, ids, sprites};
        return g_spriteModule.saveSpriteLibrary(&record, path.c_str());
    }

    TestDisplay screen{16};
    SpriteLibrary library;
    std::string path;
};

TEST_F(LoadSpritesTest, LoadsEverySpriteInFileOrder)
{
    TestSprite grass(16, 0, {frameOf16BitWords(3, 2, kStoredWords), frameOf16BitWords(1, 1, {0x3E00})});
    TestSprite empty(16, 0, {});
    TestSprite glass(24, 1, {TestFrame{1, 1, 0, 0, 0, 0, {0x12, 0x34, 0x56}}});
    SpriteRecord *sprites[] = {&grass.record(), &empty.record(), &glass.record()};
    int32_t ids[] = {40, -2, 40};
    char grassName[] = "grass", emptyName[] = "", glassName[] = "glass";
    char *names[] = {grassName, emptyName, glassName};
    ASSERT_TRUE(save(3, sprites, ids, names));

    ASSERT_TRUE(library.loadSprites(path.c_str()));
    EXPECT_EQ(library.tag1, 0x11u);
    EXPECT_EQ(library.tag2, 0x22u);
    EXPECT_EQ(library.tag3, 0x33u);
    ASSERT_EQ(library.entries.size(), 3u);
    EXPECT_EQ(library.spriteIds, (std::vector<int32_t>{40, -2, 40}));
    ASSERT_EQ(library.names.size(), 3u);
    EXPECT_STREQ(library.names[0], "grass");
    EXPECT_STREQ(library.names[2], "glass");
    EXPECT_EQ(library.indexOfSprite(40), 0);
    EXPECT_EQ(library.indexOfSprite(-2), 1);

    EXPECT_EQ(library.entries[0].translucent, 0);
    ASSERT_EQ(library.entries[0].frames.size(), 2u);
    Picture expected = filledPicture(3, 2, 0);
    expected.pixels = {0x001F, 0xF800, 0x07C0, 0xFFDF, 0x0400, 0x0000};
    EXPECT_EQ(pictureDifferences(expected, readPicture(library.entries[0].frames[0].surface, 2)), "");
    EXPECT_TRUE(library.entries[1].frames.empty());
    EXPECT_NE(library.entries[2].translucent, 0);
    ASSERT_EQ(library.entries[2].frames.size(), 1u);
    EXPECT_EQ(readPicture(library.entries[2].frames[0].surface, 2).at(0, 0), 0x51A2u);

    // A second load appends.
    ASSERT_TRUE(library.loadSprites(path.c_str()));
    EXPECT_EQ(library.entries.size(), 6u);
    EXPECT_EQ(library.indexOfSprite(40), 0);
}

TEST_F(LoadSpritesTest, AnEmptyLibraryLoadsAsNoSprites)
{
    ASSERT_TRUE(save(0, nullptr, nullptr, nullptr));
    ASSERT_TRUE(library.loadSprites(path.c_str()));
    EXPECT_TRUE(library.entries.empty());
    EXPECT_EQ(library.tag3, 0x33u);
    EXPECT_EQ(library.indexOfSprite(0), -1);
}

TEST_F(LoadSpritesTest, FailuresLeaveTheLibraryAsItWas)
{
    library.tag1 = 9;
    library.entries.emplace_back();
    library.spriteIds.push_back(5);
    library.names.push_back(nullptr);
    const LibrarySnapshot before = snapshotOf(library);
    EXPECT_FALSE(library.loadSprites("no-such-directory/missing.lspr"));
    EXPECT_TRUE(snapshotOf(library) == before);

    ASSERT_TRUE(save(0, nullptr, nullptr, nullptr));
    library.display = nullptr;  // not pointed at a display yet
    EXPECT_FALSE(library.loadSprites(path.c_str()));
    EXPECT_TRUE(snapshotOf(library) == before);
}

} // namespace
