// Writing the lab's data files.
#ifndef RADON_DATAFILE_H
#define RADON_DATAFILE_H

#include <string>

// Save `content` as the file `name`. On failure: the reason on stderr and
// the status line, counted as a failed save, nothing left behind; false.
bool writeDataFile(const char *name, const std::string &content);

#endif
