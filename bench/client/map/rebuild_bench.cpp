// The object list's rebuild under the footprint rule against the plain
// procedure it reproduces (an insert at a time, a selection sort after each
// and one at the end, one call of the rule per comparison), on three kinds of
// maps of 300 to 10,000 objects:
//
//   world   the sample world's objects, repeated in 64 x 64 blocks
//   forest  1 x 1 objects on 30% of the tiles of a square map
//   heap    objects with 1 to 3 tiles of extent on every tile of a square
//           map, most footprints overlapping others: so many objects
//           displace each other that the rebuild falls back to plain scans,
//           whose cost grows with the cube of the count, so it stops at 3,000
//
// The plain procedure makes the same number of comparisons whatever the
// objects, so where it would take minutes it is not run: its time is the
// comparisons times the time per comparison that it took on the largest set
// of that kind it did run (marked "extrapolated"). At the end a table gives
// CPU times and the ratio plain / fast per set, and how many pairs of objects
// displace each other (neither in front of the other), the pairs that keep a
// chain from settling.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "client/map/object_list.h"
#include "tools/world_map.h"

namespace {

enum class Kind { world, forest, heap };
constexpr Kind kKinds[] = {Kind::world, Kind::forest, Kind::heap};
constexpr int32_t kCounts[] = {300, 1000, 3000, 10000};

const char *nameOf(Kind kind) {
    return kind == Kind::world ? "world" : kind == Kind::forest ? "forest" : "heap";
}

// The largest sets of each kind that the two procedures run on.
int32_t largestPlain(Kind kind) {
    return kind == Kind::world ? 3000 : 1000;
}

int32_t largestFast(Kind kind) {
    return kind == Kind::heap ? 3000 : 10000;
}

std::vector<MapObject> objectsOf(Kind kind, int32_t count) {
    std::vector<MapObject> objects;
    std::mt19937 random{uint32_t(count)};
    auto below = [&random](int32_t limit) { return int32_t(random() % uint32_t(limit)); };
    if (kind == Kind::world) {
        const std::vector<world::WorldObject> sample = world::buildWorldMap().objects;
        const int32_t blocks = int32_t((count + sample.size() - 1) / sample.size());
        const int32_t side = int32_t(std::ceil(std::sqrt(double(blocks))));
        for (int32_t block = 0; int32_t(objects.size()) < count; ++block) {
            for (const world::WorldObject &o : sample) {
                if (int32_t(objects.size()) == count)
                    break;
                objects.push_back({int32_t(objects.size()), o.x + 64 * (block % side), o.y + 64 * (block / side),
                                   o.extentX, o.extentY, o.elevation});
            }
        }
    } else if (kind == Kind::forest) {
        const int32_t side = int32_t(std::ceil(std::sqrt(count / 0.3)));
        std::vector<bool> taken(size_t(side) * size_t(side));
        while (int32_t(objects.size()) < count) {
            const int32_t x = below(side);
            const int32_t y = below(side);
            if (!taken[size_t(y) * size_t(side) + size_t(x)]) {
                taken[size_t(y) * size_t(side) + size_t(x)] = true;
                objects.push_back({int32_t(objects.size()), x, y, 1, 1, 0});
            }
        }
    } else {
        const int32_t side = int32_t(std::ceil(std::sqrt(double(count))));
        for (int32_t i = 0; i < count; ++i)
            objects.push_back({i, below(side), below(side), 1 + below(3), 1 + below(3), below(2)});
    }
    return objects;
}

// Calls of the rule in one plain rebuild of n objects: a sort of k objects
// makes k (k + 1) / 2 - 1, after each insert and once more at the end.
double plainComparisons(int32_t n) {
    double calls = 0;
    for (double k = 1; k <= n; ++k)
        calls += k * (k + 1) / 2 - 1;
    return calls + double(n) * (n + 1) / 2 - 1;
}

int64_t mutualPairs(const std::vector<MapObject> &objects) {
    std::vector<ObjectNode> nodes;
    for (const MapObject &o : objects)
        nodes.push_back({o.sprite, o.x, o.y, o.extentX, o.extentY, o.elevation, nullptr, nullptr});
    int64_t pairs = 0;
    for (size_t i = 0; i < nodes.size(); ++i) {
        for (size_t j = i + 1; j < nodes.size(); ++j)
            pairs += !footprintInFrontOf(nodes[i], nodes[j]) && !footprintInFrontOf(nodes[j], nodes[i]);
    }
    return pairs;
}

// The footprint rule behind a function of its own, so that rebuild takes the
// plain procedure.
bool plainRule(const ObjectNode &a, const ObjectNode &b) {
    return footprintInFrontOf(a, b);
}

void rebuild(benchmark::State &state, Kind kind, InFrontOfProc rule) {
    const std::vector<MapObject> objects = objectsOf(kind, int32_t(state.range(0)));
    MapData map{};
    ObjectList list;
    list.map = &map;
    list.inFrontOf = rule;
    for (auto _ : state) {
        state.PauseTiming();
        map.objectCount = int32_t(objects.size());
        map.objects = new MapObject[objects.size()];
        std::copy(objects.begin(), objects.end(), map.objects);
        state.ResumeTiming();
        list.rebuild();
        benchmark::DoNotOptimize(list.first);
    }
}

// Benchmarks are named procedure/kind/count.
std::string benchmarkName(const char *procedure, Kind kind) {
    return std::string(procedure) + "/" + nameOf(kind);
}

std::string runName(const char *procedure, Kind kind, int32_t count) {
    return benchmarkName(procedure, kind) + "/" + std::to_string(count);
}

// Keeps the CPU time per iteration, in milliseconds, of every run.
class Collector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                milliseconds[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> milliseconds;
};

}  // namespace

int main(int argc, char **argv) {
    for (Kind kind : kKinds) {
        for (int32_t count : kCounts) {
            if (count > largestFast(kind))
                continue;
            benchmark::RegisterBenchmark(benchmarkName("fast", kind).c_str(), rebuild, kind, footprintInFrontOf)
                ->Arg(count)
                ->Unit(benchmark::kMillisecond);
            if (count <= largestPlain(kind)) {
                benchmark::RegisterBenchmark(benchmarkName("plain", kind).c_str(), rebuild, kind, plainRule)
                    ->Arg(count)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    std::printf("\nrebuild, CPU time per rebuild\n%-7s %7s %13s %14s %12s %11s\n", "set", "objects", "mutual pairs",
                "plain (ms)", "fast (ms)", "plain/fast");
    for (Kind kind : kKinds) {
        const auto reference = collector.milliseconds.find(runName("plain", kind, largestPlain(kind)));
        for (int32_t count : kCounts) {
            const auto fast = collector.milliseconds.find(runName("fast", kind, count));
            if (fast == collector.milliseconds.end())
                continue;
            const auto plain = collector.milliseconds.find(runName("plain", kind, count));
            double plainMs = 0;
            const char *note = "";
            if (plain != collector.milliseconds.end()) {
                plainMs = plain->second;
            } else if (reference != collector.milliseconds.end()) {
                plainMs = reference->second / plainComparisons(largestPlain(kind)) * plainComparisons(count);
                note = " (extrapolated)";
            } else {
                continue;
            }
            std::printf("%-7s %7d %13lld %14.1f %12.2f %11.0f%s\n", nameOf(kind), count,
                        (long long)mutualPairs(objectsOf(kind, count)), plainMs, fast->second, plainMs / fast->second,
                        note);
        }
    }
    return 0;
}
