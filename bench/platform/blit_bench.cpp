// The software blits behind a frame, against memcpy and memset of the same
// bytes: keyed BltFast of 40x20 16-bit sprites into a 640x480 16-bit surface,
// colour fill of the whole surface. The keyed copy loop on its own splits
// the blit's time into the loop's and the call's.
#include "bench/platform/ratio_reporter.h"
#include "common/pixel_kernels.h"
#include "tests/platform/surface_helpers.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr int kSpriteWidth = 40;
constexpr int kSpriteHeight = 20;

// A tile: an opaque diamond on key 0, as the map's sprites are.
std::vector<uint32_t> diamondTile() {
    std::vector<uint32_t> tile;
    for (int y = 0; y < kSpriteHeight; ++y)
        for (int x = 0; x < kSpriteWidth; ++x) {
            int dx = 2 * x - kSpriteWidth + 1, dy = 4 * y - 2 * kSpriteHeight + 2;
            tile.push_back((std::abs(dx) + std::abs(dy) < kSpriteWidth) ? uint32_t(0x1234 + x) : 0);
        }
    return tile;
}

struct Surfaces {
    IDirectDraw7 *directDraw = platform_test::createDirectDraw();
    IDirectDrawSurface7 *screen = platform_test::createSurface(directDraw, kScreenWidth, kScreenHeight, 16);
    IDirectDrawSurface7 *sprite = platform_test::createSurface(directDraw, kSpriteWidth, kSpriteHeight, 16);

    Surfaces() {
        platform_test::writePixels(sprite, kSpriteWidth, kSpriteHeight, diamondTile());
        DDCOLORKEY key = {0, 0};
        sprite->SetColorKey(DDCKEY_SRCBLT, &key);
    }
    ~Surfaces() {
        sprite->Release();
        screen->Release();
        directDraw->Release();
    }
};

// Sprite positions walk the screen in cells, as a map's tiles do.
struct Walk {
    int x = 0;
    int y = 0;
    void next() {
        x += kSpriteWidth;
        if (x + kSpriteWidth > kScreenWidth) {
            x = (x % 7);
            y += kSpriteHeight;
            if (y + kSpriteHeight > kScreenHeight)
                y = y % 5;
        }
    }
};

void KeyedBltFast40x20(benchmark::State &state) {
    Surfaces surfaces;
    Walk walk;
    for (auto _ : state) {
        HRESULT result = surfaces.screen->BltFast((DWORD)walk.x, (DWORD)walk.y, surfaces.sprite, nullptr,
                                                  DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
        benchmark::DoNotOptimize(result);
        walk.next();
    }
    state.SetItemsProcessed(state.iterations() * kSpriteWidth * kSpriteHeight);
    state.SetBytesProcessed(state.iterations() * kSpriteWidth * kSpriteHeight * 2);
}
BENCHMARK(KeyedBltFast40x20);

// The reference for the blit: the same 1600 bytes, one memcpy, to the same
// walk of places in a 640x480 16-bit picture.
void Memcpy40x20(benchmark::State &state) {
    std::vector<uint8_t> screen((size_t)kScreenWidth * kScreenHeight * 2);
    std::vector<uint8_t> sprite((size_t)kSpriteWidth * kSpriteHeight * 2, 0x5A);
    Walk walk;
    for (auto _ : state) {
        std::memcpy(screen.data() + ((size_t)walk.y * kScreenWidth + walk.x) * 2, sprite.data(), sprite.size());
        benchmark::ClobberMemory();
        walk.next();
    }
    state.SetItemsProcessed(state.iterations() * kSpriteWidth * kSpriteHeight);
    state.SetBytesProcessed(state.iterations() * (int64_t)sprite.size());
}
BENCHMARK(Memcpy40x20);

// The same 1600 bytes in the sprite's shape: one memcpy per 80-byte row at the
// screen's row length.
void Memcpy40x20Rows(benchmark::State &state) {
    std::vector<uint8_t> screen((size_t)kScreenWidth * kScreenHeight * 2);
    std::vector<uint8_t> sprite((size_t)kSpriteWidth * kSpriteHeight * 2, 0x5A);
    Walk walk;
    for (auto _ : state) {
        uint8_t *to = screen.data() + ((size_t)walk.y * kScreenWidth + walk.x) * 2;
        for (int row = 0; row < kSpriteHeight; ++row)
            std::memcpy(to + (size_t)row * kScreenWidth * 2, sprite.data() + row * kSpriteWidth * 2, kSpriteWidth * 2);
        benchmark::ClobberMemory();
        walk.next();
    }
    state.SetItemsProcessed(state.iterations() * kSpriteWidth * kSpriteHeight);
    state.SetBytesProcessed(state.iterations() * (int64_t)sprite.size());
}
BENCHMARK(Memcpy40x20Rows);

// Between the two: the keyed copy loop alone, without the call and its
// checks, on the same walk over a picture with the reference's rows.
void KeyedRows40x20(benchmark::State &state) {
    std::vector<uint8_t> screen((size_t)kScreenWidth * kScreenHeight * 2);
    std::vector<uint16_t> sprite;
    for (uint32_t pixel : diamondTile())
        sprite.push_back(uint16_t(pixel));
    const uint8_t *from = reinterpret_cast<const uint8_t *>(sprite.data());
    Walk walk;
    for (auto _ : state) {
        pixels::copyKeyed16(screen.data() + ((size_t)walk.y * kScreenWidth + walk.x) * 2, kScreenWidth * 2, from,
                            kSpriteWidth * 2, kSpriteWidth, kSpriteHeight, 0);
        benchmark::ClobberMemory();
        walk.next();
    }
    state.SetItemsProcessed(state.iterations() * kSpriteWidth * kSpriteHeight);
    state.SetBytesProcessed(state.iterations() * kSpriteWidth * kSpriteHeight * 2);
}
BENCHMARK(KeyedRows40x20);

void ColorFill640x480(benchmark::State &state) {
    Surfaces surfaces;
    DDBLTFX effects = {};
    effects.dwSize = sizeof(effects);
    effects.dwFillColor = 0;
    for (auto _ : state) {
        effects.dwFillColor ^= 0x0821;
        HRESULT result = surfaces.screen->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(state.iterations() * kScreenWidth * kScreenHeight * 2);
}
BENCHMARK(ColorFill640x480);

// The reference for the fill: memset of the same bytes.
void Memset640x480(benchmark::State &state) {
    std::vector<uint8_t> to((size_t)kScreenWidth * kScreenHeight * 2);
    int value = 0;
    for (auto _ : state) {
        std::memset(to.data(), value ^= 0x21, to.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)to.size());
}
BENCHMARK(Memset640x480);

}  // namespace

int main(int argc, char **argv) {
    return bench::runWithRatios(argc, argv,
                                {{"KeyedBltFast40x20", "Memcpy40x20Rows"},
                                 {"KeyedRows40x20", "Memcpy40x20Rows"},
                                 {"KeyedBltFast40x20", "KeyedRows40x20"},
                                 {"ColorFill640x480", "Memset640x480"}});
}
