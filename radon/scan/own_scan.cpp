// A measured scan: its data read and checked, intensities made line
// integrals, wide detectors binned, and its views laid on the parallel
// grid's angles, so that every command reads it as it reads a scan of its own.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "scan/own_scan.h"
#include "scan/poisson.h"

static const double pi = 3.141592653589793;

bool readArray(const std::string &path, const std::string &variable, Array2D *array, std::string *error) {
    const size_t dot = path.rfind('.');
    std::string ending = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char &c : ending) c = (char)std::tolower((unsigned char)c);
    if (ending == "npy") return readNpy(path, array, error);
    if (ending == "csv" || ending == "txt") return readText(path, array, error);
#ifndef __EMSCRIPTEN__
    if (ending == "png" || ending == "tif" || ending == "tiff" || ending == "mat") {
        const FormatReaders *readers = formatReaders(error);
        if (!readers) return false;
        if (ending == "png") return readers->png(path, array, error);
        if (ending == "mat") return readers->mat(path, variable, array, error);
        return readers->tiff(path, array, error);
    }
#else
    if (ending == "png") return readPng(path, array, error);
    (void)variable; // MATLAB files are the installed program's
    if (ending == "tif" || ending == "tiff" || ending == "mat") {
        *error = "the installed program reads ." + ending + " files; the page reads .npy, .csv and .png";
        return false;
    }
#endif
    *error = "not a data file this program reads (.npy, .csv, .txt, .png, .tif, .tiff, .mat)";
    return false;
}

// ---------------------------------------------------------------- reading and checking

// The largest number of views, and the least of views and columns.
static const int kMaxViews = 3600, kMinViews = 2, kMinColumns = 8;
// Wider detectors are binned down to this.
static const int kMaxColumns = 1024;

