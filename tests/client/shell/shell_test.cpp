// The shell in this process, against the stand-in. Every test that runs
// WinMain does so in a child process of its own (a death test), since the
// program's globals serve exactly one run; the child ends through std::exit,
// so the exit-time teardown runs there too and is checked below.
#include "client/shell/globals.h"
#include "client/shell/shell.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "client/sprites/sprite_module.h"
#include "platform/standin.h"
#include "tools/world_layout.h"

namespace {

// Constructed before, so destroyed after, every global of the program: once
// the teardown is over no DirectDraw object, surface or clipper may be left.
struct TeardownCheck {
    ~TeardownCheck()
    {
        const standin::LiveCounts live = standin::liveCounts();
        if (live.directDrawObjects != 0 || live.surfaces != 0 || live.clippers != 0) {
            std::fprintf(stderr, "live after teardown: %d DirectDraw objects, %d surfaces, %d clippers\n",
                         live.directDrawObjects, live.surfaces, live.clippers);
            std::_Exit(3);
        }
    }
};
__attribute__((init_priority(101))) TeardownCheck teardownCheck;

// Runs WinMain on a script; a failed check exits with status 1 after
// printing what it expected and what it got.
int runWinMain(const std::string &script)
{
    standin::reset();
    standin::choosePresenter("headless");
    standin::setScript(script);
    return WinMain(nullptr, nullptr, nullptr, 0);
}

void require(bool ok, const std::string &what)
{
    if (!ok) {
        std::fprintf(stderr, "FAILED: %s\n", what.c_str());
        std::exit(1);
    }
}

uint16_t pixelAt(int x, int y)
{
    const standin::Frame &frame = standin::lastPresentedFrame();
    require(frame.width == 640 && frame.height == 480 && frame.bitsPerPixel == 16, "a 640 x 480 16-bit frame");
    const uint8_t *p = &frame.bytes[static_cast<size_t>(y * frame.pitch + x * 2)];
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

void requirePixel(int x, int y, uint16_t expected, const std::string &what)
{
    const uint16_t got = pixelAt(x, y);
    char text[160];
    std::snprintf(text, sizeof text, "%s at (%d, %d): expected 0x%04X, got 0x%04X", what.c_str(), x, y, expected, got);
    require(got == expected, text);
}

// Middle of tile (x, y) on screen with the view centred on (cx, cy).
int screenX(int x, int y, int cx, int cy) { return 320 + 20 * ((x - cx) + (y - cy)); }
int screenY(int x, int y, int cx, int cy) { return 240 + 10 * ((x - cx) - (y - cy)); }

void requireLandmarkTiles(int cx, int cy)
{
    for (const world::TilePlace &tile : world::kLandmarkTiles) {
        const int sx = screenX(tile.x, tile.y, cx, cy), sy = screenY(tile.x, tile.y, cx, cy);
        if (sx < 1 || sx > 638 || sy < 1 || sy > 478) continue;
        uint16_t key = 0;
        for (const world::TerrainInfo &terrain : world::kTerrain)
            if (terrain.id == tile.id) key = world::displayWord(terrain.key);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                requirePixel(sx + dx, sy + dy, key, "tile " + std::to_string(tile.x) + "," + std::to_string(tile.y));
    }
}

}  // namespace

TEST(ShellGlobals, ConstructedBeforeEntryWithTheModuleBound)
{
    EXPECT_EQ(g_mapView.leftEdge[0], 18) << "the view's edge tables are built";
    EXPECT_EQ(g_mapView.rightEdge[9], 39);
    EXPECT_EQ(g_mapView.leftEdge[19], 18);
    EXPECT_TRUE(g_display.fullScreen);
    EXPECT_FALSE(g_display.initialized);
    EXPECT_EQ(g_display.directDraw, nullptr);
    EXPECT_EQ(g_objectList.inFrontOf, footprintInFrontOf);
    EXPECT_EQ(g_objectList.count, 0);
    EXPECT_EQ(g_map.data, nullptr);
    EXPECT_TRUE(g_spriteLibrary.entries.empty());
    // The library's constructor bound the module before the entry point, and
    // the binding's own (later) construction kept it.
    EXPECT_NE(g_spriteModule.moduleHandle, nullptr);
    EXPECT_NE(g_spriteModule.loadSpriteLibrary, nullptr);
    EXPECT_EQ(g_directDraw, nullptr);
    EXPECT_EQ(g_backBuffer, nullptr);
    EXPECT_EQ(g_mouseX, 0);
    EXPECT_EQ(g_mouseY, 0);
}

TEST(ShellFrame, NothingIsDrawnBeforeSetUp)
{
    EXPECT_FALSE(runFrame());
    EXPECT_EQ(standin::presentedFrameCount(), 0u);
    EXPECT_FALSE(drawViewSprite(0, 100, 100));
    EXPECT_FALSE(drawViewSprite(-1, 100, 100));
}

TEST(ShellWindowProc, MouseKeysAndClose)
{
    standin::reset();
    HWND window = createMainWindow(nullptr);
    ASSERT_NE(window, nullptr);
    g_mapView.screenCenterX = 320;
    g_mapView.screenCenterY = 240;
    g_mapView.centerX = 5;
    g_mapView.centerY = 5;

    // Both halves of lParam are unsigned 16-bit values.
    EXPECT_EQ(WindowProc(window, WM_MOUSEMOVE, 0, static_cast<LPARAM>(0xFFFE012Cu)), 0);
    EXPECT_EQ(g_mouseX, 300);
    EXPECT_EQ(g_mouseY, 0xFFFE);
    // The release picks where the last move was, not at its own lParam.
    WindowProc(window, WM_MOUSEMOVE, 0, MAKELPARAM(300, 231));
    EXPECT_EQ(WindowProc(window, WM_LBUTTONUP, 0, MAKELPARAM(320, 240)), 0);
    EXPECT_EQ(g_mapView.centerX, 4);
    EXPECT_EQ(g_mapView.centerY, 5);

    MSG message{};
    EXPECT_EQ(WindowProc(window, WM_KEYDOWN, 'A', 0), 0);
    EXPECT_EQ(WindowProc(window, WM_ERASEBKGND, 0, 0), 0);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) << "other keys post nothing";
    EXPECT_EQ(WindowProc(window, WM_KEYDOWN, VK_ESCAPE, 0), 0);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(WindowProc(window, WM_CLOSE, 0, 0), 0);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 0u);

    // Leave the state of a fresh start for the tests that follow.
    g_mouseX = 0;
    g_mouseY = 0;
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

