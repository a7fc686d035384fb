// What only the stand-in has: live counts, padded pitch, kept frames, PNG
// output, the headless presenter's script, and the viewport maths.
#include "common/png_image.h"
#include "platform/script.h"
#include "platform/standin.h"
#include "platform/viewport.h"
#include "surface_helpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <tuple>

using namespace platform_test;

namespace {

// Every test ends with no more DirectDraw objects, surfaces and clippers alive
// than it started with. It opens the client's display: full screen 640x480x16
// with one back buffer, on a window of class "Client".
class StandIn : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(standin::choosePresenter("headless") || standin::presenterName() == "headless");
        standin::reset();
        before = counts(standin::liveCounts());
        directDraw = createDirectDraw(DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN, makeWindow("Client"));
        DDSCAPS2 caps = {};
        caps.dwCaps = DDSCAPS_BACKBUFFER;
        ASSERT_TRUE(directDraw && directDraw->SetDisplayMode(640, 480, 16, 0, 0) == DD_OK &&
                    createPrimary(directDraw, DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                                  DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX, &primary) == DD_OK &&
                    primary->GetAttachedSurface(&caps, &back) == DD_OK);
    }
    void TearDown() override {
        close();
        EXPECT_EQ(counts(standin::liveCounts()), before)
            << "live DirectDraw objects, surfaces, clippers, releases after the chain";
    }
    using Counts = std::tuple<int, int, int, int>;
    static Counts counts(const standin::LiveCounts &c) {
        return {c.directDrawObjects, c.surfaces, c.clippers, c.releasesAfterChain};
    }
    // The object first, then the back buffer before its front buffer.
    void close() {
        for (IUnknown *object : {(IUnknown *)directDraw, (IUnknown *)back, (IUnknown *)primary})
            if (object)
                object->Release();
        directDraw = nullptr;
        primary = back = nullptr;
    }
    // The client's loop: per pass at most one message, then a flip. Returns
    // the message handled in each pass (0: none), up to WM_QUIT.
    std::vector<UINT> runPasses(int passes) {
        std::vector<UINT> perPass;
        handled.clear();
        for (MSG msg; passes-- > 0; primary->Flip(nullptr, DDFLIP_WAIT)) {
            size_t seen = handled.size();
            if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
                if (GetMessageA(&msg, nullptr, 0, 0) == 0) {
                    quitCode = (int)msg.wParam;
                    break;
                }
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            perPass.push_back(handled.size() > seen ? handled.back().message : 0);
        }
        return perPass;
    }

    Counts before;
    int quitCode = -1;
    IDirectDraw7 *directDraw = nullptr;
    IDirectDrawSurface7 *primary = nullptr;
    IDirectDrawSurface7 *back = nullptr;
};

using LiveCounts = StandIn;

TEST_F(LiveCounts, TheClientsTeardownOrderReleasesEverythingButWarnsAndRestoresTheMode) {
    EXPECT_EQ(directDraw->SetDisplayMode(800, 600, 32, 0, 0), DD_OK);
    EXPECT_EQ(std::make_pair(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)), std::make_pair(800, 600));
    IDirectDrawSurface7 *sprite = createSurface(directDraw, 40, 20, 16);
    IDirectDrawClipper *clipper = nullptr;
    ASSERT_EQ(directDraw->CreateClipper(0, &clipper, nullptr), DD_OK);
    auto [objects, surfaces, clippers, late] = before;
    EXPECT_EQ(counts(standin::liveCounts()), Counts(objects + 1, surfaces + 3, clippers + 1, late));
    sprite->Release();
    clipper->Release();
    // Releasing the object first leaves it alive for its primary surface.
    EXPECT_EQ(directDraw->Release(), 1u);
    directDraw = nullptr;
    EXPECT_EQ(standin::liveCounts().directDrawObjects, objects + 1);
    // The back buffer after its front buffer: Windows would have freed it.
    std::swap(primary, back);
    ::testing::internal::CaptureStderr();
    close();
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("back buffer"), std::string::npos);
    std::get<3>(before) += 1;
    EXPECT_EQ(std::make_pair(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)), std::make_pair(640, 480));
}

