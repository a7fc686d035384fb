// Display behaviour through public Win32 and DirectDraw calls only, so the same tests run against any DirectDraw.
#include "tests/client/display/display_test_support.h"

#include <gtest/gtest.h>

#include <random>

TEST(DisplayTest, MakesSurfacesAndBlitsClippedToTheScreen) {
    TestDisplay screen(16);
    ASSERT_TRUE(screen.ready);
    Picture small = numberedPicture(32, 32), wide = numberedPicture(1000, 10);
    small.at(12, 0) = 0;  // the key: left out by both blits
    IDirectDrawSurface7 *surfaces[] = {createPictureSurface(screen.display, small),
                                       createPictureSurface(screen.display, wide)};
    for (IDirectDrawSurface7 *&surface : surfaces)
        ASSERT_TRUE(surface && screen.display.setColorKey(&surface, 0));
    uint16_t pixel = 1;
    IDirectDrawSurface7 *none = nullptr;
    EXPECT_TRUE(!screen.display.createSurface(0, 4, &pixel) && !screen.display.createSurface(4, 0, &pixel));
    EXPECT_FALSE(screen.display.setColorKey(&none, 0));

    const struct {
        RECT rect;
        int x, y;
        bool clip;
        RECT drawn;
        int drawnX, drawnY;
    } cases[] = {
        // drawn empty: none
        {{0, 0, 32, 32}, -10, 100, true, {10, 0, 32, 32}, 0, 100},
        {{0, 0, 32, 32}, 630, 100, true, {0, 0, 10, 32}, 630, 100},
        {{0, 0, 1000, 10}, -100, 100, true, {100, 0, 740, 10}, 0, 100},
        {{0, 0, 700, 10}, -100, 100, true, {100, 0, 700, 10}, 0, 100},  // the right edge sees the cut width
        {{0, 0, 32, 32}, 100, -10, true, {0, 10, 32, 32}, 100, 0},
        {{0, 0, 32, 32}, 100, 470, true, {0, 0, 32, 10}, 100, 470},
        {{3, 2, 8, 6}, 100, 50, false, {3, 2, 8, 6}, 100, 50},
        {{0, 0, 32, 32}, 640, 0, true, {}, 0, 0},
        {{0, 0, 32, 32}, -32, 0, true, {}, 0, 0},
        {{0, 0, 32, 32}, 0, -32, true, {}, 0, 0},
        {{0, 0, 32, 32}, 0, 480, true, {}, 0, 0},
        {{20, 0, 10, 32}, 10, 10, true, {}, 0, 0},
    };
    for (const auto &c : cases) {
        const bool isWide = c.rect.bottom == 10;
        for (uint32_t mask : {0u, 0x7BEFu}) {
            Picture expected = filledPicture(640, 480, 0x0842);
            drawExpected(expected, isWide ? wide : small, c.drawn, c.drawnX, c.drawnY, 0, mask);
            screen.display.clearBackBuffer(0x0842);
            IDirectDrawSurface7 **source = &surfaces[isWide];
            if (mask)
                EXPECT_TRUE(screen.display.blitTranslucent(&screen.backBuffer, c.x, c.y, source, c.rect, c.clip));
            else
                EXPECT_EQ(screen.display.blitKeyed(&screen.backBuffer, c.x, c.y, source, c.rect, c.clip),
                          c.drawn.right > c.drawn.left);
            EXPECT_EQ(pictureDifferences(expected, readPicture(screen.backBuffer, 2)), "")
                << (mask ? "translucent" : "keyed") << " rect right " << c.rect.right << " at " << c.x << ", " << c.y;
        }
    }
    for (IDirectDrawSurface7 *surface : surfaces)
        surface->Release();
}

// blendRect of source onto target, both made on a display of depth 16 or 32.
static Picture blended(const Picture &source, const Picture &target, int x, int y, RECT rect, uint32_t key, int depth) {
    TestDisplay screen(depth == 32 ? 32 : 16);
    EXPECT_TRUE(screen.ready);
    IDirectDrawSurface7 *from = createPictureSurface(screen.display, source);
    IDirectDrawSurface7 *to = createPictureSurface(screen.display, target);
    blendRect(from, to, x, y, rect, key, depth);
    Picture result = readPicture(to, depth == 32 ? 4 : 2);
    for (IDirectDrawSurface7 *surface : {from, to})
        if (surface)
            surface->Release();
    return result;
}

TEST(BlendRectTest, MixesEveryDepthAsTheExamplesGive) {
    const struct {
        int depth;
        std::vector<uint32_t> source, target, expected;
    } cases[] = {
        {16, {0xFFFF, 0xF800, 0x0000, 0xFFFF}, {0x0000, 0x001F, 0x1234, 0xFFFF}, {0x7BEF, 0x780F, 0x1234, 0xF7DE}},
        {15, {0x7FFF, 0x7C00, 0x0000}, {0x7FFF, 0x001F, 0x5555}, {0x7BDE, 0x3C0F, 0x5555}},
        {8, {0xFFFF, 0xF800, 0x1234}, {0x0001, 0x001F, 0x4321}, {0x0001, 0x001F, 0x4321}},
        // The fourth byte stays; 0xFF000000 is black below it and so the key.
        {32,
         {0x00FFFFFF, 0xFF000000, 0x00804020},
         {0xAA000000, 0x55667788, 0x010204FF},
         {0xAA7F7F7F, 0x55667788, 0x0141228F}},
    };
    for (const auto &c : cases) {
        const int n = int(c.source.size());
        EXPECT_EQ(pictureDifferences({n, 1, c.expected},
                                     blended({n, 1, c.source}, {n, 1, c.target}, 0, 0, {0, 0, n, 1}, 0, c.depth)),
                  "")
            << "depth " << c.depth;
    }
}

TEST(BlendRectTest, TwoPixelWordsEqualPixelByPixelAtAnyRectangle) {
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
        drawExpected(expected, source, rect, x, y, key, depth == 15 ? 0x3DEF : 0x7BEF);
        ASSERT_EQ(pictureDifferences(expected, blended(source, target, x, y, rect, key, depth)), "")
            << "round " << round << " rect (" << rect.left << ", " << rect.top << ", " << rect.right << ", "
            << rect.bottom << ") at (" << x << ", " << y << ")";
    }
}
