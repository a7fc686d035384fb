#include "client/display/display.h"

#include "common/pixel_kernels.h"
#include "common/rect.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// The mix's channel masks: each channel's top bit clear (pixel_kernels.h).
constexpr uint16_t kMix555 = 0x3DEF;
constexpr uint16_t kMix565 = 0x7BEF;

// One fill record serves every clear; only its colour changes.
DDBLTFX fillEffect;

// Fresh descriptions are copied from this zeroed one: the compiler turns a
// memset of this size into a string instruction that costs more than the
// whole lock of a small surface.
DDSURFACEDESC2 zeroedDescription;

bool lockWhole(IDirectDrawSurface7 *surface, DDSURFACEDESC2 &desc) {
    std::memcpy(&desc, &zeroedDescription, sizeof desc);
    desc.dwSize = sizeof desc;
    return surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) == DD_OK;
}

Rect rectOf(const RECT &rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// Only for a rectangle cut to a surface, which fits 32 bits.
RECT toRECT(const Rect &rect) {
    return {LONG(rect.left), LONG(rect.top), LONG(rect.right), LONG(rect.bottom)};
}

// The pixels of a locked surface that may be touched: never wider than a row
// of lPitch bytes holds, so a surface of another depth than the caller
// assumes is still never overrun.
Rect lockedBounds(const DDSURFACEDESC2 &desc, int bytesPerPixel) {
    if (!desc.lpSurface || desc.lPitch <= 0 || bytesPerPixel <= 0)
        return {};
    return {0, 0, std::min<int64_t>(desc.dwWidth, desc.lPitch / bytesPerPixel), int64_t(desc.dwHeight)};
}

Rect surfaceBounds(IDirectDrawSurface7 *surface) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    if (surface->GetSurfaceDesc(&desc) != DD_OK)
        return {};
    return {0, 0, int64_t(desc.dwWidth), int64_t(desc.dwHeight)};
}

// Releases the interface in the variable that field points at, then empties
// the variable and the field.
template <typename Interface>
void releaseHeld(Interface **&field) {
    if (field && *field) {
        (*field)->Release();
        *field = nullptr;
        field = nullptr;
    }
}

}  // namespace

bool Display::initialize(HWND window) {
    if (!directDraw || !primarySurface || !backBuffer)
        return false;
    IDirectDraw *first = nullptr;
    if (DirectDrawCreate(nullptr, &first, nullptr) != DD_OK || !first)
        return false;
    HRESULT queried = first->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void **>(directDraw));
    // The first interface only serves the query; keeping it would keep the
    // DirectDraw object alive past releaseInterfaces.
    first->Release();
    if (queried != DD_OK || !*directDraw)
        return false;
    IDirectDraw7 *draw = *directDraw;

    if (fullScreen) {
        if (draw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) != DD_OK)
            return false;
        if (draw->SetDisplayMode(DWORD(screenWidth), DWORD(screenHeight), DWORD(bitDepth), 0, 0) != DD_OK)
            return false;
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.dwBackBufferCount = 1;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        if (draw->CreateSurface(&desc, primarySurface, nullptr) != DD_OK)
            return false;
        DDSCAPS2 caps = {};
        caps.dwCaps = DDSCAPS_BACKBUFFER;
        if ((*primarySurface)->GetAttachedSurface(&caps, backBuffer) != DD_OK)
            return false;
    } else {
        if (!clipper)
            return false;
        if (draw->SetCooperativeLevel(window, DDSCL_NORMAL) != DD_OK)
            return false;
        DDSURFACEDESC2 primaryDesc = {};
        primaryDesc.dwSize = sizeof primaryDesc;
        primaryDesc.dwFlags = DDSD_CAPS;
        primaryDesc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        if (draw->CreateSurface(&primaryDesc, primarySurface, nullptr) != DD_OK)
            return false;
        DDSURFACEDESC2 backDesc = {};
        backDesc.dwSize = sizeof backDesc;
        backDesc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
        backDesc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        backDesc.dwWidth = DWORD(GetSystemMetrics(SM_CXSCREEN));
        backDesc.dwHeight = DWORD(GetSystemMetrics(SM_CYSCREEN));
        if (draw->CreateSurface(&backDesc, backBuffer, nullptr) != DD_OK)
            return false;
        if (draw->CreateClipper(0, clipper, nullptr) != DD_OK)
            return false;
        if ((*clipper)->SetHWnd(0, window) != DD_OK)
            return false;
        if ((*primarySurface)->SetClipper(*clipper) != DD_OK)
            return false;
    }
    SetRect(&screenRect, 0, 0, screenWidth, screenHeight);
    SetRect(&targetRect, 0, 0, screenWidth, screenHeight);
    initialized = true;
    return true;
}

