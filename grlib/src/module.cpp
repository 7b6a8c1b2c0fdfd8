// Shared modules of the program's own, found from where the program is.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <map>
#include <mutex>
#include <utility>

#include "grlib.h"

static std::string programDirectory(void) {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "";
    const std::string program(path, (size_t)n);
    return program.substr(0, program.rfind('/'));
}

// Each symbol is looked for once; later calls get the same answer.
void *LoadModuleSymbol(const char *installed, const char *built, const char *symbol, std::string *error) {
    static std::mutex m;
    static std::map<std::string, std::pair<void *, std::string>> found;
    std::lock_guard<std::mutex> lock(m);
    auto it = found.find(symbol);
    if (it == found.end()) {
        void *module = nullptr;
        for (const std::string &path : {programDirectory() + "/" + installed, std::string(built)})
            if ((module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))) break;
        void *address = module ? dlsym(module, symbol) : nullptr;
        it = found.emplace(symbol, std::make_pair(address, address ? "" : dlerror())).first;
    }
    if (!it->second.first) *error = it->second.second;
    return it->second.first;
}
