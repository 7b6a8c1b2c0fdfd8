// The tomography stages on the four grids, drawing into the no-window canvas.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <fstream>
#include <filesystem>
#include <string>
#include <vector>

#include "scan/image_object.h"
#include "demos/demos.h"
#include "lab/image_quality.h"
#include "lab/lab.h"
#include "app/app.h"
#include "lessons/lessons.h"
#include "scan/own_scan.h"

// Sets up the grid of the benchmark's argument with a fresh sinogram and
// filtered sinogram of the phantom.
static void prepare(benchmark::State &state) {
    static bool open = false;
    if (!open) {
        SetCanvasBackend(GR_BACKEND_NONE, 1);
        InitCanvas(width, height, "bench");
        open = true;
    }
    const GridChoice &grid = grid_choices[state.range(0)];
    initRadon(grid.N_w, grid.N_p);
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

// The measurement of the whole ideal sinogram with the settings made, on one
// thread (the scan spreads it over two), with the copy of the ideal sinogram
// that each round starts from; the settings go back to the first entries.
static void measureWholeScan(benchmark::State &state, const char *settings) {
    state.SetLabel(std::to_string(Nw) + "x" + std::to_string(Np) + ", " + settings);
    std::vector<std::vector<double>> rows(Nw + 1);
    for (auto _ : state) {
        for (int iw = 0; iw <= Nw; iw++) {
            rows[iw].assign(rdn[iw], rdn[iw] + Np + 1);
            measureRow(scan_count, iw, rows[iw].data());
        }
    }
    current_noise = &noise_choices[0];
    current_detector = &detector_choices[0];
    current_beam = &beam_choices[0];
}

// The noise of a whole scan at the setting range(1).
static void BM_photonNoise(benchmark::State &state) {
    prepare(state);
    current_noise = &noise_choices[state.range(1)];
    measureWholeScan(state, current_noise->label);
}

// Without noise, detector range(1) and beam range(2): what these settings add to the scan.
static void BM_measurement(benchmark::State &state) {
    prepare(state);
    current_detector = &detector_choices[state.range(1)];
    current_beam = &beam_choices[state.range(2)];
    measureWholeScan(state, (std::string(current_detector->label) + ", " + current_beam->label).c_str());
}

// The lab's commands with their sinograms at hand and the reconstruction
// current: what they add to the scan and filtering. In batch mode, so that
// the sinogram's wait ends at once (its status lines go to standard output).
static void BM_sinograms(benchmark::State &state) {
    prepare(state);
    batch_mode = 1;
    for (auto _ : state) showSinograms();
    batch_mode = 0;
}

static void BM_errorPicture(benchmark::State &state) {
    prepare(state);
    reconstruct();
    batch_mode = 1;
    for (auto _ : state) errorPicture();
    batch_mode = 0;
}

// Written into a directory of its own, removed afterwards.
static void BM_saveData(benchmark::State &state) {
    prepare(state);
    reconstruct();
    const std::filesystem::path home = std::filesystem::current_path();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "radon_bench_data";
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    batch_mode = 1;
    for (auto _ : state) saveData();
    batch_mode = 0;
    std::filesystem::current_path(home);
    std::filesystem::remove_all(dir);
}

// The Fourier slice demonstration without its first screen's drawing: the
// projections' spectra, the object's spectrum drawn, the direct Fourier
// reconstruction drawn with its RMS error (one status line per run).
static void BM_fourierSlice(benchmark::State &state) {
    prepare(state);
    for (auto _ : state) {
        const Spectrum P = projectionSpectra();
        const std::vector<double> magnitude = magnitudes(P);
        drawObjectSpectrum(*std::max_element(magnitude.begin(), magnitude.end()));
        showDirectFourier(P);
    }
}

// One SART iteration (batch mode: the final picture only), timed beside
// getRadon on the same grid, one after the other in each round, so that both
// see the same load: the time is SART's, the counters getRadon's and the ratio.
static void BM_sartIteration(benchmark::State &state) {
    prepare(state);
    batch_mode = 1;
    sartIteration(); // the ray lengths, once per grid
    using clock = std::chrono::steady_clock;
    double radon_s = 0, sart_s = 0;
    for (auto _ : state) {
        const auto t0 = clock::now();
        getRadon();
        const auto t1 = clock::now();
        sartIteration();
        const auto t2 = clock::now();
        radon_s += std::chrono::duration<double>(t1 - t0).count();
        sart_s += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(std::chrono::duration<double>(t2 - t1).count());
    }
    state.counters["getRadon_ms"] = benchmark::Counter(1000 * radon_s / state.iterations());
    state.counters["sart/getRadon"] = benchmark::Counter(sart_s / radon_s);
    batch_mode = 0;
}

// Emission at 10^6 counts: one SART iteration, one MLEM iteration (both
// commands, batch mode), then MLEM's update beside one OSEM iteration of 10
// subsets (the updates alone), one after the other in each round, so that
// all see the same load. The time is MLEM's command; the counters give the
// others and the ratios.
static void BM_emissionIterations(benchmark::State &state) {
    prepare(state);
    batch_mode = 1;
    current_imaging = &imaging_choices[2];
    current_subsets = &subsets_choices[0];
    getRadon();
    sartIteration();    // the ray lengths, once per grid
    emissionIteration(); // the sensitivity, once per scan
    IterativeImage mlem = uniformStart(), osem = uniformStart();
    const IterativeImage whole = subsetSensitivity(0, 1);
    std::vector<IterativeImage> parts;
    for (int m = 0; m < 10; m++) parts.push_back(subsetSensitivity(m, 10));
    using clock = std::chrono::steady_clock;
    auto seconds = [](clock::time_point a, clock::time_point b) { return std::chrono::duration<double>(b - a).count(); };
    double sart_s = 0, mlem_s = 0, update_s = 0, osem_s = 0;
    for (auto _ : state) {
        const auto t0 = clock::now();
        sartIteration();
        const auto t1 = clock::now();
        emissionIteration();
        const auto t2 = clock::now();
        emissionUpdate(mlem, 0, 1, whole);
        const auto t3 = clock::now();
        for (int m = 0; m < 10; m++) emissionUpdate(osem, m, 10, parts[m]);
        const auto t4 = clock::now();
        sart_s += seconds(t0, t1);
        mlem_s += seconds(t1, t2);
        update_s += seconds(t2, t3);
        osem_s += seconds(t3, t4);
        state.SetIterationTime(seconds(t1, t2));
    }
    state.counters["sart_ms"] = benchmark::Counter(1000 * sart_s / state.iterations());
    state.counters["mlem/sart"] = benchmark::Counter(mlem_s / sart_s);
    state.counters["mlem_update_ms"] = benchmark::Counter(1000 * update_s / state.iterations());
    state.counters["osem10_ms"] = benchmark::Counter(1000 * osem_s / state.iterations());
    state.counters["osem10/mlem"] = benchmark::Counter(osem_s / update_s);
    current_imaging = &imaging_choices[0];
    batch_mode = 0;
}

// The ART demonstration's sweep from 0, without the window's frames.
static void BM_artSweep(benchmark::State &state) {
    prepare(state);
    batch_mode = 1;
    artDemo();
    for (auto _ : state) artDemo();
    batch_mode = 0;
}

// The CPU time of the process so far (both threads), in seconds.
static double processSeconds(void) { return (double)std::clock() / CLOCKS_PER_SEC; }

// A stage with the full-turn fan scanner beside the same stage with parallel
// rays, one after the other in each round, so that both see the same load:
// the time is the fan's, the counters the parallel stage's and the ratios,
// of wall time and (steadier on a busy machine) of both threads' CPU time.
// `before` prepares each (untimed), `stage` runs it. In batch mode: the fan
// scan draws no frames there (the parallel scan draws its own).
template <class Before, class Stage>
static void fanBesideParallel(benchmark::State &state, const char *counter, Before before, Stage stage) {
    prepare(state);
    batch_mode = 1;
    using clock = std::chrono::steady_clock;
    double parallel_s = 0, fan_s = 0, parallel_cpu = 0, fan_cpu = 0;
    for (auto _ : state) {
        current_scanner = &scanner_choices[0];
        before();
        const double c0 = processSeconds();
        const auto t0 = clock::now();
        stage();
        const auto t1 = clock::now();
        const double c1 = processSeconds();
        current_scanner = fullTurnScanner();
        before();
        const double c2 = processSeconds();
        const auto t2 = clock::now();
        stage();
        const auto t3 = clock::now();
        const double c3 = processSeconds();
        parallel_s += std::chrono::duration<double>(t1 - t0).count();
        fan_s += std::chrono::duration<double>(t3 - t2).count();
        parallel_cpu += c1 - c0;
        fan_cpu += c3 - c2;
        state.SetIterationTime(std::chrono::duration<double>(t3 - t2).count());
    }
    state.counters[std::string(counter) + "_ms"] = benchmark::Counter(1000 * parallel_s / state.iterations());
    state.counters["fan/" + std::string(counter)] = benchmark::Counter(fan_s / parallel_s);
    state.counters["cpu_ratio"] = benchmark::Counter(fan_cpu / parallel_cpu);
    current_scanner = &scanner_choices[0];
    batch_mode = 0;
}

static void BM_fanScan(benchmark::State &state) {
    fanBesideParallel(state, "getRadon", [] {}, getRadon);
}

// The back-projection (2 Nw views of the fan, Nw angles) of a filtered scan.
static void BM_fanBackProjection(benchmark::State &state) {
    fanBesideParallel(
        state, "backProjection",
        [] {
            getRadon();
            filterByChosenPath();
        },
        drawBackProjection);
}

// The fan sinogram of a full turn rebinned to parallel rays.
static void BM_rebinning(benchmark::State &state) {
    prepare(state);
    batch_mode = 1;
    current_scanner = fullTurnScanner();
    getRadon();
    for (auto _ : state) benchmark::DoNotOptimize(rebinToParallel(current_scanner, rdn));
    current_scanner = &scanner_choices[0];
    batch_mode = 0;
}

// Each on the four grids; wall time, and the CPU time of both threads.
// Key "M"'s measurement: two scans of Disk0 and ten reconstructions, with
// the state kept and put back (its two screens only draw the curves).
static void BM_imageQuality(benchmark::State &state) {
    prepare(state);
    for (auto _ : state) benchmark::DoNotOptimize(measureImageQuality());
}

static void onEveryGrid(benchmark::internal::Benchmark *b) {
    b->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
}

// Going back from the last step of "The CT course": the program afresh and
// every step before it run as --batch runs them.
static void BM_lessonGoingBack(benchmark::State &state) {
    prepare(state);
    const Lesson &course = ctCourse();
    batch_mode = batch_silent;
    for (auto _ : state) {
        startAfresh();
        for (size_t k = 0; k + 1 < course.steps.size(); k++) runCommands(course.steps[k]);
    }
    batch_mode = 0;
    startAfresh();
}

// The handout of "The CT course": every step run, its PNG and the page written.
static void BM_lessonHandout(benchmark::State &state) {
    prepare(state);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "radon-bench-handout";
    for (auto _ : state) {
        batch_mode = batch_silent;
        writeHandout(ctCourse(), dir.string());
    }
    batch_mode = 0;
    startAfresh();
    std::filesystem::remove_all(dir);
}

BENCHMARK(BM_getRadon)->Apply(onEveryGrid);
BENCHMARK(BM_getRadonPicture)->Apply(onEveryGrid);
BENCHMARK(BM_getFbp0)->Apply(onEveryGrid);
BENCHMARK(BM_getFbp1)->Apply(onEveryGrid);
BENCHMARK(BM_reconstruct)->Apply(onEveryGrid);
BENCHMARK(BM_backProjection)->Apply(onEveryGrid);
// The lab on the finest grid; noise at 1000 and 1000000 photons.
BENCHMARK(BM_photonNoise)->Args({3, 4})->Args({3, 1})->Unit(benchmark::kMillisecond);
// The ideal scanner, a weak detector, the polychromatic beam, both.
BENCHMARK(BM_measurement)->Args({3, 0, 0})->Args({3, 2, 0})->Args({3, 0, 1})->Args({3, 2, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_sinograms)->Arg(3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_errorPicture)->Arg(3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_fourierSlice)->Arg(3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
// The iterative methods on the finest grid, SART beside the transform.
BENCHMARK(BM_saveData)->Arg(3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

BENCHMARK(BM_sartIteration)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_imageQuality)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_emissionIterations)->Arg(3)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(5);
BENCHMARK(BM_artSweep)->Arg(3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
// The fan beside the parallel rays on the finest grid, and the rebinning.
BENCHMARK(BM_fanScan)->Arg(3)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2);
BENCHMARK(BM_fanBackProjection)->Arg(3)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2);
BENCHMARK(BM_rebinning)->Arg(3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

BENCHMARK(BM_lessonGoingBack)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_lessonHandout)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// ---------------------------------------------------------------- a measured scan

// A scan of a disk (radius 0.4 of the detector's half-width, 0.02/mm) as a
// float32 .npy of `views` x `columns`, over `degrees`, its scan file beside it;
// as counts of an open beam of 20000 when `intensities`.
static std::string writeDiskScan(int views, int columns, int degrees, bool intensities) {
    const std::string dir = std::filesystem::temp_directory_path() / "radon-bench-scan";
    std::filesystem::create_directories(dir);
    const std::string name = std::to_string(views) + "x" + std::to_string(columns) + "-" + std::to_string(degrees) +
                             (intensities ? "-i" : "");
    std::string header = "{'descr': '<f4', 'fortran_order': False, 'shape': (" + std::to_string(views) + ", " +
                         std::to_string(columns) + "), }";
    header.append(64 - (10 + header.size() + 1) % 64, ' ');
    header += '\n';
    std::string bytes = std::string("\x93NUMPY\x01\x00", 8) + (char)(header.size() & 255) + (char)(header.size() >> 8) + header;
    for (int v = 0; v < views; v++) {
        const double a = v * degrees / (double)views * 3.141592653589793 / 180;
        for (int c = 0; c < columns; c++) {
            const double t = c - (columns - 1) / 2.0 - 0.3 * columns * 0.4 * std::cos(a), r = 0.4 * columns / 2;
            double p = t * t < r * r ? 0.02 * 2 * std::sqrt(r * r - t * t) : 0;
            const float value = (float)(intensities ? 20000 * std::exp(-p) : p);
            bytes.append((const char *)&value, 4);
        }
    }
    std::ofstream(dir + "/" + name + ".npy", std::ios::binary) << bytes;
    std::ofstream(dir + "/" + name + ".scan") << "data = " << name << ".npy\nangle-step = " << degrees / (double)views
                                               << (intensities ? "\nvalues = intensities\n" : "\n");
    return dir + "/" + name + ".scan";
}

// Opening a scan file (reading, checking, laying its views on the grid) and "R".
static void BM_openScanAndReconstruct(benchmark::State &state) {
    prepare(state);
    const std::string scan = writeDiskScan(360, state.range(1), 180, false);
    std::string error;
    for (auto _ : state) {
        if (!loadScanFile(scan.c_str(), &error)) return state.SkipWithError(error.c_str());
        selectOwnScan();
        reconstruct();
    }
    selectObject(head0);
}

// Reading a scan file of counts against one of line integrals: the difference is the logarithm's.
static void BM_loadScan(benchmark::State &state) {
    const std::string scan = writeDiskScan(360, 1024, 180, state.range(0));
    OwnScan own;
    std::string error;
    for (auto _ : state)
        if (!loadOwnScan(scan, &own, &error)) return state.SkipWithError(error.c_str());
}

// "Find centre": over a whole turn by opposite views, over half a turn the sharpest; then "R".
static void BM_findCentre(benchmark::State &state) {
    prepare(state);
    const std::string scan = writeDiskScan(360, 512, state.range(1), false);
    std::string error;
    if (!loadScanFile(scan.c_str(), &error)) return state.SkipWithError(error.c_str());
    selectOwnScan();
    for (auto _ : state) findCentre();
    selectObject(head0);
}

BENCHMARK(BM_openScanAndReconstruct)->Args({1, 1024})->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_loadScan)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_findCentre)->Args({1, 360})->Args({1, 180})->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

BENCHMARK_MAIN();
