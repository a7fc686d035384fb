// What only the stand-in has: live counts, padded pitch, kept frames, PNG
// output, the headless presenter's script, and the viewport maths.
#include "platform/standin.h"
#include "platform/script.h"
#include "platform/viewport.h"
#include "platform/win32.h"
#include "surface_helpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <png.h>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

using platform_test::createDirectDraw;
using platform_test::createSurface;
using platform_test::readPixels;
using platform_test::writePixels;

namespace {

class StandIn : public ::testing::Test {
protected:
    void SetUp() override {
        standin::choosePresenter("headless");
        ASSERT_EQ(standin::presenterName(), "headless");
        standin::reset();
        before = standin::liveCounts();
    }
    void TearDown() override {
        standin::LiveCounts after = standin::liveCounts();
        EXPECT_EQ(after.directDrawObjects, before.directDrawObjects) << "a DirectDraw object outlived the test";
        EXPECT_EQ(after.surfaces, before.surfaces) << "a surface outlived the test";
        EXPECT_EQ(after.clippers, before.clippers) << "a clipper outlived the test";
        EXPECT_EQ(after.releasesAfterChain, before.releasesAfterChain + expectedLateReleases);
    }
    standin::LiveCounts before;
    int expectedLateReleases = 0;
};

// The client's display: full screen 640x480x16 with one back buffer.
struct FlipChain {
    IDirectDraw7 *directDraw = nullptr;
    IDirectDrawSurface7 *primary = nullptr;
    IDirectDrawSurface7 *back = nullptr;

    bool open(HWND window) {
        IDirectDraw *first = nullptr;
        if (DirectDrawCreate(nullptr, &first, nullptr) != DD_OK)
            return false;
        first->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void **>(&directDraw));
        first->Release();
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.dwBackBufferCount = 1;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        DDSCAPS2 caps = {};
        caps.dwCaps = DDSCAPS_BACKBUFFER;
        return directDraw && directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) == DD_OK &&
               directDraw->SetDisplayMode(640, 480, 16, 0, 0) == DD_OK &&
               directDraw->CreateSurface(&desc, &primary, nullptr) == DD_OK &&
               primary->GetAttachedSurface(&caps, &back) == DD_OK;
    }
    // The object first, then its surfaces, the back buffer before its front
    // buffer; with clientOrder the back buffer last, as the client does.
    void close(bool clientOrder = false) {
        IUnknown *order[] = {directDraw, back, primary};
        if (clientOrder)
            std::swap(order[1], order[2]);
        for (IUnknown *object : order)
            if (object)
                object->Release();
        directDraw = nullptr;
        primary = back = nullptr;
    }
};

std::vector<MSG> handledMessages;

