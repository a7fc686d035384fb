#include "tests/client/display/display_test_support.h"

#include <cstdio>
#include <cstring>

namespace {

LRESULT CALLBACK testWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

bool lockSurface(IDirectDrawSurface7 *surface, DDSURFACEDESC2 &desc)
{
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    return surface && surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) == DD_OK;
}

uint8_t *pixelAddress(const DDSURFACEDESC2 &desc, int x, int y, int bytesPerPixel)
{
    return static_cast<uint8_t *>(desc.lpSurface) + ptrdiff_t(y) * desc.lPitch + ptrdiff_t(x) * bytesPerPixel;
}

} // namespace

HWND createTestWindow()
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
    window = createTestWindow();
    ready = window && display.initialize(window);
}

TestDisplay::~TestDisplay()
{
    display.releaseInterfaces();
}

IDirectDrawSurface7 *createPictureSurface(Display &display, const Picture &picture)
{
    const int bytesPerPixel = display.bitDepth / 8;
    std::vector<uint8_t> packed(picture.pixels.size() * size_t(bytesPerPixel));
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        std::memcpy(&packed[i * size_t(bytesPerPixel)], &picture.pixels[i], size_t(bytesPerPixel));
    return display.createSurface(picture.width, picture.height, packed.data());
}

Picture readPicture(IDirectDrawSurface7 *surface, int bytesPerPixel)
{
    DDSURFACEDESC2 desc;
    if (!lockSurface(surface, desc))
        return {};
    Picture picture = filledPicture(int(desc.dwWidth), int(desc.dwHeight), 0);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            uint32_t value = 0;
            std::memcpy(&value, pixelAddress(desc, x, y, bytesPerPixel), size_t(bytesPerPixel));
            picture.at(x, y) = value;
        }
    }
    surface->Unlock(nullptr);
    return picture;
}

bool writePicture(IDirectDrawSurface7 *surface, int bytesPerPixel, const Picture &picture)
{
    DDSURFACEDESC2 desc;
    if (!lockSurface(surface, desc))
        return false;
    const bool fits = picture.width <= int(desc.dwWidth) && picture.height <= int(desc.dwHeight);
    for (int y = 0; fits && y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            uint32_t value = picture.at(x, y);
            std::memcpy(pixelAddress(desc, x, y, bytesPerPixel), &value, size_t(bytesPerPixel));
        }
    }
    surface->Unlock(nullptr);
    return fits;
}

Picture filledPicture(int width, int height, uint32_t value)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(size_t(width) * size_t(height), value);
    return picture;
}

Picture numberedPicture(int width, int height)
{
    Picture picture = filledPicture(width, height, 0);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = uint32_t(i + 1);
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
    for (int sy = rect.top; sy < rect.bottom; ++sy) {
        for (int sx = rect.left; sx < rect.right; ++sx) {
            const int tx = x + sx - rect.left;
            const int ty = y + sy - rect.top;
            if (sx < 0 || sy < 0 || sx >= source.width || sy >= source.height || tx < 0 || ty < 0 ||
                tx >= target.width || ty >= target.height)
                continue;
            const uint32_t s = source.at(sx, sy);
            uint32_t &t = target.at(tx, ty);
            if (s != key)
                t = ((s >> 1) & mask) + ((t >> 1) & mask);
        }
    }
}

std::string pictureDifferences(const Picture &expected, const Picture &got)
{
    char line[128];
    if (expected.width != got.width || expected.height != got.height) {
        std::snprintf(line, sizeof line, "size: expected %dx%d got %dx%d\n", expected.width, expected.height,
                      got.width, got.height);
        return line;
    }
    std::string report;
    int shown = 0;
    for (int y = 0; y < got.height; ++y) {
        for (int x = 0; x < got.width; ++x) {
            if (expected.at(x, y) == got.at(x, y))
                continue;
            if (++shown > 8)
                return report + "...\n";
            std::snprintf(line, sizeof line, "(%d, %d) expected 0x%08x got 0x%08x\n", x, y,
                          unsigned(expected.at(x, y)), unsigned(got.at(x, y)));
            report += line;
        }
    }
    return report;
}
