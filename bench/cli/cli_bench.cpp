// vornak export and pack of the ~50 MB benchmark library (the one of
// bench/vornak/load_bench.cpp), whole and by their parts: the module's load
// and save, the pixel conversions, PNG coding, and as a reference the copying
// of the exported folder (the file system's share). Every part reports MB/s
// of library bytes, so their times add up to about the whole.
#include "cli/frame_pixels.h"
#include "cli/manifest.h"
#include "cli/sprite_commands.h"
#include "common/png_image.h"
#include "tests/vornak/support/sample_records.h"
#include "vornak/vornak.h"

#include <benchmark/benchmark.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;

// One picture per whole-picture frame, with its spare-bit or keepDark marks.
struct Frame {
    const uint8_t *block;
    uint16_t bitsPerPixel;
    Image picture;
    std::vector<uint8_t> marks;
};

class Workload {
public:
    Workload() {
        std::mt19937 rng(2024);
        SampleLibrary sample = randomLibrary(rng, 480, 10, 200);
        const SpriteLibraryRecord record = sample.record();
        ok_ = SaveSpriteLibrary(&record, file().c_str()) && LoadSpriteLibrary(&library_, file().c_str()) &&
              exportCommand(file(), exported(), false) == 0;
        size_ = fs::file_size(file());
        for (int32_t i = 0; ok_ && i < library_.spriteCount; ++i) {
            const SpriteRecord &s = *library_.sprites[i];
            for (size_t f = 0; f < s.frameCount; ++f)
                if ((s.bitsPerPixel == 16 || s.bitsPerPixel == 24) &&
                    s.pixelSize[f] == int32_t(s.width[f] * s.height[f] * s.bitsPerPixel / 8))
                    frames_.push_back({s.pixelData[f], s.bitsPerPixel, Image(s.width[f], s.height[f], 4), {}});
        }
        for (const auto &entry : fs::recursive_directory_iterator(exported()))
            if (entry.path().extension() == ".png")
                pngs_.push_back(readFileBytes(entry.path()));
    }
    std::string file() const { return dir_.file("bench.lspr"); }
    std::string exported() const { return dir_.file("exported"); }
    std::string scratch() const { return dir_.file("scratch"); }
    bool ok() const { return ok_; }
    int64_t size() const { return int64_t(size_); }
    const SpriteLibraryRecord &library() const { return library_; }
    std::vector<Frame> &frames() { return frames_; }
    const std::vector<std::vector<uint8_t>> &pngs() const { return pngs_; }

private:
    TempDir dir_;
    SpriteLibraryRecord library_{};
    size_t size_ = 0;
    bool ok_ = false;
    std::vector<Frame> frames_;
    std::vector<std::vector<uint8_t>> pngs_;
};

Workload &workload() {
    static Workload w;
    return w;
}

void finish(benchmark::State &state) {
    state.SetBytesProcessed(int64_t(state.iterations()) * workload().size());
    state.counters["library_MB"] = double(workload().size()) / 1e6;
}

void BM_Export(benchmark::State &state) {
    Workload &w = workload();
    for (auto _ : state) {
        if (exportCommand(w.file(), w.scratch(), false) != 0)
            state.SkipWithError("export failed");
        state.PauseTiming();
        fs::remove_all(w.scratch());
        state.ResumeTiming();
    }
    finish(state);
}

// The module's memory stays until the process ends: few iterations.
void BM_ExportPart1_ModuleLoad(benchmark::State &state) {
    for (auto _ : state) {
        SpriteLibraryRecord library{};
        if (!LoadSpriteLibrary(&library, workload().file().c_str()))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(library.sprites);
    }
    finish(state);
}

void BM_ExportPart2_ToPictures(benchmark::State &state) {
    for (auto _ : state)
        for (Frame &f : workload().frames())
            benchmark::DoNotOptimize(f.bitsPerPixel == 16 ? pictureOf16(f.block, f.picture, f.marks)
                                                          : pictureOf24(f.block, f.picture, f.marks));
    finish(state);
}

void BM_ExportPart3_EncodePngs(benchmark::State &state) {
    std::vector<uint8_t> png;
    std::string error;
    for (auto _ : state)
        for (Frame &f : workload().frames())
            if (!encodePng(f.picture, png, error))
                state.SkipWithError(error.c_str());
    finish(state);
}

// The file system's share: copying the folder an export wrote.
void BM_ExportReference_CopyFolder(benchmark::State &state) {
    Workload &w = workload();
    for (auto _ : state) {
        fs::copy(w.exported(), w.scratch(), fs::copy_options::recursive);
        state.PauseTiming();
        fs::remove_all(w.scratch());
        state.ResumeTiming();
    }
    finish(state);
}

void BM_Pack(benchmark::State &state) {
    Workload &w = workload();
    for (auto _ : state)
        if (packCommand(w.exported(), w.scratch() + ".lspr") != 0)
            state.SkipWithError("pack failed");
    finish(state);
}

void BM_PackPart1_DecodePngs(benchmark::State &state) {
    Image image;
    std::string error;
    for (auto _ : state)
        for (const std::vector<uint8_t> &png : workload().pngs())
            if (!decodePng(png.data(), png.size(), 4, image, error))
                state.SkipWithError(error.c_str());
    finish(state);
}

void BM_PackPart2_ToStoredPixels(benchmark::State &state) {
    std::vector<uint8_t> block;
    for (auto _ : state)
        for (const Frame &f : workload().frames()) {
            block.resize(f.picture.pixels.size());
            if (f.bitsPerPixel == 16)
                store16(f.picture, f.marks.data(), block.data());
            else
                store24(f.picture, f.marks.data(), block.data());
            benchmark::DoNotOptimize(block.data());
        }
    finish(state);
}

void BM_PackPart3_ModuleSave(benchmark::State &state) {
    Workload &w = workload();
    for (auto _ : state)
        if (!SaveSpriteLibrary(&w.library(), (w.scratch() + ".lspr").c_str()))
            state.SkipWithError("save failed");
    finish(state);
}

BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ExportPart1_ModuleLoad)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ExportPart2_ToPictures)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportPart3_EncodePngs)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportReference_CopyFolder)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Pack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PackPart1_DecodePngs)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PackPart2_ToStoredPixels)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PackPart3_ModuleSave)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (!workload().ok()) {
        std::fprintf(stderr, "cannot make or export the benchmark library\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
