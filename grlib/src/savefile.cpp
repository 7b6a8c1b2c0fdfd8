// Saving a file so that a failure never costs the file that was there: the
// bytes go to a new file beside the name, which is renamed into place only
// once they are all written.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "grlib.h"
#include "savefile.h"

static std::string save_error;

// A new file beside `name` (same directory, hidden name), made with the mode
// any new file gets: 0666 less the umask. Its name in *temp; -1 on failure.
static int create_beside(const std::string &name, std::string *temp) {
    static unsigned serial = 0;
    const size_t slash = name.rfind('/');
    const std::string prefix = name.substr(0, slash + 1) + "." + name.substr(slash + 1) + "." +
                               std::to_string(getpid()) + ".";
    for (int tries = 0; tries < 100; tries++) {
        *temp = prefix + std::to_string(serial++);
        int fd = open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

namespace grlib {

bool save_replacing(const char *fname, const std::function<bool(FILE *)> &write) {
    const std::string name = fname;
    save_error.clear();
    auto fail = [&](const char *what, int err) {
        save_error = std::string(what) + " " + name + ": " + std::strerror(err);
        return false;
    };
    // A link or a FIFO at the name is replaced; a directory or a device is
    // never (a device is not a file whose contents could be kept).
    struct stat at;
    const bool exists = lstat(fname, &at) == 0;
    if (exists) {
        if (S_ISDIR(at.st_mode)) return fail("can't open", EISDIR);
        if (S_ISCHR(at.st_mode) || S_ISBLK(at.st_mode) || S_ISSOCK(at.st_mode)) return fail("can't open", EEXIST);
        // Renaming over a file needs no right to the file itself: a read-only
        // file is refused as opening it would be. Root may write anything,
        // so a file without any write bit counts as read-only for root too.
        if (S_ISREG(at.st_mode) && access(fname, W_OK) != 0) return fail("can't open", errno);
        if (S_ISREG(at.st_mode) && !(at.st_mode & 0222)) return fail("can't open", EACCES);
    }
    std::string temp;
    int fd = create_beside(name, &temp);
    if (fd < 0) return fail("can't open", errno);
    // A file replaced keeps its permissions.
    if (exists && S_ISREG(at.st_mode)) fchmod(fd, at.st_mode & 0777);
    FILE *fp = fdopen(fd, "wb");
    if (!fp) {
        const int err = errno;
        close(fd);
        unlink(temp.c_str());
        return fail("can't open", err);
    }
#ifdef SIGXFSZ
    // Past the file-size limit a write fails (EFBIG) instead of ending the program.
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
#endif
    errno = 0;
    bool ok = write(fp) && std::fflush(fp) == 0 && fsync(fd) == 0;
    int err = errno;
    // Closing can fail too (a file system that reports late).
    if (std::fclose(fp) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && std::rename(temp.c_str(), fname) != 0) {
        ok = false;
        err = errno;
    }
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, previous);
#endif
    if (!ok) {
        unlink(temp.c_str());
        return fail("can't write", err ? err : EIO);
    }
    return true;
}

} // namespace grlib

int SaveDataAs(const char *fname, const void *data, size_t size) {
    return grlib::save_replacing(fname, [&](FILE *fp) { return std::fwrite(data, 1, size, fp) == size; });
}

const char *SaveError(void) { return save_error.c_str(); }
