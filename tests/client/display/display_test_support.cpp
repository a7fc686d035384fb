#include "tests/client/display/display_test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

LRESULT CALLBACK testWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

Picture filledPicture(int width, int height, uint32_t value)
{
    return {width, height, std::vector<uint32_t>(size_t(width) * size_t(height), value)};
}

Picture numberedPicture(int width, int height)
{
    Picture picture = filledPicture(width, height, 0);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = uint32_t(i + 1);
    return picture;
}

Picture pictureOf(int width, int height, std::vector<uint32_t> pixels)
{
    return {width, height, std::move(pixels)};
}

HWND testWindow()
{
    static HWND window = nullptr;
    if (!window) {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = testWindowProc;
        windowClass.lpszClassName = "DisplayTest";
        RegisterClassExA(&windowClass);
        window = CreateWindowExA(0, "DisplayTest", "DisplayTest", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                                 nullptr, nullptr);
    }
    return window;
}

TestDisplay::TestDisplay(int depth)
{
    display.directDraw = &directDraw;
    display.primarySurface = &primarySurface;
    display.backBuffer = &backBuffer;
    display.screenWidth = 640;
    display.screenHeight = 480;
    display.bitDepth = depth;
    ready = testWindow() && display.initialize(testWindow());
}

IDirectDrawSurface7 *createPictureSurface(Display &display, const Picture &picture)
{
    const size_t bytesPerPixel = size_t(display.bitDepth / 8);
    std::vector<uint8_t> packed(picture.pixels.size() * bytesPerPixel);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        std::memcpy(&packed[i * bytesPerPixel], &picture.pixels[i], bytesPerPixel);
    return display.createSurface(picture.width, picture.height, packed.data());
}

Picture readPicture(IDirectDrawSurface7 *surface, int bytesPerPixel)
{
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    if (!surface || surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK)
        return {};
    Picture picture = filledPicture(int(desc.dwWidth), int(desc.dwHeight), 0);
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t *row = static_cast<const uint8_t *>(desc.lpSurface) + ptrdiff_t(y) * desc.lPitch;
        for (int x = 0; x < picture.width; ++x)
            std::memcpy(&picture.at(x, y), row + x * bytesPerPixel, size_t(bytesPerPixel));
    }
    surface->Unlock(nullptr);
    return picture;
}

void drawKeyed(Picture &target, const Picture &source, RECT drawn, int x, int y)
{
    for (int sy = drawn.top; sy < drawn.bottom; ++sy)
        for (int sx = drawn.left; sx < drawn.right; ++sx)
            if (source.at(sx, sy) != 0)
                target.at(x + sx - drawn.left, y + sy - drawn.top) = source.at(sx, sy);
}

void drawMixed(Picture &target, const Picture &source, RECT rect, int x, int y, uint32_t key, uint32_t mask)
{
    for (int sy = std::max(0, int(rect.top)); sy < std::min(source.height, int(rect.bottom)); ++sy) {
        for (int sx = std::max(0, int(rect.left)); sx < std::min(source.width, int(rect.right)); ++sx) {
            const int tx = x + sx - rect.left;
            const int ty = y + sy - rect.top;
            const uint32_t s = source.at(sx, sy);
            if (tx < 0 || ty < 0 || tx >= target.width || ty >= target.height || s == key)
                continue;
            target.at(tx, ty) = ((s >> 1) & mask) + ((target.at(tx, ty) >> 1) & mask);
        }
    }
}

std::string pictureDifferences(const Picture &expected, const Picture &got)
{
    char line[96];
    if (expected.width != got.width || expected.height != got.height) {
        std::snprintf(line, sizeof line, "expected %dx%d got %dx%d", expected.width, expected.height, got.width,
                      got.height);
        return line;
    }
    std::string report;
    for (int i = 0, shown = 0; i < int(got.pixels.size()) && shown < 6; ++i) {
        if (expected.pixels[size_t(i)] == got.pixels[size_t(i)])
            continue;
        std::snprintf(line, sizeof line, "(%d, %d) expected 0x%x got 0x%x\n", i % got.width, i / got.width,
                      unsigned(expected.pixels[size_t(i)]), unsigned(got.pixels[size_t(i)]));
        report += line;
        ++shown;
    }
    return report;
}
