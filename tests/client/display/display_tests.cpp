// Display behaviour seen through public Win32 and DirectDraw calls only, so
// the same tests run against any DirectDraw.
#include "tests/client/display/display_test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(screen.ready); }
    void TearDown() override
    {
        for (IDirectDrawSurface7 *surface : surfaces)
            surface->Release();
    }

    IDirectDrawSurface7 *makeSurface(const Picture &picture)
    {
        IDirectDrawSurface7 *surface = createPictureSurface(screen.display, picture);
        EXPECT_NE(surface, nullptr);
        if (surface)
            surfaces.push_back(surface);
        return surface;
    }

    IDirectDrawSurface7 *makeKeyedSurface(const Picture &picture)
    {
        IDirectDrawSurface7 *surface = makeSurface(picture);
        EXPECT_TRUE(screen.display.setColorKey(&surface, 0));
        return surface;
    }

    Picture backBuffer() { return readPicture(screen.backBuffer, 2); }

    TestDisplay screen{16};
    std::vector<IDirectDrawSurface7 *> surfaces;
};

struct ClipCase {
    RECT rect;
    int x, y;
    RECT drawn;
    int drawnX, drawnY;
};

TEST_F(DisplayTest, InitializeSetsTheScreenRectangles)
{
    EXPECT_TRUE(screen.display.initialized);
    EXPECT_NE(screen.directDraw, nullptr);
    EXPECT_NE(screen.primarySurface, nullptr);
    EXPECT_NE(screen.backBuffer, nullptr);
    for (const RECT &rect : {screen.display.screenRect, screen.display.targetRect}) {
        EXPECT_EQ(rect.left, 0);
        EXPECT_EQ(rect.top, 0);
        EXPECT_EQ(rect.right, kScreenWidth);
        EXPECT_EQ(rect.bottom, kScreenHeight);
    }
    Picture back = backBuffer();
    EXPECT_EQ(back.width, kScreenWidth);
    EXPECT_EQ(back.height, kScreenHeight);
}

TEST_F(DisplayTest, ClearBackBufferFillsTheWholeBackBuffer)
{
    screen.display.clearBackBuffer(0x1234);
    EXPECT_EQ(pictureDifferences(filledPicture(kScreenWidth, kScreenHeight, 0x1234), backBuffer()), "");
    EXPECT_TRUE(screen.display.clearBackBuffer(0));
    EXPECT_EQ(pictureDifferences(filledPicture(kScreenWidth, kScreenHeight, 0), backBuffer()), "");
    EXPECT_TRUE(screen.display.present());
}

TEST_F(DisplayTest, CreateSurfaceCopiesPackedRows)
{
    Picture picture = numberedPicture(3, 2);
    IDirectDrawSurface7 *surface = makeSurface(picture);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(pictureDifferences(picture, readPicture(surface, 2)), "");

    uint16_t pixel = 1;
    EXPECT_EQ(screen.display.createSurface(0, 4, &pixel), nullptr);
    EXPECT_EQ(screen.display.createSurface(4, 0, &pixel), nullptr);
    IDirectDrawSurface7 *none = nullptr;
    EXPECT_FALSE(screen.display.setColorKey(&none, 0));
}

TEST_F(DisplayTest, KeyedBlitClipsToTheScreen)
{
    const ClipCase cases[] = {
        {{0, 0, 32, 32}, -10, 100, {10, 0, 32, 32}, 0, 100},
        {{0, 0, 32, 32}, 630, 100, {0, 0, 10, 32}, 630, 100},
        {{0, 0, 1000, 10}, -100, 100, {100, 0, 740, 10}, 0, 100},
        {{0, 0, 700, 10}, -100, 100, {100, 0, 700, 10}, 0, 100},  // the right test sees the cut width
        {{0, 0, 32, 32}, 100, -10, {0, 10, 32, 32}, 100, 0},
        {{0, 0, 32, 32}, 100, 470, {0, 0, 32, 10}, 100, 470},
        {{0, 0, 32, 32}, -31, -31, {31, 31, 32, 32}, 0, 0},
        {{0, 0, 32, 32}, 639, 479, {0, 0, 1, 1}, 639, 479},
    };
    Picture small = numberedPicture(32, 32);
    Picture wide = numberedPicture(1000, 10);
    IDirectDrawSurface7 *smallSurface = makeKeyedSurface(small);
    IDirectDrawSurface7 *wideSurface = makeKeyedSurface(wide);
    ASSERT_TRUE(smallSurface && wideSurface);
    for (const ClipCase &c : cases) {
        const bool isWide = c.rect.bottom == 10;
        SCOPED_TRACE(testing::Message() << "rect right " << c.rect.right << " at (" << c.x << ", " << c.y << ")");
        screen.display.clearBackBuffer(0);
        EXPECT_TRUE(screen.display.blitKeyed(&screen.backBuffer, c.x, c.y, isWide ? &wideSurface : &smallSurface,
                                             c.rect, true));
        Picture expected = filledPicture(kScreenWidth, kScreenHeight, 0);
        drawKeyed(expected, isWide ? wide : small, c.drawn, c.drawnX, c.drawnY);
        EXPECT_EQ(pictureDifferences(expected, backBuffer()), "");
    }
}

