// Shared modules of the program's own, found from where the program is.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "grlib.h"

static std::string programDirectory(void) {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "";
    const std::string program(path, (size_t)n);
    return program.substr(0, program.rfind('/'));
}

void *LoadModuleSymbol(const char *installed, const char *built, const char *symbol, std::string *error) {
    void *module = nullptr;
    for (const std::string &path : {programDirectory() + "/" + installed, std::string(built)})
        if ((module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))) break;
    void *address = module ? dlsym(module, symbol) : nullptr;
    if (!address) *error = dlerror();
    return address;
}
