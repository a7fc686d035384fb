// DirectDraw 7 behaviour the client relies on, through the public API only:
// the same program runs against the real DirectDraw.
#include "surface_helpers.h"

#include <gtest/gtest.h>

using platform_test::createDirectDraw;
using platform_test::createSurface;
using platform_test::readPixels;
using platform_test::testWindow;
using platform_test::writePixels;

namespace {

class DirectDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        directDraw = createDirectDraw();
        ASSERT_NE(directDraw, nullptr);
    }
    void TearDown() override {
        for (IDirectDrawSurface7 *surface : surfaces)
            surface->Release();
        if (directDraw)
            directDraw->Release();
    }
    IDirectDrawSurface7 *surface(int width, int height, int bits) {
        IDirectDrawSurface7 *made = createSurface(directDraw, width, height, bits);
        EXPECT_NE(made, nullptr);
        if (made)
            surfaces.push_back(made);
        return made;
    }
    static HRESULT setKey(IDirectDrawSurface7 *target, DWORD low, DWORD high) {
        DDCOLORKEY key = {low, high};
        return target->SetColorKey(DDCKEY_SRCBLT, &key);
    }

    IDirectDraw7 *directDraw = nullptr;
    std::vector<IDirectDrawSurface7 *> surfaces;
};

// A 3x2 source picture: every pixel different, so a swap or flip shows.
const std::vector<uint32_t> source3x2 = {0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666};

using BltFastRectangles = DirectDrawTest;

