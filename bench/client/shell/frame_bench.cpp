// Frame rate of the client on the sample world through the headless
// presenter, and the time from starting the program to its first frame.
// Run from anywhere: it works in its own directory, beside the world.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "client/shell/globals.h"
#include "client/shell/shell.h"
#include "platform/standin.h"

namespace fs = std::filesystem;

static void BM_RunFrame(benchmark::State &state) {
    for (auto _ : state)
        runFrame();
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RunFrame)->Unit(benchmark::kMicrosecond);

// The whole program from exec until it has shown one frame and then ended
// on WM_CLOSE: start-up, first frame, one more pass and the teardown.
static void BM_StartToFirstFrame(benchmark::State &state) {
    const fs::path script = fs::temp_directory_path() / ("frame_bench_" + std::to_string(getpid()) + ".txt");
    std::ofstream(script) << "frames 1\nclose\n";
    for (auto _ : state) {
        const pid_t child = fork();
        if (child == 0) {
            setenv("STANDIN_PRESENTER", "headless", 1);
            setenv("STANDIN_SCRIPT", script.c_str(), 1);
            execl("./client", "./client", static_cast<char *>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("client did not exit with 0");
    }
    fs::remove(script);
}
BENCHMARK(BM_StartToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv) {
    fs::current_path(fs::read_symlink("/proc/self/exe").parent_path());
    standin::choosePresenter("headless");
    HWND window = createMainWindow(nullptr);
    if (!setupDisplay(window) || !setupScene())
        return 1;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
