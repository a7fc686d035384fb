// The stand-in's DirectDraw 7 objects, shared by ddraw.cpp (creation,
// reference counts and lifetimes) and surface.cpp (what a surface does).
// Not for client code.
//
// Lifetimes follow DirectDraw: each surface made by CreateSurface holds a
// reference on the IDirectDraw7 interface that made it, so the object lives
// until its last surface is gone. A flipping primary holds one reference on
// its one back buffer and drops it when the primary is destroyed; a back
// buffer still referenced then stays usable until its own last Release. The
// IDirectDraw and IDirectDraw7 interfaces of one object count apart. Where
// DirectDraw's documentation leaves a result open, Wine's DirectDraw decides
// (for instance: a colour key is one exact value, and a keyed blit from a
// surface without a key takes key 0).
//
// Surface memory: rows of pitch bytes, the pixels first, padded past them and
// 32-byte aligned as display drivers do; shared with a presenter that keeps
// the last presented picture (core.h).
#ifndef PLATFORM_DDRAW_H
#define PLATFORM_DDRAW_H

#include "common/rect.h"
#include "platform/core.h"

#include <memory>

namespace standin {

// A key range whose high value lies below its low value becomes the low value.
inline DDCOLORKEY collapsedKey(const DDCOLORKEY &key) {
    return {key.dwColorSpaceLowValue, key.dwColorSpaceHighValue < key.dwColorSpaceLowValue ? key.dwColorSpaceLowValue
                                                                                           : key.dwColorSpaceHighValue};
}

class Clipper final : public IDirectDrawClipper {
public:
    Clipper();
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE SetHWnd(DWORD, HWND newWindow) override;

    HWND window = nullptr;  // writes through the clipper stay inside it

private:
    ~Clipper() = default;
    ULONG refs = 1;
};

class DirectDrawObject;

class Surface final : public IDirectDrawSurface7 {
public:
    // Null when a surface of this size cannot be had.
    static Surface *create(int width, int height, int bitsPerPixel, DWORD caps);

    // Reference counts and the flipping chain: ddraw.cpp.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetAttachedSurface(LPDDSCAPS2 wanted, LPDIRECTDRAWSURFACE7 *attached) override;

    // What the surface does: surface.cpp.
    HRESULT STDMETHODCALLTYPE Blt(LPRECT destRect, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD flags,
                                  LPDDBLTFX effects) override;
    HRESULT STDMETHODCALLTYPE BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect,
                                      DWORD trans) override;
    HRESULT STDMETHODCALLTYPE Flip(LPDIRECTDRAWSURFACE7 targetOverride, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE GetColorKey(DWORD flags, LPDDCOLORKEY key) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceDesc(LPDDSURFACEDESC2 desc) override;
    HRESULT STDMETHODCALLTYPE Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE event) override;
    HRESULT STDMETHODCALLTYPE SetClipper(LPDIRECTDRAWCLIPPER newClipper) override;
    HRESULT STDMETHODCALLTYPE SetColorKey(DWORD flags, LPDDCOLORKEY key) override;
    HRESULT STDMETHODCALLTYPE Unlock(LPRECT rect) override;

    // Makes this front buffer the root of a chain with one back buffer.
    void attachBackBuffer(Surface *back);

    const int width;
    const int height;
    const int bitsPerPixel;
    const int pitch;
    const DWORD caps;
    std::shared_ptr<uint8_t> pixels;
    DirectDrawObject *owner = nullptr;  // its IDirectDraw7 is held by roots only

private:
    Surface(int surfaceWidth, int surfaceHeight, int bits, int rowPitch, DWORD surfaceCaps,
            std::shared_ptr<uint8_t> memory);
    ~Surface() = default;
    void destroy();

    int bytesPerPixel() const { return bitsPerPixel / 8; }
    Rect bounds() const { return Rect{0, 0, width, height}; }
    uint8_t *pixelAt(int64_t x, int64_t y) const { return pixels.get() + y * pitch + x * bytesPerPixel(); }
    void describe(LPDDSURFACEDESC2 desc) const;
    void updateDescription();
    void present() const;

    // What every blit reads comes first, in the cache line of the fields above.
    bool locked = false;
    bool hasSourceKey = false;
    DDCOLORKEY sourceKey = {0, 0};
    ULONG refs = 1;
    Clipper *clipper = nullptr;
    Surface *backBuffer = nullptr;   // on a flipping primary
    Surface *frontBuffer = nullptr;  // on its back buffer while the primary lives
    bool orphaned = false;           // a back buffer whose primary is gone
    DDSURFACEDESC2 description;      // what Lock and GetSurfaceDesc give
};

// The IDirectDraw interface of an object: its own count, the object's state.
class DirectDrawFirst final : public IDirectDraw {
public:
    explicit DirectDrawFirst(DirectDrawObject *object) : owner(object) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

private:
    DirectDrawObject *owner;
};

class DirectDrawObject final : public IDirectDraw7 {
public:
    DirectDrawObject();
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateClipper(DWORD, LPDIRECTDRAWCLIPPER *clipper, IUnknown *outer) override;
    HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7 *surface,
                                            IUnknown *outer) override;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate,
                                             DWORD flags) override;

    IDirectDraw *firstInterface() { return &first; }
    ULONG addFirstRef() { return ++refs1; }
    ULONG releaseFirst();

private:
    ~DirectDrawObject() = default;
    void destroyWhenUnused();

    DirectDrawFirst first;
    ULONG refs1 = 0;
    ULONG refs7 = 0;
    DWORD cooperativeLevel = 0;
    bool modeSet = false;  // this object changed the display mode
};

}  // namespace standin

#endif