TEST_F(BltFastRectangles, CopiesTheRectangleToThePosition) {
    IDirectDrawSurface7 *source = surface(3, 2, 16);
    IDirectDrawSurface7 *target = surface(4, 3, 16);
    writePixels(source, 3, 2, source3x2);
    RECT rect = {1, 0, 3, 2};
    ASSERT_EQ(target->BltFast(2, 1, source, &rect, DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    std::vector<uint32_t> expected = {0, 0, 0,      0,      //
                                      0, 0, 0x2222, 0x3333, //
                                      0, 0, 0x5555, 0x6666};
    EXPECT_EQ(readPixels(target, 4, 3), expected);
}

TEST_F(BltFastRectangles, NullRectangleMeansTheWholeSource) {
    IDirectDrawSurface7 *source = surface(3, 2, 16);
    IDirectDrawSurface7 *target = surface(3, 2, 16);
    writePixels(source, 3, 2, source3x2);
    ASSERT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(readPixels(target, 3, 2), source3x2);
}

TEST_F(BltFastRectangles, NeverClipsAndDrawsNothingOnABadRectangle) {
    IDirectDrawSurface7 *source = surface(3, 2, 16);
    IDirectDrawSurface7 *target = surface(4, 3, 16);
    writePixels(source, 3, 2, source3x2);
    const std::vector<uint32_t> untouched(12, 0x0F0F);
    struct Case {
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
        {{0, 0, 3, 2}, 0, 2, "destination past the bottom edge"},
        {{0, 0, 3, 2}, (DWORD)-1, 0, "destination left of the surface"},
        {{0, 0, 3, 2}, 5, 0, "destination outside"},
    };
    for (const Case &c : cases) {
        writePixels(target, 4, 3, untouched);
        RECT rect = c.rect;
        EXPECT_EQ(target->BltFast(c.x, c.y, source, &rect, DDBLTFAST_WAIT), DDERR_INVALIDRECT) << c.what;
        EXPECT_EQ(readPixels(target, 4, 3), untouched) << c.what;
    }
    // Touching the far edges exactly still fits.
    RECT whole = {0, 0, 3, 2};
    EXPECT_EQ(target->BltFast(1, 1, source, &whole, DDBLTFAST_WAIT), DD_OK);
}

using ColorKeys = DirectDrawTest;

TEST_F(ColorKeys, SixteenBitKeySkipsOnlyTheExactValue) {
    IDirectDrawSurface7 *source = surface(4, 1, 16);
    IDirectDrawSurface7 *target = surface(4, 1, 16);
    writePixels(source, 4, 1, {0x1233, 0x1234, 0x1235, 0x0000});
    writePixels(target, 4, 1, {0xAAAA, 0xBBBB, 0xCCCC, 0xDDDD});
    ASSERT_EQ(setKey(source, 0x1234, 0x1234), DD_OK);
    ASSERT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    std::vector<uint32_t> expected = {0x1233, 0xBBBB, 0x1235, 0x0000};
    EXPECT_EQ(readPixels(target, 4, 1), expected);
}

TEST_F(ColorKeys, KeyZeroKeepsTheTargetWhereTheSpriteIsEmpty) {
    IDirectDrawSurface7 *source = surface(3, 2, 16);
    IDirectDrawSurface7 *target = surface(3, 2, 16);
    writePixels(source, 3, 2, {0x0000, 0xF800, 0x0001, 0x07E0, 0x0000, 0xFFFF});
    writePixels(target, 3, 2, {0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666});
    ASSERT_EQ(setKey(source, 0, 0), DD_OK);
    ASSERT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    std::vector<uint32_t> expected = {0x1111, 0xF800, 0x0001, 0x07E0, 0x5555, 0xFFFF};
    EXPECT_EQ(readPixels(target, 3, 2), expected);
}

TEST_F(ColorKeys, ThirtyTwoBitKeySkipsOnlyTheExactColour) {
    IDirectDrawSurface7 *source = surface(4, 1, 32);
    IDirectDrawSurface7 *target = surface(4, 1, 32);
    writePixels(source, 4, 1, {0x00123455, 0x00123456, 0x00123457, 0x00133456});
    writePixels(target, 4, 1, {0x00AAAAAA, 0x00BBBBBB, 0x00CCCCCC, 0x00DDDDDD});
    ASSERT_EQ(setKey(source, 0x00123456, 0x00123456), DD_OK);
    ASSERT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    std::vector<uint32_t> expected = {0x00123455, 0x00BBBBBB, 0x00123457, 0x00133456};
    EXPECT_EQ(readPixels(target, 4, 1), expected);
}

// Rows of every length around the blit's block sizes, with the key and its
// neighbours at every position across the row.
TEST_F(ColorKeys, EveryPixelOfWideRowsIsKeyedAtBothDepths) {
    for (int bits : {16, 32}) {
        const uint32_t key = bits == 16 ? 0x8410u : 0x00808080u;
        for (int width : {7, 8, 9, 15, 16, 17, 31, 33, 40, 47}) {
            IDirectDrawSurface7 *source = surface(width, 3, bits);
            IDirectDrawSurface7 *target = surface(width + 2, 3, bits);
            std::vector<uint32_t> picture, background, expected((size_t)(width + 2) * 3);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < width; ++x) {
                    int kind = (x + y) % 3;   // key, key - 1, key + 1
                    picture.push_back(kind == 0 ? key : kind == 1 ? key - 1 : key + 1);
                }
            for (int i = 0; i < (width + 2) * 3; ++i)
                background.push_back(bits == 16 ? 0x1000u + (uint32_t)i : 0x00100000u + (uint32_t)i);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < width + 2; ++x) {
                    size_t at = (size_t)(y * (width + 2) + x);
                    bool inside = x >= 1 && x <= width;
                    uint32_t drawn = inside ? picture[(size_t)(y * width + x - 1)] : key;
                    expected[at] = drawn == key ? background[at] : drawn;
                }
            writePixels(source, width, 3, picture);
            writePixels(target, width + 2, 3, background);
            ASSERT_EQ(setKey(source, key, key), DD_OK);
            ASSERT_EQ(target->BltFast(1, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
            EXPECT_EQ(readPixels(target, width + 2, 3), expected) << width << " pixels of " << bits << " bits";
        }
    }
}

TEST_F(ColorKeys, WithoutTheKeyFlagEveryPixelIsCopied) {
    IDirectDrawSurface7 *source = surface(2, 1, 16);
    IDirectDrawSurface7 *target = surface(2, 1, 16);
    writePixels(source, 2, 1, {0x0000, 0x1234});
    writePixels(target, 2, 1, {0x5555, 0x6666});
    ASSERT_EQ(setKey(source, 0, 0), DD_OK);
    ASSERT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    std::vector<uint32_t> expected = {0x0000, 0x1234};
    EXPECT_EQ(readPixels(target, 2, 1), expected);
}

TEST_F(ColorKeys, HighBelowLowCollapsesToLow) {
    IDirectDrawSurface7 *source = surface(3, 1, 16);
    IDirectDrawSurface7 *target = surface(3, 1, 16);
    writePixels(source, 3, 1, {0x0010, 0x0011, 0x0012});
    writePixels(target, 3, 1, {0xAAAA, 0xBBBB, 0xCCCC});
    ASSERT_EQ(setKey(source, 0x0011, 0x0002), DD_OK);
    DDCOLORKEY key = {0, 0};
    ASSERT_EQ(source->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, 0x0011u);
    EXPECT_EQ(key.dwColorSpaceHighValue, 0x0011u);
    ASSERT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    std::vector<uint32_t> expected = {0x0010, 0xBBBB, 0x0012};
    EXPECT_EQ(readPixels(target, 3, 1), expected);
}

TEST_F(ColorKeys, ARangeKeySkipsOnlyItsLowValue) {
    IDirectDrawSurface7 *source = surface(4, 1, 16);
    IDirectDrawSurface7 *target = surface(4, 1, 16);
    writePixels(source, 4, 1, {0x0000, 0x0001, 0x0002, 0x0003});
    writePixels(target, 4, 1, {0x0009, 0x0009, 0x0009, 0x0009});
    ASSERT_EQ(setKey(source, 0x0001, 0x0002), DD_OK);
    ASSERT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    std::vector<uint32_t> expected = {0x0000, 0x0009, 0x0002, 0x0003};
    EXPECT_EQ(readPixels(target, 4, 1), expected);
}

TEST_F(ColorKeys, ASourceWithoutAKeySkipsZero) {
    IDirectDrawSurface7 *source = surface(3, 1, 16);
    IDirectDrawSurface7 *target = surface(3, 1, 16);
    writePixels(source, 3, 1, {0x0000, 0x0001, 0xFFFF});
    writePixels(target, 3, 1, {0x0009, 0x0009, 0x0009});
    DDCOLORKEY key = {0, 0};
    EXPECT_EQ(source->GetColorKey(DDCKEY_SRCBLT, &key), DDERR_NOCOLORKEY);
    ASSERT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    std::vector<uint32_t> expected = {0x0009, 0x0001, 0xFFFF};
    EXPECT_EQ(readPixels(target, 3, 1), expected);
}

TEST_F(ColorKeys, ThirtyTwoBitKeysIgnoreTheUnusedTopByte) {
    IDirectDrawSurface7 *source = surface(3, 1, 32);
    IDirectDrawSurface7 *target = surface(3, 1, 32);
    writePixels(source, 3, 1, {0xAB000000, 0x00000001, 0xFF000001});
    writePixels(target, 3, 1, {0x55555555, 0x55555555, 0x55555555});
    ASSERT_EQ(setKey(source, 0, 0), DD_OK);
    ASSERT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    std::vector<uint32_t> expected = {0x55555555, 0x00000001, 0xFF000001};
    EXPECT_EQ(readPixels(target, 3, 1), expected);
}

using ColorFill = DirectDrawTest;

TEST_F(ColorFill, WritesTheRawValueOverTheRectangle) {
    IDirectDrawSurface7 *target = surface(4, 3, 16);
    DDBLTFX effects;
    std::memset(&effects, 0, sizeof(effects));
    effects.dwSize = sizeof(effects);
    effects.dwFillColor = 0x1234;
    RECT rect = {1, 1, 3, 2};
    ASSERT_EQ(target->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects), DD_OK);
    std::vector<uint32_t> expected = {0, 0,      0,      0, //
                                      0, 0x1234, 0x1234, 0, //
                                      0, 0,      0,      0};
    EXPECT_EQ(readPixels(target, 4, 3), expected);
}

TEST_F(ColorFill, NullRectangleFillsTheWholeSurfaceAtBothDepths) {
    for (int bits : {16, 32}) {
        IDirectDrawSurface7 *target = surface(3, 2, bits);
        DDBLTFX effects;
        std::memset(&effects, 0, sizeof(effects));
        effects.dwSize = sizeof(effects);
        effects.dwFillColor = bits == 16 ? 0xF81Fu : 0x00FF00FFu;
        ASSERT_EQ(target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects), DD_OK);
        EXPECT_EQ(readPixels(target, 3, 2), std::vector<uint32_t>(6, effects.dwFillColor)) << bits << " bits";
    }
}