TEST_F(DisplayTest, BlitsOfRectanglesWhollyOffTheScreenDrawNothing)
{
    IDirectDrawSurface7 *surface = makeKeyedSurface(numberedPicture(32, 32));
    ASSERT_NE(surface, nullptr);
    const int positions[][2] = {{640, 0}, {700, 100}, {-32, 0}, {-500, 10}, {0, -32}, {0, 480}, {-32, -32}};
    screen.display.clearBackBuffer(0x0842);
    const Picture untouched = filledPicture(kScreenWidth, kScreenHeight, 0x0842);
    for (const auto &at : positions) {
        SCOPED_TRACE(testing::Message() << "at (" << at[0] << ", " << at[1] << ")");
        EXPECT_FALSE(screen.display.blitKeyed(&screen.backBuffer, at[0], at[1], &surface, {0, 0, 32, 32}, true));
        EXPECT_TRUE(
            screen.display.blitTranslucent(&screen.backBuffer, at[0], at[1], &surface, {0, 0, 32, 32}, true));
        EXPECT_EQ(pictureDifferences(untouched, backBuffer()), "");
    }
    EXPECT_FALSE(screen.display.blitKeyed(&screen.backBuffer, 10, 10, &surface, {0, 0, 0, 32}, true));
    EXPECT_FALSE(screen.display.blitKeyed(&screen.backBuffer, 10, 10, &surface, {20, 0, 10, 32}, true));
}

TEST_F(DisplayTest, UnclippedKeyedBlitUsesTheRectangleAsGivenAndSkipsKeyPixels)
{
    Picture source = numberedPicture(16, 8);
    source.at(4, 3) = 0;
    source.at(7, 2) = 0;
    IDirectDrawSurface7 *surface = makeKeyedSurface(source);
    ASSERT_NE(surface, nullptr);
    screen.display.clearBackBuffer(0x0842);
    EXPECT_TRUE(screen.display.blitKeyed(&screen.backBuffer, 100, 50, &surface, {3, 2, 8, 6}, false));
    Picture expected = filledPicture(kScreenWidth, kScreenHeight, 0x0842);
    drawKeyed(expected, source, {3, 2, 8, 6}, 100, 50);
    EXPECT_EQ(expected.at(101, 51), 0x0842u);  // the key pixel (4, 3)
    EXPECT_EQ(pictureDifferences(expected, backBuffer()), "");
}

TEST_F(DisplayTest, TranslucentBlitClipsAndMixesHalfAndHalf)
{
    Picture source = numberedPicture(32, 32);
    for (uint32_t &pixel : source.pixels)
        pixel = pixel * 61u & 0xFFFF;  // spread over all three channels
    source.at(12, 0) = 0;
    IDirectDrawSurface7 *surface = makeSurface(source);
    ASSERT_NE(surface, nullptr);
    screen.display.clearBackBuffer(0xA5A5);
    EXPECT_TRUE(screen.display.blitTranslucent(&screen.backBuffer, -10, 5, &surface, {0, 0, 32, 32}, true));
    Picture expected = filledPicture(kScreenWidth, kScreenHeight, 0xA5A5);
    drawMixed(expected, source, {10, 0, 32, 32}, 0, 5, 0, 0x7BEF);
    EXPECT_EQ(expected.at(2, 5), 0xA5A5u);  // under the source's 0 at (12, 0)
    EXPECT_EQ(pictureDifferences(expected, backBuffer()), "");
}

