#include "tests/client/display/display_test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

Picture filledPicture(int width, int height, uint32_t value) {
    return {width, height, std::vector<uint32_t>(size_t(width) * size_t(height), value)};
}

Picture numberedPicture(int width, int height) {
    Picture picture = filledPicture(width, height, 0);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = uint32_t(i + 1);
    return picture;
}

TestDisplay::TestDisplay(int depth, bool fullScreen) {
    static HWND window = platform_test::makeWindow("DisplayTest");
    display.directDraw = &directDraw;
    display.primarySurface = &primarySurface;
    display.backBuffer = &backBuffer;
    display.clipper = &clipper;
    display.fullScreen = fullScreen;
    display.screenWidth = 640;
    display.screenHeight = 480;
    display.bitDepth = depth;
    ready = window && display.initialize(window);
}

IDirectDrawSurface7 *createPictureSurface(Display &display, const Picture &picture) {
    const size_t bytes = size_t(display.bitDepth / 8);
    std::vector<uint8_t> packed(picture.pixels.size() * bytes);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        std::memcpy(&packed[i * bytes], &picture.pixels[i], bytes);
    return display.createSurface(picture.width, picture.height, packed.data());
}

Picture readPicture(IDirectDrawSurface7 *surface, int bytesPerPixel) {
    DDSURFACEDESC2 desc = platform_test::sized<DDSURFACEDESC2>();
    if (!surface || surface->GetSurfaceDesc(&desc) != DD_OK ||
        desc.ddpfPixelFormat.dwRGBBitCount != DWORD(8 * bytesPerPixel))
        return {};
    const int width = int(desc.dwWidth), height = int(desc.dwHeight);
    std::vector<uint32_t> pixels = platform_test::readPixels(surface, width, height);
    if (pixels.size() != size_t(width) * size_t(height))
        return {};
    return {width, height, std::move(pixels)};
}

void drawExpected(Picture &target, Picture source, RECT rect, int x, int y, uint32_t key, uint32_t mask) {
    for (int sy = std::max(0, int(rect.top)); sy < std::min(source.height, int(rect.bottom)); ++sy) {
        for (int sx = std::max(0, int(rect.left)); sx < std::min(source.width, int(rect.right)); ++sx) {
            const int tx = x + sx - rect.left, ty = y + sy - rect.top;
            const uint32_t s = source.at(sx, sy);
            if (tx >= 0 && ty >= 0 && tx < target.width && ty < target.height && s != key)
                target.at(tx, ty) = mask ? ((s >> 1) & mask) + ((target.at(tx, ty) >> 1) & mask) : s;
        }
    }
}

std::string pictureDifferences(const Picture &expected, const Picture &got) {
    if (expected.width != got.width || expected.height != got.height)
        return "expected " + std::to_string(expected.width) + "x" + std::to_string(expected.height) + " got " +
               std::to_string(got.width) + "x" + std::to_string(got.height);
    std::string report;
    char line[80];
    for (size_t i = 0, shown = 0; i < got.pixels.size() && shown < 6; ++i) {
        if (expected.pixels[i] != got.pixels[i] && ++shown) {
            std::snprintf(line, sizeof line, "(%d, %d) expected 0x%x got 0x%x\n", int(i) % got.width,
                          int(i) / got.width, unsigned(expected.pixels[i]), unsigned(got.pixels[i]));
            report += line;
        }
    }
    return report;
}
