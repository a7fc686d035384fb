// The time from starting the client on the sample world, headless, to its
// first frame, against the floor under it: start_floor, the same libraries
// and no work.
// Start-up is timed as wall time and as the child's CPU time (user and
// system), which waiting for a busy processor does not inflate; a table at
// the end gives both and the client's share above the floor.
// Run from anywhere: it works in its own directory, beside the world.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

// Runs the program headless with the script; its CPU time in milliseconds,
// or -1 when it did not exit with 0.
double runHeadless(const char *program, const fs::path &script) {
    const pid_t child = fork();
    if (child == 0) {
        setenv("STANDIN_PRESENTER", "headless", 1);
        setenv("STANDIN_SCRIPT", script.c_str(), 1);
        execl(program, program, static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The whole program from exec until it has shown one frame and then ended
// on WM_CLOSE: start-up, first frame, one more pass and the teardown.
void BM_StartUp(benchmark::State &state, const char *program) {
    const fs::path script = fs::temp_directory_path() / ("frame_bench_" + std::to_string(getpid()) + ".txt");
    std::ofstream(script) << "frames 1\nclose\n";
    double cpu = 0;
    for (auto _ : state) {
        const double used = runHeadless(program, script);
        if (used < 0) {
            state.SkipWithError((std::string(program) + " did not exit with 0").c_str());
            break;
        }
        cpu += used;
    }
    state.counters["cpu_ms"] = cpu / double(std::max<int64_t>(state.iterations(), 1));
    fs::remove(script);
}
BENCHMARK_CAPTURE(BM_StartUp, client, "./client")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_StartUp, floor, "./start_floor")->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps the wall time and the child CPU time, in milliseconds, of each
// start-up run.
class Collector : public benchmark::ConsoleReporter {
public:
    struct Times {
        double wall;
        double cpu;
    };
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            const auto cpu = run.counters.find("cpu_ms");
            if (!run.error_occurred && run.run_type == Run::RT_Iteration && cpu != run.counters.end())
                times[run.benchmark_name()] = {run.GetAdjustedRealTime(), cpu->second.value};
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Times> times;
};

}  // namespace

int main(int argc, char **argv) {
    fs::current_path(fs::read_symlink("/proc/self/exe").parent_path());
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    const auto client = collector.times.find("BM_StartUp/client/real_time");
    const auto floor = collector.times.find("BM_StartUp/floor/real_time");
    if (client != collector.times.end() && floor != collector.times.end()) {
        std::printf("\nstart to first frame (ms)   %8s %8s\n", "wall", "CPU");
        std::printf("client                      %8.2f %8.2f\n", client->second.wall, client->second.cpu);
        std::printf("floor: libraries, no work   %8.2f %8.2f\n", floor->second.wall, floor->second.cpu);
        std::printf("client above the floor      %8.2f %8.2f\n", client->second.wall - floor->second.wall,
                    client->second.cpu - floor->second.cpu);
        std::printf("client / floor              %8.2f %8.2f\n", client->second.wall / floor->second.wall,
                    client->second.cpu / floor->second.cpu);
    }
    return 0;
}
