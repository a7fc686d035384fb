#include "client/display/display.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// One fill record serves every clear; only its colour changes.
DDBLTFX fillEffect;

bool lockWhole(IDirectDrawSurface7 *surface, DDSURFACEDESC2 &desc) {
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    return surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) == DD_OK;
}

// The part of a locked surface that may be touched: never wider than a row
// of lPitch bytes holds, so a surface of another depth than the caller
// assumes is still never overrun.
struct LockedPixels {
    uint8_t *bits;
    ptrdiff_t pitch;
    int64_t width;
    int64_t height;
};

LockedPixels lockedPixels(const DDSURFACEDESC2 &desc, int bytesPerPixel) {
    if (!desc.lpSurface || desc.lPitch <= 0 || bytesPerPixel <= 0)
        return {nullptr, 0, 0, 0};
    int64_t width = std::min<int64_t>(desc.dwWidth, desc.lPitch / bytesPerPixel);
    return {static_cast<uint8_t *>(desc.lpSurface), desc.lPitch, width, int64_t(desc.dwHeight)};
}

RECT surfaceBounds(IDirectDrawSurface7 *surface) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    if (surface->GetSurfaceDesc(&desc) != DD_OK)
        return {0, 0, 0, 0};
    return {0, 0, LONG(desc.dwWidth), LONG(desc.dwHeight)};
}

