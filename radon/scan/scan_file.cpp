// The scan file: "key = value" lines that say where a measured sinogram is
// and how it was measured.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "scan/own_scan.h"

bool isScanFileName(const std::string &path) {
    return path.size() > 5 && path.compare(path.size() - 5, 5, ".scan") == 0;
}

static std::string trimmed(const std::string &text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A finite decimal number, the whole of `text`.
static bool parseNumber(const std::string &text, double *value) {
    if (text.empty()) return false;
    char *end = nullptr;
    errno = 0;
    *value = std::strtod(text.c_str(), &end);
    return *end == '\0' && errno == 0 && std::isfinite(*value);
}

// A path as the scan file's folder makes it: relative paths start there.
static std::string besideScanFile(const std::string &scan_path, const std::string &name) {
    if (name.empty() || name[0] == '/') return name;
    const size_t slash = scan_path.rfind('/');
    return slash == std::string::npos ? name : scan_path.substr(0, slash + 1) + name;
}

bool parseScanFile(const std::string &path, const std::string &text, ScanFile *scan, std::string *error) {
    *scan = ScanFile();
    scan->path = path;
    const size_t slash = path.rfind('/');
    scan->title = slash == std::string::npos ? path : path.substr(slash + 1);
    std::map<std::string, int> seen;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    auto refuse = [&](const std::string &reason) {
        *error = "scan " + path + ", line " + std::to_string(number) + ": " + reason;
        return false;
    };
    while (std::getline(lines, line)) {
        number++;
        const size_t hash = line.find('#');
        line = trimmed(hash == std::string::npos ? line : line.substr(0, hash));
        if (line.empty()) continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos) return refuse("\"" + line + "\" is not \"key = value\"");
        const std::string key = trimmed(line.substr(0, equals)), value = trimmed(line.substr(equals + 1));
        if (value.empty()) return refuse(key + " has no value");
        auto one_of = [&](const char *first, const char *second, bool *is_second) {
            if (value != first && value != second) return refuse(key + " is " + first + " or " + second + ", not \"" + value + "\"");
            *is_second = value == second;
            return true;
        };
        auto length = [&](double *out) {
            if (!parseNumber(value, out) || *out <= 0)
                return refuse(key + " needs a length above 0, not \"" + value + "\"");
            return true;
        };
        auto reading = [&](Reading *out) {
            out->line = number;
            double v;
            if (parseNumber(value, &v)) {
                out->kind = Reading::number;
                out->value = v;
            } else {
                out->kind = Reading::file;
                out->path = besideScanFile(path, value);
            }
            return true;
        };
        bool ok = true;
        if (key == "data") {
            // "FILE.mat:NAME" names a variable; a colon elsewhere belongs to the name.
            const size_t colon = value.rfind(':');
            const bool named = colon != std::string::npos && colon >= 4 && value.compare(colon - 4, 4, ".mat") == 0;
            scan->data = besideScanFile(path, named ? value.substr(0, colon) : value);
            scan->variable = named ? value.substr(colon + 1) : "";
            scan->data_line = number;
        } else if (key == "views-are") {
            ok = one_of("rows", "columns", &scan->views_are_columns);
        } else if (key == "values") {
            ok = one_of("line-integrals", "intensities", &scan->intensities);
        } else if (key == "flat") {
            ok = reading(&scan->flat);
        } else if (key == "dark") {
            ok = reading(&scan->dark);
        } else if (key == "geometry") {
            if (value == "parallel") scan->geometry = ScanGeometry::parallel;
            else if (value == "fan-arc") scan->geometry = ScanGeometry::fan_arc;
            else if (value == "fan-flat") scan->geometry = ScanGeometry::fan_flat;
            else ok = refuse("geometry is parallel, fan-arc or fan-flat, not \"" + value + "\"");
        } else if (key == "first-angle") {
            if (!parseNumber(value, &scan->first_angle)) ok = refuse("first-angle needs degrees, not \"" + value + "\"");
        } else if (key == "angle-step") {
            if (!parseNumber(value, &scan->angle_step) || scan->angle_step <= 0 || scan->angle_step > 180)
                ok = refuse("angle-step needs degrees above 0 up to 180, not \"" + value + "\"");
        } else if (key == "direction") {
            ok = one_of("counter-clockwise", "clockwise", &scan->clockwise);
        } else if (key == "pitch") {
            ok = length(&scan->pitch);
        } else if (key == "source-to-axis") {
            ok = length(&scan->source_to_axis);
        } else if (key == "source-to-detector") {
            ok = length(&scan->source_to_detector);
        } else if (key == "centre") {
            scan->has_centre = true;
            if (!parseNumber(value, &scan->centre)) ok = refuse("centre needs a column, not \"" + value + "\"");
        } else if (key == "unit") {
            scan->unit = value;
        } else if (key == "title") {
            scan->title = value;
        } else {
            ok = refuse("unknown key \"" + key + "\"");
        }
        if (!ok) return false;
        // Checked after the value, so that a bad value is named as such first.
        if (!seen.emplace(key, number).second)
            return refuse(key + " given twice (first on line " + std::to_string(seen[key]) + ")");
    }
    number = 0;
    if (scan->data.empty()) return refuse("no data = FILE");
    if (scan->geometry != ScanGeometry::parallel) {
        if (!scan->source_to_axis || !scan->source_to_detector)
            return refuse("a fan needs source-to-axis and source-to-detector");
        if (scan->source_to_detector <= scan->source_to_axis)
            return refuse("source-to-detector must be longer than source-to-axis");
    }
    if (!scan->intensities && (scan->flat.kind != Reading::none || scan->dark.kind != Reading::none)) {
        number = scan->flat.kind != Reading::none ? scan->flat.line : scan->dark.line;
        return refuse("flat and dark are for values = intensities");
    }
    return true;
}

bool readScanFile(const std::string &path, ScanFile *scan, std::string *error) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    if (!in || in.bad()) {
        *error = "scan " + path + ", line 0: can't read the file";
        return false;
    }
    return parseScanFile(path, text.str(), scan, error);
}
