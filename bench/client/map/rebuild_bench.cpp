// rebuild inserts the objects one by one and sorts the whole list after each,
// so its cost grows with the cube of the object count.
#include <benchmark/benchmark.h>

#include "client/map/object_list.h"

static void BM_ObjectListRebuild(benchmark::State &state) {
    const int32_t count = static_cast<int32_t>(state.range(0));
    MapData data{};
    ObjectList list;
    list.map = &data;
    for (auto _ : state) {
        state.PauseTiming();
        data.objectCount = count;
        data.objects = new MapObject[count];
        for (int32_t i = 0; i < count; ++i) {
            // Scattered over a 64 x 64 map, some footprints overlapping.
            data.objects[i] = MapObject{i, (i * 37) % 64, (i * 23) % 64, 1 + i % 3, 1 + i % 2, i % 5 == 0 ? 1 : 0};
        }
        state.ResumeTiming();
        list.rebuild();
        benchmark::DoNotOptimize(list.first);
    }
    state.SetComplexityN(count);
}
BENCHMARK(BM_ObjectListRebuild)
    ->Arg(10)
    ->Arg(100)
    ->Arg(300)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oNCubed);

BENCHMARK_MAIN();