TEST_F(ColorFill, RejectsBadRectanglesAndAMissingEffectsRecord) {
    IDirectDrawSurface7 *target = surface(4, 3, 16);
    writePixels(target, 4, 3, std::vector<uint32_t>(12, 0x0F0F));
    DDBLTFX effects;
    std::memset(&effects, 0, sizeof(effects));
    effects.dwSize = sizeof(effects);
    effects.dwFillColor = 0xFFFF;
    RECT outside = {0, 0, 5, 3};
    RECT inverted = {3, 0, 1, 3};
    RECT negative = {-1, 0, 2, 2};
    RECT empty = {1, 0, 1, 3};
    EXPECT_EQ(target->Blt(&empty, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects), DDERR_INVALIDRECT);
    EXPECT_EQ(target->Blt(&outside, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects), DDERR_INVALIDRECT);
    EXPECT_EQ(target->Blt(&inverted, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects), DDERR_INVALIDRECT);
    EXPECT_EQ(target->Blt(&negative, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects), DDERR_INVALIDRECT);
    EXPECT_EQ(target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(readPixels(target, 4, 3), std::vector<uint32_t>(12, 0x0F0F));
}

using LockPitch = DirectDrawTest;

TEST_F(LockPitch, FillsTheDescriptionAndRefusesASecondLock) {
    for (int bits : {16, 32}) {
        IDirectDrawSurface7 *target = surface(40, 20, bits);
        DDSURFACEDESC2 desc;
        std::memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        ASSERT_EQ(target->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        EXPECT_NE(desc.lpSurface, nullptr);
        EXPECT_EQ(desc.dwWidth, 40u);
        EXPECT_EQ(desc.dwHeight, 20u);
        EXPECT_GE(desc.lPitch, 40 * bits / 8);
        EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, (DWORD)bits);
        EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, bits == 16 ? 0xF800u : 0xFF0000u);
        EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, bits == 16 ? 0x07E0u : 0x00FF00u);
        EXPECT_EQ(desc.ddpfPixelFormat.dwBBitMask, bits == 16 ? 0x001Fu : 0x0000FFu);
        DDSURFACEDESC2 again;
        std::memset(&again, 0, sizeof(again));
        again.dwSize = sizeof(again);
        EXPECT_EQ(target->Lock(nullptr, &again, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
        EXPECT_EQ(target->Unlock(nullptr), DD_OK);
        EXPECT_EQ(target->Unlock(nullptr), DDERR_NOTLOCKED);
    }
}

TEST_F(LockPitch, RowsStartOnePitchApart) {
    IDirectDrawSurface7 *target = surface(3, 2, 16);
    writePixels(target, 3, 2, source3x2);
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(target->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    uint16_t secondRowFirst = 0;
    std::memcpy(&secondRowFirst, static_cast<uint8_t *>(desc.lpSurface) + desc.lPitch, 2);
    target->Unlock(nullptr);
    EXPECT_EQ(secondRowFirst, 0x4444);
}

TEST(ReferenceCounts, QueryInterfaceAndReleaseCountAsCom) {
    IDirectDraw *first = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
    IDirectDraw7 *directDraw = nullptr;
    ASSERT_EQ(first->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void **>(&directDraw)), DD_OK);
    EXPECT_EQ(directDraw->AddRef(), 2u);
    EXPECT_EQ(directDraw->Release(), 1u);
    // The two interfaces count apart; the object lives while either does.
    EXPECT_EQ(first->Release(), 0u);
    ASSERT_EQ(directDraw->SetCooperativeLevel(testWindow(), DDSCL_NORMAL), DD_OK);
    IDirectDrawSurface7 *surface = createSurface(directDraw, 2, 2, 16);
    ASSERT_NE(surface, nullptr);
    IDirectDrawSurface7 *same = nullptr;
    ASSERT_EQ(surface->QueryInterface(IID_IDirectDrawSurface7, reinterpret_cast<void **>(&same)), DD_OK);
    EXPECT_EQ(same, surface);
    EXPECT_EQ(surface->Release(), 1u);
    EXPECT_EQ(surface->Release(), 0u);
    void *nothing = &nothing;
    EXPECT_EQ(directDraw->QueryInterface(IID_IDirectDrawSurface7, &nothing), E_NOINTERFACE);
    EXPECT_EQ(nothing, nullptr);
    EXPECT_EQ(directDraw->Release(), 0u);
}

TEST(ReferenceCounts, SurfacesKeepTheirDirectDrawObjectAlive) {
    IDirectDraw7 *directDraw = createDirectDraw();
    ASSERT_NE(directDraw, nullptr);
    IDirectDrawSurface7 *source = createSurface(directDraw, 2, 1, 16);
    IDirectDrawSurface7 *target = createSurface(directDraw, 2, 1, 16);
    ASSERT_NE(source, nullptr);
    ASSERT_NE(target, nullptr);
    // Each surface holds a reference on the interface that made it.
    EXPECT_EQ(directDraw->Release(), 2u);
    writePixels(source, 2, 1, {0x1234, 0x4321});
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(readPixels(target, 2, 1), (std::vector<uint32_t>{0x1234, 0x4321}));
    EXPECT_EQ(source->Release(), 0u);
    EXPECT_EQ(target->Release(), 0u);
}

TEST(CreateSurface, RefusesWhatDirectDrawRefuses) {
    IDirectDraw *first = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
    IDirectDraw7 *directDraw = nullptr;
    ASSERT_EQ(first->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void **>(&directDraw)), DD_OK);
    first->Release();
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = 8;
    desc.dwHeight = 8;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7 *surface = nullptr;
    EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DDERR_NOCOOPERATIVELEVELSET);
    ASSERT_EQ(directDraw->SetCooperativeLevel(testWindow(), DDSCL_NORMAL), DD_OK);
    // A flipping primary needs exclusive mode; no size may be given for a primary.
    DDSURFACEDESC2 primary;
    std::memset(&primary, 0, sizeof(primary));
    primary.dwSize = sizeof(primary);
    primary.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    primary.dwBackBufferCount = 1;
    primary.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    EXPECT_EQ(directDraw->CreateSurface(&primary, &surface, nullptr), DDERR_NOEXCLUSIVEMODE);
    desc.dwSize = 0;
    EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->Release(), 0u);
}

