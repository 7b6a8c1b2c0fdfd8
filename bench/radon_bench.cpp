// The tomography stages on the four grids, drawing into the no-window canvas.
#include <benchmark/benchmark.h>

#include "radon.h"
#include "stages.h"

static const int grids[4][2] = {{30, 64}, {60, 128}, {100, 256}, {200, 512}};

// Sets up the grid of the benchmark's argument with a fresh sinogram and
// filtered sinogram of the phantom.
static void prepare(benchmark::State &state) {
    static bool open = false;
    if (!open) {
        SetCanvasBackend(GR_BACKEND_NONE, 1);
        InitCanvas(width, height, "bench");
        open = true;
    }
    const int *grid = grids[state.range(0)];
    initRadon(grid[0], grid[1]);
    head = head0;
    getRadon();
    getFbp0();
    state.SetLabel(std::to_string(Nw) + "x" + std::to_string(Np));
}

static void BM_getRadon(benchmark::State &state) {
    prepare(state);
    for (auto _ : state) getRadon();
}

static void BM_getFbp0(benchmark::State &state) {
    prepare(state);
    for (auto _ : state) getFbp0();
}

static void BM_getFbp1(benchmark::State &state) {
    prepare(state);
    for (auto _ : state) getFbp1();
}

static void BM_backProjection(benchmark::State &state) {
    prepare(state);
    for (auto _ : state) drawBackProjection();
}

// Key "R" with the sinogram still to compute: transform, filtering, back-projection.
static void BM_reconstructFromScratch(benchmark::State &state) {
    prepare(state);
    for (auto _ : state) {
        have_rdn = 0;
        reconstruct();
    }
}

BENCHMARK(BM_getRadon)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_getFbp0)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_getFbp1)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_backProjection)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_reconstructFromScratch)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

BENCHMARK_MAIN();