TEST_F(DisplayTest, UnclippedTranslucentBlitStaysInsideTheTarget)
{
    Picture source = numberedPicture(32, 32);
    IDirectDrawSurface7 *surface = makeSurface(source);
    ASSERT_NE(surface, nullptr);
    screen.display.clearBackBuffer(0x0842);
    Picture expected = filledPicture(kScreenWidth, kScreenHeight, 0x0842);
    EXPECT_TRUE(screen.display.blitTranslucent(&screen.backBuffer, 630, 470, &surface, {0, 0, 32, 32}, false));
    EXPECT_TRUE(screen.display.blitTranslucent(&screen.backBuffer, -20, -25, &surface, {0, 0, 32, 32}, false));
    EXPECT_TRUE(screen.display.blitTranslucent(&screen.backBuffer, 300, 200, &surface, {-5, 28, 40, 70}, false));
    drawMixed(expected, source, {0, 0, 32, 32}, 630, 470, 0, 0x7BEF);
    drawMixed(expected, source, {0, 0, 32, 32}, -20, -25, 0, 0x7BEF);
    drawMixed(expected, source, {-5, 28, 40, 70}, 300, 200, 0, 0x7BEF);
    EXPECT_EQ(pictureDifferences(expected, backBuffer()), "");
}

// blendRect on two pictures made into surfaces; returns the target after.
class BlendTest : public ::testing::Test {
protected:
    Picture blend(TestDisplay &screen, const Picture &source, const Picture &target, int x, int y, RECT rect,
                  uint32_t key, int depth, int bytesPerPixel)
    {
        EXPECT_TRUE(screen.ready);
        IDirectDrawSurface7 *from = createPictureSurface(screen.display, source);
        IDirectDrawSurface7 *to = createPictureSurface(screen.display, target);
        Picture result;
        if (from && to) {
            // The 24-bit case reads 32-bit surfaces as rows of 3-byte pixels.
            if (bytesPerPixel == 3) {
                writePicture(from, 3, source);
                writePicture(to, 3, target);
            }
            blendRect(from, to, x, y, rect, key, depth);
            result = readPicture(to, bytesPerPixel);
        }
        if (from)
            from->Release();
        if (to)
            to->Release();
        return result;
    }

    static Picture row(std::initializer_list<uint32_t> values)
    {
        Picture picture;
        picture.width = int(values.size());
        picture.height = 1;
        picture.pixels = values;
        return picture;
    }
};

TEST_F(BlendTest, Mixes565)
{
    TestDisplay screen(16);
    Picture source = row({0xFFFF, 0xF800, 0x0000, 0xFFFF});
    Picture target = row({0x0000, 0x001F, 0x1234, 0xFFFF});
    Picture expected = row({0x7BEF, 0x780F, 0x1234, 0xF7DE});
    EXPECT_EQ(pictureDifferences(expected, blend(screen, source, target, 0, 0, {0, 0, 4, 1}, 0, 16, 2)), "");
    // Odd width, odd position: the first pixel goes alone.
    Picture shifted = row({0x0000, 0x7BEF, 0x780F, 0x1234});
    EXPECT_EQ(pictureDifferences(shifted, blend(screen, source, row({0, 0x0000, 0x001F, 0x1234}), 1, 0,
                                                {0, 0, 3, 1}, 0, 16, 2)),
              "");
}

TEST_F(BlendTest, Mixes555)
{
    TestDisplay screen(16);
    Picture source = row({0x7FFF, 0x7C00, 0x0000});
    Picture target = row({0x7FFF, 0x001F, 0x5555});
    Picture expected = row({0x7BDE, 0x3C0F, 0x5555});
    EXPECT_EQ(pictureDifferences(expected, blend(screen, source, target, 0, 0, {0, 0, 3, 1}, 0, 15, 2)), "");
}

TEST_F(BlendTest, Mixes32BitKeepingTheFourthByte)
{
    TestDisplay screen(32);
    // 0xFF000000 is black in its low 24 bits and so matches key 0.
    Picture source = row({0x00FFFFFF, 0x00000000, 0xFF000000, 0x00804020});
    Picture target = row({0xAA000000, 0x12345678, 0x55667788, 0x010204FF});
    Picture expected = row({0xAA7F7F7F, 0x12345678, 0x55667788, 0x0141228F});
    EXPECT_EQ(pictureDifferences(expected, blend(screen, source, target, 0, 0, {0, 0, 4, 1}, 0, 32, 4)), "");
}

TEST_F(BlendTest, Mixes24Bit)
{
    TestDisplay screen(32);
    Picture source = row({0xFFFFFF, 0x000000, 0x804020});
    Picture target = row({0x000000, 0xABCDEF, 0x0204FF});
    Picture expected = row({0x7F7F7F, 0xABCDEF, 0x41228F});
    EXPECT_EQ(pictureDifferences(expected, blend(screen, source, target, 0, 0, {0, 0, 3, 1}, 0, 24, 3)), "");
}