TEST(ShellRun, ReleaseRecentresOnThePickedTile)
{
    EXPECT_EXIT(
        {
            // The middle of tile (6, 3) from the start view centred on (0, 0).
            require(runWinMain("frames 1\nmove 500 270\nlup\nframes 1\nkey escape\n") == 0, "exit code 0");
            requireLandmarkTiles(6, 3);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(ShellRun, ReleaseBeforeAnyMovePicksAtTheTopLeftCorner)
{
    EXPECT_EXIT(
        {
            // (0, 0) picks tile (-20, 4): only the top tip of tile (0, 0)'s
            // middle reaches the bottom-right corner of the screen.
            require(runWinMain("frames 1\nlup\nframes 1\nkey escape\n") == 0, "exit code 0");
            requirePixel(639, 479, world::displayWord(world::kTerrain[0].key), "middle of tile 0,0");
            requirePixel(320, 240, 0, "off the map");
            std::exit(0);
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

TEST(ShellRun, MissingDataFilesStillEndWithZero)
{
    EXPECT_EXIT(
        {
            const std::filesystem::path empty =
                std::filesystem::temp_directory_path() / ("shell_test_empty_" + std::to_string(getpid()));
            std::filesystem::create_directories(empty);
            std::filesystem::current_path(empty);
            const int code = runWinMain("frames 3\nkey escape\n");
            std::filesystem::remove_all(empty);
            require(standin::presentedFrameCount() >= 3, "frames go on without a scene");
            requirePixel(320, 240, 0, "an empty screen");
            std::exit(code);
        },
        ::testing::ExitedWithCode(0), "");
}
