// The lab's data files, saved as the pictures are.
#include "datafile.h"

#include "radon.h"

bool writeDataFile(const char *name, const std::string &content) {
    if (SaveDataAs(name, content.data(), content.size())) return true;
    noteSaveFailure(SaveError());
    return false;
}
