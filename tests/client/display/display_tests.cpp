// Display behaviour seen through public Win32 and DirectDraw calls only, so
// the same tests run against any DirectDraw.
#include "tests/client/display/display_test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr uint32_t kBackground = 0x0842;

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(screen.ready); }
    void TearDown() override
    {
        for (IDirectDrawSurface7 *surface : surfaces)
            surface->Release();
    }

    IDirectDrawSurface7 *keyedSurface(const Picture &picture)
    {
        IDirectDrawSurface7 *surface = createPictureSurface(screen.display, picture);
        EXPECT_TRUE(surface && screen.display.setColorKey(&surface, 0));
        if (surface)
            surfaces.push_back(surface);
        return surface;
    }

    Picture backBuffer() { return readPicture(screen.backBuffer, 2); }

    TestDisplay screen{16};
    std::vector<IDirectDrawSurface7 *> surfaces;
};

TEST_F(DisplayTest, ClearsTheBackBufferAndFillsNewSurfaces)
{
    for (const RECT &rect : {screen.display.screenRect, screen.display.targetRect})
        EXPECT_TRUE(rect.left == 0 && rect.top == 0 && rect.right == 640 && rect.bottom == 480);
    EXPECT_TRUE(screen.display.clearBackBuffer(0x1234));
    EXPECT_EQ(pictureDifferences(filledPicture(640, 480, 0x1234), backBuffer()), "");
    Picture picture = numberedPicture(3, 2);
    EXPECT_EQ(pictureDifferences(picture, readPicture(keyedSurface(picture), 2)), "");
    uint16_t pixel = 1;
    EXPECT_EQ(screen.display.createSurface(0, 4, &pixel), nullptr);
    EXPECT_EQ(screen.display.createSurface(4, 0, &pixel), nullptr);
    IDirectDrawSurface7 *none = nullptr;
    EXPECT_FALSE(screen.display.setColorKey(&none, 0));
    EXPECT_TRUE(screen.display.present());
}

TEST_F(DisplayTest, BlitsClipToTheScreen)
{
    struct Case {
        RECT rect;
        int x, y;
        RECT drawn;  // empty: nothing is drawn
        int drawnX, drawnY;
    };
    const Case cases[] = {
        {{0, 0, 32, 32}, -10, 100, {10, 0, 32, 32}, 0, 100},
        {{0, 0, 32, 32}, 630, 100, {0, 0, 10, 32}, 630, 100},
        {{0, 0, 1000, 10}, -100, 100, {100, 0, 740, 10}, 0, 100},
        {{0, 0, 700, 10}, -100, 100, {100, 0, 700, 10}, 0, 100},  // the right edge sees the cut width
        {{0, 0, 32, 32}, 100, -10, {0, 10, 32, 32}, 100, 0},
        {{0, 0, 32, 32}, 100, 470, {0, 0, 32, 10}, 100, 470},
        {{0, 0, 32, 32}, 640, 0, {}, 0, 0},
        {{0, 0, 32, 32}, -32, 0, {}, 0, 0},
        {{0, 0, 32, 32}, 0, -32, {}, 0, 0},
        {{0, 0, 32, 32}, 0, 480, {}, 0, 0},
        {{20, 0, 10, 32}, 10, 10, {}, 0, 0},
    };
    Picture small = numberedPicture(32, 32);
    small.at(12, 0) = 0;
    const Picture wide = numberedPicture(1000, 10);
    IDirectDrawSurface7 *smallSurface = keyedSurface(small);
    IDirectDrawSurface7 *wideSurface = keyedSurface(wide);
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "rect right " << c.rect.right << " at (" << c.x << ", " << c.y << ")");
        const bool isWide = c.rect.bottom == 10;
        IDirectDrawSurface7 **source = isWide ? &wideSurface : &smallSurface;
        Picture keyed = filledPicture(640, 480, kBackground);
        drawKeyed(keyed, isWide ? wide : small, c.drawn, c.drawnX, c.drawnY);
        screen.display.clearBackBuffer(kBackground);
        EXPECT_EQ(screen.display.blitKeyed(&screen.backBuffer, c.x, c.y, source, c.rect, true),
                  c.drawn.right > c.drawn.left);
        EXPECT_EQ(pictureDifferences(keyed, backBuffer()), "");

        Picture mixed = filledPicture(640, 480, kBackground);
        drawMixed(mixed, isWide ? wide : small, c.drawn, c.drawnX, c.drawnY, 0, 0x7BEF);
        screen.display.clearBackBuffer(kBackground);
        EXPECT_TRUE(screen.display.blitTranslucent(&screen.backBuffer, c.x, c.y, source, c.rect, true));
        EXPECT_EQ(pictureDifferences(mixed, backBuffer()), "");
    }
}

