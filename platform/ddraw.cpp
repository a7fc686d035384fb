// DirectDraw 7 in software: an emulated display mode, surfaces in memory,
// flipping chains, colour keys, clippers, and COM reference counts.
//
// Lifetimes follow DirectDraw: each surface made by CreateSurface holds a
// reference on the IDirectDraw7 interface that made it, so the object lives
// until its last surface is gone. A flipping chain holds one reference on each
// of its back buffers and drops them when its front buffer is destroyed; a
// back buffer still referenced then stays usable until its own last Release.
// The IDirectDraw and IDirectDraw7 interfaces of one object count apart.
// Where DirectDraw's documentation leaves a result open, Wine's DirectDraw
// decides (for instance: a colour key is one exact value, and a keyed blit
// from a surface without a key takes key 0).
#include "platform/core.h"
#include "platform/pixels.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

const GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID IID_IDirectDraw = {0x6C14DB80, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const GUID IID_IDirectDraw7 = {0x15e65ec0, 0x3b9c, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
const GUID IID_IDirectDrawSurface7 = {0x06675a80, 0x3b9b, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
const GUID IID_IDirectDrawClipper = {0x6C14DB85, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

namespace standin {
namespace {

constexpr int kDesktopBitsPerPixel = 32;
constexpr int kMaxSurfaceSide = 16384;
constexpr size_t kMaxSurfaceBytes = size_t(256) << 20;
constexpr DWORD kMaxBackBuffers = 3;

LiveCounts counts;

bool sameGuid(const GUID &a, const GUID &b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

// Rows are padded past the pixels, as display drivers do, and 32-byte aligned.
int paddedPitch(int width, int bytesPerPixel) {
    int rowBytes = width * bytesPerPixel;
    return ((rowBytes + 31) & ~31) + 32;
}

DDCOLORKEY collapsedKey(const DDCOLORKEY &key) {
    DDCOLORKEY result = key;
    if (result.dwColorSpaceHighValue < result.dwColorSpaceLowValue)
        result.dwColorSpaceHighValue = result.dwColorSpaceLowValue;
    return result;
}

void describePixelFormat(DDPIXELFORMAT *format, int bitsPerPixel) {
    std::memset(format, 0, sizeof(*format));
    format->dwSize = sizeof(DDPIXELFORMAT);
    format->dwFlags = DDPF_RGB;
    format->dwRGBBitCount = (DWORD)bitsPerPixel;
    if (bitsPerPixel == 16) {
        format->dwRBitMask = 0xF800;
        format->dwGBitMask = 0x07E0;
        format->dwBBitMask = 0x001F;
    } else {
        format->dwRBitMask = 0xFF0000;
        format->dwGBitMask = 0x00FF00;
        format->dwBBitMask = 0x0000FF;
    }
}

// 0 when the requested format is not one the surfaces can hold.
int bitsOfPixelFormat(const DDPIXELFORMAT &format) {
    if (!(format.dwFlags & DDPF_RGB))
        return 0;
    if (format.dwRGBBitCount == 16 && format.dwRBitMask == 0xF800 && format.dwGBitMask == 0x07E0 &&
        format.dwBBitMask == 0x001F)
        return 16;
    if (format.dwRGBBitCount == 32 && format.dwRBitMask == 0xFF0000 && format.dwGBitMask == 0x00FF00 &&
        format.dwBBitMask == 0x0000FF)
        return 32;
    return 0;
}

bool rectInside(const RECT &rect, int width, int height) {
    return rect.left >= 0 && rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom &&
           rect.right <= width && rect.bottom <= height;
}

class DirectDrawObject;
class Surface;

class Clipper final : public IDirectDrawClipper {
public:
    Clipper() { ++counts.clippers; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override {
        if (!object)
            return DDERR_INVALIDPARAMS;
        if (sameGuid(riid, IID_IDirectDrawClipper) || sameGuid(riid, IID_IUnknown)) {
            AddRef();
            *object = static_cast<IDirectDrawClipper *>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --refs;
        if (left == 0) {
            --counts.clippers;
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE SetHWnd(DWORD, HWND newWindow) override {
        window = newWindow;
        return DD_OK;
    }

    HWND window = nullptr;

private:
    ULONG refs = 1;
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
    DirectDrawObject() : first(this) { ++counts.directDrawObjects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override {
        if (!object)
            return DDERR_INVALIDPARAMS;
        if (sameGuid(riid, IID_IDirectDraw7) || sameGuid(riid, IID_IUnknown)) {
            AddRef();
            *object = static_cast<IDirectDraw7 *>(this);
            return S_OK;
        }
        if (sameGuid(riid, IID_IDirectDraw)) {
            first.AddRef();
            *object = static_cast<IDirectDraw *>(&first);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs7; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --refs7;
        destroyWhenUnused();
        return left;
    }

    HRESULT STDMETHODCALLTYPE CreateClipper(DWORD, LPDIRECTDRAWCLIPPER *clipper, IUnknown *outer) override {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        if (!clipper)
            return DDERR_INVALIDPARAMS;
        *clipper = new Clipper;
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7 *surface,
                                            IUnknown *outer) override;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override {
        bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
        bool normal = (flags & DDSCL_NORMAL) != 0;
        bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
        if (exclusive == normal || exclusive != fullScreen)
            return DDERR_INVALIDPARAMS;
        RECT area;
        if (exclusive && (!window || !windowRect(window, &area)))
            return DDERR_INVALIDPARAMS;
        cooperativeLevel = flags;
        cooperativeWindow = window;
        if (window)
            setFocusWindow(window);
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate,
                                             DWORD flags) override {
        if (flags != 0)
            return DDERR_INVALIDPARAMS;
        static const int modes[][2] = {{320, 240}, {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
        bool known = false;
        for (const auto &mode : modes)
            known = known || ((DWORD)mode[0] == width && (DWORD)mode[1] == height);
        int desktopWidth = 0, desktopHeight = 0;
        presenter().desktopSize(&desktopWidth, &desktopHeight);
        known = known || ((DWORD)desktopWidth == width && (DWORD)desktopHeight == height);
        if (!known || (bitsPerPixel != 16 && bitsPerPixel != 32) || (refreshRate != 0 && refreshRate != 60))
            return DDERR_UNSUPPORTED;
        modeWidth = (int)width;
        modeHeight = (int)height;
        modeBitsPerPixel = (int)bitsPerPixel;
        modeSet = true;
        setEmulatedMode(modeWidth, modeHeight);
        return DD_OK;
    }

    void addFirstRef() { ++refs1; }
    ULONG releaseFirst() {
        ULONG left = --refs1;
        destroyWhenUnused();
        return left;
    }
    ULONG firstRefs() const { return refs1; }
    IDirectDraw *firstInterface() { return &first; }

    int screenWidth() const {
        int width = modeWidth, height = modeHeight;
        if (!modeSet)
            presenter().desktopSize(&width, &height);
        return width;
    }
    int screenHeight() const {
        int width = modeWidth, height = modeHeight;
        if (!modeSet)
            presenter().desktopSize(&width, &height);
        return height;
    }
    int screenBits() const { return modeSet ? modeBitsPerPixel : kDesktopBitsPerPixel; }

private:
    ~DirectDrawObject() = default;
    void destroyWhenUnused() {
        if (refs1 != 0 || refs7 != 0)
            return;
        if (modeSet)
            clearEmulatedMode();
        --counts.directDrawObjects;
        delete this;
    }

    DirectDrawFirst first;
    ULONG refs1 = 0;
    ULONG refs7 = 0;
    DWORD cooperativeLevel = 0;
    HWND cooperativeWindow = nullptr;
    bool modeSet = false;
    int modeWidth = 0;
    int modeHeight = 0;
    int modeBitsPerPixel = 0;
};

HRESULT STDMETHODCALLTYPE DirectDrawFirst::QueryInterface(REFIID riid, void **object) {
    if (!object)
        return DDERR_INVALIDPARAMS;
    if (sameGuid(riid, IID_IDirectDraw) || sameGuid(riid, IID_IUnknown)) {
        AddRef();
        *object = static_cast<IDirectDraw *>(this);
        return S_OK;
    }
    return owner->QueryInterface(riid, object);
}
ULONG STDMETHODCALLTYPE DirectDrawFirst::AddRef() {
    owner->addFirstRef();
    return owner->firstRefs();
}
ULONG STDMETHODCALLTYPE DirectDrawFirst::Release() {
    return owner->releaseFirst();
}

struct FreeDeleter {
    void operator()(uint8_t *memory) const { std::free(memory); }
};

class Surface final : public IDirectDrawSurface7 {
public:
    Surface(int surfaceWidth, int surfaceHeight, int bits, DWORD surfaceCaps, uint8_t *memory)
        : width(surfaceWidth), height(surfaceHeight), bitsPerPixel(bits), pitch(paddedPitch(surfaceWidth, bits / 8)),
          caps(surfaceCaps), pixels(memory) {
        ++counts.surfaces;
    }

    // Memory for a surface of this size, zero-filled; null when too large.
    static uint8_t *allocatePixels(int surfaceWidth, int surfaceHeight, int bits) {
        size_t bytes = (size_t)paddedPitch(surfaceWidth, bits / 8) * (size_t)surfaceHeight;
        if (bytes > kMaxSurfaceBytes)
            return nullptr;
        void *memory = std::aligned_alloc(64, (bytes + 63) & ~size_t(63));
        if (memory)
            std::memset(memory, 0, bytes);
        return static_cast<uint8_t *>(memory);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override {
        if (!object)
            return DDERR_INVALIDPARAMS;
        if (sameGuid(riid, IID_IDirectDrawSurface7) || sameGuid(riid, IID_IUnknown)) {
            AddRef();
            *object = static_cast<IDirectDrawSurface7 *>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        if (orphaned) {
            // On Windows the surface went with its front buffer, and this call
            // would run on freed memory. Here it is counted and survived.
            ++counts.releasesAfterChain;
            std::fprintf(stderr, "Release of a back buffer whose front buffer is already released\n");
        }
        if (refs == 0)
            return 0;
        ULONG left = --refs;
        // A back buffer goes with its chain; a root goes now.
        if (left == 0 && !chainRoot)
            destroy();
        return left;
    }

    HRESULT STDMETHODCALLTYPE Blt(LPRECT destRect, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD flags,
                                  LPDDBLTFX effects) override;
    HRESULT STDMETHODCALLTYPE BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect,
                                      DWORD trans) override;
    HRESULT STDMETHODCALLTYPE Flip(LPDIRECTDRAWSURFACE7 targetOverride, DWORD flags) override;

    HRESULT STDMETHODCALLTYPE GetAttachedSurface(LPDDSCAPS2 wanted, LPDIRECTDRAWSURFACE7 *attached) override {
        if (!wanted || !attached)
            return DDERR_INVALIDPARAMS;
        *attached = nullptr;
        Surface *next = attachedSurface();
        if (!next || (next->caps & wanted->dwCaps) != wanted->dwCaps)
            return DDERR_NOTFOUND;
        next->AddRef();
        *attached = next;
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE GetColorKey(DWORD flags, LPDDCOLORKEY key) override {
        if (!key)
            return DDERR_INVALIDPARAMS;
        if (flags == DDCKEY_SRCBLT && hasSourceKey) {
            *key = sourceKey;
            return DD_OK;
        }
        if (flags == DDCKEY_DESTBLT && hasDestKey) {
            *key = destKey;
            return DD_OK;
        }
        if (flags != DDCKEY_SRCBLT && flags != DDCKEY_DESTBLT)
            return DDERR_INVALIDPARAMS;
        return DDERR_NOCOLORKEY;
    }
    HRESULT STDMETHODCALLTYPE GetSurfaceDesc(LPDDSURFACEDESC2 desc) override {
        if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2))
            return DDERR_INVALIDPARAMS;
        describe(desc);
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD, HANDLE) override {
        if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2))
            return DDERR_INVALIDPARAMS;
        if (rect && (!rectInside(*rect, width, height) || rect->left == rect->right || rect->top == rect->bottom))
            return DDERR_INVALIDPARAMS;
        if (locked)
            return DDERR_SURFACEBUSY;
        describe(desc);
        uint8_t *start = pixels.get();
        if (rect)
            start += (ptrdiff_t)rect->top * pitch + (ptrdiff_t)rect->left * bytesPerPixel();
        desc->dwFlags |= DDSD_LPSURFACE;
        desc->lpSurface = start;
        locked = true;
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE SetClipper(LPDIRECTDRAWCLIPPER newClipper) override {
        if (newClipper)
            newClipper->AddRef();
        if (clipper)
            clipper->Release();
        clipper = static_cast<Clipper *>(newClipper);
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColorKey(DWORD flags, LPDDCOLORKEY key) override {
        if (flags == DDCKEY_SRCBLT) {
            hasSourceKey = key != nullptr;
            if (key)
                sourceKey = collapsedKey(*key);
            return DD_OK;
        }
        if (flags == DDCKEY_DESTBLT) {
            hasDestKey = key != nullptr;
            if (key)
                destKey = collapsedKey(*key);
            return DD_OK;
        }
        return DDERR_INVALIDPARAMS;
    }
    HRESULT STDMETHODCALLTYPE Unlock(LPRECT) override {
        if (!locked)
            return DDERR_NOTLOCKED;
        locked = false;
        // What is written to the visible surface shows at once.
        if (caps & DDSCAPS_PRIMARYSURFACE)
            present();
        return DD_OK;
    }

    int bytesPerPixel() const { return bitsPerPixel / 8; }
    uint8_t *pixelAt(int x, int y) { return pixels.get() + (ptrdiff_t)y * pitch + (ptrdiff_t)x * bytesPerPixel(); }
    void present() { recordFrame(width, height, bitsPerPixel, pixels.get(), pitch); }

    // Chain building: the root owns one reference on each back buffer.
    void attachBackBuffers(std::vector<Surface *> backBuffers) {
        chain = std::move(backBuffers);
        for (Surface *backBuffer : chain)
            backBuffer->chainRoot = this;
    }

    DirectDrawObject *owner = nullptr;  // set on roots only; they hold its IDirectDraw7
    int width;
    int height;
    int bitsPerPixel;
    int pitch;
    DWORD caps;
    bool hasSourceKey = false;
    DDCOLORKEY sourceKey = {0, 0};

private:
    ~Surface() = default;

    Surface *attachedSurface() {
        if (!chain.empty())
            return chain.front();
        if (!chainRoot)
            return nullptr;
        const std::vector<Surface *> &siblings = chainRoot->chain;
        auto it = std::find(siblings.begin(), siblings.end(), this);
        return (it != siblings.end() && it + 1 != siblings.end()) ? *(it + 1) : nullptr;
    }

    void describe(LPDDSURFACEDESC2 desc) const {
        DWORD size = desc->dwSize;
        std::memset(desc, 0, sizeof(*desc));
        desc->dwSize = size;
        desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
        desc->dwWidth = (DWORD)width;
        desc->dwHeight = (DWORD)height;
        desc->lPitch = pitch;
        describePixelFormat(&desc->ddpfPixelFormat, bitsPerPixel);
        desc->ddsCaps.dwCaps = caps;
        if (!chain.empty()) {
            desc->dwFlags |= DDSD_BACKBUFFERCOUNT;
            desc->dwBackBufferCount = (DWORD)chain.size();
        }
        if (hasSourceKey) {
            desc->dwFlags |= DDSD_CKSRCBLT;
            desc->ddckCKSrcBlt = sourceKey;
        }
    }

    void destroy() {
        for (Surface *backBuffer : chain) {
            backBuffer->chainRoot = nullptr;
            backBuffer->orphaned = true;
            if (backBuffer->refs > 0)
                --backBuffer->refs;
            if (backBuffer->refs == 0)
                backBuffer->destroy();
        }
        chain.clear();
        if (clipper)
            clipper->Release();
        DirectDrawObject *creator = owner;
        --counts.surfaces;
        delete this;
        if (creator)
            creator->Release();
    }

    ULONG refs = 1;
    std::unique_ptr<uint8_t, FreeDeleter> pixels;
    bool locked = false;
    bool hasDestKey = false;
    DDCOLORKEY destKey = {0, 0};
    Clipper *clipper = nullptr;
    Surface *chainRoot = nullptr;  // set on back buffers while their chain exists
    bool orphaned = false;         // a back buffer whose chain is gone
    std::vector<Surface *> chain;  // on a front buffer: its back buffers in order

    friend class DirectDrawObject;
};

HRESULT STDMETHODCALLTYPE DirectDrawObject::CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7 *surface,
                                                          IUnknown *outer) {
    if (outer)
        return CLASS_E_NOAGGREGATION;
    if (!desc || !surface || desc->dwSize != sizeof(DDSURFACEDESC2))
        return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    if (!cooperativeLevel)
        return DDERR_NOCOOPERATIVELEVELSET;
    DWORD flags = desc->dwFlags;
    DWORD requested = (flags & DDSD_CAPS) ? desc->ddsCaps.dwCaps : 0;
    bool flipping = (requested & DDSCAPS_FLIP) != 0;
    if (requested & DDSCAPS_BACKBUFFER)
        return DDERR_INVALIDCAPS;
    if (flipping != ((requested & DDSCAPS_COMPLEX) && (flags & DDSD_BACKBUFFERCOUNT)))
        return DDERR_INVALIDCAPS;

    int bits = screenBits();
    if (flags & DDSD_PIXELFORMAT) {
        bits = bitsOfPixelFormat(desc->ddpfPixelFormat);
        if (!bits)
            return DDERR_INVALIDPIXELFORMAT;
    }

    if (requested & DDSCAPS_PRIMARYSURFACE) {
        // A primary has the size of the screen; a size asked for is ignored.
        if (flipping && !(cooperativeLevel & DDSCL_EXCLUSIVE))
            return DDERR_NOEXCLUSIVEMODE;
        if (flipping && desc->dwBackBufferCount == 0)
            return DDERR_INVALIDCAPS;
        if (flipping && desc->dwBackBufferCount > kMaxBackBuffers)
            return DDERR_OUTOFMEMORY;
        int width = screenWidth(), height = screenHeight();
        bits = screenBits();
        DWORD memoryCaps = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
        DWORD frontCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE | memoryCaps;
        if (flipping)
            frontCaps |= DDSCAPS_FRONTBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        DWORD count = flipping ? desc->dwBackBufferCount : 0;
        std::vector<uint8_t *> memory;
        for (DWORD i = 0; i <= count; ++i) {
            uint8_t *block = Surface::allocatePixels(width, height, bits);
            if (!block) {
                for (uint8_t *allocated : memory)
                    std::free(allocated);
                return DDERR_OUTOFMEMORY;
            }
            memory.push_back(block);
        }
        Surface *front = new Surface(width, height, bits, frontCaps, memory[0]);
        std::vector<Surface *> backBuffers;
        for (DWORD i = 1; i <= count; ++i) {
            DWORD backCaps = DDSCAPS_FLIP | DDSCAPS_COMPLEX | memoryCaps | (i == 1 ? DDSCAPS_BACKBUFFER : 0);
            backBuffers.push_back(new Surface(width, height, bits, backCaps, memory[i]));
        }
        front->attachBackBuffers(std::move(backBuffers));
        front->owner = this;
        AddRef();
        *surface = front;
        return DD_OK;
    }

    if (flipping)
        return DDERR_INVALIDCAPS;  // off-screen flipping chains are not emulated
    if ((flags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) || desc->dwWidth == 0 || desc->dwHeight == 0)
        return DDERR_INVALIDPARAMS;
    if (desc->dwWidth > (DWORD)kMaxSurfaceSide || desc->dwHeight > (DWORD)kMaxSurfaceSide)
        return DDERR_OUTOFMEMORY;
    int width = (int)desc->dwWidth, height = (int)desc->dwHeight;
    uint8_t *block = Surface::allocatePixels(width, height, bits);
    if (!block)
        return DDERR_OUTOFMEMORY;
    DWORD memoryCaps = (requested & DDSCAPS_SYSTEMMEMORY) ? 0 : DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
    if (!(requested & (DDSCAPS_OFFSCREENPLAIN)))
        requested |= DDSCAPS_OFFSCREENPLAIN;
    Surface *created = new Surface(width, height, bits, requested | memoryCaps, block);
    if (flags & DDSD_CKSRCBLT) {
        created->hasSourceKey = true;
        created->sourceKey = collapsedKey(desc->ddckCKSrcBlt);
    }
    created->owner = this;
    AddRef();
    *surface = created;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 sourceInterface, LPRECT sourceRect,
                                           DWORD trans) {
    if (!sourceInterface)
        return DDERR_INVALIDPARAMS;
    if ((trans & DDBLTFAST_SRCCOLORKEY) && (trans & DDBLTFAST_DESTCOLORKEY))
        return DDERR_INVALIDPARAMS;
    Surface *source = static_cast<Surface *>(sourceInterface);
    RECT rect = {0, 0, source->width, source->height};
    if (sourceRect)
        rect = *sourceRect;
    if (!rectInside(rect, source->width, source->height) || rect.left == rect.right || rect.top == rect.bottom)
        return DDERR_INVALIDRECT;
    int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (x > (DWORD)width || y > (DWORD)height || (DWORD)w > (DWORD)width - x || (DWORD)h > (DWORD)height - y)
        return DDERR_INVALIDRECT;
    if (locked || source->locked)
        return DDERR_SURFACEBUSY;
    if (source->bitsPerPixel != bitsPerPixel)
        return DDERR_INVALIDPIXELFORMAT;

    const uint8_t *from = source->pixelAt(rect.left, rect.top);
    uint8_t *to = pixelAt((int)x, (int)y);
    std::vector<uint8_t> copy;
    ptrdiff_t fromPitch = source->pitch;
    if (source == this) {
        // Overlap within one surface: read from a copy of the source area.
        int rowBytes = w * bytesPerPixel();
        copy.resize((size_t)rowBytes * (size_t)h);
        copyRows(copy.data(), rowBytes, from, source->pitch, rowBytes, h);
        from = copy.data();
        fromPitch = rowBytes;
    }
    // The key is its low value; a surface without one keys out 0.
    DWORD key = source->hasSourceKey ? source->sourceKey.dwColorSpaceLowValue : 0;
    if (!(trans & DDBLTFAST_SRCCOLORKEY) || (bitsPerPixel == 16 && key > 0xFFFF) ||
        (bitsPerPixel == 32 && key > 0xFFFFFF))
        copyRows(to, pitch, from, fromPitch, w * bytesPerPixel(), h);
    else if (bitsPerPixel == 16)
        copyKeyed16(to, pitch, from, fromPitch, w, h, (uint16_t)key);
    else
        copyKeyed32(to, pitch, from, fromPitch, w, h, key);
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::Blt(LPRECT destRect, LPDIRECTDRAWSURFACE7 sourceInterface, LPRECT sourceRect,
                                       DWORD flags, LPDDBLTFX effects) {
    RECT target = {0, 0, width, height};
    if (destRect)
        target = *destRect;

    if (flags & DDBLT_COLORFILL) {
        if (!effects)
            return DDERR_INVALIDPARAMS;
        if (!rectInside(target, width, height) || target.left == target.right || target.top == target.bottom)
            return DDERR_INVALIDRECT;
        int w = target.right - target.left, h = target.bottom - target.top;
        if (bitsPerPixel == 16)
            fill16(pixelAt(target.left, target.top), pitch, w, h, (uint16_t)effects->dwFillColor);
        else
            fill32(pixelAt(target.left, target.top), pitch, w, h, effects->dwFillColor);
        if (caps & DDSCAPS_PRIMARYSURFACE)
            present();
        return DD_OK;
    }

    if (!sourceInterface)
        return DDERR_INVALIDPARAMS;
    Surface *source = static_cast<Surface *>(sourceInterface);
    RECT from = {0, 0, source->width, source->height};
    if (sourceRect)
        from = *sourceRect;
    if (!rectInside(from, source->width, source->height) || from.left == from.right || from.top == from.bottom)
        return DDERR_INVALIDRECT;
    if (target.left >= target.right || target.top >= target.bottom)
        return DDERR_INVALIDRECT;
    if (locked || source->locked)
        return DDERR_SURFACEBUSY;
    if (source->bitsPerPixel != bitsPerPixel)
        return DDERR_INVALIDPIXELFORMAT;

    // The area actually written: the surface, narrowed to the clipper's window.
    RECT visible = {0, 0, width, height};
    if (clipper) {
        // A primary's clipper confines writes to its window's screen area.
        RECT area = {0, 0, 0, 0};
        if (!clipper->window || !windowRect(clipper->window, &area))
            area = RECT{0, 0, 0, 0};
        visible = RECT{std::max(visible.left, area.left), std::max(visible.top, area.top),
                       std::min(visible.right, area.right), std::min(visible.bottom, area.bottom)};
    } else if (!rectInside(target, width, height)) {
        return DDERR_INVALIDRECT;
    }
    RECT written = {std::max(target.left, visible.left), std::max(target.top, visible.top),
                    std::min(target.right, visible.right), std::min(target.bottom, visible.bottom)};
    if (written.left < written.right && written.top < written.bottom) {
        int targetW = target.right - target.left, targetH = target.bottom - target.top;
        int sourceW = from.right - from.left, sourceH = from.bottom - from.top;
        int w = written.right - written.left, h = written.bottom - written.top;
        std::vector<int> columns((size_t)w), rows((size_t)h);
        for (int i = 0; i < w; ++i)
            columns[(size_t)i] = from.left + (int)((int64_t)(written.left - target.left + i) * sourceW / targetW);
        for (int i = 0; i < h; ++i)
            rows[(size_t)i] = from.top + (int)((int64_t)(written.top - target.top + i) * sourceH / targetH);
        if (source == this) {
            std::vector<uint8_t> copy((size_t)pitch * (size_t)height);
            std::memcpy(copy.data(), pixels.get(), copy.size());
            stretchRows(pixelAt(written.left, written.top), pitch, copy.data(), pitch, bytesPerPixel(), columns.data(),
                        w, rows.data(), h);
        } else {
            stretchRows(pixelAt(written.left, written.top), pitch, source->pixels.get(), source->pitch, bytesPerPixel(),
                        columns.data(), w, rows.data(), h);
        }
    }
    if (caps & DDSCAPS_PRIMARYSURFACE)
        present();
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::Flip(LPDIRECTDRAWSURFACE7 targetOverride, DWORD) {
    if (!(caps & DDSCAPS_FRONTBUFFER) || chain.empty())
        return DDERR_NOTFLIPPABLE;
    Surface *target = static_cast<Surface *>(targetOverride);
    if (target && std::find(chain.begin(), chain.end(), target) == chain.end())
        return DDERR_INVALIDPARAMS;
    if (locked)
        return DDERR_SURFACEBUSY;
    for (Surface *backBuffer : chain)
        if (backBuffer->locked)
            return DDERR_SURFACEBUSY;
    if (target) {
        std::swap(pixels, target->pixels);
    } else {
        // The front takes the first back buffer's picture, each back buffer
        // the next one's, the last the old front's.
        std::swap(pixels, chain.front()->pixels);
        for (size_t i = 1; i < chain.size(); ++i)
            std::swap(chain[i - 1]->pixels, chain[i]->pixels);
    }
    present();
    return DD_OK;
}

}  // namespace

LiveCounts liveCounts() {
    return counts;
}

}  // namespace standin

HRESULT WINAPI DirectDrawCreate(GUID *driverGuid, LPDIRECTDRAW *directDraw, IUnknown *outer) {
    using standin::DirectDrawObject;
    if (!directDraw)
        return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    if (outer || driverGuid)
        return DDERR_INVALIDPARAMS;
    DirectDrawObject *object = new DirectDrawObject;
    IDirectDraw *first = object->firstInterface();
    first->AddRef();
    *directDraw = first;
    return DD_OK;
}
