#include "surface_helpers.h"

namespace platform_test {

namespace {

LRESULT CALLBACK testWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

HWND testWindow() {
    static HWND window = nullptr;
    if (!window) {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = testWindowProc;
        windowClass.lpszClassName = "PlatformTest";
        RegisterClassExA(&windowClass);
        window = CreateWindowExA(0, "PlatformTest", "PlatformTest", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                                 nullptr, nullptr);
    }
    return window;
}

IDirectDraw7 *createDirectDraw() {
    IDirectDraw *first = nullptr;
    if (FAILED(DirectDrawCreate(nullptr, &first, nullptr)))
        return nullptr;
    IDirectDraw7 *directDraw = nullptr;
    HRESULT result = first->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void **>(&directDraw));
    first->Release();
    if (FAILED(result))
        return nullptr;
    if (FAILED(directDraw->SetCooperativeLevel(testWindow(), DDSCL_NORMAL))) {
        directDraw->Release();
        return nullptr;
    }
    return directDraw;
}

IDirectDrawSurface7 *createSurface(IDirectDraw7 *directDraw, int width, int height, int bitsPerPixel) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.dwWidth = (DWORD)width;
    desc.dwHeight = (DWORD)height;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    desc.ddpfPixelFormat.dwFlags = DDPF_RGB;
    desc.ddpfPixelFormat.dwRGBBitCount = (DWORD)bitsPerPixel;
    desc.ddpfPixelFormat.dwRBitMask = bitsPerPixel == 16 ? 0xF800 : 0xFF0000;
    desc.ddpfPixelFormat.dwGBitMask = bitsPerPixel == 16 ? 0x07E0 : 0x00FF00;
    desc.ddpfPixelFormat.dwBBitMask = bitsPerPixel == 16 ? 0x001F : 0x0000FF;
    IDirectDrawSurface7 *surface = nullptr;
    if (FAILED(directDraw->CreateSurface(&desc, &surface, nullptr)))
        return nullptr;
    return surface;
}

void writePixels(IDirectDrawSurface7 *surface, int width, int height, const std::vector<uint32_t> &pixels) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr)))
        return;
    int bytes = (int)desc.ddpfPixelFormat.dwRGBBitCount / 8;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t *at = static_cast<uint8_t *>(desc.lpSurface) + y * desc.lPitch + x * bytes;
            uint32_t value = pixels[(size_t)(y * width + x)];
            if (bytes == 2) {
                uint16_t narrow = (uint16_t)value;
                std::memcpy(at, &narrow, 2);
            } else {
                std::memcpy(at, &value, 4);
            }
        }
    surface->Unlock(nullptr);
}

std::vector<uint32_t> readPixels(IDirectDrawSurface7 *surface, int width, int height) {
    std::vector<uint32_t> pixels;
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr)))
        return pixels;
    int bytes = (int)desc.ddpfPixelFormat.dwRGBBitCount / 8;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t *at = static_cast<const uint8_t *>(desc.lpSurface) + y * desc.lPitch + x * bytes;
            if (bytes == 2) {
                uint16_t narrow;
                std::memcpy(&narrow, at, 2);
                pixels.push_back(narrow);
            } else {
                uint32_t value;
                std::memcpy(&value, at, 4);
                pixels.push_back(value);
            }
        }
    surface->Unlock(nullptr);
    return pixels;
}

} // namespace platform_test
