// Numbers as text (.csv, .txt): a row per line, separated by commas,
// semicolons, tabs or blanks; a first line that is not numbers is a header.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "scan/own_scan.h"

// The numbers of one line; false when something else is in it.
static bool numbersOf(const std::string &line, std::vector<double> *numbers) {
    numbers->clear();
    const char *p = line.c_str();
    for (;;) {
        while (*p == ' ' || *p == '\t' || *p == '\r') p++;
        if (!*p) return true;
        char *end = nullptr;
        errno = 0;
        const double v = std::strtod(p, &end);
        if (end == p) return false;
        numbers->push_back(v);
        p = end;
        while (*p == ' ' || *p == '\t' || *p == '\r') p++;
        if (*p == ',' || *p == ';') p++;
        else if (*p && end[0] != ' ' && end[0] != '\t') return false;
    }
}

bool readText(const std::string &path, Array2D *array, std::string *error) {
    std::ifstream in(path);
    if (!in) {
        *error = "no such file or not readable";
        return false;
    }
    *array = Array2D();
    std::string line;
    std::vector<double> numbers;
    for (int number = 1; std::getline(in, line); number++) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        if (!numbersOf(line, &numbers)) {
            if (number == 1) continue; // the header
            *error = "line " + std::to_string(number) + " is not numbers";
            return false;
        }
        if (array->rows > 0 && (int)numbers.size() != array->cols) {
            *error = "line " + std::to_string(number) + " has " + std::to_string(numbers.size()) +
                     " numbers, the lines before " + std::to_string(array->cols);
            return false;
        }
        array->cols = (int)numbers.size();
        array->rows++;
        array->value.insert(array->value.end(), numbers.begin(), numbers.end());
    }
    if (in.bad()) {
        *error = "the file cannot be read";
        return false;
    }
    return true;
}
