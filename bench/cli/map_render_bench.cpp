// vornak map render --whole by its parts, on the sample world (/0) and on a
// generated 256 x 256 map with 2,000 objects (/1), both over the sample
// library: loading the library and the map, the object list's rebuild, the
// canvas (the layout and a surface of its size), drawing, the picture (5-6-5
// to RGB) and PNG coding; and the whole program as a user runs it. The
// canvas is set against fresh memory of its size, allocated and zeroed; the
// draw against its memory bound: one memset of the canvas, then as many
// bytes as the drawn frames have, memcpy'd from a source that stays in the
// cache as the sprites' pixels do. Run from anywhere: it works in its own
// directory, beside the world.
#include "bench/platform/ratio_reporter.h"
#include "cli/map_render.h"
#include "client/shell/globals.h"
#include "tools/world_layout.h"
#include "tools/world_map.h"

#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

constexpr char kLibrary[] = "sprites/test.lspr";
constexpr int32_t kBigSide = 256;
constexpr int kBigObjects = 2000;
constexpr size_t kSpriteSourceBytes = 32 * 1024;

const fs::path scratch = fs::temp_directory_path() / ("map_render_bench_" + std::to_string(getpid()));
const std::string mapPaths[] = {"maps/test.map", (scratch / "big.map").string()};

// Terrain in patches and objects strewn over it, from a fixed seed.
world::WorldMap bigMap() {
    std::mt19937 rng(256);
    world::WorldMap map{0, kBigSide, kBigSide, {}, {}};
    for (int32_t y = 0; y < kBigSide; ++y)
        for (int32_t x = 0; x < kBigSide; ++x)
            map.tiles.push_back({world::kTerrain[size_t((x / 8 + y / 8 * 3) % 10)].id, 0});
    std::uniform_int_distribution<int32_t> place(0, kBigSide - 1), extent(1, 2), kind(0, 8);
    for (int i = 0; i < kBigObjects; ++i)
        map.objects.push_back(
            {world::kObjectKinds[size_t(kind(rng))].id, place(rng), place(rng), extent(rng), extent(rng), 0});
    return map;
}

// The map whose scene the globals hold, loaded and rebuilt; -1 for none.
int current = -1;

void useMap(int map) {
    if (current == map)
        return;
    g_map.load(mapPaths[map].c_str(), g_spriteLibrary);
    buildSceneObjects();
    current = map;
}

// The whole map drawn, as the renderer does it.
struct Drawn {
    MapPicture picture;
    Canvas canvas;
    bool ok = false;
    Drawn() {
        std::string error;
        ok = wholeMapPicture(picture, error) && checkPictureSize(picture, 1, error) &&
             canvas.create(int32_t(picture.width), int32_t(picture.height), error);
        if (ok)
            canvas.draw(picture.view);
    }
};

void BM_LoadLibrary(benchmark::State &state) {
    for (auto _ : state) {
        SpriteLibrary library;
        library.display = &g_display;
        if (!library.loadSprites(kLibrary))
            state.SkipWithError("the library did not load");
    }
}
BENCHMARK(BM_LoadLibrary)->Unit(benchmark::kMillisecond);

void BM_LoadMap(benchmark::State &state) {
    current = -1;
    for (auto _ : state)
        g_map.load(mapPaths[state.range(0)].c_str(), g_spriteLibrary);
}
BENCHMARK(BM_LoadMap)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Rebuild(benchmark::State &state) {
    current = -1;
    for (auto _ : state) {
        state.PauseTiming();
        g_map.load(mapPaths[state.range(0)].c_str(), g_spriteLibrary);
        state.ResumeTiming();
        buildSceneObjects();
    }
    state.counters["objects"] = g_objectList.count;
}
BENCHMARK(BM_Rebuild)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Canvas(benchmark::State &state) {
    useMap(int(state.range(0)));
    for (auto _ : state) {
        MapPicture picture;
        Canvas canvas;
        std::string error;
        if (!wholeMapPicture(picture, error) || !canvas.create(int32_t(picture.width), int32_t(picture.height), error))
            state.SkipWithError(error.c_str());
    }
}
BENCHMARK(BM_Canvas)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The whole map's layout for the state's map, and the bytes of a canvas of
// its size.
MapPicture layout(benchmark::State &state) {
    useMap(int(state.range(0)));
    MapPicture picture;
    std::string error;
    if (!wholeMapPicture(picture, error))
        state.SkipWithError(error.c_str());
    return picture;
}

