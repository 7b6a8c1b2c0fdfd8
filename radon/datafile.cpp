// The lab's data files, written as the pictures are.
#include "datafile.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

bool writeDataFile(const char *name, const std::string &content) {
    std::FILE *fp = std::fopen(name, "wb");
    if (!fp) {
        std::fprintf(stderr, "can't open %s\n", name);
        return false;
    }
    bool ok = std::fwrite(content.data(), 1, content.size(), fp) == content.size();
    // Closing flushes the last bytes, so only then is the file known good.
    ok = std::fclose(fp) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "can't write %s\n", name);
        // Half a table is worse than none; devices are left alone.
        std::error_code ec;
        if (std::filesystem::is_regular_file(name, ec)) std::remove(name);
    }
    return ok;
}
