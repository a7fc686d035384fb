// DirectDraw 7 in software, the objects: creation, the display mode, the
// flipping chain and COM reference counts (ddraw.h). What surfaces do is in
// surface.cpp.
#include "platform/ddraw.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

const GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID IID_IDirectDraw = {0x6C14DB80, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const GUID IID_IDirectDraw7 = {0x15e65ec0, 0x3b9c, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
const GUID IID_IDirectDrawSurface7 = {0x06675a80, 0x3b9b, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
const GUID IID_IDirectDrawClipper = {0x6C14DB85, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

namespace standin {
namespace {

constexpr int kMaxSurfaceSide = 16384;
// Room for every 16-bit surface up to the side limit with its row padding
// (the vornak tool draws whole maps on one), but not for a 32-bit one.
constexpr size_t kMaxSurfaceBytes = size_t(kMaxSurfaceSide) * (2 * kMaxSurfaceSide + 64);
constexpr DWORD kVideoMemory = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;

LiveCounts counts;

bool sameGuid(const GUID &a, const GUID &b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
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

}  // namespace

Clipper::Clipper() {
    ++counts.clippers;
}

HRESULT STDMETHODCALLTYPE Clipper::QueryInterface(REFIID riid, void **object) {
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

ULONG STDMETHODCALLTYPE Clipper::AddRef() {
    return ++refs;
}

ULONG STDMETHODCALLTYPE Clipper::Release() {
    ULONG left = --refs;
    if (left == 0) {
        --counts.clippers;
        delete this;
    }
    return left;
}

HRESULT STDMETHODCALLTYPE Clipper::SetHWnd(DWORD, HWND newWindow) {
    window = newWindow;
    return DD_OK;
}

Surface::Surface(int surfaceWidth, int surfaceHeight, int bits, int rowPitch, DWORD surfaceCaps,
                 std::shared_ptr<uint8_t> memory)
    : width(surfaceWidth), height(surfaceHeight), bitsPerPixel(bits), pitch(rowPitch), caps(surfaceCaps),
      pixels(std::move(memory)) {
    updateDescription();
    ++counts.surfaces;
}

Surface *Surface::create(int width, int height, int bitsPerPixel, DWORD caps) {
    const int rowBytes = width * (bitsPerPixel / 8);
    const int pitch = ((rowBytes + 31) & ~31) + 32;
    const size_t bytes = size_t(pitch) * size_t(height);
    if (bytes > kMaxSurfaceBytes)
        return nullptr;
    void *memory = std::aligned_alloc(64, (bytes + 63) & ~size_t(63));
    if (!memory)
        return nullptr;
    std::memset(memory, 0, bytes);
    std::shared_ptr<uint8_t> pixels(static_cast<uint8_t *>(memory), [](uint8_t *block) { std::free(block); });
    return new Surface(width, height, bitsPerPixel, pitch, caps, std::move(pixels));
}

HRESULT STDMETHODCALLTYPE Surface::QueryInterface(REFIID riid, void **object) {
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

ULONG STDMETHODCALLTYPE Surface::AddRef() {
    return ++refs;
}

ULONG STDMETHODCALLTYPE Surface::Release() {
    if (orphaned) {
        // On Windows the back buffer went with its front buffer, and this
        // call would run on freed memory. Here it is counted and survived.
        ++counts.releasesAfterChain;
        std::fprintf(stderr, "Release of a back buffer whose front buffer is already released\n");
    }
    if (refs == 0)
        return 0;
    ULONG left = --refs;
    // A back buffer goes with its front buffer; everything else goes now.
    if (left == 0 && !frontBuffer)
        destroy();
    return left;
}

HRESULT STDMETHODCALLTYPE Surface::GetAttachedSurface(LPDDSCAPS2 wanted, LPDIRECTDRAWSURFACE7 *attached) {
    if (!wanted || !attached)
        return DDERR_INVALIDPARAMS;
    *attached = nullptr;
    if (!backBuffer || (backBuffer->caps & wanted->dwCaps) != wanted->dwCaps)
        return DDERR_NOTFOUND;
    backBuffer->AddRef();
    *attached = backBuffer;
    return DD_OK;
}

void Surface::attachBackBuffer(Surface *back) {
    backBuffer = back;
    back->frontBuffer = this;
    updateDescription();
}

void Surface::destroy() {
    if (Surface *back = backBuffer) {
        // The chain's own reference on the back buffer goes with it.
        back->frontBuffer = nullptr;
        back->orphaned = true;
        if (back->refs > 0)
            --back->refs;
        if (back->refs == 0)
            back->destroy();
    }
    if (clipper)
        clipper->Release();
    DirectDrawObject *creator = owner;
    --counts.surfaces;
    delete this;
    if (creator)
        creator->Release();
}

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
    return owner->addFirstRef();
}

ULONG STDMETHODCALLTYPE DirectDrawFirst::Release() {
    return owner->releaseFirst();
}

DirectDrawObject::DirectDrawObject() : first(this) {
    ++counts.directDrawObjects;
}

HRESULT STDMETHODCALLTYPE DirectDrawObject::QueryInterface(REFIID riid, void **object) {
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

ULONG STDMETHODCALLTYPE DirectDrawObject::AddRef() {
    return ++refs7;
}

ULONG STDMETHODCALLTYPE DirectDrawObject::Release() {
    ULONG left = --refs7;
    destroyWhenUnused();
    return left;
}

ULONG DirectDrawObject::releaseFirst() {
    ULONG left = --refs1;
    destroyWhenUnused();
    return left;
}

void DirectDrawObject::destroyWhenUnused() {
    if (refs1 != 0 || refs7 != 0)
        return;
    if (modeSet)
        restoreDesktopMode();
    --counts.directDrawObjects;
    delete this;
}

HRESULT STDMETHODCALLTYPE DirectDrawObject::CreateClipper(DWORD, LPDIRECTDRAWCLIPPER *clipper, IUnknown *outer) {
    if (outer)
        return CLASS_E_NOAGGREGATION;
    if (!clipper)
        return DDERR_INVALIDPARAMS;
    *clipper = new Clipper;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE DirectDrawObject::SetCooperativeLevel(HWND window, DWORD flags) {
    bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
    bool normal = (flags & DDSCL_NORMAL) != 0;
    bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
    if (exclusive == normal || exclusive != fullScreen)
        return DDERR_INVALIDPARAMS;
    RECT area;
    if (exclusive && (!window || !windowRect(window, &area)))
        return DDERR_INVALIDPARAMS;
    cooperativeLevel = flags;
    if (window)
        setFocusWindow(window);
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE DirectDrawObject::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel,
                                                           DWORD refreshRate, DWORD flags) {
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
    setScreenMode(ScreenMode{(int)width, (int)height, (int)bitsPerPixel});
    modeSet = true;
    return DD_OK;
}

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

    const ScreenMode screen = screenMode();
    int bits = screen.bitsPerPixel;
    if (flags & DDSD_PIXELFORMAT) {
        bits = bitsOfPixelFormat(desc->ddpfPixelFormat);
        if (!bits)
            return DDERR_INVALIDPIXELFORMAT;
    }

    Surface *created = nullptr;
    if (requested & DDSCAPS_PRIMARYSURFACE) {
        // A primary has the size and depth of the screen; a size asked for
        // is ignored. A flipping primary has exactly one back buffer here.
        if (flipping && !(cooperativeLevel & DDSCL_EXCLUSIVE))
            return DDERR_NOEXCLUSIVEMODE;
        if (flipping && desc->dwBackBufferCount == 0)
            return DDERR_INVALIDCAPS;
        if (flipping && desc->dwBackBufferCount > 1)
            return DDERR_UNSUPPORTED;
        const DWORD frontCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE | kVideoMemory |
                                (flipping ? DDSCAPS_FRONTBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX : 0);
        created = Surface::create(screen.width, screen.height, screen.bitsPerPixel, frontCaps);
        if (created && flipping) {
            const DWORD backCaps = DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX | kVideoMemory;
            Surface *back = Surface::create(screen.width, screen.height, screen.bitsPerPixel, backCaps);
            if (!back) {
                created->Release();
                return DDERR_OUTOFMEMORY;
            }
            created->attachBackBuffer(back);
        }
    } else {
        if (flipping)
            return DDERR_INVALIDCAPS;  // off-screen flipping chains are not emulated
        if ((flags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) || desc->dwWidth == 0 ||
            desc->dwHeight == 0)
            return DDERR_INVALIDPARAMS;
        if (desc->dwWidth > (DWORD)kMaxSurfaceSide || desc->dwHeight > (DWORD)kMaxSurfaceSide)
            return DDERR_OUTOFMEMORY;
        const DWORD memoryCaps = (requested & DDSCAPS_SYSTEMMEMORY) ? 0 : kVideoMemory;
        created = Surface::create((int)desc->dwWidth, (int)desc->dwHeight, bits,
                                  requested | DDSCAPS_OFFSCREENPLAIN | memoryCaps);
        DDCOLORKEY key = desc->ddckCKSrcBlt;
        if (created && (flags & DDSD_CKSRCBLT))
            created->SetColorKey(DDCKEY_SRCBLT, &key);
    }
    if (!created)
        return DDERR_OUTOFMEMORY;
    created->owner = this;
    AddRef();
    *surface = created;
    return DD_OK;
}

LiveCounts liveCounts() {
    return counts;
}

}  // namespace standin

HRESULT WINAPI DirectDrawCreate(GUID *driverGuid, LPDIRECTDRAW *directDraw, IUnknown *outer) {
    if (!directDraw)
        return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    if (outer || driverGuid)
        return DDERR_INVALIDPARAMS;
    IDirectDraw *first = (new standin::DirectDrawObject)->firstInterface();
    first->AddRef();
    *directDraw = first;
    return DD_OK;
}