LRESULT CALLBACK loopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    handledMessages.push_back(MSG{window, message, wParam, lParam, 0, {0, 0}});
    if (message == WM_CLOSE) {
        PostQuitMessage(4);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND loopWindow() {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = loopProc;
    windowClass.lpszClassName = "Client";
    RegisterClassExA(&windowClass);
    HWND window = CreateWindowExA(0, "Client", "Client", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                  GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOWMAXIMIZED);
    return window;
}

// The client's loop for a number of passes: at most one message, then a
// flip. Returns, per pass, the messages the window procedure saw.
std::vector<std::vector<UINT>> runPasses(FlipChain &display, int passes, int *quitCode = nullptr) {
    std::vector<std::vector<UINT>> perPass;
    for (int pass = 0; pass < passes; ++pass) {
        handledMessages.clear();
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (GetMessageA(&msg, nullptr, 0, 0) == 0) {
                if (quitCode)
                    *quitCode = (int)msg.wParam;
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        display.primary->Flip(nullptr, DDFLIP_WAIT);
        std::vector<UINT> seen;
        for (const MSG &handled : handledMessages)
            seen.push_back(handled.message);
        perPass.push_back(seen);
    }
    return perPass;
}

using LiveCounts = StandIn;

TEST_F(LiveCounts, TheClientsTeardownOrderReleasesEverythingButWarns) {
    FlipChain display;
    ASSERT_TRUE(display.open(loopWindow()));
    IDirectDrawSurface7 *sprite = createSurface(display.directDraw, 40, 20, 16);
    IDirectDrawClipper *clipper = nullptr;
    ASSERT_EQ(display.directDraw->CreateClipper(0, &clipper, nullptr), DD_OK);
    standin::LiveCounts open = standin::liveCounts();
    EXPECT_EQ(open.directDrawObjects, before.directDrawObjects + 1);
    EXPECT_EQ(open.surfaces, before.surfaces + 3);
    EXPECT_EQ(open.clippers, before.clippers + 1);
    sprite->Release();
    clipper->Release();
    // Releasing the object first leaves it alive for its primary surface.
    EXPECT_EQ(display.directDraw->Release(), 1u);
    EXPECT_EQ(standin::liveCounts().directDrawObjects, before.directDrawObjects + 1);
    display.directDraw = nullptr;
    // The back buffer goes after its front buffer: Windows would have freed it.
    ::testing::internal::CaptureStderr();
    display.close(true);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("back buffer"), std::string::npos);
    EXPECT_EQ(standin::liveCounts().releasesAfterChain, before.releasesAfterChain + 1);
    expectedLateReleases = 1;
}

TEST_F(LiveCounts, ABackBufferReleasedBeforeItsPrimaryGoesWithTheChain) {
    FlipChain display;
    ASSERT_TRUE(display.open(loopWindow()));
    EXPECT_EQ(display.back->Release(), 1u);   // the chain still holds it
    EXPECT_EQ(standin::liveCounts().surfaces, before.surfaces + 2);
    display.back = nullptr;
    display.close();
    EXPECT_EQ(standin::liveCounts().releasesAfterChain, before.releasesAfterChain);
}

TEST_F(LiveCounts, ScreenMetricsFollowTheEmulatedModeWhileItLasts) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
    FlipChain display;
    ASSERT_TRUE(display.open(loopWindow()));
    EXPECT_EQ(display.directDraw->SetDisplayMode(800, 600, 32, 0, 0), DD_OK);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
    display.close();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
}

using PaddedPitch = StandIn;

TEST_F(PaddedPitch, RowsAreLongerThanThePixels) {
    IDirectDraw7 *directDraw = createDirectDraw();
    ASSERT_NE(directDraw, nullptr);
    for (int bits : {16, 32})
        for (int width : {1, 40, 640}) {
            IDirectDrawSurface7 *surface = createSurface(directDraw, width, 2, bits);
            ASSERT_NE(surface, nullptr);
            DDSURFACEDESC2 desc = {};
            desc.dwSize = sizeof(desc);
            ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
            EXPECT_GT(desc.lPitch, width * bits / 8) << width << " pixels of " << bits << " bits";
            surface->Unlock(nullptr);
            surface->Release();
        }
    directDraw->Release();
}

using BadArguments = StandIn;

