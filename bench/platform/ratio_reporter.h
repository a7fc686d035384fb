// Runs the benchmarks with the usual table, then prints each subject's CPU
// time as a ratio to its reference measured in the same run: the median of
// the repetitions when there are several. Speed is judged by these ratios,
// never by absolute times, which move with the machine's load.
#ifndef BENCH_PLATFORM_RATIO_REPORTER_H
#define BENCH_PLATFORM_RATIO_REPORTER_H

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

// Benchmark names as the table shows them, e.g. "BM_BlitKeyed/300".
struct Ratio {
    std::string subject;
    std::string reference;
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<Ratio> wanted) : ratios(std::move(wanted)) {}

    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (run.error_occurred)
                continue;
            const double seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians[run.run_name.str()] = seconds;
            else if (run.run_type == Run::RT_Iteration)
                times[run.run_name.str()].push_back(seconds);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nCPU time ratios (median of the repetitions):\n");
        for (const Ratio &ratio : ratios) {
            const double subject = median(ratio.subject), reference = median(ratio.reference);
            if (subject > 0 && reference > 0)
                std::printf("  %-40s / %-30s %10s / %-10s = %.3f\n", ratio.subject.c_str(), ratio.reference.c_str(),
                            format(subject).c_str(), format(reference).c_str(), subject / reference);
            else
                std::printf("  %-40s / %-30s not both run\n", ratio.subject.c_str(), ratio.reference.c_str());
        }
    }

private:
    double median(const std::string &name) {
        if (auto found = medians.find(name); found != medians.end())
            return found->second;
        std::vector<double> &values = times[name];
        if (values.empty())
            return 0;
        std::sort(values.begin(), values.end());
        const size_t middle = values.size() / 2;
        return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    }
    static std::string format(double seconds) {
        char text[32];
        if (seconds >= 1e-6)
            std::snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
        else
            std::snprintf(text, sizeof text, "%.1f ns", seconds * 1e9);
        return text;
    }

    std::vector<Ratio> ratios;
    std::map<std::string, double> medians;
    std::map<std::string, std::vector<double>> times;
};

// The body of a benchmark program's main.
inline int runWithRatios(int argc, char **argv, std::vector<Ratio> ratios) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter(std::move(ratios));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench

#endif
