// A small DirectDraw 7 program that checks, on a real DirectDraw, the calls
// and results the client relies on, then shows a known picture until Escape.
//
//   ddraw_probe FRAME.raw [SECONDS]
//
// It switches to 640x480x16 full screen, checks the lock format (5-6-5),
// keyed BltFast (only the key value itself is skipped) and BltFast's refusal
// of rectangles that do not fit, then draws the same frame and flips, pass
// after pass. The first frame drawn is saved to FRAME.raw as 640*480 16-bit
// little-endian pixels, rows top down, so a screenshot can be compared with
// what was drawn. Exit code 0 when every check held and Escape ended the
// run, 2 when SECONDS (default 20) passed without Escape, 1 on a failed check.
#include <windows.h>
#include <ddraw.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kSpriteWidth = 40;
constexpr int kSpriteHeight = 20;
constexpr int kSpriteX = 100;
constexpr int kSpriteY = 50;

bool g_escape = false;
int g_failures = 0;

void check(bool ok, const char *what, long code = 0)
{
    std::printf("%s %s (0x%08lx)\n", ok ? "ok  " : "FAIL", what, code);
    std::fflush(stdout);
    if (!ok)
        ++g_failures;
}

LRESULT CALLBACK probeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        g_escape = true;
        return 0;
    }
    if (message == WM_ERASEBKGND)
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

// The background: every pixel differs from its mirror images in x and y.
uint16_t backgroundPixel(int x, int y)
{
    uint16_t red = uint16_t(x * 31 / (kWidth - 1));
    uint16_t green = uint16_t(y * 63 / (kHeight - 1));
    uint16_t blue = uint16_t((x / 8 + y / 4) & 31);
    return uint16_t(red << 11 | green << 5 | blue);
}

// The sprite: a frame of key 0 around a body of value 1 (one above the key),
// with a bright marker in its top-left quarter.
uint16_t spritePixel(int x, int y)
{
    if (x < 2 || y < 2 || x >= kSpriteWidth - 2 || y >= kSpriteHeight - 2)
        return 0;
    if (x < 12 && y < 8)
        return 0xFFE0;
    return 1;
}

bool lockSurface(IDirectDrawSurface7 *surface, DDSURFACEDESC2 &desc)
{
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    return surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) == DD_OK;
}

uint16_t *rowOf(const DDSURFACEDESC2 &desc, int y)
{
    return reinterpret_cast<uint16_t *>(static_cast<uint8_t *>(desc.lpSurface) + y * desc.lPitch);
}

IDirectDrawSurface7 *makeSprite(IDirectDraw7 *directDraw)
{
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = kSpriteWidth;
    desc.dwHeight = kSpriteHeight;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7 *sprite = nullptr;
    HRESULT result = directDraw->CreateSurface(&desc, &sprite, nullptr);
    check(result == DD_OK, "CreateSurface off-screen 40x20", result);
    if (result != DD_OK)
        return nullptr;
    DDSURFACEDESC2 locked;
    check(lockSurface(sprite, locked), "Lock off-screen surface");
    check(locked.ddpfPixelFormat.dwRGBBitCount == 16 && locked.ddpfPixelFormat.dwRBitMask == 0xF800 &&
              locked.ddpfPixelFormat.dwGBitMask == 0x07E0 && locked.ddpfPixelFormat.dwBBitMask == 0x001F,
          "off-screen surface is 16-bit 5-6-5", long(locked.ddpfPixelFormat.dwRBitMask));
    std::printf("     off-screen lPitch %ld for width %d\n", long(locked.lPitch), kSpriteWidth);
    for (int y = 0; y < kSpriteHeight; ++y)
        for (int x = 0; x < kSpriteWidth; ++x)
            rowOf(locked, y)[x] = spritePixel(x, y);
    sprite->Unlock(nullptr);
    DDCOLORKEY key{0, 0};
    result = sprite->SetColorKey(DDCKEY_SRCBLT, &key);
    check(result == DD_OK, "SetColorKey 0", result);
    return sprite;
}

