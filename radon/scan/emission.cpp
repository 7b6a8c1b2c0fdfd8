// Emission tomography's scan: the photons a tracer emits along each ray,
// counted, from the line integrals of its activity.
#include <cmath>
#include <vector>

#include "parallel_rows.h"
#include "scan/poisson.h"
#include "scan/ray.h"
#include "scan/scan.h"

static const ImagingChoice imaging_table[] = {
    {.label = "X-ray transmission", .id = 3700, .counts = 0, .attenuated = false, .corrected = false},
    {.label = "Emission, 10^7 counts", .id = 3701, .counts = 10000000, .attenuated = false, .corrected = false},
    {.label = "Emission, 10^6 counts", .id = 3702, .counts = 1000000, .attenuated = false, .corrected = false},
    {.label = "Emission, 10^5 counts", .id = 3703, .counts = 100000, .attenuated = false, .corrected = false},
    {.label = "Emission, 10^6 counts, attenuated", .id = 3704, .counts = 1000000, .attenuated = true,
     .corrected = false},
    {.label = "Emission, 10^6 counts, attenuation corrected", .id = 3705, .counts = 1000000, .attenuated = true,
     .corrected = true},
};
const std::span<const ImagingChoice> imaging_choices = imaging_table;
const ImagingChoice *current_imaging = &imaging_table[0];

EmissionCounts emission;

// Water's attenuation at 511 keV per unit: 0.096/cm times 5 cm.
static const double kWaterPerUnit = 0.48;

// Ray ip of row iw of the current scanner: a parallel ray, or a fan's.
static Ray scanRay(int iw, int ip) {
    if (!current_scanner->fan) return ray(iw, ip);
    const double gamma = fanAngle(ip), theta = iw * dw - gamma;
    return rayThrough(cos(theta), sin(theta), kSourceRadius * sin(gamma));
}

// The line integrals of water over the object's support for every ray of
// the current scanner, [iw * (Np + 1) + ip] (0 in views left out).
static std::vector<double> waterIntegrals(void) {
    const int rows = sinogramRows(), n = Np + 1;
    std::vector<double> mu((size_t)rows * n, 0.0);
    computeRowsInOrder(
        rows,
        [&](int iw) {
            if (!viewMeasured(iw)) return;
            std::vector<double> x(Nl), y(Nl), value(Nl);
            for (int ip = 0; ip <= Np; ip++) {
                sampleRay(scanRay(iw, ip), firstSample(), endSample(), x.data(), y.data(), value.data());
                int inside = 0;
                for (int il = firstSample(); il < endSample(); il++) inside += value[il] > 0;
                mu[(size_t)iw * n + ip] = kWaterPerUnit * (inside * dl);
            }
        },
        [](int) {});
    return mu;
}

void countEmission(uint64_t scan) {
    const int rows = sinogramRows(), n = Np + 1;
    // A half-turn's last row is its first seen from the other side: it
    // counts no photons of its own.
    const int views = current_scanner->fan ? rows : Nw;
    const size_t rays = (size_t)rows * n;
    std::vector<double> a(rays, 1.0);
    if (current_imaging->attenuated) {
        const std::vector<double> mu = waterIntegrals();
        for (size_t i = 0; i < rays; i++) a[i] = portableExp(-mu[i]);
    }
    // The expected counts s a g add up to the chosen total.
    double expected = 0;
    for (int iw = 0; iw < views; iw++)
        for (int ip = 0; ip < n; ip++) expected = expected + a[(size_t)iw * n + ip] * rdn[iw][ip];
    const double s = expected > 0 ? current_imaging->counts / expected : 0;
    emission.scan = scan + 1;
    emission.scale = s;
    emission.total = 0;
    emission.counts.assign(rays, 0.0);
    emission.weights.assign(rays, 0.0);
    emission.rows.resize(rows);
    for (int iw = 0; iw < rows; iw++) emission.rows[iw] = &emission.counts[(size_t)iw * n];
    for (int iw = 0; iw < views; iw++) {
        for (int ip = 0; ip < n; ip++) {
            const size_t i = (size_t)iw * n + ip;
            // Views left out hold 0, and count nothing.
            const double mean = s * a[i] * rdn[iw][ip];
            // A stream per ray, as the X-ray noise draws it.
            RandomStream random(noise_seed, scan, (uint64_t)iw, (uint64_t)ip);
            const double y = mean > 0 ? (double)poissonCount(mean, random) : 0.0;
            const double w = current_imaging->corrected ? s * a[i] : s;
            emission.counts[i] = y;
            emission.weights[i] = w;
            emission.total = emission.total + y;
            rdn[iw][ip] = w > 0 ? y / w : 0.0;
        }
    }
    if (views == rows || !viewMeasured(Nw)) return;
    // Ray ip at 180 degrees is ray Np - ip at 0.
    for (int ip = 0; ip < n; ip++) {
        emission.counts[(size_t)Nw * n + ip] = emission.counts[Np - ip];
        emission.weights[(size_t)Nw * n + ip] = emission.weights[Np - ip];
        rdn[Nw][ip] = rdn[0][Np - ip];
    }
}
