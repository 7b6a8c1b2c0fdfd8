// Loads radon-formats.so, the readers of PNG, TIFF and MATLAB data with their
// libraries (own_scan.h), once.
#include <mutex>

#include "scan/own_scan.h"

const FormatReaders *formatReaders(std::string *error) {
    static const FormatReaders *readers = nullptr;
    static std::string reason;
    static std::once_flag once;
    std::call_once(once, [] {
        readers = static_cast<const FormatReaders *>(
            LoadModuleSymbol(RADON_FORMATS_FROM_PROGRAM, RADON_FORMATS_BUILT, "radon_format_readers", &reason));
    });
    if (!readers) *error = "the readers of PNG, TIFF and MATLAB data cannot be loaded: " + reason;
    return readers;
}
