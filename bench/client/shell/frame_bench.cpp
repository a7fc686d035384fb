// The client's frame on the sample world through the headless presenter,
// against its memory bound (start_bench times the start-up). Run from
// anywhere: it works in its own directory, beside the world.
//
// The bound of a frame is what it must write at memory speed: the clear as
// one memset of a 640 x 480 16-bit back buffer, then as many bytes as the
// drawn sprites have on the screen, memcpy'd in large blocks into that
// buffer from a source that stays in the cache, as the sprites' pixels do.
#include "bench/platform/ratio_reporter.h"
#include "client/shell/globals.h"
#include "client/shell/shell.h"
#include "platform/standin.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The client's screen: kScreenWidth x kScreenHeight (client/shell/shell.h) at 16 bits.
constexpr int kBytesPerPixel = kBitDepth / 8;
// The middle of the 64 x 64 sample map: the view is full of tiles.
constexpr int kFullViewCentre = 32;
// The sprites' pixels are few and stay in the cache; so does this source.
constexpr size_t kSpriteSourceBytes = 32 * 1024;

// The on-screen part of one drawn sprite.
struct VisibleRows {
    int x, y, width, height;
};
std::vector<VisibleRows> visibleSprites;

// Stands in for the client's sprite callback for one frame: notes where
// drawAt would put each sprite's first frame, cut to the screen.
bool noteSprite(int32_t index, int32_t x, int32_t y) {
    if (index < 0 || size_t(index) >= g_spriteLibrary.entries.size())
        return false;
    const SpriteEntry &entry = g_spriteLibrary.entries[size_t(index)];
    if (entry.frames.empty() || !entry.frames[0].surface)
        return true;
    const SpriteFrame &frame = entry.frames[0];
    const int left = x + frame.offsetX - frame.originX, top = y + frame.offsetY - frame.originY;
    const int visibleLeft = std::max(left, 0), visibleTop = std::max(top, 0);
    const int right = std::min(left + frame.width, kScreenWidth), bottom = std::min(top + frame.height, kScreenHeight);
    if (right > visibleLeft && bottom > visibleTop)
        visibleSprites.push_back({visibleLeft, visibleTop, right - visibleLeft, bottom - visibleTop});
    return true;
}

void frameAt(int centre) {
    g_mapView.centerX = centre;
    g_mapView.centerY = centre;
}

void BM_RunFrame(benchmark::State &state) {
    frameAt(int(state.range(0)));
    for (auto _ : state)
        runFrame();
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RunFrame)->Arg(0)->Arg(kFullViewCentre)->Unit(benchmark::kMicrosecond);

void BM_FrameBound(benchmark::State &state) {
    frameAt(int(state.range(0)));
    const DrawSpriteProc drawSprite = g_mapView.drawSprite;
    visibleSprites.clear();
    g_mapView.drawSprite = noteSprite;
    g_mapView.draw();
    g_mapView.drawSprite = drawSprite;

    size_t spriteBytes = 0;
    for (const VisibleRows &rows : visibleSprites)
        spriteBytes += size_t(rows.width) * size_t(rows.height) * kBytesPerPixel;
    std::vector<uint8_t> screen(size_t(kScreenWidth) * kScreenHeight * kBytesPerPixel);
    std::vector<uint8_t> sprites(kSpriteSourceBytes, 0x5A);
    for (auto _ : state) {
        std::memset(screen.data(), 0, screen.size());
        for (size_t done = 0; done < spriteBytes; done += sprites.size()) {
            const size_t at = done % (screen.size() - sprites.size() + 1);
            std::memcpy(screen.data() + at, sprites.data(), std::min(sprites.size(), spriteBytes - done));
        }
        benchmark::ClobberMemory();
    }
    state.counters["sprites"] = double(visibleSprites.size());
    state.counters["sprite_bytes"] = double(spriteBytes);
}
BENCHMARK(BM_FrameBound)->Arg(0)->Arg(kFullViewCentre)->Unit(benchmark::kMicrosecond);

// The same writes as the frame in its own shapes: the clear, then each
// drawn sprite's visible rows, one memcpy per row at its place on the screen,
// in drawing order. What a frame that drew whole rectangles at memcpy speed
// would take; the bound above copies the same bytes in large blocks.
void BM_FrameRows(benchmark::State &state) {
    frameAt(int(state.range(0)));
    const DrawSpriteProc drawSprite = g_mapView.drawSprite;
    visibleSprites.clear();
    g_mapView.drawSprite = noteSprite;
    g_mapView.draw();
    g_mapView.drawSprite = drawSprite;

    constexpr size_t kRowBytes = size_t(kScreenWidth) * kBytesPerPixel;
    std::vector<uint8_t> screen(kRowBytes * kScreenHeight);
    std::vector<uint8_t> sprites(kSpriteSourceBytes, 0x5A);
    for (auto _ : state) {
        std::memset(screen.data(), 0, screen.size());
        for (const VisibleRows &rows : visibleSprites) {
            const size_t rowLength = size_t(rows.width) * kBytesPerPixel;
            uint8_t *to = screen.data() + size_t(rows.y) * kRowBytes + size_t(rows.x) * kBytesPerPixel;
            for (int row = 0; row < rows.height; ++row) {
                const size_t from = (size_t(row) * rowLength) % (kSpriteSourceBytes - rowLength + 1);
                std::memcpy(to + size_t(row) * kRowBytes, sprites.data() + from, rowLength);
            }
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FrameRows)->Arg(0)->Arg(kFullViewCentre)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char **argv) {
    fs::current_path(fs::read_symlink("/proc/self/exe").parent_path());
    standin::choosePresenter("headless");
    HWND window = createMainWindow(nullptr);
    if (!setupDisplay(window) || !setupScene())
        return 1;
    return bench::runWithRatios(argc, argv,
                                {{"BM_RunFrame/0", "BM_FrameBound/0"},
                                 {"BM_RunFrame/32", "BM_FrameBound/32"},
                                 {"BM_FrameRows/32", "BM_FrameBound/32"},
                                 {"BM_RunFrame/32", "BM_FrameRows/32"}});
}
