// The shell in this process, against the stand-in. WinMain runs in a death
// test's child, since the program's globals serve one run; the child ends
// through std::exit, so the exit-time teardown is checked there too.
#include "client/shell/globals.h"
#include "client/shell/shell.h"
#include "client/sprites/sprite_module.h"
#include "platform/standin.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

// Constructed before, so destroyed after, every global of the program: then
// no DirectDraw object, surface or clipper may be left, and no surface may
// have been released after the chain that held it.
struct TeardownCheck {
    ~TeardownCheck() {
        const standin::LiveCounts live = standin::liveCounts();
        if (live.directDrawObjects || live.surfaces || live.clippers || live.releasesAfterChain) {
            std::fprintf(stderr, "after teardown: %d DirectDraw objects, %d surfaces, %d clippers; %d late releases\n",
                         live.directDrawObjects, live.surfaces, live.clippers, live.releasesAfterChain);
            std::_Exit(3);
        }
    }
};
__attribute__((init_priority(101))) TeardownCheck teardownCheck;

TEST(Shell, GlobalsAreReadyBeforeEntryAndNothingIsDrawnBeforeSetUp) {
    // The library's constructor bound the module; the binding's own later construction kept it.
    EXPECT_NE(g_spriteModule.loadSpriteLibrary, nullptr);
    EXPECT_FALSE(runFrame() || drawViewSprite(0, 100, 100));
    EXPECT_EQ(standin::presentedFrameCount(), 0u);
}

TEST(Shell, MouseMoveKeepsBothHalvesUnsignedAndReleasePicksAtTheLastMove) {
    standin::reset();
    HWND window = createMainWindow(nullptr);
    g_mapView.screenCenterX = 320;
    g_mapView.screenCenterY = 240;
    g_mapView.centerX = g_mapView.centerY = 5;
    EXPECT_EQ(WindowProc(window, WM_MOUSEMOVE, 0, LPARAM(0xFFFE012Cu)), 0);
    EXPECT_EQ(std::pair(g_mouseX, g_mouseY), std::pair(300, 0xFFFE));
    WindowProc(window, WM_MOUSEMOVE, 0, MAKELPARAM(300, 231));
    EXPECT_EQ(WindowProc(window, WM_LBUTTONUP, 0, MAKELPARAM(320, 240)), 0);
    EXPECT_EQ(std::pair(g_mapView.centerX, g_mapView.centerY), std::pair(4, 5));
    g_mouseX = g_mouseY = 0;  // a fresh start for the test that follows
    g_mapView = MapView();
    standin::reset();
}

TEST(Shell, BurstIsHandledOneMessagePerFrameEscapeEndsWithZeroAndTheTeardownLeavesNothing) {
    EXPECT_EXIT(
        {
            // Two frames, then six messages at once: five presses and Escape,
            // which brings WM_CHAR and WM_CLOSE. One message and one frame per
            // pass: 2 + 5 + 3 frames, then WM_QUIT ends the loop.
            standin::reset();
            standin::choosePresenter("headless");
            standin::setScript("frames 2\nburst 6\nldown\nldown\nldown\nldown\nldown\nkey escape\n");
            const int code = WinMain(nullptr, nullptr, nullptr, 0);
            const int frames = int(standin::presentedFrameCount());
            const int surfaces = standin::liveCounts().surfaces;
            std::fprintf(stderr, "exit %d, %d frames, %d surfaces live\n", code, frames, surfaces);
            std::exit(code == 0 && frames == 10 && surfaces > 2 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
