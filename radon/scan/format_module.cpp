// Loads radon-formats.so, the readers of PNG, TIFF and MATLAB data with their
// libraries (own_scan.h): from its place in an install, beside the program's
// directory as `bin` is beside `lib`, or else where the build made it.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <mutex>

#include "scan/own_scan.h"

static std::string programDirectory(void) {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "";
    const std::string exe(path, (size_t)n);
    return exe.substr(0, exe.rfind('/'));
}

const FormatReaders *formatReaders(std::string *error) {
    static const FormatReaders *readers = nullptr;
    static std::string reason;
    static std::once_flag once;
    std::call_once(once, [] {
        void *module = nullptr;
        for (const std::string &path : {programDirectory() + "/" RADON_FORMATS_FROM_PROGRAM, std::string(RADON_FORMATS_BUILT)})
            if ((module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))) break;
        if (module) readers = static_cast<const FormatReaders *>(dlsym(module, "radon_format_readers"));
        if (!readers) reason = std::string("the readers of PNG, TIFF and MATLAB data cannot be loaded: ") + dlerror();
    });
    if (!readers) *error = reason;
    return readers;
}