TEST_F(BlendTest, OtherDepthsChangeNothing)
{
    TestDisplay screen(16);
    Picture source = row({0xFFFF, 0xF800, 0x1234});
    Picture target = row({0x0001, 0x001F, 0x4321});
    for (int depth : {8, 0, 17, 31})
        EXPECT_EQ(pictureDifferences(target, blend(screen, source, target, 0, 0, {0, 0, 3, 1}, 0, depth, 2)), "")
            << "depth " << depth;
}

TEST_F(BlendTest, TwoPixelPathEqualsPixelByPixelOnRandomRectangles)
{
    TestDisplay screen(16);
    std::mt19937 random(12345);
    auto between = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int round = 0; round < 200; ++round) {
        const int depth = round % 2 ? 15 : 16;
        const uint32_t mask = depth == 15 ? 0x3DEF : 0x7BEF;
        const uint32_t key = round % 3 ? 0 : 0x1234;
        Picture source = filledPicture(between(1, 37), between(1, 9), 0);
        Picture target = filledPicture(between(1, 41), between(1, 11), 0);
        for (uint32_t &pixel : source.pixels)
            pixel = between(0, 3) == 0 ? key : uint32_t(between(0, 0xFFFF));
        for (uint32_t &pixel : target.pixels)
            pixel = uint32_t(between(0, 0xFFFF));
        // Mostly inside both surfaces, sometimes reaching past their edges.
        const int left = between(-3, source.width);
        const int top = between(-2, source.height);
        const RECT rect = {left, top, left + between(-1, source.width + 3), top + between(-1, source.height + 2)};
        const int x = between(-4, target.width);
        const int y = between(-3, target.height);
        Picture expected = target;
        drawMixed(expected, source, rect, x, y, key, mask);
        SCOPED_TRACE(testing::Message() << "round " << round << " depth " << depth << " rect (" << rect.left << ", "
                                        << rect.top << ", " << rect.right << ", " << rect.bottom << ") at (" << x
                                        << ", " << y << ")");
        ASSERT_EQ(pictureDifferences(expected, blend(screen, source, target, x, y, rect, key, depth, 2)), "");
    }
}

TEST(WindowedDisplayTest, PresentCopiesTheBackBufferWithinBothSurfaces)
{
    IDirectDraw7 *directDraw = nullptr;
    IDirectDrawSurface7 *primarySurface = nullptr;
    IDirectDrawSurface7 *backBuffer = nullptr;
    IDirectDrawClipper *clipper = nullptr;
    Display display;
    display.directDraw = &directDraw;
    display.primarySurface = &primarySurface;
    display.backBuffer = &backBuffer;
    display.clipper = &clipper;
    display.fullScreen = false;
    display.screenWidth = 64;
    display.screenHeight = 48;
    display.bitDepth = 16;
    ASSERT_TRUE(display.initialize(createTestWindow()));
    EXPECT_NE(clipper, nullptr);
    EXPECT_EQ(display.screenRect.right, 64);
    display.clearBackBuffer(0x1234);
    EXPECT_TRUE(display.present());
    // Rectangles far larger than either surface are cut to them.
    display.screenRect = {-50, -50, 100000, 100000};
    display.targetRect = {-70, -70, 100000, 100000};
    EXPECT_TRUE(display.present());
    display.releaseInterfaces();
    EXPECT_EQ(directDraw, nullptr);
    EXPECT_EQ(primarySurface, nullptr);
    EXPECT_EQ(backBuffer, nullptr);
    EXPECT_EQ(clipper, nullptr);
    EXPECT_EQ(display.clipper, nullptr);
}

TEST(DisplayStateTest, ConstructedDisplayIsFullScreenAndEmpty)
{
    Display display;
    EXPECT_EQ(display.directDraw, nullptr);
    EXPECT_EQ(display.primarySurface, nullptr);
    EXPECT_EQ(display.backBuffer, nullptr);
    EXPECT_EQ(display.clipper, nullptr);
    EXPECT_TRUE(display.fullScreen);
    EXPECT_FALSE(display.initialized);
    EXPECT_FALSE(display.initialize(nullptr));  // no interface variables to fill
    EXPECT_TRUE(display.clearBackBuffer(0));
    EXPECT_TRUE(display.present());
}

} // namespace
