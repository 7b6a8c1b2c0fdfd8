// Writing the lab's data files.
#ifndef RADON_DATAFILE_H
#define RADON_DATAFILE_H

#include <string>

// Write `content` to the file `name`. On failure: one line on stderr
// ("can't open NAME" or "can't write NAME"), no partial file left, false.
bool writeDataFile(const char *name, const std::string &content);

#endif
