// The tomography stages on the four grids, drawing into the no-window canvas.
#include <benchmark/benchmark.h>

#include <string>

#include "image_object.h"
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

// The lesson picture, 800 x 600 pixels, as the object: against the phantom's BM_getRadon.
static void BM_getRadonPicture(benchmark::State &state) {
    prepare(state);
    std::string error;
    if (!loadImageObject(RADON_SOURCE_DIR "/docs/guide/chest.png", &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    head = imageObject;
    for (auto _ : state) getRadon();
    head = head0;
}

static void BM_getFbp0(benchmark::State &state) {
    prepare(state);
    for (auto _ : state) getFbp0();
}

static void BM_getFbp1(benchmark::State &state) {
    prepare(state);
    for (auto _ : state) getFbp1();
}

// Key "R" with the sinogram at hand: the direct filtering and the back-projection.
static void BM_reconstruct(benchmark::State &state) {
    prepare(state);
    for (auto _ : state) reconstruct();
}

static void BM_backProjection(benchmark::State &state) {
    prepare(state);
    for (auto _ : state) drawBackProjection();
}

// Each on the four grids; wall time, and the CPU time of both threads.
static void onEveryGrid(benchmark::internal::Benchmark *b) {
    b->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
}

BENCHMARK(BM_getRadon)->Apply(onEveryGrid);
BENCHMARK(BM_getRadonPicture)->Apply(onEveryGrid);
BENCHMARK(BM_getFbp0)->Apply(onEveryGrid);
BENCHMARK(BM_getFbp1)->Apply(onEveryGrid);
BENCHMARK(BM_reconstruct)->Apply(onEveryGrid);
BENCHMARK(BM_backProjection)->Apply(onEveryGrid);

BENCHMARK_MAIN();
