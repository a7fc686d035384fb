// A translucent 40 x 20 16-bit sprite blended onto the 640 x 480 back buffer
// (both whole surfaces locked per call), against the keyed blit of the same
// sprite. Reported per sprite pixel; x even and odd (odd starts each row
// with a lone pixel before the two-pixel words).
#include "bench/platform/ratio_reporter.h"
#include "tests/client/display/display_test_support.h"

namespace {

constexpr int kSpriteWidth = 40;
constexpr int kSpriteHeight = 20;

enum class Blit { keyed, translucent, locksOnly };

void runBlit(benchmark::State &state, Blit blit) {
    TestDisplay screen(16);
    if (!screen.ready) {
        state.SkipWithError("no display");
        return;
    }
    Picture picture = numberedPicture(kSpriteWidth, kSpriteHeight);
    for (int y = 0; y < kSpriteHeight; ++y)  // a transparent border, as sprites have
        picture.at(0, y) = picture.at(kSpriteWidth - 1, y) = 0;
    IDirectDrawSurface7 *sprite = createPictureSurface(screen.display, picture);
    if (!sprite || !screen.display.setColorKey(&sprite, 0)) {
        state.SkipWithError("no sprite surface");
        return;
    }
    screen.display.clearBackBuffer(0x0842);
    const int x = int(state.range(0));
    const RECT whole = {0, 0, kSpriteWidth, kSpriteHeight};
    for (auto _ : state) {
        if (blit == Blit::keyed)
            benchmark::DoNotOptimize(screen.display.blitKeyed(&screen.backBuffer, x, 200, &sprite, whole, true));
        else if (blit == Blit::translucent)
            benchmark::DoNotOptimize(screen.display.blitTranslucent(&screen.backBuffer, x, 200, &sprite, whole, true));
        else
            blendRect(sprite, screen.backBuffer, x, 200, whole, 0, 8);  // depth 8: both locks, no pixels
    }
    state.counters["per_pixel"] =
        benchmark::Counter(double(kSpriteWidth * kSpriteHeight),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    sprite->Release();
}

void BM_BlitKeyed(benchmark::State &state) {
    runBlit(state, Blit::keyed);
}

void BM_BlitTranslucent(benchmark::State &state) {
    runBlit(state, Blit::translucent);
}

// What every translucent blit pays before its first pixel: both whole
// surfaces locked and unlocked.
void BM_BlendLocksOnly(benchmark::State &state) {
    runBlit(state, Blit::locksOnly);
}

BENCHMARK(BM_BlitKeyed)->Arg(300)->Arg(301);
BENCHMARK(BM_BlitTranslucent)->Arg(300)->Arg(301);
BENCHMARK(BM_BlendLocksOnly)->Arg(300);

}  // namespace

int main(int argc, char **argv) {
    return bench::runWithRatios(argc, argv,
                                {{"BM_BlitTranslucent/300", "BM_BlitKeyed/300"},
                                 {"BM_BlitTranslucent/301", "BM_BlitKeyed/301"},
                                 {"BM_BlendLocksOnly/300", "BM_BlitKeyed/300"}});
}
