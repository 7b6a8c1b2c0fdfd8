// radon: an interactive teaching program for computed tomography.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/cli.h"
#include "scan/image_object.h"
#include "scan/own_scan.h"
#include "app/app.h"
#include "demos/demos.h"
#include "lab/lab.h"
#include "lessons/lessons.h"

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

// One line: the problem, then the usage's first line (--help shows the rest).
static int usageError(const std::string &error) {
    const std::string usage(usage_text, std::strchr(usage_text, '\n'));
    std::fprintf(stderr, "radon: %s; %s\n", error.c_str(), usage.c_str());
    return 2;
}

int main(int argc, char **argv) {
    holdClosedStandardStreams();
    std::atexit(checkStandardOutputAtExit);
    Options options;
    std::string error;
    if (!parseCommandLine(argc, argv, &options, &error)) return usageError(error);
    if (options.help) {
        std::fputs(usage_text, stdout);
        return 0;
    }
    if (options.version) {
        std::puts("radon " RADON_VERSION);
        return 0;
    }
    noise_seed = options.seed;
    if (options.object) {
        const char *name = options.object->c_str();
        if (!loadObjectFile(name, &error)) {
            std::fprintf(stderr, "radon: can't read %s: %s\n", *name ? name : "\"\"", error.c_str());
            return 2;
        }
        head = imageObject;
        start_object = imageObject;
    }
    if (options.scan) {
        if (!loadScanFile(options.scan->c_str(), &error)) {
            std::fprintf(stderr, "radon: %s\n", error.c_str());
            return 2;
        }
        head = ownScanObject;
        start_object = ownScanObject;
    }
    // The commands are checked against the menu, which has the picture's entry only now.
    if (options.batch) {
        std::vector<BatchStep> steps;
        if (!parseBatchCommands(options.commands, &steps, &error)) return usageError(error);
        runBatch(steps);
    }
    // A lesson is checked against the menu too, before anything is played or written.
    Lesson lesson;
    if (options.lesson && !readLesson(*options.lesson, &lesson, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
#ifndef __EMSCRIPTEN__
    if (options.handout) {
        startWithoutWindow();
        return writeHandout(lesson, *options.handout);
    }
#endif

    SetCanvasBackend(GR_BACKEND_WINDOW, options.zoom);
    SetOpenFailureHint("; radon --batch COMMANDS runs without one");
    InitCanvas(width, height, "Radon");
    if (GetCanvasZoom() < options.zoom)
        std::fprintf(stderr, "radon: --zoom %d does not fit the display; the window opens at --zoom %d\n",
                     options.zoom, GetCanvasZoom());
    initRadon(60, 128);
    drawHead();
    if (measuredScan()) selectOwnScan();
    if (options.lesson) playLesson(lesson);
    loop();
}
