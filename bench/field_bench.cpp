// Microbenchmarks of the field model and of one frame's drawing, and the
// latencies of the instructions on a trace's critical path, from which the
// trace's latency floor is worked out (see docs/performance.md).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include "field.hpp"
#include "raster.hpp"

// Counts every heap allocation, so the frame benchmark can show that
// drawing allocates nothing.
#include "allocation_counter.hpp"

static void BM_field_at(benchmark::State &state)
{
    double x = 160.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(field_at(x, 100.0));
    }
}
BENCHMARK(BM_field_at);

static SDL_Surface *open_memory_surface()
{
    return SDL_CreateRGBSurface(SDL_SWSURFACE, SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, 0xFF0000,
                                0x00FF00, 0x0000FF, 0);
}

// One whole trace from a start whose line stays in the picture to the end.
static void BM_trace_field_line(benchmark::State &state)
{
    screen = open_memory_surface();
    double x0 = 160.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(x0);
        trace_field_line(x0, 100.0);
    }
    SDL_FreeSurface(screen);
}
BENCHMARK(BM_trace_field_line);

// What the frame loop draws: clear, markers, trace; presenting is SDL's.
static void BM_draw_frame(benchmark::State &state)
{
    screen = open_memory_surface();
    const long before = allocations;
    for (auto _ : state) {
        SDL_FillRect(screen, nullptr, 0);
        draw_source_markers();
        trace_field_line(160.0, 100.0);
        benchmark::ClobberMemory();
    }
    state.counters["allocations"] = double(allocations - before);
    SDL_FreeSurface(screen);
}
BENCHMARK(BM_draw_frame);

#if defined(__x86_64__)
// Chains of 1000 dependent instructions (ten blocks of 100, so that moving
// the value in and out of a register costs nothing), on operands that stay
// normal: the time per item is the chain's latency. Each chain but addsd's pairs its
// instruction with a mulsd that undoes its drift, so mulsd's latency is half
// of BM_latency_mulsd_mulsd, and divsd's or sqrtsd's is a pair less a mulsd.
#define LATENCY_CHAIN(name, instructions, start, c, d)                                             \
    static void name(benchmark::State &state)                                                      \
    {                                                                                              \
        double a = start;                                                                          \
        const double x = c, y = d;                                                                 \
        for (auto _ : state)                                                                       \
            for (int i = 0; i < 10; ++i)                                                           \
                asm volatile(".rept 100\n\t" instructions "\n\t.endr" : "+x"(a) : "x"(x), "x"(y)); \
        benchmark::DoNotOptimize(a);                                                               \
        state.SetItemsProcessed(state.iterations() * 1000);                                        \
    }                                                                                              \
    BENCHMARK(name)

LATENCY_CHAIN(BM_latency_addsd, "addsd %1, %0", 1.0, 1e-9, 0.0);
LATENCY_CHAIN(BM_latency_mulsd_mulsd, "mulsd %1, %0\n\tmulsd %2, %0", 1.0, 1.7, 1 / 1.7);
LATENCY_CHAIN(BM_latency_divsd_mulsd, "divsd %1, %0\n\tmulsd %1, %0", 1.0, 1.7, 0.0);
LATENCY_CHAIN(BM_latency_sqrtsd_mulsd, "sqrtsd %0, %0\n\tmulsd %1, %0", 1.0, 1.7, 0.0);

// Eight independent divisions at a time: the time per item is how often the
// divider takes a new one. The three per-source divisions of a step are
// ready together, so the last of them starts two such intervals late.
static void BM_throughput_divsd(benchmark::State &state)
{
    double a[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const double c = 1.7;
    for (auto _ : state)
        for (int i = 0; i < 125; ++i)
            asm volatile("divsd %8, %0\n\tdivsd %8, %1\n\tdivsd %8, %2\n\tdivsd %8, %3\n\t"
                         "divsd %8, %4\n\tdivsd %8, %5\n\tdivsd %8, %6\n\tdivsd %8, %7\n\t"
                         "mulsd %8, %0\n\tmulsd %8, %1\n\tmulsd %8, %2\n\tmulsd %8, %3\n\t"
                         "mulsd %8, %4\n\tmulsd %8, %5\n\tmulsd %8, %6\n\tmulsd %8, %7"
                         : "+x"(a[0]), "+x"(a[1]), "+x"(a[2]), "+x"(a[3]), "+x"(a[4]), "+x"(a[5]),
                           "+x"(a[6]), "+x"(a[7])
                         : "x"(c));
    benchmark::DoNotOptimize(a);
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_throughput_divsd);
#endif

BENCHMARK_MAIN();
