// Test helpers: a full-screen Display on a test window, surfaces made from
// pictures, pixel access through Lock, and the expected results of blits.
// A Picture holds raw pixel values (2 or 4 bytes wide), rows top down.
#ifndef TESTS_CLIENT_DISPLAY_DISPLAY_TEST_SUPPORT_H
#define TESTS_CLIENT_DISPLAY_DISPLAY_TEST_SUPPORT_H

#include "client/display/display.h"

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    uint32_t &at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

Picture filledPicture(int width, int height, uint32_t value);
// Distinct, nonzero values (1, 2, 3 ... row by row), so a shift or flip shows.
Picture numberedPicture(int width, int height);
Picture pictureOf(int width, int height, std::vector<uint32_t> pixels);

// The display as the client sets it up (640 x 480, full screen), with its
// own interface variables, on one window shared by all test displays.
struct TestDisplay {
    explicit TestDisplay(int depth);
    ~TestDisplay() { display.releaseInterfaces(); }
    TestDisplay(const TestDisplay &) = delete;
    TestDisplay &operator=(const TestDisplay &) = delete;

    IDirectDraw7 *directDraw = nullptr;
    IDirectDrawSurface7 *primarySurface = nullptr;
    IDirectDrawSurface7 *backBuffer = nullptr;
    Display display;
    bool ready = false;  // initialize succeeded
};

HWND testWindow();

// A surface made by the display from the picture, or null; caller releases.
IDirectDrawSurface7 *createPictureSurface(Display &display, const Picture &picture);
// The whole surface; an empty picture when it cannot be locked.
Picture readPicture(IDirectDrawSurface7 *surface, int bytesPerPixel);

// A keyed blit of rectangle drawn (inside both pictures) to (x, y): source
// pixels of value 0 leave the target.
void drawKeyed(Picture &target, const Picture &source, RECT drawn, int x, int y);
// The mix, pixel by pixel, of every source pixel of rect that lies in both
// pictures when rect is placed at (x, y). mask 0x7BEF: 5-6-5, 0x3DEF: 5-5-5.
void drawMixed(Picture &target, const Picture &source, RECT rect, int x, int y, uint32_t key, uint32_t mask);

// Empty when equal; otherwise the first differences, "(x, y) expected E got G".
std::string pictureDifferences(const Picture &expected, const Picture &got);

#endif
