// DirectDraw 7 behaviour the client relies on, through the public API only:
// the same program runs against the real DirectDraw.
#include "surface_helpers.h"

#include <gtest/gtest.h>

using namespace platform_test;

namespace {

using Pixels = std::vector<uint32_t>;
const DWORD flipComplex = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;

class DirectDrawTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(directDraw, nullptr); }
    void TearDown() override {
        for (IDirectDrawSurface7 *made : surfaces)
            if (made)
                made->Release();
        if (directDraw)
            directDraw->Release();
    }
    IDirectDrawSurface7 *surface(int width, int height, int bits, const Pixels &pixels = {}) {
        IDirectDrawSurface7 *made = surfaces.emplace_back(createSurface(directDraw, width, height, bits));
        EXPECT_NE(made, nullptr);
        if (made && !pixels.empty())
            writePixels(made, width, height, pixels);
        return made;
    }

    IDirectDraw7 *directDraw = createDirectDraw();
    std::vector<IDirectDrawSurface7 *> surfaces;
};

// A 3x2 picture, every pixel different, so a swap or a shift shows.
const Pixels picture3x2 = {0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666};

using BltFast = DirectDrawTest;

TEST_F(BltFast, CopiesTheRectangleToThePositionButNeverClips) {
    IDirectDrawSurface7 *source = surface(3, 2, 16, picture3x2);
    IDirectDrawSurface7 *target = surface(4, 3, 16);
    RECT rect = {1, 0, 3, 2};
    ASSERT_EQ(target->BltFast(2, 1, source, &rect, DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(readPixels(target, 4, 3), (Pixels{0, 0, 0, 0, 0, 0, 0x2222, 0x3333, 0, 0, 0x5555, 0x6666}));
    ASSERT_EQ(target->BltFast(1, 1, source, nullptr, DDBLTFAST_WAIT), DD_OK);  // touching the far edges fits
    const Pixels drawn = {0, 0, 0, 0, 0, 0x1111, 0x2222, 0x3333, 0, 0x4444, 0x5555, 0x6666};
    EXPECT_EQ(readPixels(target, 4, 3), drawn);
    // A bad rectangle: DDERR_INVALIDRECT, and nothing drawn.
    struct {
        RECT rect;
        DWORD x, y;
        const char *what;
    } cases[] = {
        {{1, 0, 1, 2}, 0, 0, "empty source"},
        {{2, 0, 1, 2}, 0, 0, "inverted source"},
        {{0, 1, 3, 0}, 0, 0, "inverted source rows"},
        {{-1, 0, 2, 2}, 0, 0, "source left of the surface"},
        {{0, 0, 4, 2}, 0, 0, "source wider than the surface"},
        {{0, 0, 3, 3}, 0, 0, "source taller than the surface"},
        {{0, 0, 3, 2}, 2, 0, "destination past the right edge"},
        {{0, 0, 3, 2}, 0, 2, "destination past the bottom"},
        {{0, 0, 3, 2}, (DWORD)-1, 0, "destination left of the surface"},
    };
    for (auto &c : cases) {
        EXPECT_EQ(target->BltFast(c.x, c.y, source, &c.rect, DDBLTFAST_WAIT), DDERR_INVALIDRECT) << c.what;
        EXPECT_EQ(readPixels(target, 4, 3), drawn) << c.what;
    }
}

using ColorKeys = DirectDrawTest;

TEST_F(ColorKeys, OnlyTheExactKeyValueIsSkipped) {
    const int noKey = -1, keyed = DDBLTFAST_SRCCOLORKEY;
    // Each source row is drawn over 0x9000, 0x9001, ... (32 bits: 0x900000, ...).
    struct {
        int bits, low, high, flags;
        Pixels source, expected;
        const char *what;
    } cases[] = {
        {16,
         0,
         0,
         keyed,
         {0x0000, 0xF800, 0x0001, 0x07E0, 0x0000, 0xFFFF},
         {0x9000, 0xF800, 0x0001, 0x07E0, 0x9004, 0xFFFF},
         "key 0 keeps the target where the sprite is empty"},
        {32,
         0,
         0,
         keyed,
         {0xAB000000, 0x00000001, 0xFF000001},
         {0x00900000, 0x00000001, 0xFF000001},
         "32 bits: the unused top byte is ignored"},
        {16, 0, 0, DDBLTFAST_NOCOLORKEY, {0x0000, 0x1234}, {0x0000, 0x1234}, "without the flag all is copied"},
        {16, 0x11, 0x02, keyed, {0x0010, 0x0011, 0x0012}, {0x0010, 0x9001, 0x0012}, "high below low collapses to low"},
        {16, 1, 2, keyed, {0x0000, 0x0001, 0x0002, 0x0003}, {0x0000, 0x9001, 0x0002, 0x0003}, "a range: its low value"},
        {16, noKey, noKey, keyed, {0x0000, 0x0001, 0xFFFF}, {0x9000, 0x0001, 0xFFFF}, "no key set skips zero"},
    };
    for (auto &c : cases) {
        int width = (int)c.source.size();
        Pixels background;
        for (int x = 0; x < width; ++x)
            background.push_back((c.bits == 16 ? 0x9000u : 0x900000u) + (uint32_t)x);
        IDirectDrawSurface7 *source = surface(width, 1, c.bits, c.source);
        IDirectDrawSurface7 *target = surface(width, 1, c.bits, background);
        DDCOLORKEY key = {(DWORD)c.low, (DWORD)c.high};
        EXPECT_EQ(c.low == noKey ? source->GetColorKey(DDCKEY_SRCBLT, &key) : source->SetColorKey(DDCKEY_SRCBLT, &key),
                  c.low == noKey ? DDERR_NOCOLORKEY : DD_OK)
            << c.what;
        ASSERT_EQ(target->BltFast(0, 0, source, nullptr, (DWORD)c.flags | DDBLTFAST_WAIT), DD_OK) << c.what;
        EXPECT_EQ(readPixels(target, width, 1), c.expected) << c.what;
        if (c.high < c.low) {
            EXPECT_EQ(source->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
            EXPECT_EQ(std::make_tuple(key.dwColorSpaceLowValue, key.dwColorSpaceHighValue),
                      std::make_tuple((DWORD)c.low, (DWORD)c.low));
        }
    }
}

// The key and its neighbours at every position across rows of every length
// around the blit's block sizes.
TEST_F(ColorKeys, EveryPixelOfWideRowsIsKeyedAtBothDepths) {
    for (int bits : {16, 32}) {
        const uint32_t key = bits == 16 ? 0x8410u : 0x00808080u;
        for (int width : {7, 8, 9, 15, 16, 17, 31, 33, 40, 47}) {
            Pixels picture, background, expected;
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < width + 2; ++x) {
                    uint32_t drawn = key + (uint32_t)((x + y) % 3) - 1;  // key - 1, key, key + 1
                    if (x >= 1 && x <= width)
                        picture.push_back(drawn);
                    background.push_back((bits == 16 ? 0x1000u : 0x00100000u) + (uint32_t)background.size());
                    expected.push_back(x < 1 || x > width || drawn == key ? background.back() : drawn);
                }
            IDirectDrawSurface7 *source = surface(width, 3, bits, picture);
            IDirectDrawSurface7 *target = surface(width + 2, 3, bits, background);
            DDCOLORKEY colorKey = {key, key};
            ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &colorKey), DD_OK);
            ASSERT_EQ(target->BltFast(1, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
            EXPECT_EQ(readPixels(target, width + 2, 3), expected) << width << " pixels of " << bits << " bits";
        }
    }
}

using ColorFill = DirectDrawTest;

TEST_F(ColorFill, WritesTheRawValueOverTheRectangleOrRefusesIt) {
    DDBLTFX effects = sized<DDBLTFX>();
    effects.dwFillColor = 0x1234;
    IDirectDrawSurface7 *target = surface(4, 3, 16);
    RECT rect = {1, 1, 3, 2};
    ASSERT_EQ(target->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects), DD_OK);
    const Pixels filled = {0, 0, 0, 0, 0, 0x1234, 0x1234, 0, 0, 0, 0, 0};
    EXPECT_EQ(readPixels(target, 4, 3), filled);
    effects.dwFillColor = 0xFFFF;
    for (RECT bad : {RECT{1, 0, 1, 3}, RECT{0, 0, 5, 3}, RECT{3, 0, 1, 3}, RECT{-1, 0, 2, 2}})
        EXPECT_EQ(target->Blt(&bad, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects), DDERR_INVALIDRECT)
            << bad.left << ", " << bad.top << ", " << bad.right << ", " << bad.bottom;
    EXPECT_EQ(target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(readPixels(target, 4, 3), filled);
    for (int bits : {16, 32}) {
        IDirectDrawSurface7 *whole = surface(3, 2, bits);
        effects.dwFillColor = bits == 16 ? 0xF81Fu : 0x00FF00FFu;
        ASSERT_EQ(whole->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects), DD_OK);
        EXPECT_EQ(readPixels(whole, 3, 2), Pixels(6, effects.dwFillColor)) << bits << " bits";
    }
}

using Lock = DirectDrawTest;

TEST_F(Lock, FillsTheDescriptionAndRefusesASecondLock) {
    for (int bits : {16, 32}) {
        IDirectDrawSurface7 *target = surface(40, 20, bits);
        DDSURFACEDESC2 desc = sized<DDSURFACEDESC2>(), again = desc;
        ASSERT_EQ(target->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        const DDPIXELFORMAT &format = desc.ddpfPixelFormat;
        EXPECT_NE(desc.lpSurface, nullptr);
        EXPECT_EQ(std::make_tuple(desc.dwWidth, desc.dwHeight), std::make_tuple(40u, 20u));
        EXPECT_GE(desc.lPitch, 40 * bits / 8);
        EXPECT_EQ(std::make_tuple(format.dwRGBBitCount, format.dwRBitMask, format.dwGBitMask, format.dwBBitMask),
                  bits == 16 ? std::make_tuple(16u, 0xF800u, 0x07E0u, 0x001Fu)
                             : std::make_tuple(32u, 0xFF0000u, 0x00FF00u, 0x0000FFu));
        EXPECT_EQ(target->Lock(nullptr, &again, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
        EXPECT_EQ(target->Unlock(nullptr), DD_OK);
        EXPECT_EQ(target->Unlock(nullptr), DDERR_NOTLOCKED);
    }
}

TEST(CreateSurface, CountsReferencesAsComAndRefusesWhatDirectDrawRefuses) {
    IDirectDraw *first = nullptr;
    IDirectDraw7 *directDraw = nullptr;
    IDirectDrawSurface7 *refused = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
    ASSERT_EQ(first->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void **>(&directDraw)), DD_OK);
    EXPECT_EQ(directDraw->AddRef(), 2u);
    EXPECT_EQ(directDraw->Release(), 1u);
    EXPECT_EQ(first->Release(), 0u);  // the two interfaces count apart
    EXPECT_EQ(createPrimary(directDraw, DDSD_CAPS, DDSCAPS_PRIMARYSURFACE, &refused), DDERR_NOCOOPERATIVELEVELSET);
    ASSERT_EQ(directDraw->SetCooperativeLevel(testWindow(), DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(createPrimary(directDraw, DDSD_CAPS | DDSD_BACKBUFFERCOUNT, flipComplex, &refused),
              DDERR_NOEXCLUSIVEMODE);
    DDSURFACEDESC2 unsized = {};
    EXPECT_EQ(directDraw->CreateSurface(&unsized, &refused, nullptr), DDERR_INVALIDPARAMS);
    // Each surface holds a reference on its DirectDraw object.
    IDirectDrawSurface7 *source = createSurface(directDraw, 2, 1, 16), *target = createSurface(directDraw, 2, 1, 16);
    ASSERT_TRUE(source && target);
    EXPECT_EQ(directDraw->Release(), 2u);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(source->Release(), 0u);
    EXPECT_EQ(target->Release(), 0u);
}

// Full-screen exclusive mode at 640x480x16 on a window of our own.
TEST(FullScreen, TheModeTheFlippingChainAndFlip) {
    IDirectDraw7 *directDraw = createDirectDraw(DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    IDirectDrawSurface7 *primary = nullptr, *back = nullptr, *again = nullptr;
    ASSERT_NE(directDraw, nullptr);
    ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
    EXPECT_EQ(directDraw->SetDisplayMode(641, 480, 16, 0, 0), DDERR_UNSUPPORTED);
    EXPECT_EQ(std::make_tuple(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)), std::make_tuple(640, 480));
    // A flipping primary needs DDSCAPS_COMPLEX and a back buffer count above 0.
    const DWORD withCount = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    EXPECT_EQ(createPrimary(directDraw, withCount, DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP, &primary), DDERR_INVALIDCAPS);
    EXPECT_EQ(createPrimary(directDraw, DDSD_CAPS, flipComplex, &primary), DDERR_INVALIDCAPS);
    EXPECT_EQ(createPrimary(directDraw, withCount, flipComplex, &primary, 0), DDERR_INVALIDCAPS);
    EXPECT_EQ(primary, nullptr);

    ASSERT_EQ(createPrimary(directDraw, withCount, flipComplex, &primary), DD_OK);
    DDSCAPS2 caps = {};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    for (IDirectDrawSurface7 *surface : {primary, back}) {
        DDSURFACEDESC2 desc = sized<DDSURFACEDESC2>();
        ASSERT_EQ(surface->GetSurfaceDesc(&desc), DD_OK);
        EXPECT_EQ(std::make_tuple(desc.dwWidth, desc.dwHeight, desc.ddpfPixelFormat.dwRGBBitCount,
                                  desc.ddpfPixelFormat.dwRBitMask),
                  std::make_tuple(640u, 480u, 16u, 0xF800u));
    }
    // The chain holds one reference on the back buffer, GetAttachedSurface
    // adds one each time; the primary holds one on the DirectDraw object.
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &again), DD_OK);
    EXPECT_EQ(again, back);
    EXPECT_EQ(again->Release(), 2u);
    EXPECT_EQ(directDraw->AddRef(), 3u);
    EXPECT_EQ(directDraw->Release(), 2u);

    const Pixels front = {0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006};
    writePixels(primary, 3, 2, front);
    writePixels(back, 3, 2, picture3x2);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(readPixels(primary, 3, 2), picture3x2);
    EXPECT_EQ(readPixels(back, 3, 2), front);
    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);  // Flip is for the front buffer only
    // The back buffer before its front buffer, which destroys the whole chain.
    back->Release();
    primary->Release();
    directDraw->Release();
}

}  // namespace
