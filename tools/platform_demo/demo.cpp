// A small program on the platform layer, shaped like the client: it opens its
// window, switches to 640x480 at 16 bits, moves a colour-keyed sprite a little
// every frame, flips, and quits on Escape (or when the window is closed). A
// left click pins the sprite's corner to the point clicked.
// Under the headless presenter it then reads back the last presented frame,
// checks it against what it drew, and checks that nothing outlives its
// teardown. Exit code 0 when all is well.
#include "platform/standin.h"
#include "platform/win32.h"
#include "tools/command_line/command_line.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kSpriteWidth = 40;
constexpr int kSpriteHeight = 20;
constexpr uint16_t kBackground = 0x0010;  // dark blue
constexpr uint16_t kRed = 0xF800;
constexpr uint16_t kGreen = 0x07E0;

int mouseX = 0, mouseY = 0;
bool pinned = false;
int pinnedX = 0, pinnedY = 0;

LRESULT CALLBACK demoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN) {
        if (wParam == VK_ESCAPE)
            PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (message == WM_MOUSEMOVE) {
        mouseX = LOWORD(lParam);
        mouseY = HIWORD(lParam);
        return 0;
    }
    if (message == WM_LBUTTONUP) {
        pinned = true;
        pinnedX = std::min(mouseX, 640 - kSpriteWidth);
        pinnedY = std::min(mouseY, 480 - kSpriteHeight);
        return 0;
    }
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The sprite: kRed top-left quarter, kGreen elsewhere, a transparent first
// column (key 0), so a flip or a lost key shows.
uint16_t spritePixel(int x, int y) {
    if (x == 0)
        return 0;
    return (x < kSpriteWidth / 2 && y < kSpriteHeight / 2) ? kRed : kGreen;
}

void spritePosition(int frame, int *x, int *y) {
    *x = pinned ? pinnedX : (frame * 4) % (640 - kSpriteWidth);
    *y = pinned ? pinnedY : 100 + (frame * 2) % 300;
}

IDirectDrawSurface7 *makeSprite(IDirectDraw7 *directDraw) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = kSpriteWidth;
    desc.dwHeight = kSpriteHeight;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7 *sprite = nullptr;
    if (FAILED(directDraw->CreateSurface(&desc, &sprite, nullptr)))
        return nullptr;
    if (SUCCEEDED(sprite->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) {
        for (int y = 0; y < kSpriteHeight; ++y)
            for (int x = 0; x < kSpriteWidth; ++x) {
                uint16_t value = spritePixel(x, y);
                std::memcpy(static_cast<uint8_t *>(desc.lpSurface) + y * desc.lPitch + 2 * x, &value, 2);
            }
        sprite->Unlock(nullptr);
    }
    DDCOLORKEY key = {0, 0};
    sprite->SetColorKey(DDCKEY_SRCBLT, &key);
    return sprite;
}

uint16_t framePixel(const standin::Frame &frame, int x, int y) {
    uint16_t value;
    std::memcpy(&value, frame.bytes.data() + y * frame.pitch + 2 * x, 2);
    return value;
}

// The last frame shows frame number lastFrame: kBackground, sprite, key.
bool lastFrameAsDrawn(int lastFrame) {
    const standin::Frame &frame = standin::lastPresentedFrame();
    if (frame.width != 640 || frame.height != 480 || frame.bitsPerPixel != 16)
        return false;
    int x = 0, y = 0;
    spritePosition(lastFrame, &x, &y);
    struct Probe {
        int x, y;
        uint16_t expected;
    } probes[] = {{x, y, kBackground},
                  {x + 1, y, kRed},
                  {x + kSpriteWidth - 1, y, kGreen},
                  {x + 1, y + kSpriteHeight - 1, kGreen},
                  {x + kSpriteWidth, y, kBackground},
                  {0, 479, kBackground}};
    bool ok = true;
    for (const Probe &probe : probes) {
        uint16_t got = framePixel(frame, probe.x, probe.y);
        if (got != probe.expected) {
            std::printf("pixel (%d, %d): expected %04x, got %04x\n", probe.x, probe.y, probe.expected, got);
            ok = false;
        }
    }
    return ok;
}

int runDemo(HINSTANCE instance) {
    WNDCLASSEXA windowClass;
    std::memset(&windowClass, 0, sizeof(windowClass));
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = demoProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    windowClass.lpszClassName = "Client";
    RegisterClassExA(&windowClass);
    HWND window = CreateWindowExA(0, "Client", "Client", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                  GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr);
    if (!window)
        return -1;
    ShowWindow(window, SW_SHOWMAXIMIZED);

    IDirectDraw *first = nullptr;
    IDirectDraw7 *directDraw = nullptr;
    IDirectDrawSurface7 *primary = nullptr;
    IDirectDrawSurface7 *back = nullptr;
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    DDSCAPS2 backCaps;
    std::memset(&backCaps, 0, sizeof(backCaps));
    backCaps.dwCaps = DDSCAPS_BACKBUFFER;
    if (FAILED(DirectDrawCreate(nullptr, &first, nullptr)) ||
        FAILED(first->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void **>(&directDraw))) ||
        FAILED(directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN)) ||
        FAILED(directDraw->SetDisplayMode(640, 480, 16, 0, 0)) ||
        FAILED(directDraw->CreateSurface(&desc, &primary, nullptr)) ||
        FAILED(primary->GetAttachedSurface(&backCaps, &back))) {
        std::printf("demo: the display could not be set up\n");
        return 2;
    }
    first->Release();
    IDirectDrawSurface7 *sprite = makeSprite(directDraw);

    DDBLTFX fill;
    std::memset(&fill, 0, sizeof(fill));
    fill.dwSize = sizeof(fill);
    fill.dwFillColor = kBackground;
    int frame = 0;
    MSG msg;
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (GetMessageA(&msg, nullptr, 0, 0) == 0)
                break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill);
        int x = 0, y = 0;
        spritePosition(frame, &x, &y);
        if (sprite)
            back->BltFast((DWORD)x, (DWORD)y, sprite, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
        primary->Flip(nullptr, DDFLIP_WAIT);
        ++frame;
    }

    // The back buffer before its front buffer, which takes the chain with it.
    if (sprite)
        sprite->Release();
    back->Release();
    primary->Release();
    directDraw->Release();

    if (standin::presenterName() != "headless")
        return (int)msg.wParam;
    standin::LiveCounts live = standin::liveCounts();
    bool drawn = frame > 0 && lastFrameAsDrawn(frame - 1);
    bool released = live.directDrawObjects == 0 && live.surfaces == 0 && live.clippers == 0;
    int x = 0, y = 0;
    spritePosition(frame - 1, &x, &y);
    std::printf("demo: %d frames, sprite at (%d, %d), %s, %s\n", frame, x, y,
                drawn ? "last frame as drawn" : "last frame differs",
                released ? "all released" : "something outlived the teardown");
    return drawn && released ? (int)msg.wParam : 3;
}

}  // namespace

int main(int argc, char **argv) {
    CLI::App app;
    describeProgram(app, "platform_demo",
                    "A sprite moving on the platform layer's full-screen display; a click pins it, Escape quits.\n"
                    "Shown through SDL2 when a display answers, else headless (STANDIN_PRESENTER, STANDIN_SCRIPT).");
    if (int status = parseCommandLine(app, argc, argv); status >= 0)
        return status;
    // The instance handle is the image base, as on Windows.
    return runDemo(reinterpret_cast<HINSTANCE>(uintptr_t(0x400000)));
}
