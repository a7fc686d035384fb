// Test helpers: a full-screen Display on a test window, surfaces made from
// pictures, and pixel access through Lock. Pixels are read and
// written as raw values of the surface's width (2, 3 or 4 bytes, little
// endian), rows top down.
#ifndef TESTS_CLIENT_DISPLAY_DISPLAY_TEST_SUPPORT_H
#define TESTS_CLIENT_DISPLAY_DISPLAY_TEST_SUPPORT_H

#include "client/display/display.h"

#include <cstdint>
#include <string>
#include <vector>

// A picture of raw pixel values, width x height, rows top down.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    uint32_t &at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// The display as the client sets it up (640 x 480, full screen), with its
// own interface variables, on one window shared by all test displays.
// ready is false when any step failed.
struct TestDisplay {
    explicit TestDisplay(int depth);
    ~TestDisplay();
    TestDisplay(const TestDisplay &) = delete;
    TestDisplay &operator=(const TestDisplay &) = delete;

    HWND window = nullptr;
    IDirectDraw7 *directDraw = nullptr;
    IDirectDrawSurface7 *primarySurface = nullptr;
    IDirectDrawSurface7 *backBuffer = nullptr;
    Display display;
    bool ready = false;
};

HWND createTestWindow();

// A surface made by the display from the picture (in the display's depth),
// or null. The caller releases it.
IDirectDrawSurface7 *createPictureSurface(Display &display, const Picture &picture);

// Raw pixels of the whole surface; an empty picture when it cannot be locked.
// bytesPerPixel 3 reads a 32-bit surface as a 24-bit one (its rows hold more
// than width 3-byte pixels).
Picture readPicture(IDirectDrawSurface7 *surface, int bytesPerPixel);
bool writePicture(IDirectDrawSurface7 *surface, int bytesPerPixel, const Picture &picture);
Picture filledPicture(int width, int height, uint32_t value);
// Distinct, nonzero values (1, 2, 3 ... row by row), so a shift or flip shows.
Picture numberedPicture(int width, int height);

// What a keyed blit of rectangle drawn of source at (x, y) makes of target:
// a copy, leaving the target under source pixels of value 0. drawn must lie
// in both pictures.
void drawKeyed(Picture &target, const Picture &source, RECT drawn, int x, int y);
// The even mix, pixel by pixel, of every source pixel of rect that lies in
// both pictures when rect is placed at (x, y). mask: 0x7BEF for 5-6-5,
// 0x3DEF for 5-5-5, 0x7F7F7F for 24 bits.
void drawMixed(Picture &target, const Picture &source, RECT rect, int x, int y, uint32_t key, uint32_t mask);

// Empty when equal; otherwise the first differences as "(x, y) expected E got G".
std::string pictureDifferences(const Picture &expected, const Picture &got);

#endif
