// Small helpers for the platform tests, on the public API of platform/win32.h
// only (they also build against the real DirectDraw).
#ifndef TESTS_PLATFORM_SURFACE_HELPERS_H
#define TESTS_PLATFORM_SURFACE_HELPERS_H

#include "platform/win32.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace platform_test {

// A hidden popup window of class "PlatformTest", made once per process.
HWND testWindow();

// An off-screen system-memory surface of the given size and depth (16: 5-6-5,
// 32: X8R8G8B8), or null.
IDirectDrawSurface7 *createSurface(IDirectDraw7 *directDraw, int width, int height, int bitsPerPixel);

// Pixel values, row-major, width * height of them from the top-left corner.
void writePixels(IDirectDrawSurface7 *surface, int width, int height, const std::vector<uint32_t> &pixels);
std::vector<uint32_t> readPixels(IDirectDrawSurface7 *surface, int width, int height);

// A DirectDraw object at DDSCL_NORMAL on testWindow(), as IDirectDraw7.
IDirectDraw7 *createDirectDraw();

} // namespace platform_test

#endif