// Full-screen exclusive mode on a window of our own.
class FullScreen : public ::testing::Test {
protected:
    void SetUp() override {
        directDraw = createDirectDraw();
        ASSERT_NE(directDraw, nullptr);
        ASSERT_EQ(directDraw->SetCooperativeLevel(testWindow(), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
        ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
    }
    // The back buffer before its front buffer: releasing the front buffer
    // destroys the whole chain.
    void TearDown() override {
        if (back)
            back->Release();
        if (primary)
            primary->Release();
        directDraw->Release();
    }
    HRESULT createPrimary(DWORD flags, DWORD caps) {
        DDSURFACEDESC2 desc;
        std::memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        desc.dwFlags = flags;
        desc.dwBackBufferCount = 1;
        desc.ddsCaps.dwCaps = caps;
        return directDraw->CreateSurface(&desc, &primary, nullptr);
    }

    IDirectDraw7 *directDraw = nullptr;
    IDirectDrawSurface7 *primary = nullptr;
    IDirectDrawSurface7 *back = nullptr;
};

TEST_F(FullScreen, OnlyModesTheDisplayHasCanBeSet) {
    EXPECT_EQ(directDraw->SetDisplayMode(641, 480, 16, 0, 0), DDERR_UNSUPPORTED);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
}

TEST_F(FullScreen, AFlippingPrimaryNeedsFlipComplexAndABackBufferCount) {
    EXPECT_EQ(createPrimary(DDSD_CAPS | DDSD_BACKBUFFERCOUNT, DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP),
              DDERR_INVALIDCAPS);
    EXPECT_EQ(createPrimary(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX), DDERR_INVALIDCAPS);
    DDSURFACEDESC2 none;
    std::memset(&none, 0, sizeof(none));
    none.dwSize = sizeof(none);
    none.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    none.dwBackBufferCount = 0;
    none.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    EXPECT_EQ(directDraw->CreateSurface(&none, &primary, nullptr), DDERR_INVALIDCAPS);
    EXPECT_EQ(primary, nullptr);
}

TEST_F(FullScreen, PrimaryAndBackBufferHaveTheModeSizeAndDepth) {
    ASSERT_EQ(createPrimary(DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                            DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX),
              DD_OK);
    DDSCAPS2 caps = {};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    for (IDirectDrawSurface7 *surface : {primary, back}) {
        DDSURFACEDESC2 desc;
        std::memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        ASSERT_EQ(surface->GetSurfaceDesc(&desc), DD_OK);
        EXPECT_EQ(desc.dwWidth, 640u);
        EXPECT_EQ(desc.dwHeight, 480u);
        EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
        EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0xF800u);
    }
    // The chain holds one reference, GetAttachedSurface adds one each time.
    EXPECT_EQ(back->AddRef(), 3u);
    EXPECT_EQ(back->Release(), 2u);
    IDirectDrawSurface7 *again = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &again), DD_OK);
    EXPECT_EQ(again, back);
    EXPECT_EQ(again->Release(), 2u);
    // The primary holds a reference on the DirectDraw object.
    EXPECT_EQ(directDraw->AddRef(), 3u);
    EXPECT_EQ(directDraw->Release(), 2u);
}

TEST_F(FullScreen, FlipExchangesTheContentsOfFrontAndBack) {
    ASSERT_EQ(createPrimary(DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                            DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX),
              DD_OK);
    DDSCAPS2 caps = {};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    const std::vector<uint32_t> frontPicture = {0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006};
    writePixels(primary, 3, 2, frontPicture);
    writePixels(back, 3, 2, source3x2);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(readPixels(primary, 3, 2), source3x2);
    EXPECT_EQ(readPixels(back, 3, 2), frontPicture);
    // Flip is for the front buffer only.
    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
}

} // namespace
