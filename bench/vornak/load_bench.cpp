// LoadSpriteLibrary on a library file of about 50 MB in the page cache,
// against one large fread of the same file. The memory a load keeps is
// given back between iterations, outside the timed part.
#include "tests/vornak/support/sample_records.h"
#include "vornak/module_heap.h"
#include "vornak/vornak.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

// Hundreds of sprites with up to 10 frames of up to 200 x 200 pixels.
class LibraryFile {
public:
    LibraryFile() {
        std::mt19937 rng(2024);
        SampleLibrary sample = randomLibrary(rng, 480, 10, 200);
        const SpriteLibraryRecord record = sample.record();
        ok_ = SaveSpriteLibrary(&record, path().c_str());
        size_ = std::filesystem::file_size(path());
    }
    std::string path() const { return dir_.file("bench.lspr"); }
    size_t size() const { return size_; }
    bool ok() const { return ok_; }

private:
    TempDir dir_;
    size_t size_ = 0;
    bool ok_ = false;
};

const LibraryFile &libraryFile() {
    static const LibraryFile file;
    return file;
}

void BM_FreadWholeFile(benchmark::State &state) {
    const LibraryFile &file = libraryFile();
    std::unique_ptr<char[]> buffer(new char[file.size()]);
    for (auto _ : state) {
        FILE *f = std::fopen(file.path().c_str(), "rb");
        if (!f || std::fread(buffer.get(), 1, file.size(), f) != file.size()) {
            state.SkipWithError("could not read the library file");
            break;
        }
        std::fclose(f);
        benchmark::DoNotOptimize(buffer.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
    state.counters["file_MB"] = double(file.size()) / 1e6;
}

void BM_LoadSpriteLibrary(benchmark::State &state) {
    const LibraryFile &file = libraryFile();
    if (!file.ok())
        state.SkipWithError("could not write the library file");
    for (auto _ : state) {
        SpriteLibraryRecord library{};
        if (!LoadSpriteLibrary(&library, file.path().c_str())) {
            state.SkipWithError("LoadSpriteLibrary failed");
            break;
        }
        benchmark::DoNotOptimize(library.sprites);
        state.PauseTiming();
        g_moduleHeap.releaseAll();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
    state.counters["file_MB"] = double(file.size()) / 1e6;
}

BENCHMARK(BM_FreadWholeFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadSpriteLibrary)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