// Draws one frame into the back buffer; on the first call also checks it.
void drawFrame(IDirectDrawSurface7 *back, IDirectDrawSurface7 *sprite, std::vector<uint16_t> *firstFrame)
{
    DDBLTFX fill{};
    fill.dwSize = sizeof fill;
    fill.dwFillColor = 0;
    back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill);
    DDSURFACEDESC2 locked;
    if (!lockSurface(back, locked))
        return;
    for (int y = 0; y < kHeight; ++y) {
        uint16_t *row = rowOf(locked, y);
        for (int x = 0; x < kWidth; ++x)
            row[x] = backgroundPixel(x, y);
    }
    back->Unlock(nullptr);
    RECT whole{0, 0, kSpriteWidth, kSpriteHeight};
    HRESULT result = back->BltFast(kSpriteX, kSpriteY, sprite, &whole, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    if (!firstFrame)
        return;
    check(result == DD_OK, "BltFast keyed", result);
    RECT tooWide{0, 0, kSpriteWidth, kSpriteHeight};
    result = back->BltFast(kWidth - 10, 0, sprite, &tooWide, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    check(result == DDERR_INVALIDRECT, "BltFast past the right edge gives DDERR_INVALIDRECT", result);
    RECT inverted{20, 0, 10, 10};
    result = back->BltFast(0, 0, sprite, &inverted, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    check(result == DDERR_INVALIDRECT, "BltFast inverted rectangle gives DDERR_INVALIDRECT", result);

    if (!lockSurface(back, locked))
        return;
    check(locked.ddpfPixelFormat.dwRGBBitCount == 16 && locked.ddpfPixelFormat.dwRBitMask == 0xF800,
          "back buffer is 16-bit 5-6-5", long(locked.ddpfPixelFormat.dwRBitMask));
    std::printf("     back buffer lPitch %ld\n", long(locked.lPitch));
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
        const uint16_t *row = rowOf(locked, y);
        for (int x = 0; x < kWidth; ++x) {
            uint16_t expected = backgroundPixel(x, y);
            int sx = x - kSpriteX;
            int sy = y - kSpriteY;
            if (sx >= 0 && sy >= 0 && sx < kSpriteWidth && sy < kSpriteHeight && spritePixel(sx, sy) != 0)
                expected = spritePixel(sx, sy);
            if (row[x] != expected && wrong++ < 5)
                std::printf("     pixel (%d, %d): expected 0x%04x, got 0x%04x\n", x, y, expected, row[x]);
            (*firstFrame)[size_t(y) * kWidth + x] = row[x];
        }
    }
    back->Unlock(nullptr);
    check(wrong == 0, "back buffer holds background and keyed sprite", wrong);
}

bool saveFrame(const char *path, const std::vector<uint16_t> &frame)
{
    FILE *file = std::fopen(path, "wb");
    if (!file)
        return false;
    for (uint16_t pixel : frame) {
        unsigned char bytes[2] = {uint8_t(pixel & 0xFF), uint8_t(pixel >> 8)};
        std::fwrite(bytes, 1, 2, file);
    }
    return std::fclose(file) == 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc < 2) {
        std::printf("usage: ddraw_probe FRAME.raw [SECONDS]\n");
        return 1;
    }
    const char *framePath = __argv[1];
    DWORD seconds = __argc > 2 ? DWORD(std::atoi(__argv[2])) : 20;

    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = probeWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "Probe";
    RegisterClassExA(&windowClass);
    HWND window = CreateWindowExA(0, "Probe", "Probe", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                  GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr);
    check(window != nullptr, "CreateWindowExA");
    if (!window)
        return 1;
    ShowWindow(window, SW_SHOWMAXIMIZED);

    IDirectDraw *first = nullptr;
    HRESULT result = DirectDrawCreate(nullptr, &first, nullptr);
    check(result == DD_OK, "DirectDrawCreate", result);
    if (result != DD_OK)
        return 1;
    IDirectDraw7 *directDraw = nullptr;
    result = first->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void **>(&directDraw));
    check(result == DD_OK, "QueryInterface IID_IDirectDraw7", result);
    if (result != DD_OK)
        return 1;
    result = directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    check(result == DD_OK, "SetCooperativeLevel exclusive full screen", result);
    result = directDraw->SetDisplayMode(kWidth, kHeight, 16, 0, 0);
    check(result == DD_OK, "SetDisplayMode 640x480x16", result);

    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    IDirectDrawSurface7 *primary = nullptr;
    result = directDraw->CreateSurface(&desc, &primary, nullptr);
    check(result == DD_OK, "CreateSurface flipping primary with one back buffer", result);
    if (result != DD_OK)
        return 1;
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirectDrawSurface7 *back = nullptr;
    result = primary->GetAttachedSurface(&caps, &back);
    check(result == DD_OK, "GetAttachedSurface back buffer", result);
    if (result != DD_OK)
        return 1;
    IDirectDrawSurface7 *sprite = makeSprite(directDraw);
    if (!sprite)
        return 1;

    std::vector<uint16_t> firstFrame(size_t(kWidth) * kHeight);
    drawFrame(back, sprite, &firstFrame);
    check(saveFrame(framePath, firstFrame), "frame saved");
    result = primary->Flip(nullptr, DDFLIP_WAIT);
    check(result == DD_OK, "Flip", result);
    std::printf("ready\n");
    std::fflush(stdout);

    DWORD start = GetTickCount();
    while (!g_escape && GetTickCount() - start < seconds * 1000) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        drawFrame(back, sprite, nullptr);
        primary->Flip(nullptr, DDFLIP_WAIT);
    }
    sprite->Release();
    back->Release();
    primary->Release();
    directDraw->Release();
    first->Release();
    if (g_failures)
        return 1;
    return g_escape ? 0 : 2;
}