TEST_F(DisplayTest, UnclippedBlitsTakeTheRectangleAsGivenYetStayInsideTheTarget)
{
    Picture source = numberedPicture(32, 32);
    source.at(4, 3) = 0;
    IDirectDrawSurface7 *surface = keyedSurface(source);
    screen.display.clearBackBuffer(kBackground);
    Picture expected = filledPicture(640, 480, kBackground);
    EXPECT_TRUE(screen.display.blitKeyed(&screen.backBuffer, 100, 50, &surface, {3, 2, 8, 6}, false));
    drawKeyed(expected, source, {3, 2, 8, 6}, 100, 50);
    const RECT rects[] = {{0, 0, 32, 32}, {0, 0, 32, 32}, {-5, 28, 40, 70}};
    const int positions[][2] = {{630, 470}, {-20, -25}, {300, 200}};
    for (int i = 0; i < 3; ++i) {
        screen.display.blitTranslucent(&screen.backBuffer, positions[i][0], positions[i][1], &surface, rects[i],
                                       false);
        drawMixed(expected, source, rects[i], positions[i][0], positions[i][1], 0, 0x7BEF);
    }
    EXPECT_EQ(expected.at(101, 51), kBackground);  // under the key pixel (4, 3)
    EXPECT_EQ(pictureDifferences(expected, backBuffer()), "");
}

// blendRect of source onto target, both made surfaces of a display of depth
// 16 or 32; the target as it is afterwards.
Picture blended(const Picture &source, const Picture &target, int x, int y, RECT rect, uint32_t key, int depth)
{
    TestDisplay screen(depth == 32 ? 32 : 16);
    EXPECT_TRUE(screen.ready);
    IDirectDrawSurface7 *from = createPictureSurface(screen.display, source);
    IDirectDrawSurface7 *to = createPictureSurface(screen.display, target);
    blendRect(from, to, x, y, rect, key, depth);
    Picture result = readPicture(to, depth == 32 ? 4 : 2);
    if (from)
        from->Release();
    if (to)
        to->Release();
    return result;
}

TEST(BlendRectTest, MixesEveryDepthAsTheExamplesGive)
{
    struct Case {
        int depth;
        std::vector<uint32_t> source, target, expected;
    };
    const Case cases[] = {
        {16, {0xFFFF, 0xF800, 0x0000, 0xFFFF}, {0x0000, 0x001F, 0x1234, 0xFFFF}, {0x7BEF, 0x780F, 0x1234, 0xF7DE}},
        {16, {0xF800, 0x0000, 0xFFFF}, {0x001F, 0x1234, 0xFFFF}, {0x780F, 0x1234, 0xF7DE}},
        {15, {0x7FFF, 0x7C00, 0x0000}, {0x7FFF, 0x001F, 0x5555}, {0x7BDE, 0x3C0F, 0x5555}},
        {8, {0xFFFF, 0xF800, 0x1234}, {0x0001, 0x001F, 0x4321}, {0x0001, 0x001F, 0x4321}},
        // The fourth byte stays; 0xFF000000 is black below it and so the key.
        {32, {0x00FFFFFF, 0xFF000000, 0x00804020}, {0xAA000000, 0x55667788, 0x010204FF},
         {0xAA7F7F7F, 0x55667788, 0x0141228F}},
    };
    for (const Case &c : cases) {
        const RECT whole = {0, 0, LONG(c.source.size()), 1};
        const int n = int(c.source.size());
        EXPECT_EQ(pictureDifferences(pictureOf(n, 1, c.expected),
                                     blended(pictureOf(n, 1, c.source), pictureOf(n, 1, c.target), 0, 0, whole, 0,
                                             c.depth)),
                  "")
            << "depth " << c.depth;
    }
}

TEST(BlendRectTest, TwoPixelWordsEqualPixelByPixelAtAnyRectangle)
{
    std::mt19937 random(12345);
    auto between = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int round = 0; round < 60; ++round) {
        const int depth = round % 2 ? 15 : 16;
        const uint32_t key = round % 3 ? 0 : 0x1234;
        Picture source = filledPicture(between(1, 37), between(1, 9), 0);
        Picture target = filledPicture(between(1, 41), between(1, 11), 0);
        for (uint32_t &pixel : source.pixels)
            pixel = between(0, 3) == 0 ? key : uint32_t(between(0, 0xFFFF));
        for (uint32_t &pixel : target.pixels)
            pixel = uint32_t(between(0, 0xFFFF));
        // Odd and even widths and positions, sometimes past the surfaces' edges.
        const int left = between(-3, source.width), top = between(-2, source.height);
        const RECT rect = {left, top, left + between(-1, source.width + 3), top + between(-1, source.height + 2)};
        const int x = between(-4, target.width), y = between(-3, target.height);
        Picture expected = target;
        drawMixed(expected, source, rect, x, y, key, depth == 15 ? 0x3DEF : 0x7BEF);
        ASSERT_EQ(pictureDifferences(expected, blended(source, target, x, y, rect, key, depth)), "")
            << "round " << round << " rect (" << rect.left << ", " << rect.top << ", " << rect.right << ", "
            << rect.bottom << ") at (" << x << ", " << y << ")";
    }
}

} // namespace
