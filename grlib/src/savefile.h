// The canvas library's way of writing a file (see savefile.cpp).
#ifndef GRLIB_SAVEFILE_H
#define GRLIB_SAVEFILE_H

#include <cstdio>
#include <functional>

namespace grlib {

// Write through `write` into a new file beside `fname`, then rename it into
// place. False on any failure, with SaveError() set and nothing left behind.
bool save_replacing(const char *fname, const std::function<bool(FILE *)> &write);

} // namespace grlib

#endif