size_t canvasBytes(const MapPicture &picture) {
    return size_t(picture.width * picture.height) * (kBitDepth / 8);
}

void BM_FreshMemory(benchmark::State &state) {
    const size_t bytes = canvasBytes(layout(state));
    for (auto _ : state) {
        void *memory = std::aligned_alloc(64, (bytes + 63) & ~size_t(63));
        std::memset(memory, 0, bytes);
        benchmark::DoNotOptimize(memory);
        std::free(memory);
    }
}
BENCHMARK(BM_FreshMemory)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The view's draw onto a canvas made once, as the program draws it.
void BM_Draw(benchmark::State &state) {
    useMap(int(state.range(0)));
    Drawn drawn;
    if (!drawn.ok)
        state.SkipWithError("the map did not draw");
    for (auto _ : state)
        drawn.canvas.draw(drawn.picture.view);
}
BENCHMARK(BM_Draw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DrawBound(benchmark::State &state) {
    const MapPicture picture = layout(state);
    std::vector<uint8_t> canvas(canvasBytes(picture));
    const std::vector<uint8_t> source(kSpriteSourceBytes, 1);
    for (auto _ : state) {
        std::memset(canvas.data(), 0, canvas.size());
        for (int64_t done = 0; done < picture.spriteBytes; done += int64_t(source.size())) {
            const size_t bytes = size_t(std::min<int64_t>(picture.spriteBytes - done, int64_t(source.size())));
            std::memcpy(canvas.data() + size_t(done) % (canvas.size() - source.size()), source.data(), bytes);
        }
        benchmark::DoNotOptimize(canvas.data());
        benchmark::ClobberMemory();
    }
    state.counters["canvasMB"] = double(canvas.size()) / 1e6;
    state.counters["spriteMB"] = double(picture.spriteBytes) / 1e6;
}
BENCHMARK(BM_DrawBound)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Picture(benchmark::State &state) {
    useMap(int(state.range(0)));
    const Drawn drawn;
    for (auto _ : state)
        benchmark::DoNotOptimize(drawn.canvas.picture(1).pixels.data());
}
BENCHMARK(BM_Picture)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_EncodePng(benchmark::State &state) {
    useMap(int(state.range(0)));
    const Image picture = Drawn().canvas.picture(1);
    std::vector<uint8_t> png;
    std::string error;
    for (auto _ : state)
        if (!encodePng(picture, png, error))
            state.SkipWithError(error.c_str());
    state.counters["pngMB"] = double(png.size()) / 1e6;
}
BENCHMARK(BM_EncodePng)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The program from exec to exit, writing the picture to the scratch folder.
void BM_WholeProgram(benchmark::State &state) {
    const std::string out = (scratch / "whole.png").string();
    for (auto _ : state) {
        const pid_t child = fork();
        if (child == 0) {
            if (!freopen("/dev/null", "w", stdout))
                _exit(126);
            execl("./vornak", "./vornak", "map", "render", mapPaths[state.range(0)].c_str(), kLibrary, out.c_str(),
                  "--whole", static_cast<char *>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("vornak map render did not exit with 0");
    }
}
BENCHMARK(BM_WholeProgram)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char **argv) {
    fs::current_path(fs::read_symlink("/proc/self/exe").parent_path());
    fs::create_directories(scratch);
    const std::vector<uint8_t> big = world::encodeMap(bigMap());
    std::ofstream(mapPaths[1], std::ios::binary)
        .write(reinterpret_cast<const char *>(big.data()), std::streamsize(big.size()));
    std::string error;
    if (!openMapScene(kLibrary, mapPaths[0], error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const int status = bench::runWithRatios(argc, argv,
                                            {{"BM_Canvas/0", "BM_FreshMemory/0"},
                                             {"BM_Canvas/1", "BM_FreshMemory/1"},
                                             {"BM_Draw/0", "BM_DrawBound/0"},
                                             {"BM_Draw/1", "BM_DrawBound/1"}});
    fs::remove_all(scratch);
    return status;
}
