#include "surface_helpers.h"

#include <cstdlib>
#include <cstring>

namespace platform_test {

std::vector<MSG> handled;

namespace {

#if !defined(_WIN32)
// Headless unless told otherwise, so the tests open no window on a display.
const int headlessByDefault = setenv("STANDIN_PRESENTER", "headless", 0);
#endif

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    handled.push_back(MSG{window, message, wParam, lParam, 0, {0, 0}});
    if (message == WM_CLOSE)
        PostQuitMessage(4);
    return message == WM_CLOSE ? 0 : message == WM_LBUTTONUP ? 77 : DefWindowProcA(window, message, wParam, lParam);
}

// Writes the pixels when given, then reads them back (little-endian: a
// 16-bit pixel is the low half of its value).
std::vector<uint32_t> access(IDirectDrawSurface7 *surface, int width, int height, const std::vector<uint32_t> *write) {
    std::vector<uint32_t> pixels;
    DDSURFACEDESC2 desc = sized<DDSURFACEDESC2>();
    if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr)))
        return pixels;
    size_t bytes = desc.ddpfPixelFormat.dwRGBBitCount / 8;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t *at = static_cast<uint8_t *>(desc.lpSurface) + y * desc.lPitch + x * bytes;
            if (write)
                std::memcpy(at, &(*write)[pixels.size()], bytes);
            uint32_t value = 0;
            std::memcpy(&value, at, bytes);
            pixels.push_back(value);
        }
    surface->Unlock(nullptr);
    return pixels;
}

}  // namespace

HWND makeWindow(const char *className) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = recordingProc;
    windowClass.lpszClassName = className;
    RegisterClassExA(&windowClass);
    return CreateWindowExA(0, className, className, WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
}

HWND testWindow() {
    static HWND window = makeWindow("PlatformTest");
    return window;
}

IDirectDraw7 *createDirectDraw(DWORD level, HWND window) {
    IDirectDraw *first = nullptr;
    IDirectDraw7 *directDraw = nullptr;
    if (FAILED(DirectDrawCreate(nullptr, &first, nullptr)))
        return nullptr;
    first->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void **>(&directDraw));
    first->Release();
    if (directDraw && FAILED(directDraw->SetCooperativeLevel(window ? window : testWindow(), level))) {
        directDraw->Release();
        return nullptr;
    }
    return directDraw;
}

IDirectDrawSurface7 *createSurface(IDirectDraw7 *directDraw, int width, int height, int bitsPerPixel) {
    DDSURFACEDESC2 desc = sized<DDSURFACEDESC2>();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.dwWidth = (DWORD)width;
    desc.dwHeight = (DWORD)height;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    DDPIXELFORMAT &format = desc.ddpfPixelFormat = sized<DDPIXELFORMAT>();
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = (DWORD)bitsPerPixel;
    format.dwRBitMask = bitsPerPixel == 16 ? 0xF800 : 0xFF0000;
    format.dwGBitMask = bitsPerPixel == 16 ? 0x07E0 : 0x00FF00;
    format.dwBBitMask = bitsPerPixel == 16 ? 0x001F : 0x0000FF;
    IDirectDrawSurface7 *surface = nullptr;
    return SUCCEEDED(directDraw->CreateSurface(&desc, &surface, nullptr)) ? surface : nullptr;
}

HRESULT createPrimary(IDirectDraw7 *directDraw, DWORD flags, DWORD caps, IDirectDrawSurface7 **primary,
                      DWORD backBufferCount) {
    DDSURFACEDESC2 desc = sized<DDSURFACEDESC2>();
    desc.dwFlags = flags;
    desc.dwBackBufferCount = backBufferCount;
    desc.ddsCaps.dwCaps = caps;
    return directDraw->CreateSurface(&desc, primary, nullptr);
}

void writePixels(IDirectDrawSurface7 *surface, int width, int height, const std::vector<uint32_t> &pixels) {
    access(surface, width, height, &pixels);
}

std::vector<uint32_t> readPixels(IDirectDrawSurface7 *surface, int width, int height) {
    return access(surface, width, height, nullptr);
}

}  // namespace platform_test
