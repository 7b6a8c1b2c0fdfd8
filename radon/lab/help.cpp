// The help screen: every key on one screen, then the picture from before.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/commands.h"
#include "lab/lab.h"

static const char *const help_title = "Keys. A mouse button opens the menu: these and more.";

// Every key with its text, "K  TEXT", the Lab's under a heading of their own.
static std::vector<std::string> helpLines(void) {
    std::vector<std::string> lines, lab = {"Lab"};
    for (const Command &command : commands) {
        if (!command.key || !command.help) continue;
        std::string line = std::string(1, (char)command.key) + "  " + command.help;
        (command.place == MenuPlace::Lab ? lab : lines).push_back(line);
    }
    lines.insert(lines.end(), lab.begin(), lab.end());
    // The lesson's own keys, which work only while one plays.
    for (const char *line : {"Lessons", "   Lab > The CT course", "   Return, Space: next step", "   Backspace: step back",
                             "   Escape: leave the lesson"})
        lines.push_back(line);
    return lines;
}

// One row of text in a column of the help screen.
struct HelpRow {
    std::string text;
    bool heading;   // a heading (in green, a little apart from what went before)
    bool continued; // the rest of the entry above
};

// Characters in a column.
static const size_t kColumnChars = 27;

// `rest` in rows of at most `columns` characters, broken at spaces, the
// rows after the first indented.
static std::vector<std::string> wrapped(std::string rest, size_t columns) {
    std::vector<std::string> rows;
    while (!rest.empty()) {
        size_t cut = rest.size();
        if (cut > columns) {
            cut = rest.rfind(' ', columns);
            if (cut == std::string::npos || cut <= 3) cut = columns;
        }
        rows.push_back(rest.substr(0, cut));
        rest = rest.substr(cut);
        while (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
        if (!rest.empty()) rest = "   " + rest;
    }
    return rows;
}

// The help lines as rows of at most kColumnChars; a key's text goes on
// under its text, a heading gets an empty row before it.
static std::vector<HelpRow> helpRows(void) {
    std::vector<HelpRow> rows;
    for (const std::string &line : helpLines()) {
        const bool heading = line.size() < 2 || line[1] != ' ';
        if (heading && !rows.empty()) rows.push_back({"", true, false});
        const std::vector<std::string> parts = wrapped(line, kColumnChars);
        for (size_t i = 0; i < parts.size(); i++) rows.push_back({parts[i], heading, i > 0});
    }
    return rows;
}

// The rows under the keys, across the screen: the world's scale, the
// scanner's faults when there are any, and the settings now.
static std::vector<std::string> settingsRows(void) {
    const size_t columns = (size_t)(width - 6) / 7;
    char text[160];
    std::snprintf(text, sizeof text, "Scale: field of view %g cm, 1 unit = %g cm", 2 * xmax * kCmPerUnit, kCmPerUnit);
    std::vector<std::string> rows = wrapped(text, columns);
    std::string faults;
    if (current_views != &views_choices[0]) faults += std::string(", ") + current_views->label;
    if (current_detector != &detector_choices[0]) faults += ", weak detector";
    if (current_beam != &beam_choices[0]) faults += ", poly beam";
    if (metal_insert) faults += ", metal";
    if (!faults.empty()) {
        const std::vector<std::string> scan = wrapped("Scan: " + faults.substr(2), columns);
        rows.insert(rows.end(), scan.begin(), scan.end());
    }
    // Emission counts in place of the X-ray noise.
    const char *noise = current_noise->photons ? current_noise->label : "no noise";
    if (emissionImaging()) noise = current_imaging->label;
    std::snprintf(text, sizeof text, "Now: %dx%d, %s, %s%s, %s", Nw, Np, current_filter->label, noise,
                  use_fft ? ", FFT" : "", current_scanner->label);
    const std::vector<std::string> now = wrapped(text, columns);
    rows.insert(rows.end(), now.begin(), now.end());
    return rows;
}

// Where the right column starts: at the start of an entry, the one that
// balances the columns best, preferably a heading. Its empty row is not drawn.
static size_t columnSplit(const std::vector<HelpRow> &rows) {
    size_t best = 0;
    int best_score = 1 << 30;
    for (size_t i = 1; i < rows.size(); i++) {
        if (rows[i].continued || rows[i - 1].heading) continue;
        const bool spacer = rows[i].text.empty();
        const int score = (int)std::max(i, rows.size() - i - spacer) - 2 * spacer;
        if (score < best_score) {
            best = i;
            best_score = score;
        }
    }
    return best;
}

// Every pixel of the drawing target from a picture taken with GetWindowPixel
// or GetBackPixel.
static void putBack(const std::vector<uint32_t> &picture) {
    for (int iy = 0; iy < height; iy++) {
        for (int ix = 0; ix < width; ix++) {
            uint32_t c = picture[(size_t)iy * width + ix];
            SetColor3i(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
            DrawPoint(ix, iy);
        }
    }
}

void showHelp(void) {
    // Both surfaces, since the window may show live drawing that the back
    // buffer does not hold yet.
    std::vector<uint32_t> shown((size_t)width * height), stored((size_t)width * height);
    for (int iy = 0; iy < height; iy++) {
        for (int ix = 0; ix < width; ix++) {
            shown[(size_t)iy * width + ix] = GetWindowPixel(ix, iy);
            stored[(size_t)iy * width + ix] = GetBackPixel(ix, iy);
        }
    }

    SetDoubleBuffer(1);
    ClearCanvas();
    // The first line across the top; the keys flow down two columns, each
    // entry wrapped at the column's width with its text indented; the
    // settings across the bottom.
    std::vector<HelpRow> rows = helpRows();
    const std::vector<std::string> settings = settingsRows();
    const size_t split = columnSplit(rows);
    const size_t skip = split < rows.size() && rows[split].text.empty() ? 1 : 0;
    const size_t longest = std::max(split, rows.size() - split - skip);
    const int row_height =
        std::min(16, (height - 62 - 16 * (int)settings.size()) / (int)std::max<size_t>(longest, 1));
    SetColor(&green);
    DrawString(6, 32, help_title);
    for (size_t i = 0; i < rows.size(); i++) {
        const bool right = i >= split;
        if (right && i < split + skip) continue;
        const int y = 56 + row_height * (int)(right ? i - split - skip : i);
        if (rows[i].heading) SetColor(&green);
        else SetColoredGray(&C, 0.8);
        DrawString(right ? 206 : 4, y, rows[i].text.c_str());
    }
    SetColoredGray(&C, 0.6);
    for (size_t i = 0; i < settings.size(); i++)
        DrawString(6, height - 8 - 16 * (int)(settings.size() - 1 - i), settings[i].c_str());
    Pause("Help. Hit any key to go back.", 1);

    putBack(shown);
    FlushBuffer();
    putBack(stored);
    SetDoubleBuffer(0);
}
