// The windowed present and the release, seen through the Linux stand-in's frames and counts.
#include "platform/standin.h"
#include "tests/client/display/display_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(DisplayStandInTest, WindowedPresentIsCutToBothSurfacesAndReleaseLeavesNothing) {
    {
        TestDisplay screen(16, false);
        ASSERT_TRUE(screen.ready);
        EXPECT_EQ(standin::liveCounts().clippers, 1);
        screen.display.clearBackBuffer(0xF81F);
        screen.display.screenRect = {-50, -50, 100000, 100000};
        screen.display.targetRect = {-70, -70, 100000, 100000};
        const uint64_t before = standin::presentedFrameCount();
        EXPECT_TRUE(screen.display.present());
        ASSERT_EQ(standin::presentedFrameCount(), before + 1);
        const standin::Frame &frame = standin::lastPresentedFrame();  // the desktop's format
        const size_t bytes = size_t(frame.bitsPerPixel / 8);
        uint32_t first = 0, last = 0;
        std::memcpy(&first, frame.bytes.data(), bytes);
        std::memcpy(&last, &frame.bytes[479 * size_t(frame.pitch) + 639 * bytes], bytes);
        EXPECT_EQ(std::pair(first, last), std::pair(0xF81Fu, 0xF81Fu)) << "first and last pixel";
    }
    const standin::LiveCounts live = standin::liveCounts();
    EXPECT_EQ(std::tuple(live.directDrawObjects, live.surfaces, live.clippers, live.releasesAfterChain),
              std::tuple(0, 0, 0, 0))
        << "live DirectDraw objects, surfaces, clippers; late releases";
}
