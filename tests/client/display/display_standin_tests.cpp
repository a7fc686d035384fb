// Display lifetimes and presenting, seen through the stand-in's counts of
// live DirectDraw objects and its presented frames (Linux only).
#include "platform/standin.h"
#include "tests/client/display/display_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint32_t framePixel(const standin::Frame &frame, int x, int y)
{
    uint32_t value = 0;
    std::memcpy(&value, &frame.bytes[size_t(y) * size_t(frame.pitch) + size_t(x) * size_t(frame.bitsPerPixel / 8)],
                size_t(frame.bitsPerPixel / 8));
    return value;
}

TEST(DisplayLifetimeTest, ReleaseInterfacesLeavesNothingAlive)
{
    {
        TestDisplay screen(16);
        ASSERT_TRUE(screen.ready);
        const standin::LiveCounts live = standin::liveCounts();
        EXPECT_EQ(live.directDrawObjects, 1);
        EXPECT_GE(live.surfaces, 2);
        IDirectDrawSurface7 *sprite = createPictureSurface(screen.display, numberedPicture(4, 3));
        ASSERT_NE(sprite, nullptr);
        EXPECT_EQ(standin::liveCounts().surfaces, live.surfaces + 1);
        sprite->Release();
        EXPECT_EQ(standin::liveCounts().surfaces, live.surfaces);
    }
    const standin::LiveCounts after = standin::liveCounts();
    EXPECT_EQ(after.directDrawObjects, 0);
    EXPECT_EQ(after.surfaces, 0);
    EXPECT_EQ(after.clippers, 0);
    EXPECT_EQ(after.releasesAfterChain, 0);  // the back buffer went before its primary
}

TEST(DisplayLifetimeTest, WindowedDisplayReleasesItsClipperToo)
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
    EXPECT_EQ(standin::liveCounts().clippers, 1);
    display.releaseInterfaces();
    const standin::LiveCounts after = standin::liveCounts();
    EXPECT_EQ(after.directDrawObjects, 0);
    EXPECT_EQ(after.surfaces, 0);
    EXPECT_EQ(after.clippers, 0);
}

TEST(PresentTest, FullScreenPresentShowsTheBackBuffer)
{
    TestDisplay screen(16);
    ASSERT_TRUE(screen.ready);
    const uint64_t before = standin::presentedFrameCount();
    screen.display.clearBackBuffer(0xF81F);
    EXPECT_TRUE(screen.display.present());
    EXPECT_EQ(standin::presentedFrameCount(), before + 1);
    const standin::Frame &frame = standin::lastPresentedFrame();
    ASSERT_EQ(frame.width, 640);
    ASSERT_EQ(frame.height, 480);
    ASSERT_EQ(frame.bitsPerPixel, 16);
    EXPECT_EQ(framePixel(frame, 0, 0), 0xF81Fu);
    EXPECT_EQ(framePixel(frame, 639, 479), 0xF81Fu);
}

} // namespace
