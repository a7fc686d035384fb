// DirectDraw 7 in software, what a surface does: locks, colour keys, the
// colour fill, copies, keyed copies and flips, through the pixel loops of
// common/pixel_kernels.h. Every write to a primary surface shows at once.
// Rectangles are checked as DirectDraw checks them; BltFast never clips, Blt
// clips only to a primary's clipper and does not stretch.
#include "common/pixel_kernels.h"
#include "platform/ddraw.h"

#include <cstring>
#include <utility>
#include <vector>

namespace standin {
namespace {

Rect rectOf(const RECT &rect) {
    return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

void describePixelFormat(DDPIXELFORMAT *format, int bitsPerPixel) {
    format->dwSize = sizeof(DDPIXELFORMAT);
    format->dwFlags = DDPF_RGB;
    format->dwRGBBitCount = (DWORD)bitsPerPixel;
    format->dwRBitMask = bitsPerPixel == 16 ? 0xF800 : 0xFF0000;
    format->dwGBitMask = bitsPerPixel == 16 ? 0x07E0 : 0x00FF00;
    format->dwBBitMask = bitsPerPixel == 16 ? 0x001F : 0x0000FF;
}

// A blit from a surface onto itself reads from a copy of the area, so the
// two may overlap.
void copyOut(std::vector<uint8_t> &copy, const uint8_t *&from, int &fromPitch, int rowBytes, int rows) {
    copy.resize(size_t(rowBytes) * size_t(rows));
    pixels::copy(copy.data(), rowBytes, from, fromPitch, rowBytes, rows);
    from = copy.data();
    fromPitch = rowBytes;
}

}  // namespace

// A lock describes the surface for every blit through it: copying a ready
// description is much cheaper than zeroing and filling one.
void Surface::describe(LPDDSURFACEDESC2 desc) const {
    const DWORD size = desc->dwSize;
    std::memcpy(desc, &description, sizeof(*desc));
    desc->dwSize = size;
}

void Surface::updateDescription() {
    DDSURFACEDESC2 &desc = description;
    desc = DDSURFACEDESC2{};
    desc.dwSize = sizeof(DDSURFACEDESC2);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc.dwWidth = (DWORD)width;
    desc.dwHeight = (DWORD)height;
    desc.lPitch = pitch;
    describePixelFormat(&desc.ddpfPixelFormat, bitsPerPixel);
    desc.ddsCaps.dwCaps = caps;
    if (backBuffer) {
        desc.dwFlags |= DDSD_BACKBUFFERCOUNT;
        desc.dwBackBufferCount = 1;
    }
    if (hasSourceKey) {
        desc.dwFlags |= DDSD_CKSRCBLT;
        desc.ddckCKSrcBlt = sourceKey;
    }
}

void Surface::present() const {
    if (caps & DDSCAPS_PRIMARYSURFACE)
        standin::present(Picture{width, height, bitsPerPixel, pitch, pixels});
}

HRESULT STDMETHODCALLTYPE Surface::GetSurfaceDesc(LPDDSURFACEDESC2 desc) {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2))
        return DDERR_INVALIDPARAMS;
    describe(desc);
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD, HANDLE) {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2))
        return DDERR_INVALIDPARAMS;
    if (rect && (rectOf(*rect).isEmpty() || !bounds().contains(rectOf(*rect))))
        return DDERR_INVALIDPARAMS;
    if (locked)
        return DDERR_SURFACEBUSY;
    describe(desc);
    desc->dwFlags |= DDSD_LPSURFACE;
    desc->lpSurface = rect ? pixelAt(rect->left, rect->top) : pixels.get();
    locked = true;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::Unlock(LPRECT) {
    if (!locked)
        return DDERR_NOTLOCKED;
    locked = false;
    present();
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::SetClipper(LPDIRECTDRAWCLIPPER newClipper) {
    if (newClipper)
        newClipper->AddRef();
    if (clipper)
        clipper->Release();
    clipper = static_cast<Clipper *>(newClipper);
    return DD_OK;
}

// Only source colour keys are emulated: the program uses no other.
HRESULT STDMETHODCALLTYPE Surface::SetColorKey(DWORD flags, LPDDCOLORKEY key) {
    if (flags != DDCKEY_SRCBLT)
        return DDERR_UNSUPPORTED;
    hasSourceKey = key != nullptr;
    if (key)
        sourceKey = collapsedKey(*key);
    updateDescription();
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::GetColorKey(DWORD flags, LPDDCOLORKEY key) {
    if (!key)
        return DDERR_INVALIDPARAMS;
    if (flags != DDCKEY_SRCBLT)
        return DDERR_UNSUPPORTED;
    if (!hasSourceKey)
        return DDERR_NOCOLORKEY;
    *key = sourceKey;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 sourceInterface, LPRECT sourceRect,
                                           DWORD trans) {
    if (!sourceInterface)
        return DDERR_INVALIDPARAMS;
    if (trans & ~DWORD(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT))
        return DDERR_UNSUPPORTED;
    Surface *source = static_cast<Surface *>(sourceInterface);
    const Rect from = sourceRect ? rectOf(*sourceRect) : source->bounds();
    if (from.isEmpty() || !source->bounds().contains(from) || !bounds().contains(from.movedTo(x, y)))
        return DDERR_INVALIDRECT;
    if (locked || source->locked)
        return DDERR_SURFACEBUSY;
    if (source->bitsPerPixel != bitsPerPixel)
        return DDERR_INVALIDPIXELFORMAT;

    const int w = int(from.width()), h = int(from.height());
    const uint8_t *in = source->pixelAt(from.left, from.top);
    int inPitch = source->pitch;
    std::vector<uint8_t> overlap;
    if (source == this)
        copyOut(overlap, in, inPitch, w * bytesPerPixel(), h);
    uint8_t *out = pixelAt(x, y);
    // The key is its low value; a surface without one keys out 0.
    const DWORD key = source->hasSourceKey ? source->sourceKey.dwColorSpaceLowValue : 0;
    if (!(trans & DDBLTFAST_SRCCOLORKEY))
        pixels::copy(out, pitch, in, inPitch, w * bytesPerPixel(), h);
    else if (bitsPerPixel == 16)
        pixels::copyKeyed16(out, pitch, in, inPitch, w, h, key);
    else
        pixels::copyKeyed32(out, pitch, in, inPitch, w, h, key);
    present();
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::Blt(LPRECT destRect, LPDIRECTDRAWSURFACE7 sourceInterface, LPRECT sourceRect,
                                       DWORD flags, LPDDBLTFX effects) {
    const Rect target = destRect ? rectOf(*destRect) : bounds();
    if (flags & DDBLT_COLORFILL) {
        if (!effects)
            return DDERR_INVALIDPARAMS;
        if (target.isEmpty() || !bounds().contains(target))
            return DDERR_INVALIDRECT;
        const int w = int(target.width()), h = int(target.height());
        if (bitsPerPixel == 16)
            pixels::fill16(pixelAt(target.left, target.top), pitch, w, h, (uint16_t)effects->dwFillColor);
        else
            pixels::fill32(pixelAt(target.left, target.top), pitch, w, h, effects->dwFillColor);
        present();
        return DD_OK;
    }

    if (!sourceInterface)
        return DDERR_INVALIDPARAMS;
    Surface *source = static_cast<Surface *>(sourceInterface);
    const Rect from = sourceRect ? rectOf(*sourceRect) : source->bounds();
    if (from.isEmpty() || !source->bounds().contains(from) || target.isEmpty())
        return DDERR_INVALIDRECT;
    if (target.width() != from.width() || target.height() != from.height())
        return DDERR_UNSUPPORTED;
    if (locked || source->locked)
        return DDERR_SURFACEBUSY;
    if (source->bitsPerPixel != bitsPerPixel)
        return DDERR_INVALIDPIXELFORMAT;

    // The area written: the target, cut to the clipper's window on the
    // screen; without a clipper the target must lie inside the surface.
    Rect visible = bounds();
    if (clipper) {
        RECT window = {0, 0, 0, 0};
        if (!clipper->window || !windowRect(clipper->window, &window))
            window = RECT{0, 0, 0, 0};
        visible = visible.intersected(rectOf(window));
    } else if (!bounds().contains(target)) {
        return DDERR_INVALIDRECT;
    }
    const Rect written = target.intersected(visible);
    if (!written.isEmpty()) {
        const Rect read = written.translated(from.left - target.left, from.top - target.top);
        const int rowBytes = int(written.width()) * bytesPerPixel(), rows = int(written.height());
        const uint8_t *in = source->pixelAt(read.left, read.top);
        int inPitch = source->pitch;
        std::vector<uint8_t> overlap;
        if (source == this)
            copyOut(overlap, in, inPitch, rowBytes, rows);
        pixels::copy(pixelAt(written.left, written.top), pitch, in, inPitch, rowBytes, rows);
    }
    present();
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::Flip(LPDIRECTDRAWSURFACE7 targetOverride, DWORD) {
    if (!(caps & DDSCAPS_FRONTBUFFER) || !backBuffer)
        return DDERR_NOTFLIPPABLE;
    // With one back buffer the only override there can be is that buffer.
    if (targetOverride && targetOverride != backBuffer)
        return DDERR_INVALIDPARAMS;
    if (locked || backBuffer->locked)
        return DDERR_SURFACEBUSY;
    std::swap(pixels, backBuffer->pixels);
    present();
    return DD_OK;
}

}  // namespace standin
