// Photon noise: each ray's reading is a count of the photons that get
// through, I0 T on average (T = exp(-p) for an ideal scanner), and the
// program sees -log(count / I0).
#include <algorithm>

#include "scan/poisson.h"
#include "scan/scan.h"

static const NoiseChoice noise_table[] = {
    {.label = "No noise", .id = 3100, .photons = 0},
    {.label = "1000000 photons", .id = 3101, .photons = 1000000},
    {.label = "100000 photons", .id = 3102, .photons = 100000},
    {.label = "10000 photons", .id = 3103, .photons = 10000},
    {.label = "1000 photons", .id = 3104, .photons = 1000},
};
const std::span<const NoiseChoice> noise_choices = noise_table;
const NoiseChoice *current_noise = &noise_table[0];
uint64_t noise_seed = 1;
uint64_t scan_count = 0;

double countedIntegral(uint64_t scan, int iw, int ip, double transmission) {
    const double photons = current_noise->photons;
    // A stream per ray: the counts do not depend on which thread draws them, or when.
    RandomStream random(noise_seed, scan, (uint64_t)iw, (uint64_t)ip);
    int64_t count = poissonCount(photons * transmission, random);
    return -portableLog((double)std::max<int64_t>(count, 1) / photons);
}