static std::string fileName(const std::string &path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The array views by columns: transposed when the file keeps views as columns.
static Array2D viewsByColumns(Array2D a, bool views_are_columns) {
    if (!views_are_columns) return a;
    Array2D t{.rows = a.cols, .cols = a.rows, .value = std::vector<double>(a.value.size())};
    for (int r = 0; r < a.rows; r++)
        for (int c = 0; c < a.cols; c++) t.value[(size_t)c * a.rows + r] = a.value[(size_t)r * a.cols + c];
    return t;
}

// The first value that is not a finite number, as "row R, column C" of the file's own array; "" when none.
static std::string nonFinite(const Array2D &a) {
    for (size_t k = 0; k < a.value.size(); k++)
        if (!std::isfinite(a.value[k]))
            return "row " + std::to_string(k / a.cols) + ", column " + std::to_string(k % a.cols);
    return "";
}

// A flat or dark reading as one value per element of the views x columns data.
static bool readingValues(const ScanFile &file, const Reading &reading, const Array2D &data, double fallback,
                          std::vector<double> *values, std::string *error) {
    const size_t n = data.value.size();
    if (reading.kind != Reading::file) {
        values->assign(n, reading.kind == Reading::number ? reading.value : fallback);
        return true;
    }
    Array2D a;
    std::string reason;
    const std::string where = "scan " + file.path + ", line " + std::to_string(reading.line) + ": ";
    if (!readArray(reading.path, "", &a, &reason)) {
        *error = where + "can't read " + fileName(reading.path) + ": " + reason;
        return false;
    }
    const std::string bad = nonFinite(a);
    if (!bad.empty()) {
        *error = where + fileName(reading.path) + ": " + bad + " is not a finite number";
        return false;
    }
    values->resize(n);
    if ((a.rows == 1 || a.cols == 1) && (int)a.value.size() == data.cols) {
        for (size_t k = 0; k < n; k++) (*values)[k] = a.value[k % data.cols];
        return true;
    }
    a = viewsByColumns(a, file.views_are_columns);
    if (a.rows != data.rows || a.cols != data.cols) {
        *error = where + fileName(reading.path) + " holds " + std::to_string(a.rows) + " x " + std::to_string(a.cols) +
                 " values: one row of " + std::to_string(data.cols) + " or the data's whole size";
        return false;
    }
    *values = std::move(a.value);
    return true;
}

// p = -ln((I - dark) / (flat - dark)); readings at or below the dark level
// get the smallest positive transmission in the data.
static bool lineIntegrals(const ScanFile &file, Array2D *data, long *clipped, std::string *error) {
    std::vector<double> flat, dark;
    const double largest = *std::max_element(data->value.begin(), data->value.end());
    if (!readingValues(file, file.dark, *data, 0, &dark, error) ||
        !readingValues(file, file.flat, *data, largest, &flat, error))
        return false;
    std::vector<double> &v = data->value;
    double smallest = HUGE_VAL;
    for (size_t k = 0; k < v.size(); k++) {
        if (flat[k] <= dark[k]) {
            *error = "scan " + file.path + ", line " + std::to_string(file.flat.line ? file.flat.line : file.dark.line) +
                     ": the open beam is at or below the dark level at column " + std::to_string(k % data->cols);
            return false;
        }
        v[k] = (v[k] - dark[k]) / (flat[k] - dark[k]);
        if (v[k] > 0) smallest = std::min(smallest, v[k]);
    }
    *clipped = 0;
    if (smallest == HUGE_VAL) smallest = 1;
    for (double &t : v) {
        if (!(t > 0)) {
            t = smallest;
            ++*clipped;
        }
        // The program's own logarithm: every platform gets the same bits.
        t = -portableLog(t);
    }
    return true;
}

bool loadOwnScan(const std::string &path, OwnScan *out, std::string *error) {
    OwnScan scan;
    if (!readScanFile(path, &scan.file, error)) return false;
    const ScanFile &file = scan.file;
    const std::string where = "scan " + path + ", line " + std::to_string(file.data_line) + ": ";
    const std::string name = fileName(file.data);
    Array2D data;
    std::string reason;
    if (!readArray(file.data, file.variable, &data, &reason)) {
        *error = where + "can't read " + name + ": " + reason;
        return false;
    }
    const std::string bad = nonFinite(data);
    if (!bad.empty()) {
        *error = where + name + ": " + bad + " is not a finite number";
        return false;
    }
    data = viewsByColumns(std::move(data), file.views_are_columns);
    const std::string size = std::to_string(data.rows) + " views x " + std::to_string(data.cols) + " columns";
    if (data.rows < kMinViews || data.cols < kMinColumns || data.rows > kMaxViews) {
        *error = where + name + " holds " + size + ": a scan has 2 to 3600 views and 8 columns or more";
        return false;
    }
    if (file.intensities && !lineIntegrals(file, &data, &scan.clipped, error)) return false;
    // The smallest whole factor that brings the columns to 1024 or fewer; the rest at the right are left out.
    scan.binning = (data.cols + kMaxColumns - 1) / kMaxColumns;
    scan.views = data.rows;
    scan.columns = data.cols / scan.binning;
    scan.p.assign((size_t)scan.views * scan.columns, 0.0);
    for (int v = 0; v < scan.views; v++)
        for (int c = 0; c < scan.columns * scan.binning; c++)
            scan.p[(size_t)v * scan.columns + c / scan.binning] += data.value[(size_t)v * data.cols + c] / scan.binning;
    const double centre = file.has_centre ? file.centre : (data.cols - 1) / 2.0;
    scan.file_centre = (centre + 0.5) / scan.binning - 0.5;
    scan.centre = scan.file_centre;
    const bool fan = file.geometry != ScanGeometry::parallel;
    if (!file.angle_step) scan.file.angle_step = (fan ? 360.0 : 180.0) / scan.views;
    scan.covered = scan.views * scan.file.angle_step;
    // The detector spans the picture's width, six world units: the field of
    // view at the axis.
    const double width = scan.columns * scan.binning * file.pitch, R = file.source_to_axis, D = file.source_to_detector;
    const double field = file.geometry == ScanGeometry::parallel ? width
                         : file.geometry == ScanGeometry::fan_flat ? width * R / D
                                                                   : 2 * R * std::sin(width / D / 2);
    scan.unit_length = field / (2 * xmax);
    scan.fan_angle = file.geometry == ScanGeometry::fan_flat ? 2 * std::atan(width / 2 / D) * 180 / pi
                     : fan                                    ? width / D * 180 / pi
                                                              : 0;
    *out = std::move(scan);
    return true;
}

// ---------------------------------------------------------------- the scan kept

static OwnScan kept;
static std::string grid_label;
static GridChoice grid = {.label = "", .id = 1100, .N_w = 0, .N_p = 0};

const OwnScan &ownScan(void) { return kept; }
const GridChoice *ownScanGrid(void) { return &grid; }
double ownScanObject(double, double) { return 0; }

// For each of the grid's angles, the views it reads and their weights;
// empty where a limited-angle scan has none.
struct RowSource {
    int view;
    bool mirrored; // the view seen from the opposite side: its columns reversed about the axis
    double weight;
};
static std::vector<std::vector<RowSource>> row_sources;
// Whether the grid's rows have views (a fan's: its central ray).
static std::vector<char> covered_rows;

// Every view stands on the circle twice: at its angle, and mirrored at its
// angle plus 180 degrees. A grid angle reads the nearest of these on either
// side, between them linearly; views that meet at one angle (a full turn's
// opposite views) share it equally.
static void layViews(void) {
    const OwnScan &s = kept;
    struct Placed {
        double angle;
        int view;
        bool mirrored;
    };
    std::vector<Placed> placed;
    const double step = s.file.angle_step * pi / 180, sign = s.file.clockwise ? -1 : 1;
    for (int v = 0; v < s.views; v++) {
        const double a = std::fmod(sign * (s.file.first_angle * pi / 180 + v * step), 2 * pi);
        for (int m = 0; m < 2; m++) placed.push_back({std::fmod(a + m * pi + 4 * pi, 2 * pi), v, m == 1});
    }
    std::sort(placed.begin(), placed.end(), [](const Placed &a, const Placed &b) { return a.angle < b.angle; });
    const double same = 1e-9, gap = 1.5 * step;
    row_sources.assign(Nw + 1, {});
    covered_rows.assign(Nw + 1, 0);
    const size_t n = placed.size();
    for (int iw = 0; iw <= Nw; iw++) {
        const double theta = iw * dw;
        // The first placed view at or after theta (circularly), and the one before it.
        size_t above = std::lower_bound(placed.begin(), placed.end(), theta - same,
                                        [](const Placed &p, double t) { return p.angle < t; }) - placed.begin();
        auto angleOf = [&](size_t k, double around) {
            double a = placed[k % n].angle;
            while (a < around - pi) a += 2 * pi;
            while (a > around + pi) a -= 2 * pi;
            return a;
        };
        // The views at one angle as a group: those within `same` of placed[k].
        auto group = [&](size_t k, double weight, std::vector<RowSource> *out) {
            const double a = placed[k % n].angle;
            std::vector<RowSource> members;
            for (size_t j = 0; j < n; j++) {
                double d = std::fabs(placed[j].angle - a);
                if (std::min(d, 2 * pi - d) <= same) members.push_back({placed[j].view, placed[j].mirrored, 0});
            }
            for (RowSource &m : members) out->push_back({m.view, m.mirrored, weight / members.size()});
        };
        const double a_above = angleOf(above, theta);
        std::vector<RowSource> sources;
        if (std::fabs(a_above - theta) <= same) {
            group(above, 1, &sources);
        } else {
            const size_t below = (above + n - 1) % n;
            const double a_below = angleOf(below, theta);
            if (a_above - a_below <= gap) {
                const double f = (theta - a_below) / (a_above - a_below);
                group(below, 1 - f, &sources);
                group(above, f, &sources);
            }
        }
        covered_rows[iw] = !sources.empty();
        row_sources[iw] = std::move(sources);
    }
}

void keepOwnScan(OwnScan &&scan) {
    kept = std::move(scan);
    row_sources.clear();
    covered_rows.clear();
    grid_label = "Own scan: " + std::to_string(kept.views) + " x " + std::to_string(kept.columns);
    grid.label = grid_label.c_str();
    grid.N_w = kept.views;
    grid.N_p = kept.columns;
}

void setOwnScanCentre(double centre) { kept.centre = centre; }

bool ownScanCovers(int iw) {
    if (!measuredScan() || iw >= (int)covered_rows.size()) return true;
    return covered_rows[iw];
}

// ---------------------------------------------------------------- fans

FanGeometry::FanGeometry(const OwnScan &scan)
    : R(scan.file.source_to_axis), D(scan.file.source_to_detector), pitch(scan.file.pitch * scan.binning),
      step(scan.file.angle_step * pi / 180), sign(scan.file.clockwise ? -1 : 1), first(scan.file.first_angle * pi / 180),
      flat(scan.file.geometry == ScanGeometry::fan_flat) {}

double FanGeometry::viewAt(double b) const {
    const double turn = 2 * pi / step;
    double k = std::fmod((sign * b - first) / step, turn);
    if (k < 0) k += turn;
    return k;
}

// Ray (beta, gamma) of a fan, the source at angle beta and the ray gamma
// off its central one, is the parallel ray of angle beta - gamma at
// t = R sin gamma (R: source to axis); the same line is ray
// (beta + pi + 2 gamma, -gamma). A fan's views are read as the grid's
// parallel rays through both, between views and columns linearly, and the
// two averaged where both were measured: every line counts once, however
// much of the turn the views cover.
struct FanReader : FanGeometry {
    const OwnScan &s;
    double centre;
    bool full_turn;
    FanReader(const OwnScan &scan, double c)
        : FanGeometry(scan), s(scan), centre(c), full_turn(scan.views * scan.file.angle_step >= 360 - 1e-6) {}
    // The reading of ray (beta, gamma); false where no view or column has it.
    bool read(double beta, double gamma, double *value) const {
        const double c = centre + (flat ? D * std::tan(gamma) : D * gamma) / pitch;
        if (c < 0 || c > s.columns - 1) return false;
        const double k = viewAt(beta);
        int k0 = (int)std::floor(k);
        int k1 = k0 + 1;
        if (k0 >= s.views - 1) {
            if (k0 == s.views - 1 && k == k0) k1 = k0;
            else if (full_turn && k0 == s.views - 1) k1 = 0;
            else return false;
        }
        const double f = k - k0;
        const int c0 = std::min((int)c, s.columns - 2);
        const double g = c - c0;
        auto at = [&](int view) {
            const double *p = &s.p[(size_t)view * s.columns];
            return (1 - g) * p[c0] + g * p[c0 + 1];
        };
        *value = (1 - f) * at(k0) + f * at(k1);
        return true;
    }
};

double fanRows(const OwnScan &s, double centre, int nw, int np, double **rows) {
    const FanReader reader(s, centre);
    const double scale = 1 / s.unit_length, angle = pi / nw, spacing = 2 * xmax / np;
    double misfit = 0;
    long both = 0;
    for (int iw = 0; iw <= nw; iw++) {
        const double theta = iw * angle;
        for (int ip = 0; ip <= np; ip++) {
            const double t = (ip - np / 2.0) * spacing * s.unit_length;
            const double gamma = std::asin(std::clamp(t / reader.R, -1.0, 1.0));
            double a = 0, b = 0;
            const bool has_a = reader.read(theta + gamma, gamma, &a);
            const bool has_b = reader.read(theta + pi - gamma, -gamma, &b);
            if (has_a && has_b) misfit += (a - b) * (a - b), both++;
            if (rows) rows[iw][ip] = (has_a && has_b ? (a + b) / 2 : has_a ? a : has_b ? b : 0) * scale;
        }
    }
    return both ? misfit / both : HUGE_VAL;
}

// Which of the grid's angles a fan's central ray has.
static void coverFanRows(void) {
    const FanReader reader(kept, kept.centre);
    covered_rows.assign(Nw + 1, 0);
    double value;
    for (int iw = 0; iw <= Nw; iw++)
        covered_rows[iw] = reader.read(iw * dw, 0, &value) || reader.read(iw * dw + pi, 0, &value);
}

void ownScanRows(void) {
    const OwnScan &s = kept;
    if (s.file.geometry != ScanGeometry::parallel) {
        if (covered_rows.size() != (size_t)Nw + 1) coverFanRows();
        fanRows(s, s.centre, Nw, Np, rdn);
        for (int iw = 0; iw <= Nw; iw++)
            if (!viewMeasured(iw)) std::fill(rdn[iw], rdn[iw] + Np + 1, 0.0);
        return;
    }
    if (row_sources.size() != (size_t)Nw + 1) layViews();
    const double scale = 1 / s.unit_length;
    for (int iw = 0; iw <= Nw; iw++) {
        double *row = rdn[iw];
        std::fill(row, row + Np + 1, 0.0);
        if (!viewMeasured(iw)) continue;
        for (const RowSource &source : row_sources[iw]) {
            const double *p = &s.p[(size_t)source.view * s.columns];
            for (int ip = 0; ip <= Np; ip++) {
                // Detector position t = (ip - Np/2) dp is column centre + t / dp; mirrored, at -t.
                const double c = source.mirrored ? s.centre - (ip - Np / 2.0) : s.centre + (ip - Np / 2.0);
                const int c0 = (int)std::floor(c);
                const double f = c - c0;
                double value = 0;
                if (c0 >= 0 && c0 < s.columns) value = (1 - f) * p[c0];
                if (c0 + 1 >= 0 && c0 + 1 < s.columns && f > 0) value = value + f * p[c0 + 1];
                row[ip] = row[ip] + source.weight * value * scale;
            }
        }
    }
}

std::string ownScanStatus(void) {
    const OwnScan &s = kept;
    std::string text = "Own scan: " + s.file.title + ", " + std::to_string(s.views) + " views x " +
                       std::to_string(s.columns) + " columns";
    if (s.binning > 1) text += " (binned by " + std::to_string(s.binning) + ")";
    char degrees[80];
    if (s.covered < 180 + s.fan_angle - 1e-9) {
        std::snprintf(degrees, sizeof degrees, ", limited angle: %.4g degrees", s.covered);
        text += degrees;
    }
    if (s.clipped) text += ", " + std::to_string(s.clipped) + " readings at or below dark";
    return text;
}
