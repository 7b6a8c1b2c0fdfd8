// Loads radon-formats.so, the readers of PNG, TIFF and MATLAB data with their
// libraries (own_scan.h).
#include "scan/own_scan.h"

const FormatReaders *formatReaders(std::string *error) {
    std::string reason;
    const auto *readers = static_cast<const FormatReaders *>(
        LoadModuleSymbol(RADON_FORMATS_FROM_PROGRAM, RADON_FORMATS_BUILT, "radon_format_readers", &reason));
    if (!readers) *error = "the readers of PNG, TIFF and MATLAB data cannot be loaded: " + reason;
    return readers;
}
