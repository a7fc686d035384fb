// The shell in this process, against the stand-in. Every test that runs
// WinMain does so in a child process of its own (a death test), since the
// program's globals serve exactly one run; the child ends through std::exit,
// so the exit-time teardown runs there too and is checked below. What the
// program draws is judged from its own runs (client_run_test).
#include "client/shell/globals.h"
#include "client/shell/shell.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "client/sprites/sprite_module.h"
#include "platform/standin.h"

namespace {

// Constructed before, so destroyed after, every global of the program: once
// the teardown is over no DirectDraw object, surface or clipper may be left,
// and no surface may have been released after the chain that held it.
struct TeardownCheck {
    ~TeardownCheck()
    {
        const standin::LiveCounts live = standin::liveCounts();
        if (live.directDrawObjects != 0 || live.surfaces != 0 || live.clippers != 0 || live.releasesAfterChain != 0) {
            std::fprintf(stderr,
                         "after teardown: %d DirectDraw objects, %d surfaces, %d clippers live; "
                         "%d back buffer releases after their chain\n",
                         live.directDrawObjects, live.surfaces, live.clippers, live.releasesAfterChain);
            std::_Exit(3);
        }
    }
};
__attribute__((init_priority(101))) TeardownCheck teardownCheck;

// Runs WinMain headless on an input script.
int runWinMain(const std::string &script)
{
    standin::reset();
    standin::choosePresenter("headless");
    standin::setScript(script);
    return WinMain(nullptr, nullptr, nullptr, 0);
}

// A check inside a death test: on failure the child says what and exits 1.
void require(bool ok, const std::string &what)
{
    if (!ok) {
        std::fprintf(stderr, "FAILED: %s\n", what.c_str());
        std::exit(1);
    }
}

}  // namespace

TEST(ShellGlobals, ConstructedBeforeEntryWithTheModuleBound)
{
    EXPECT_TRUE(g_mapView.leftEdge[0] == 18 && g_mapView.rightEdge[9] == 39) << "edge tables built";
    EXPECT_TRUE(g_display.fullScreen && !g_display.initialized && g_display.directDraw == nullptr);
    EXPECT_TRUE(g_objectList.inFrontOf == footprintInFrontOf && g_objectList.count == 0 && g_map.data == nullptr);
    // The library's constructor bound the module before the entry point, and
    // the binding's own later construction kept it.
    EXPECT_NE(g_spriteModule.loadSpriteLibrary, nullptr);
    EXPECT_TRUE(g_spriteLibrary.entries.empty() && g_directDraw == nullptr && g_mouseX == 0 && g_mouseY == 0);
    // Before set-up a frame draws nothing and no index names a sprite.
    EXPECT_FALSE(runFrame());
    EXPECT_EQ(standin::presentedFrameCount(), 0u);
    EXPECT_FALSE(drawViewSprite(0, 100, 100));
}

TEST(ShellWindowProc, MouseKeysAndClose)
{
    standin::reset();
    HWND window = createMainWindow(nullptr);
    g_mapView.screenCenterX = 320;
    g_mapView.screenCenterY = 240;
    g_mapView.centerX = g_mapView.centerY = 5;
    EXPECT_EQ(WindowProc(window, WM_MOUSEMOVE, 0, static_cast<LPARAM>(0xFFFE012Cu)), 0);
    EXPECT_TRUE(g_mouseX == 300 && g_mouseY == 0xFFFE) << "both halves unsigned";
    // The release picks where the last move was, not at its own lParam.
    WindowProc(window, WM_MOUSEMOVE, 0, MAKELPARAM(300, 231));
    EXPECT_EQ(WindowProc(window, WM_LBUTTONUP, 0, MAKELPARAM(320, 240)), 0);
    EXPECT_TRUE(g_mapView.centerX == 4 && g_mapView.centerY == 5);

    MSG message{};
    EXPECT_EQ(WindowProc(window, WM_KEYDOWN, 'A', 0) | WindowProc(window, WM_ERASEBKGND, 0, 0), 0);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) << "other keys post nothing";
    EXPECT_EQ(WindowProc(window, WM_KEYDOWN, VK_ESCAPE, 0), 0);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(WindowProc(window, WM_CLOSE, 0, 0), 0);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_TRUE(message.message == WM_QUIT && message.wParam == 0);

    // Leave the state of a fresh start for the tests that follow.
    g_mouseX = g_mouseY = 0;
    g_mapView = MapView();
    standin::reset();
}

TEST(ShellRun, EscapeEndsWithZeroAndTheTeardownLeavesNothingLive)
{
    EXPECT_EXIT(
        {
            const int code = runWinMain("frames 3\nkey escape\n");
            require(standin::liveCounts().surfaces > 2, "sprite surfaces made while running");
            std::exit(code);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(ShellRun, BurstIsHandledOneMessagePerFrame)
{
    EXPECT_EXIT(
        {
            // Two frames, then six messages at once: five button presses and
            // Escape, which brings WM_CHAR and WM_CLOSE. One message and one
            // frame per pass: 2 + 5 + 3 frames, then WM_QUIT ends the loop.
            require(runWinMain("frames 2\nburst 6\nldown\nldown\nldown\nldown\nldown\nkey escape\n") == 0, "exit 0");
            const uint64_t frames = standin::presentedFrameCount();
            require(frames == 10, "10 frames, got " + std::to_string(frames));
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
