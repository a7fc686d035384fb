// Display lifetimes and presenting, seen through the Linux stand-in's counts
// of live DirectDraw objects and its presented frames.
#include "platform/standin.h"
#include "tests/client/display/display_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint16_t framePixel(const standin::Frame &frame, int x, int y)
{
    uint16_t value = 0;
    std::memcpy(&value, &frame.bytes[size_t(y) * size_t(frame.pitch) + size_t(x) * 2], 2);
    return value;
}

void expectNothingAlive()
{
    const standin::LiveCounts live = standin::liveCounts();
    EXPECT_EQ(live.directDrawObjects, 0);
    EXPECT_EQ(live.surfaces, 0);
    EXPECT_EQ(live.clippers, 0);
    EXPECT_EQ(live.releasesAfterChain, 0);  // no back buffer released after its primary
}

TEST(DisplayStandInTest, FullScreenPresentShowsTheBackBufferAndReleaseLeavesNothing)
{
    {
        TestDisplay screen(16);
        ASSERT_TRUE(screen.ready);
        EXPECT_EQ(standin::liveCounts().directDrawObjects, 1);
        const uint64_t before = standin::presentedFrameCount();
        screen.display.clearBackBuffer(0xF81F);
        EXPECT_TRUE(screen.display.present());
        EXPECT_EQ(standin::presentedFrameCount(), before + 1);
        const standin::Frame &frame = standin::lastPresentedFrame();
        ASSERT_TRUE(frame.width == 640 && frame.height == 480 && frame.bitsPerPixel == 16);
        EXPECT_EQ(framePixel(frame, 639, 479), 0xF81F);
    }
    expectNothingAlive();
}

TEST(DisplayStandInTest, WindowedPresentIsCutToBothSurfaces)
{
    IDirectDraw7 *directDraw = nullptr;
    IDirectDrawSurface7 *primarySurface = nullptr, *backBuffer = nullptr;
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
    ASSERT_TRUE(display.initialize(testWindow()));
    EXPECT_EQ(standin::liveCounts().clippers, 1);
    display.clearBackBuffer(0x1234);
    display.screenRect = {-50, -50, 100000, 100000};
    display.targetRect = {-70, -70, 100000, 100000};
    const uint64_t before = standin::presentedFrameCount();
    EXPECT_TRUE(display.present());
    EXPECT_EQ(standin::presentedFrameCount(), before + 1);
    EXPECT_EQ(framePixel(standin::lastPresentedFrame(), 0, 0), 0x1234);
    display.releaseInterfaces();
    EXPECT_EQ(clipper, nullptr);
    expectNothingAlive();
}

} // namespace
