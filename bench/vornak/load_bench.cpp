// LoadSpriteLibrary on a library file of about 50 MB in the page cache,
// against one large fread of the same file.
// The memory a load keeps is given back between iterations, outside the
// timed part. At the end: the load's time as a ratio to the fread's, and the
// heap memory one load keeps as a ratio to the file's size, from this run.
#include "tests/vornak/support/sample_records.h"
#include "vornak/module_heap.h"
#include "vornak/vornak.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>

#ifdef __GLIBC__
#include <malloc.h>
#endif

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

// Heap bytes in use: malloc's own count where there is one (its per-block
// overhead included), else what the module's heap holds.
size_t heapInUse() {
#ifdef __GLIBC__
    return mallinfo2().uordblks;
#else
    return g_moduleHeap.stats().bytesHeld;
#endif
}

double g_memoryRatio = 0;  // heap kept by one load / file size

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
        state.PauseTiming();
        g_moduleHeap.releaseAll();
        const size_t before = heapInUse();
        state.ResumeTiming();
        SpriteLibraryRecord library{};
        if (!LoadSpriteLibrary(&library, file.path().c_str())) {
            state.SkipWithError("LoadSpriteLibrary failed");
            break;
        }
        benchmark::DoNotOptimize(library.sprites);
        state.PauseTiming();
        g_memoryRatio = double(heapInUse() - before) / double(file.size());
        state.ResumeTiming();
    }
    g_moduleHeap.releaseAll();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
    state.counters["file_MB"] = double(file.size()) / 1e6;
    state.counters["memory_ratio"] = g_memoryRatio;
}

BENCHMARK(BM_FreadWholeFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadSpriteLibrary)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints as usual and keeps each benchmark's time per iteration (the mean,
// when repeated).
class TimeKeeper : public benchmark::ConsoleReporter {
public:
    TimeKeeper() : ConsoleReporter(OO_Tabular) {}
    std::map<std::string, double> milliseconds;
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "mean")
                milliseconds[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TimeKeeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto &ms = reporter.milliseconds;
    if (ms.count("BM_FreadWholeFile") && ms.count("BM_LoadSpriteLibrary") && ms.at("BM_FreadWholeFile") > 0)
        std::printf("LoadSpriteLibrary / fread of the %.1f MB file: time ratio %.2f, memory ratio %.3f\n",
                    double(libraryFile().size()) / 1e6, ms.at("BM_LoadSpriteLibrary") / ms.at("BM_FreadWholeFile"),
                    g_memoryRatio);
    return 0;
}