TEST_F(BadArguments, AbsurdSizesAndMissingPointersAreRefused) {
    IDirectDraw7 *directDraw = createDirectDraw();
    ASSERT_NE(directDraw, nullptr);
    for (DWORD side : {DWORD(100000), DWORD(16384), DWORD(0xFFFFFFFF)}) {
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = side;
        desc.dwHeight = side;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        IDirectDrawSurface7 *surface = reinterpret_cast<IDirectDrawSurface7 *>(&desc);
        EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DDERR_OUTOFMEMORY) << side;
        EXPECT_EQ(surface, nullptr);
    }
    IDirectDrawSurface7 *surface = createSurface(directDraw, 4, 4, 16);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->Lock(nullptr, nullptr, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface->BltFast(0, 0, nullptr, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface->GetAttachedSurface(nullptr, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface->GetSurfaceDesc(nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->CreateSurface(nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
    EXPECT_EQ(DirectDrawCreate(nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS);
    surface->Release();
    directDraw->Release();
}

using Frames = StandIn;

TEST_F(Frames, EachFlipPresentsTheFrontAndTheLastFrameOutlivesTheDisplay) {
    FlipChain display;
    ASSERT_TRUE(display.open(loopWindow()));
    const std::vector<uint32_t> picture = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0x1234};
    writePixels(display.back, 3, 2, picture);
    ASSERT_EQ(display.primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(standin::presentedFrameCount(), 1u);
    display.close();
    const standin::Frame &frame = standin::lastPresentedFrame();
    ASSERT_EQ(frame.width, 640);
    ASSERT_EQ(frame.height, 480);
    ASSERT_EQ(frame.bitsPerPixel, 16);
    ASSERT_EQ(frame.pitch, 1280);
    std::vector<uint32_t> got;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            got.push_back((uint32_t)frame.bytes[(size_t)(y * frame.pitch + 2 * x)] |
                          ((uint32_t)frame.bytes[(size_t)(y * frame.pitch + 2 * x + 1)] << 8));
    EXPECT_EQ(got, picture);
}

std::vector<uint8_t> readPngRgb(const std::string &path, int *width, int *height) {
    std::vector<uint8_t> pixels;
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return pixels;
    image.format = PNG_FORMAT_RGB;
    pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        pixels.clear();
    *width = (int)image.width;
    *height = (int)image.height;
    return pixels;
}

TEST_F(Frames, PngWidensFiveSixFiveByRepeatingTheTopBits) {
    standin::Frame frame;
    frame.width = 3;
    frame.height = 2;
    frame.bitsPerPixel = 16;
    frame.pitch = 6;
    const uint16_t values[] = {0xF800, 0x07E0, 0x001F, 0x0821, 0xFFFF, 0x8410};
    for (uint16_t value : values) {
        frame.bytes.push_back((uint8_t)value);
        frame.bytes.push_back((uint8_t)(value >> 8));
    }
    std::string path = ::testing::TempDir() + "standin_frame.png";
    ASSERT_TRUE(standin::saveFramePng(frame, path));
    int width = 0, height = 0;
    std::vector<uint8_t> rgb = readPngRgb(path, &width, &height);
    std::remove(path.c_str());
    ASSERT_EQ(width, 3);
    ASSERT_EQ(height, 2);
    const std::vector<uint8_t> expected = {255, 0, 0,   0, 255, 0,   0,   0,   255,   // red, green, blue
                                           8,   4, 8,   255, 255, 255, 132, 130, 132}; // lowest steps, white, grey
    EXPECT_EQ(rgb, expected);
    EXPECT_FALSE(standin::saveFramePng(standin::Frame(), path));
    EXPECT_FALSE(standin::saveFramePng(frame, ::testing::TempDir() + "no/such/dir/x.png"));
}

using Script = StandIn;

TEST_F(Script, ParsesEveryCommandAndNamesABadLine) {
    std::vector<standin::ScriptCommand> commands;
    std::string error;
    ASSERT_TRUE(standin::parseScript("# start\nframes 3\nseconds 0.5\nmove 10 0x14\nldown\nlup\nkey escape\n"
                                     "key 65\nkey q\nburst 2\nclose\nshot out dir/a b.png\n",
                                     &commands, &error))
        << error;
    ASSERT_EQ(commands.size(), 11u);
    EXPECT_EQ(commands[2].kind, standin::ScriptCommand::Move);
    EXPECT_EQ(commands[2].amount, 10);
    EXPECT_EQ(commands[2].y, 20);
    EXPECT_EQ(commands[5].amount, VK_ESCAPE);
    EXPECT_EQ(commands[7].amount, 'Q');
    EXPECT_EQ(commands[10].path, "out dir/a b.png");
    for (const char *bad : {"frames\n", "frames -1\n", "move 1\n", "key nosuchkey\n", "jump 3\n", "burst 0\n",
                            "seconds nan\n", "frames 1 2\n"}) {
        EXPECT_FALSE(standin::parseScript(std::string("frames 1\n") + bad, &commands, &error)) << bad;
        EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    }
}

TEST_F(Script, InputArrivesOnePerPassAfterTheFramesItWaitsFor) {
    FlipChain display;
    ASSERT_TRUE(display.open(loopWindow()));
    standin::setScript("frames 2\nmove 5 6\nlup\nkey escape\n");
    auto passes = runPasses(display, 8);
    std::vector<std::vector<UINT>> expected = {
        {}, {}, {WM_MOUSEMOVE}, {WM_LBUTTONUP}, {WM_KEYDOWN}, {WM_CHAR}, {}, {}};
    EXPECT_EQ(passes, expected);
    display.close();
}

TEST_F(Script, MouseMessagesCarryPicturePositionsAsWin32PacksThem) {
    FlipChain display;
    ASSERT_TRUE(display.open(loopWindow()));
    standin::setScript("move 639 479\nldown\nlup\n");
    std::vector<MSG> seen;
    for (int pass = 0; pass < 4; ++pass) {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            seen.push_back(msg);
        display.primary->Flip(nullptr, DDFLIP_WAIT);
    }
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].lParam, (LPARAM)((479 << 16) | 639));
    EXPECT_EQ(seen[1].message, (UINT)WM_LBUTTONDOWN);
    EXPECT_EQ(seen[1].wParam, (WPARAM)MK_LBUTTON);
    EXPECT_EQ(seen[2].message, (UINT)WM_LBUTTONUP);
    EXPECT_EQ(seen[2].lParam, seen[0].lParam);
    display.close();
}

TEST_F(Script, ABurstArrivesAtOnceAndIsHandledOnePerPass) {
    FlipChain display;
    ASSERT_TRUE(display.open(loopWindow()));
    standin::setScript("burst 4\nmove 1 1\nmove 2 2\nkey 65\nlup\n");
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    auto passes = runPasses(display, 5);
    // The two moves merged into the last one, as Windows merges them.
    // WM_CHAR from TranslateMessage is a posted message: it goes before input.
    std::vector<std::vector<UINT>> expected = {{WM_MOUSEMOVE}, {WM_KEYDOWN}, {WM_CHAR}, {WM_LBUTTONUP}, {}};
    EXPECT_EQ(passes, expected);
    display.close();
}

TEST_F(Script, SecondsLetTimePassBeforeTheNextInput) {
    FlipChain display;
    ASSERT_TRUE(display.open(loopWindow()));
    standin::setScript("seconds 0.05\nkey 65\n");
    auto early = runPasses(display, 2);
    EXPECT_EQ(early, (std::vector<std::vector<UINT>>{{}, {}}));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    auto later = runPasses(display, 1);
    EXPECT_EQ(later, (std::vector<std::vector<UINT>>{{WM_KEYDOWN}}));
    display.close();
}

TEST_F(Script, CloseEndsTheLoopThroughTheWindowProcedure) {
    FlipChain display;
    ASSERT_TRUE(display.open(loopWindow()));
    standin::setScript("frames 1\nclose\n");
    int quitCode = -1;
    auto passes = runPasses(display, 10, &quitCode);
    EXPECT_EQ(quitCode, 4);
    EXPECT_EQ(passes.size(), 2u);
    display.close();
}

TEST_F(Script, ABadScriptIsReportedAndClosesTheWindow) {
    FlipChain display;
    ASSERT_TRUE(display.open(loopWindow()));
    ::testing::internal::CaptureStderr();
    standin::setScript("move here\n");
    std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("line 1"), std::string::npos);
    int quitCode = -1;
    runPasses(display, 3, &quitCode);
    EXPECT_EQ(quitCode, 4);
    display.close();
}

TEST_F(Script, GetMessageWithNothingToComeFailsInsteadOfHanging) {
    loopWindow();
    standin::setScript("");
    MSG msg;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
    ::testing::internal::GetCapturedStderr();
}

TEST(Viewport, WholeFactorCentredElseAspectPreserved) {
    auto fit = [](int windowWidth, int windowHeight) {
        standin::Viewport v = standin::fitPicture(windowWidth, windowHeight, 640, 480);
        return std::make_tuple(v.x, v.y, v.width, v.height);
    };
    EXPECT_EQ(fit(640, 480), std::make_tuple(0, 0, 640, 480));
    EXPECT_EQ(fit(1920, 1080), std::make_tuple(320, 60, 1280, 960));
    EXPECT_EQ(fit(1366, 768), std::make_tuple(363, 144, 640, 480));
    EXPECT_EQ(fit(600, 400), std::make_tuple(33, 0, 533, 400));
    EXPECT_EQ(fit(320, 480), std::make_tuple(0, 120, 320, 240));
}

TEST(Viewport, WindowPointsMapBackClampedToThePicture) {
    standin::Viewport viewport = standin::fitPicture(1920, 1080, 640, 480);
    int x = -1, y = -1;
    standin::windowToPicture(viewport, 640, 480, 320 + 21, 60 + 41, &x, &y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
    standin::windowToPicture(viewport, 640, 480, 0, 0, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    standin::windowToPicture(viewport, 640, 480, 1919, 1079, &x, &y);
    EXPECT_EQ(x, 639);
    EXPECT_EQ(y, 479);
}

} // namespace
