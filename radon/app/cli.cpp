// The command line and the batch mode.
#include "app/cli.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "app/app.h"
#include "app/commands.h"
#include "demos/demos.h"
#include "lab/lab.h"
#include "scan/own_scan.h"

const char *const usage_text =
    "usage: radon [--object FILE] [--scan FILE.scan] [--zoom N] [--seed N] [--batch COMMANDS | --lesson FILE [--handout DIR|FILE.html]] [--help] [--version]\n"
    "  (no options)       open the window and wait for keys and menu choices\n"
    "  --batch COMMANDS   run COMMANDS with no window and exit: each character is a key,\n"
    "                     {N} chooses the menu entry with id N, blanks are skipped;\n"
    "                     status messages go to standard output\n"
    "  --object FILE      scan the picture in FILE (PNG, JPEG, BMP, GIF, ...);\n"
    "                     the menu entry {2005} chooses it again\n"
    "  --scan FILE.scan   open the measured sinogram that FILE.scan describes;\n"
    "                     the menu entry {2006} chooses it again\n"
    "  --lesson FILE      play the lesson in FILE in the window: Return next, Backspace back,\n"
    "                     Escape leaves it\n"
    "  --handout DIR      with --lesson: no window; write the lesson with every screen of\n"
    "                     each step as DIR/index.html and DIR/step-NN.png (step-NN-K.png);\n"
    "                     a name ending in .html: one file with the pictures inside\n"
    "  --zoom N           show the window N times larger (N = 1 to 4)\n"
    "  --seed N           start the photon noise from N (0 to 2^64 - 1; 1 by default)\n"
    "  --help             show this help\n"
    "  --version          show the version\n";

bool isKnownKey(int c) { return commandForKey(c) != nullptr; }

bool parseCommands(const std::string &commands, std::vector<BatchStep> *steps, std::string *error) {
    steps->clear();
    for (size_t i = 0; i < commands.size(); i++) {
        char c = commands[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        if (c != '{') {
            steps->push_back({false, (unsigned char)c});
            continue;
        }
        size_t close = commands.find('}', i + 1);
        if (close == std::string::npos) {
            *error = "unclosed brace in \"" + commands.substr(i) + "\"";
            return false;
        }
        std::string digits = commands.substr(i + 1, close - i - 1);
        bool numeric = !digits.empty() && digits.size() <= 9 &&
                       digits.find_first_not_of("0123456789") == std::string::npos;
        int id = numeric ? std::atoi(digits.c_str()) : 0;
        if (!numeric || id == 0 || !isMenuEntry(id)) {
            *error = "{" + digits + "} is not an entry of the menu";
            return false;
        }
        steps->push_back({true, id});
        i = close;
    }
    return true;
}

bool parseBatchCommands(const std::string &commands, std::vector<BatchStep> *steps,
                        std::string *error) {
    if (parseCommands(commands, steps, error)) return true;
    *error = "--batch: " + *error;
    return false;
}

// A decimal number from 0 to 2^64 - 1, digits only.
static bool parseSeed(const char *text, uint64_t *seed) {
    uint64_t value = 0;
    if (!*text) return false;
    for (const char *c = text; *c; c++) {
        if (*c < '0' || *c > '9') return false;
        const uint64_t digit = *c - '0';
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    *seed = value;
    return true;
}

// The options, and what the value of each that takes one must be.
struct KnownOption {
    const char *name;
    const char *needs; // null: no value
};
static const KnownOption known_options[] = {
    {.name = "--help", .needs = nullptr},
    {.name = "--version", .needs = nullptr},
    {.name = "--batch", .needs = "COMMANDS"},
    {.name = "--object", .needs = "FILE"},
    {.name = "--scan", .needs = "FILE"},
    {.name = "--lesson", .needs = "FILE"},
    {.name = "--handout", .needs = "DIR"},
    {.name = "--zoom", .needs = "a number from 1 to 4"},
    {.name = "--seed", .needs = "a number from 0 to 18446744073709551615"},
};

// The GNU convention: the whole line is checked first, so --help anywhere in
// a well-formed line shows the usage, and a malformed line is refused
// whatever else it holds. COMMANDS and FILE are read only when they are used.
bool parseCommandLine(int argc, char **argv, Options *options, std::string *error) {
    std::set<std::string> seen;
    for (int i = 1; i < argc; i++) {
        const std::string arg = std::strcmp(argv[i], "-h") == 0 ? "--help" : argv[i];
        const KnownOption *option = nullptr;
        for (const KnownOption &o : known_options)
            if (arg == o.name) option = &o;
        if (!option) {
            *error = "unknown option \"" + arg + "\"";
            return false;
        }
        // Last-wins would silently drop a value: one rule for every option.
        if (!seen.insert(arg).second) {
            *error = arg + " given twice";
            return false;
        }
        const char *value = option->needs && i + 1 < argc ? argv[++i] : nullptr;
        if (option->needs && !value) {
            *error = arg + " needs " + option->needs;
            return false;
        }
        auto wrong = [&] {
            *error = arg + " needs " + option->needs + ", not \"" + value + "\"";
            return false;
        };
        if (arg == "--help") {
            options->help = true;
        } else if (arg == "--version") {
            options->version = true;
        } else if (arg == "--batch") {
            options->batch = true;
            options->commands = value;
        } else if (arg == "--object") {
            options->object = value;
        } else if (arg == "--scan") {
            options->scan = value;
        } else if (arg == "--lesson") {
            options->lesson = value;
        } else if (arg == "--handout") {
            options->handout = value;
        } else if (arg == "--zoom") {
            if (std::strlen(value) != 1 || value[0] < '1' || value[0] > '4') return wrong();
            options->zoom = value[0] - '0';
        } else if (!parseSeed(value, &options->seed)) {
            return wrong();
        }
    }
    if (options->handout && !options->lesson) {
        *error = "--handout needs --lesson";
        return false;
    }
    if (options->lesson && options->batch) {
        *error = "--lesson and --batch can't be given together";
        return false;
    }
    return true;
}

void startWithoutWindow(void) {
    batch_mode = batch_printing;
    SetCanvasBackend(GR_BACKEND_NONE, 1);
    InitCanvas(width, height, "Radon");
    initRadon(60, 128);
    drawHead();
    if (measuredScan()) selectOwnScan();
}

void runBatch(const std::vector<BatchStep> &steps) {
    startWithoutWindow();
    // A key goes through the dispatcher as the command loop would send it;
    // a menu choice as the popup menu's callback would.
    for (const BatchStep &step : steps) actionfunc(step.code);
    CloseCanvas();
    std::exit(exitStatus());
}

// The reason of standard output's first write error; 0 while there is none.
static int stdout_errno = 0;

void printLine(const char *text) {
    errno = 0;
    if ((std::fputs(text, stdout) == EOF || std::fputc('\n', stdout) == EOF) && !stdout_errno)
        stdout_errno = errno ? errno : EIO;
}

void checkStandardOutputAtExit(void) {
    errno = 0;
    if (std::fflush(stdout) != 0 && !stdout_errno) stdout_errno = errno ? errno : EIO;
    if (!stdout_errno && std::ferror(stdout)) stdout_errno = EIO;
    if (!stdout_errno) return;
    std::fprintf(stderr, "radon: write error: %s\n", std::strerror(stdout_errno));
    // Called by exit(): the status can only be changed by ending here.
    _exit(1);
}
