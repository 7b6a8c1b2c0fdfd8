// radon: an interactive teaching program for computed tomography.
#include <cstdio>
#include <string>

#include "cli.h"
#include "radon.h"

int main(int argc, char **argv) {
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
    noise_seed = options.seed;
    if (options.batch) runBatch(options.steps);

    SetCanvasBackend(GR_BACKEND_WINDOW, options.zoom);
    SetOpenFailureHint("; radon --batch COMMANDS runs without one");
    InitCanvas(width, height, "Radon");
    initRadon(60, 128);
    drawHead();
    loop();
}
