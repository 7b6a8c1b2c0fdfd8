// What radon-formats.so offers the program: its readers, by the name the
// program looks for (format_module.cpp); nothing else of it is seen outside.
#include "scan/own_scan.h"

extern "C" {
[[gnu::visibility("default")]] extern const FormatReaders radon_format_readers;
const FormatReaders radon_format_readers = {.png = readPng, .tiff = readTiff, .mat = readMat};
}