TEST_F(StandIn, PitchIsPaddedAndAbsurdSizesAndMissingPointersAreRefused) {
    for (int bits : {16, 32})
        for (int width : {1, 40, 640}) {
            IDirectDrawSurface7 *surface = createSurface(directDraw, width, 2, bits);
            ASSERT_NE(surface, nullptr);
            DDSURFACEDESC2 desc = sized<DDSURFACEDESC2>();
            ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
            EXPECT_GT(desc.lPitch, width * bits / 8) << width << " pixels of " << bits << " bits";
            surface->Unlock(nullptr);
            surface->Release();
        }
    EXPECT_EQ(createSurface(directDraw, 16384, 16384, 32), nullptr) << "more bytes than a surface may take";
    for (DWORD side : {DWORD(100000), DWORD(16385), DWORD(0xFFFFFFFF)}) {
        DDSURFACEDESC2 desc = sized<DDSURFACEDESC2>();
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = desc.dwHeight = side;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        IDirectDrawSurface7 *surface = back;
        EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DDERR_OUTOFMEMORY) << side;
        EXPECT_EQ(surface, nullptr);
    }
    EXPECT_EQ(back->Lock(nullptr, nullptr, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(back->BltFast(0, 0, nullptr, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDPARAMS);
    EXPECT_EQ(back->GetAttachedSurface(nullptr, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(back->GetSurfaceDesc(nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->CreateSurface(nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
    EXPECT_EQ(DirectDrawCreate(nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS);
}

using Frames = StandIn;

TEST_F(Frames, EachFlipPresentsTheFrontAndTheLastFrameOutlivesTheDisplayAsPng) {
    writePixels(back, 3, 2, {0xF800, 0x07E0, 0x001F, 0x0821, 0xFFFF, 0x8410});
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(standin::presentedFrameCount(), 1u);
    close();
    const standin::Frame &frame = standin::lastPresentedFrame();
    ASSERT_EQ(std::make_tuple(frame.width, frame.height, frame.bitsPerPixel, frame.pitch),
              std::make_tuple(640, 480, 16, 1280));
    std::string path = ::testing::TempDir() + "standin_frame.png";
    ASSERT_TRUE(standin::saveFramePng(frame, path));
    Image image;
    std::string error;
    ASSERT_TRUE(readPng(path, 3, image, error)) << error;
    std::remove(path.c_str());
    ASSERT_EQ(std::make_pair(image.width, image.height), std::make_pair(640, 480));
    const std::vector<uint8_t> &rgb = image.pixels;
    // 5-6-5 widens by repeating the top bits: red, green, blue; lowest steps, white, grey.
    std::vector<uint8_t> got(rgb.begin(), rgb.begin() + 9);
    got.insert(got.end(), rgb.begin() + 640 * 3, rgb.begin() + 640 * 3 + 9);
    EXPECT_EQ(got, (std::vector<uint8_t>{255, 0, 0, 0, 255, 0, 0, 0, 255, 8, 4, 8, 255, 255, 255, 132, 130, 132}));
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
    EXPECT_EQ(std::make_pair(commands[0].kind, commands[0].frames), std::make_pair(standin::ScriptCommand::Frames, 3u));
    EXPECT_EQ(commands[1].seconds, 0.5);
    EXPECT_EQ(commands[2].kind, standin::ScriptCommand::Move);
    EXPECT_EQ(std::make_pair(commands[2].x, commands[2].y), std::make_pair(10, 20));
    EXPECT_EQ(commands[5].key, uint32_t(VK_ESCAPE));
    EXPECT_EQ(commands[6].key, 65u);
    EXPECT_EQ(commands[7].key, uint32_t('Q'));
    EXPECT_EQ(commands[8].burst, 2u);
    EXPECT_EQ(commands[10].path, "out dir/a b.png");
    for (const char *bad : {"frames\n", "frames -1\n", "move 1\n", "key nosuchkey\n", "jump 3\n", "burst 0\n",
                            "seconds nan\n", "frames 1 2\n"}) {
        EXPECT_FALSE(standin::parseScript(std::string("frames 1\n") + bad, &commands, &error)) << bad;
        EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    }
}

TEST_F(Script, InputArrivesOnePerPassAfterTheFramesItWaitsForAsWin32PacksIt) {
    standin::setScript("frames 2\nmove 639 479\nldown\nlup\nkey escape\nclose\n");
    EXPECT_EQ(runPasses(20),
              (std::vector<UINT>{0, 0, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYDOWN, WM_CHAR, WM_CLOSE}));
    EXPECT_EQ(quitCode, 4);
    ASSERT_EQ(handled.size(), 6u);
    EXPECT_EQ(handled[0].lParam, (LPARAM)((479 << 16) | 639));
    EXPECT_EQ(handled[1].wParam, (WPARAM)MK_LBUTTON);
    EXPECT_EQ(handled[2].lParam, handled[0].lParam);
    EXPECT_EQ(handled[3].wParam, (WPARAM)VK_ESCAPE);
}

TEST_F(Script, ABurstArrivesAtOnceAndIsHandledOnePerPassSecondsLetTimePass) {
    standin::setScript("burst 4\nmove 1 1\nmove 2 2\nkey 65\nlup\nseconds 0.05\nkey 66\n");
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    // The two moves merged into the last one, as Windows merges them.
    // WM_CHAR from TranslateMessage is a posted message: it goes before input.
    EXPECT_EQ(runPasses(6), (std::vector<UINT>{WM_MOUSEMOVE, WM_KEYDOWN, WM_CHAR, WM_LBUTTONUP, 0, 0}));
    EXPECT_EQ(handled[0].lParam, MAKELPARAM(2, 2));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(runPasses(1), (std::vector<UINT>{WM_KEYDOWN}));
}

TEST_F(Script, ABadScriptIsReportedAndClosesTheWindow) {
    ::testing::internal::CaptureStderr();
    standin::setScript("move here\n");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("line 1"), std::string::npos);
    EXPECT_EQ(runPasses(3), (std::vector<UINT>{WM_CLOSE}));
    EXPECT_EQ(quitCode, 4);
    // With nothing more to come, GetMessage fails instead of hanging.
    MSG msg;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
    ::testing::internal::GetCapturedStderr();
}

TEST(Viewport, WholeFactorCentredElseAspectPreservedAndMappedBackInsideOnly) {
    struct {
        int windowWidth, windowHeight;
        std::tuple<int, int, int, int> fitted;
    } cases[] = {{640, 480, {0, 0, 640, 480}},      {1920, 1080, {320, 60, 1280, 960}}, {800, 600, {80, 60, 640, 480}},
                 {1366, 768, {363, 144, 640, 480}}, {600, 400, {33, 0, 533, 400}},      {320, 480, {0, 120, 320, 240}}};
    for (auto &c : cases) {
        standin::Viewport v = standin::fitPicture(c.windowWidth, c.windowHeight, 640, 480);
        EXPECT_EQ(std::make_tuple(v.x, v.y, v.width, v.height), c.fitted) << c.windowWidth << "x" << c.windowHeight;
    }
    // On a 1920 x 1080 desktop; the bars map to nothing.
    standin::Viewport viewport = standin::fitPicture(1920, 1080, 640, 480);
    struct {
        int windowX, windowY;
        bool inside;
        int pictureX, pictureY;
    } points[] = {{320 + 21, 60 + 41, true, 10, 20},
                  {320, 60, true, 0, 0},
                  {1599, 1019, true, 639, 479},
                  {100, 540, false, 0, 0},
                  {319, 500, false, 0, 0},
                  {1600, 500, false, 0, 0},
                  {900, 59, false, 0, 0},
                  {900, 1020, false, 0, 0},
                  {0, 0, false, 0, 0}};
    for (auto &p : points) {
        int x = -1, y = -1;
        const bool inside = standin::windowToPicture(viewport, 640, 480, p.windowX, p.windowY, &x, &y);
        EXPECT_EQ(inside, p.inside) << p.windowX << ", " << p.windowY;
        if (p.inside) {
            EXPECT_EQ(std::make_pair(x, y), std::make_pair(p.pictureX, p.pictureY)) << p.windowX << ", " << p.windowY;
        }
    }
}

TEST(Viewport, WindowedSizeIsTheLargestWholeMultipleThatFitsWithItsFrame) {
    struct {
        int desktopWidth, desktopHeight, frameWidth, frameHeight;
        std::pair<int, int> size;
    } cases[] = {{1920, 1080, 16, 48, {1280, 960}}, {1920, 1080, 0, 0, {1280, 960}}, {800, 600, 16, 48, {640, 480}},
                 {2560, 1440, 16, 48, {1280, 960}}, {1280, 960, 0, 0, {1280, 960}},  {1280, 960, 16, 48, {640, 480}},
                 {3840, 2160, 2, 30, {2560, 1920}}, {640, 480, 16, 48, {640, 480}},  {300, 200, 16, 48, {640, 480}}};
    for (auto &c : cases) {
        standin::WindowSize size =
            standin::windowedSize(c.desktopWidth, c.desktopHeight, c.frameWidth, c.frameHeight, 640, 480);
        EXPECT_EQ(std::make_pair(size.width, size.height), c.size)
            << c.desktopWidth << "x" << c.desktopHeight << " with a frame of " << c.frameWidth << "x" << c.frameHeight;
    }
}

}  // namespace
