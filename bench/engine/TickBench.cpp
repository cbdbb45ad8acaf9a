// One tick of the counter with the fake windows: time per tick and heap allocations per tick.
#include "EngineHarness.hpp"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long long> g_allocations{0};
}

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

using namespace quorvane;
using namespace quorvane::testing;

static void RunTicks(benchmark::State& state, int mode) {
    EngineWorld world;
    world.Prepare(mode, 359999, 0);
    world.clock.second = 12 * 3600;
    world.engine.actRun.Execute();
    long long allocations = 0;
    long long ticks = 0;
    for (auto _ : state) {
        const long long before = g_allocations.load(std::memory_order_relaxed);
        world.engine.SecondTimerTimer();
        allocations += g_allocations.load(std::memory_order_relaxed) - before;
        ++ticks;
        if (world.engine.Counter.Count < 10)
            world.engine.Counter.Count = 359999;
    }
    state.counters["allocs/tick"] =
        benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(ticks));
}

static void BM_TickMode0Running(benchmark::State& state) { RunTicks(state, 0); }
static void BM_TickClockMode(benchmark::State& state) { RunTicks(state, 5); }
BENCHMARK(BM_TickMode0Running);
BENCHMARK(BM_TickClockMode);
BENCHMARK_MAIN();
