// A folder of a test's own for scan files, and Python (Debian's, which has
// NumPy, SciPy, tifffile and Pillow) to write them there.
#ifndef RADON_SCAN_FOLDER_H
#define RADON_SCAN_FOLDER_H

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

struct ScanFolder {
    std::string dir;
    ScanFolder() {
        char name[] = "/tmp/radon-scan-XXXXXX";
        if (mkdtemp(name)) dir = name;
    }
    ~ScanFolder() { std::filesystem::remove_all(dir); }
    std::string path(const std::string &name) const { return dir + "/" + name; }
    void write(const std::string &name, const std::string &text) const { std::ofstream(path(name)) << text; }
    // Run `code` with `import numpy as np` done, in the folder.
    void python(const std::string &code) const {
        write("make.py", "import numpy as np\n" + code);
        const std::string command = "cd " + dir + " && " RADON_TEST_PYTHON " make.py";
        ASSERT_EQ(std::system(command.c_str()), 0) << code;
    }
};

#endif
