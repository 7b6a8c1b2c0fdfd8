// radon: an interactive teaching program for computed tomography.
#include <cstdio>
#include <string>

#include "cli.h"
#include "image_object.h"
#include "radon.h"

static int usageError(const std::string &error) {
    std::fprintf(stderr, "radon: %s\n%s", error.c_str(), usage_text);
    return 2;
}

int main(int argc, char **argv) {
    Options options;
    std::string error;
    if (!parseCommandLine(argc, argv, &options, &error)) return usageError(error);
    if (options.help) {
        std::fputs(usage_text, stdout);
        return 0;
    }
    if (!options.object.empty()) {
        if (!loadObjectFile(options.object.c_str(), &error)) {
            std::fprintf(stderr, "radon: can't read %s: %s\n", options.object.c_str(), error.c_str());
            return 2;
        }
        head = imageObject;
    }
    // The commands are checked against the menu, which has the picture's entry only now.
    if (options.batch) {
        std::vector<BatchStep> steps;
        if (!parseBatchCommands(options.commands, &steps, &error)) return usageError(error);
        runBatch(steps);
    }

    SetCanvasBackend(GR_BACKEND_WINDOW, options.zoom);
    SetOpenFailureHint("; radon --batch COMMANDS runs without one");
    InitCanvas(width, height, "Radon");
    initRadon(60, 128);
    drawHead();
    loop();
}