void Display::releaseInterfaces() {
    releaseHeld(directDraw);
    // The back buffer before the primary surface: a full-screen back buffer
    // belongs to the primary's flipping chain and is destroyed with it, so
    // releasing it afterwards would run on freed memory (Wine's DirectDraw
    // crashes there).
    releaseHeld(backBuffer);
    releaseHeld(primarySurface);
    releaseHeld(clipper);
}

IDirectDrawSurface7 *Display::createSurface(int width, int height, const void *pixels) {
    if (!directDraw || !*directDraw || width <= 0 || height <= 0 || !pixels)
        return nullptr;
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = DWORD(width);
    desc.dwHeight = DWORD(height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7 *surface = nullptr;
    if ((*directDraw)->CreateSurface(&desc, &surface, nullptr) != DD_OK || !surface)
        return nullptr;

    const size_t rowLength = size_t(std::max(bitDepth / 8, 0)) * size_t(width);
    DDSURFACEDESC2 locked;
    if (!lockWhole(surface, locked)) {
        surface->Release();  // a surface nobody gets would never be released
        return nullptr;
    }
    const int copyLength = int(std::min(rowLength, size_t(locked.lPitch > 0 ? locked.lPitch : 0)));
    const int rows = int(std::min(size_t(height), size_t(locked.dwHeight)));
    if (locked.lpSurface && copyLength > 0 && rows > 0)
        pixels::copy(static_cast<uint8_t *>(locked.lpSurface), locked.lPitch, static_cast<const uint8_t *>(pixels),
                     ptrdiff_t(rowLength), copyLength, rows);
    surface->Unlock(nullptr);
    return surface;
}

bool Display::setColorKey(IDirectDrawSurface7 *const *surface, uint32_t key) {
    if (!surface || !*surface)
        return false;
    DDCOLORKEY colorKey = {};
    colorKey.dwColorSpaceLowValue = key;
    colorKey.dwColorSpaceHighValue = key;
    return (*surface)->SetColorKey(DDCKEY_SRCBLT, &colorKey) == DD_OK;
}

bool Display::clipToScreen(RECT &rect, int &x, int &y) const {
    // Most blits lie wholly on the screen: nothing to cut.
    const int64_t right = int64_t(x) + rect.right - rect.left, bottom = int64_t(y) + rect.bottom - rect.top;
    if (x >= 0 && y >= 0 && right <= screenRect.right && bottom <= screenRect.bottom)
        return right > x && bottom > y;
    const Rect screen = {0, 0, screenRect.right, screenRect.bottom};
    const Rect drawn = rectOf(rect).movedTo(x, y).intersected(screen);
    if (drawn.isEmpty())
        return false;
    rect = toRECT(drawn.translated(int64_t(rect.left) - x, int64_t(rect.top) - y));
    x = int(drawn.left);
    y = int(drawn.top);
    return true;
}

bool Display::blitKeyed(IDirectDrawSurface7 *const *target, int x, int y, IDirectDrawSurface7 *const *source, RECT rect,
                        bool clip) {
    if (!target || !*target || !source || !*source)
        return false;
    if (clip && !clipToScreen(rect, x, y))
        return false;
    return (*target)->BltFast(DWORD(x), DWORD(y), *source, &rect, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT) == DD_OK;
}

bool Display::blitTranslucent(IDirectDrawSurface7 *const *target, int x, int y, IDirectDrawSurface7 *const *source,
                              RECT rect, bool clip) {
    if (clip && !clipToScreen(rect, x, y))
        return true;
    if (rectOf(rect).isEmpty() || !target || !*target || !source || !*source)
        return true;
    blendRect(*source, *target, x, y, rect, 0, bitDepth);
    return true;
}

bool Display::clearBackBuffer(uint32_t colour) {
    if (!backBuffer || !*backBuffer)
        return true;
    fillEffect.dwSize = sizeof fillEffect;
    fillEffect.dwFillColor = colour;
    (*backBuffer)->Blt(&screenRect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fillEffect);
    return true;
}

bool Display::present() {
    if (!primarySurface || !*primarySurface)
        return true;
    if (fullScreen) {
        (*primarySurface)->Flip(nullptr, DDFLIP_WAIT);
        return true;
    }
    if (!backBuffer || !*backBuffer)
        return true;
    // The copy is cut to both surfaces, whatever the two rectangles say.
    const Rect from = rectOf(screenRect).intersected(surfaceBounds(*backBuffer));
    const Rect to = rectOf(targetRect).intersected(surfaceBounds(*primarySurface));
    if (from.isEmpty() || to.isEmpty())
        return true;
    RECT fromRect = toRECT(from), toRect = toRECT(to);
    (*primarySurface)->Blt(&toRect, *backBuffer, &fromRect, DDBLT_WAIT, nullptr);
    return true;
}

void blendRect(IDirectDrawSurface7 *source, IDirectDrawSurface7 *target, int x, int y, RECT rect, uint32_t key,
               int depth) {
    if (!source || !target)
        return;
    DDSURFACEDESC2 sourceDesc, targetDesc;
    if (!lockWhole(source, sourceDesc))
        return;
    if (!lockWhole(target, targetDesc)) {
        source->Unlock(nullptr);
        return;
    }
    const int bytesPerPixel = depth == 15 || depth == 16 ? 2 : depth == 24 ? 3 : depth == 32 ? 4 : 0;
    // The rectangle cut to the source, placed at (x, y), cut to the target.
    const int64_t dx = int64_t(x) - rect.left, dy = int64_t(y) - rect.top;
    const Rect drawn = rectOf(rect)
                           .intersected(lockedBounds(sourceDesc, bytesPerPixel))
                           .translated(dx, dy)
                           .intersected(lockedBounds(targetDesc, bytesPerPixel));
    if (!drawn.isEmpty()) {
        const Rect read = drawn.translated(-dx, -dy);
        const uint8_t *from = static_cast<const uint8_t *>(sourceDesc.lpSurface) + read.top * sourceDesc.lPitch +
                              read.left * bytesPerPixel;
        uint8_t *to =
            static_cast<uint8_t *>(targetDesc.lpSurface) + drawn.top * targetDesc.lPitch + drawn.left * bytesPerPixel;
        const int w = int(drawn.width()), h = int(drawn.height());
        const ptrdiff_t toPitch = targetDesc.lPitch, fromPitch = sourceDesc.lPitch;
        switch (depth) {
        case 15: pixels::mix16(to, toPitch, from, fromPitch, w, h, kMix555, key); break;
        case 16: pixels::mix16(to, toPitch, from, fromPitch, w, h, kMix565, key); break;
        case 24: pixels::mix24(to, toPitch, from, fromPitch, w, h, key); break;
        case 32: pixels::mix32(to, toPitch, from, fromPitch, w, h, key); break;
        }
    }
    source->Unlock(nullptr);
    target->Unlock(nullptr);
}
