// radon: an interactive teaching program for computed tomography.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli.h"
#include "radon.h"

// A standard stream closed by the caller (">&-") keeps its number, so that
// no file the program opens (a picture being saved) becomes that stream; it
// is held open the wrong way round, so that using it still fails.
static void holdClosedStandardStreams() {
    for (int fd = 0; fd <= 2; fd++) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        int held = open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
        if (held >= 0 && held != fd) {
            dup2(held, fd);
            close(held);
        }
    }
}

int main(int argc, char **argv) {
    holdClosedStandardStreams();
    std::atexit(checkStandardOutputAtExit);
    Options options;
    std::string error;
    if (!parseCommandLine(argc, argv, &options, &error)) {
        std::fprintf(stderr, "radon: %s\n%s", error.c_str(), usage_text);
        return 2;
    }
    if (options.help) {
        std::fputs(usage_text, stdout);
        return 0;
    }
    if (options.version) {
        std::puts("radon " RADON_VERSION);
        return 0;
    }
    if (options.batch) runBatch(options.steps);

    SetCanvasBackend(GR_BACKEND_WINDOW, options.zoom);
    SetOpenFailureHint("; radon --batch COMMANDS runs without one");
    InitCanvas(width, height, "Radon");
    if (GetCanvasZoom() < options.zoom)
        std::fprintf(stderr, "radon: --zoom %d does not fit the display; the window opens at --zoom %d\n",
                     options.zoom, GetCanvasZoom());
    initRadon(60, 128);
    drawHead();
    loop();
}