RECT intersection(const RECT &a, const RECT &b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

bool isEmpty(const RECT &rect) {
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

uint32_t halfMix(uint32_t source, uint32_t target, uint32_t mask) {
    return ((source >> 1) & mask) + ((target >> 1) & mask);
}

// 15 and 16 bits: two pixels per 32-bit word; an odd first pixel alone.
void blendRow16(const uint8_t *source, uint8_t *target, int64_t width, uint32_t mask, uint32_t key) {
    int64_t i = 0;
    if (width & 1) {
        uint16_t s, t;
        std::memcpy(&s, source, 2);
        std::memcpy(&t, target, 2);
        if (s != key) {
            uint16_t mixed = uint16_t(halfMix(s, t, mask));
            std::memcpy(target, &mixed, 2);
        }
        i = 1;
    }
    const uint32_t mask2 = mask | mask << 16;
    const uint32_t key2 = (key & 0xFFFF) * 0x00010001u;
    const uint32_t keyable = key <= 0xFFFF ? 0xFFFFFFFFu : 0;
    for (; i < width; i += 2) {
        uint32_t s, t;
        std::memcpy(&s, source + 2 * i, 4);
        std::memcpy(&t, target + 2 * i, 4);
        uint32_t mixed = halfMix(s, t, mask2);
        // Bit 15 of each lane set where that lane of s differs from the key.
        uint32_t differ = s ^ key2;
        uint32_t nonzero = (((differ & 0x7FFF7FFFu) + 0x7FFF7FFFu) | differ) & 0x80008000u;
        uint32_t keep = (((nonzero >> 15) ^ 0x00010001u) * 0xFFFFu) & keyable;
        uint32_t out = (mixed & ~keep) | (t & keep);
        std::memcpy(target + 2 * i, &out, 4);
    }
}

void blendRow24(const uint8_t *source, uint8_t *target, int64_t width, uint32_t key) {
    for (int64_t i = 0; i < width; ++i, source += 3, target += 3) {
        uint32_t s = uint32_t(source[0]) | uint32_t(source[1]) << 8 | uint32_t(source[2]) << 16;
        if (s == key)
            continue;
        uint32_t t = uint32_t(target[0]) | uint32_t(target[1]) << 8 | uint32_t(target[2]) << 16;
        uint32_t mixed = halfMix(s, t, 0x7F7F7F);
        target[0] = uint8_t(mixed);
        target[1] = uint8_t(mixed >> 8);
        target[2] = uint8_t(mixed >> 16);
    }
}

// 32 bits: the low three bytes mix, the fourth byte of the target stays.
void blendRow32(const uint8_t *source, uint8_t *target, int64_t width, uint32_t key) {
    for (int64_t i = 0; i < width; ++i) {
        uint32_t s, t;
        std::memcpy(&s, source + 4 * i, 4);
        std::memcpy(&t, target + 4 * i, 4);
        s &= 0x00FFFFFF;
        uint32_t mixed = halfMix(s, t, 0x7F7F7F) | (t & 0xFF000000u);
        uint32_t out = s == key ? t : mixed;
        std::memcpy(target + 4 * i, &out, 4);
    }
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
    if (locked.lpSurface && locked.lPitch > 0) {
        const size_t copyLength = std::min(rowLength, size_t(locked.lPitch));
        const size_t rows = std::min(size_t(height), size_t(locked.dwHeight));
        const uint8_t *from = static_cast<const uint8_t *>(pixels);
        uint8_t *to = static_cast<uint8_t *>(locked.lpSurface);
        for (size_t row = 0; row < rows; ++row)
            std::memcpy(to + row * size_t(locked.lPitch), from + row * rowLength, copyLength);
    }
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
    // 64-bit, so absurd positions and rectangles cannot overflow; a result
    // that is not empty always fits the 32-bit fields again.
    int64_t left = rect.left, top = rect.top, right = rect.right, bottom = rect.bottom;
    int64_t atX = x, atY = y;
    if (atX < 0) {
        left -= atX;
        atX = 0;
    }
    if (atX + (right - left) > screenRect.right)
        right = left + screenRect.right - atX;
    if (atY < 0) {
        top -= atY;
        atY = 0;
    }
    if (atY + (bottom - top) > screenRect.bottom)
        bottom = top + screenRect.bottom - atY;
    if (right <= left || bottom <= top)
        return false;
    rect = {LONG(left), LONG(top), LONG(right), LONG(bottom)};
    x = int(atX);
    y = int(atY);
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
    if (isEmpty(rect) || !target || !*target || !source || !*source)
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
    RECT from = intersection(screenRect, surfaceBounds(*backBuffer));
    RECT to = intersection(targetRect, surfaceBounds(*primarySurface));
    if (!isEmpty(from) && !isEmpty(to))
        (*primarySurface)->Blt(&to, *backBuffer, &from, DDBLT_WAIT, nullptr);
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

    int bytesPerPixel = 0;
    uint32_t mask = 0;
    switch (depth) {
    case 15:
        bytesPerPixel = 2;
        mask = 0x3DEF;
        break;
    case 16:
        bytesPerPixel = 2;
        mask = 0x7BEF;
        break;
    case 24:
        bytesPerPixel = 3;
        mask = 0x7F7F7F;
        break;
    case 32:
        bytesPerPixel = 4;
        mask = 0x7F7F7F;
        break;
    default: break;
    }
    const LockedPixels from = lockedPixels(sourceDesc, bytesPerPixel);
    const LockedPixels to = lockedPixels(targetDesc, bytesPerPixel);

    // Cut the rectangle to the source, then its placement to the target.
    int64_t left = rect.left, top = rect.top, right = rect.right, bottom = rect.bottom;
    int64_t atX = x, atY = y;
    if (left < 0) {
        atX -= left;
        left = 0;
    }
    if (top < 0) {
        atY -= top;
        top = 0;
    }
    right = std::min(right, from.width);
    bottom = std::min(bottom, from.height);
    if (atX < 0) {
        left -= atX;
        atX = 0;
    }
    if (atY < 0) {
        top -= atY;
        atY = 0;
    }
    right = std::min(right, left + to.width - atX);
    bottom = std::min(bottom, top + to.height - atY);
    const int64_t w = right - left;
    const int64_t h = bottom - top;

    if (bytesPerPixel != 0 && w > 0 && h > 0) {
        const uint8_t *sourceRow = from.bits + top * from.pitch + left * bytesPerPixel;
        uint8_t *targetRow = to.bits + atY * to.pitch + atX * bytesPerPixel;
        for (int64_t row = 0; row < h; ++row, sourceRow += from.pitch, targetRow += to.pitch) {
            switch (bytesPerPixel) {
            case 2: blendRow16(sourceRow, targetRow, w, mask, key); break;
            case 3: blendRow24(sourceRow, targetRow, w, key); break;
            default: blendRow32(sourceRow, targetRow, w, key); break;
            }
        }
    }
    source->Unlock(nullptr);
    target->Unlock(nullptr);
}
