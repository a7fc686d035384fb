// For the display's tests and benchmarks, on top of the surface helpers of
// tests/platform/surface_helpers.h: a 640 x 480 Display on a test window,
// surfaces made from pictures (raw 2- or 4-byte pixel values, rows top down)
// and the expected results of blits.
#ifndef TESTS_CLIENT_DISPLAY_DISPLAY_TEST_SUPPORT_H
#define TESTS_CLIENT_DISPLAY_DISPLAY_TEST_SUPPORT_H

#include "client/display/display.h"
#include "tests/platform/surface_helpers.h"

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t &at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

Picture filledPicture(int width, int height, uint32_t value);
Picture numberedPicture(int width, int height);  // 1, 2, 3 ... row by row

// Initialised on construction (ready tells whether that worked), released on destruction.
struct TestDisplay {
    explicit TestDisplay(int depth, bool fullScreen = true);
    ~TestDisplay() { display.releaseInterfaces(); }
    TestDisplay(const TestDisplay &) = delete;

    IDirectDraw7 *directDraw = nullptr;
    IDirectDrawSurface7 *primarySurface = nullptr, *backBuffer = nullptr;
    IDirectDrawClipper *clipper = nullptr;
    Display display;
    bool ready = false;
};

IDirectDrawSurface7 *createPictureSurface(Display &display, const Picture &picture);  // caller releases
// Empty when the surface cannot be locked or its pixels are not bytesPerPixel wide.
Picture readPicture(IDirectDrawSurface7 *surface, int bytesPerPixel);

// What a blit of rect at (x, y) leaves: source pixels equal to key are left out, the rest copied
// (mask 0) or mixed 50% (mask 0x7BEF: 5-6-5, 0x3DEF: 5-5-5); only pixels inside both pictures count.
void drawExpected(Picture &target, Picture source, RECT rect, int x, int y, uint32_t key, uint32_t mask);

// Empty when equal, else the first differences, "(x, y) expected E got G".
std::string pictureDifferences(const Picture &expected, const Picture &got);

#endif
