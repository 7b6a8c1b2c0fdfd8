// The command line: options beyond the classic no-argument start.
#ifndef RADON_CLI_H
#define RADON_CLI_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One step of a batch: a typed key, or a menu choice by entry id.
struct BatchStep {
    bool menu;
    int code;
};

struct Options {
    bool batch = false;
    std::string commands; // of --batch, parsed once the object is loaded
    std::optional<std::string> object; // a picture file
    std::optional<std::string> scan;   // a scan file
    std::optional<std::string> lesson;  // a lesson file, played ...
    std::optional<std::string> handout; // ... or written out as a handout into this folder
    int zoom = 1;
    uint64_t seed = 1;
    bool help = false;
    bool version = false;
};

extern const char *const usage_text;

// Parse argv; false with *error (one line naming the problem) on bad input.
bool parseCommandLine(int argc, char **argv, Options *options, std::string *error);

// Parse COMMANDS as --batch reads them; false with *error (the problem,
// without the option's name) on bad input.
bool parseCommands(const std::string &commands, std::vector<BatchStep> *steps, std::string *error);
// Whether the dispatcher knows the key with character code `c`.
bool isKnownKey(int c);

// Parse the COMMANDS of --batch; false with *error on bad input.
bool parseBatchCommands(const std::string &commands, std::vector<BatchStep> *steps,
                        std::string *error);

// Batch mode on a canvas without a window, with the program as at start.
void startWithoutWindow(void);

// Run the steps with no window, then exit as after "q": status 1 when a save failed.
[[noreturn]] void runBatch(const std::vector<BatchStep> &steps);

#endif
