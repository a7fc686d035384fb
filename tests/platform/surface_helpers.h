// Helpers for the platform tests, on the public API of platform/win32.h only
// (they also build against the real DirectDraw).
#ifndef TESTS_PLATFORM_SURFACE_HELPERS_H
#define TESTS_PLATFORM_SURFACE_HELPERS_H

#include "platform/win32.h"

#include <cstdint>
#include <vector>

namespace platform_test {

// Every message the procedure of makeWindow's windows was called with. It
// returns 77 for WM_LBUTTONUP and answers WM_CLOSE with PostQuitMessage(4).
extern std::vector<MSG> handled;
// Registers a window class of this name and makes a hidden 640x480 popup of it.
HWND makeWindow(const char *className);
HWND testWindow();  // one such window, made once per process

// A DirectDraw object as IDirectDraw7 at this cooperative level on the window
// (testWindow() when null), or null.
IDirectDraw7 *createDirectDraw(DWORD level = DDSCL_NORMAL, HWND window = nullptr);
// An off-screen system-memory surface (16 or 32 bits), or null.
IDirectDrawSurface7 *createSurface(IDirectDraw7 *directDraw, int width, int height, int bitsPerPixel);
// A primary surface of this description.
HRESULT createPrimary(IDirectDraw7 *directDraw, DWORD flags, DWORD caps, IDirectDrawSurface7 **primary,
                      DWORD backBufferCount = 1);

template <typename T>
T sized() {  // a zeroed record with its dwSize set
    T record = {};
    record.dwSize = sizeof(T);
    return record;
}

// Pixel values, row-major, width * height of them from the top-left corner.
void writePixels(IDirectDrawSurface7 *surface, int width, int height, const std::vector<uint32_t> &pixels);
std::vector<uint32_t> readPixels(IDirectDrawSurface7 *surface, int width, int height);

}  // namespace platform_test

#endif
