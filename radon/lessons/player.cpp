// Playing a lesson in the window: each step's commands run as if typed, and
// the caption stands in a panel beside the picture on a landscape screen,
// below it on a portrait one (on the page, as text of the page).
#include <optional>

#include "app/app.h"
#include "lab/lab.h"
#include "lessons/lessons.h"
#include "scan/own_scan.h"
#include "scan/scan.h"
#include "reconstruct/reconstruct.h"

Object start_object = head0;

void startAfresh(void) {
    // No screen may go on reading what is discarded here.
    endProfile();
    initRadon(60, 128);
    head = start_object;
    use_fft = 0;
    show_integral = 0;
    current_filter = &filter_choices[0];
    current_noise = &noise_choices[0];
    current_views = &views_choices[0];
    current_detector = &detector_choices[0];
    current_beam = &beam_choices[0];
    current_scanner = &scanner_choices[0];
    current_imaging = &imaging_choices[0];
    current_subsets = &subsets_choices[0];
    metal_insert = false;
    // Scans are numbered from the start again, so that each draws the same noise.
    scan_count = 0;
    rdn_scan = 0;
    fbp_scan = 0;
    fbp_filter = nullptr;
    fbp_by_fft = 0;
    last_reconstruction = Reconstruction();
    forgetIterations();
    forgetEmissionIterations();
    drawHead();
    if (measuredScan()) selectOwnScan();
}

void runCommands(const LessonStep &step) {
    std::string error;
    if (!step.scan.empty()) {
        if (loadScanFile(step.scan.c_str(), &error)) selectOwnScan();
        else Pause(error.c_str(), 0);
    }
    for (const BatchStep &command : step.steps) actionfunc(command.code);
}

namespace {

// The page shows the caption as text of its own beside the picture.
#ifdef __EMSCRIPTEN__
constexpr bool caption_panel = false;
#else
constexpr bool caption_panel = true;
#endif

// Characters of the font on a panel row between 10-pixel margins.
constexpr size_t panel_columns = (400 - 20) / 7;

Lesson lesson;
size_t position = 0; // 0: the introduction, 1..N: step K, N + 1: the end
bool playing = false;
std::optional<Lesson> next_lesson; // asked for while one plays
LessonCaption caption;

// `text` broken at blanks into lines of at most `columns` characters.
std::vector<std::string> wrapped(const std::string &text, size_t columns) {
    std::vector<std::string> lines;
    std::string line;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        std::string word = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        while (word.size() > columns) {
            if (!line.empty()) lines.push_back(line);
            lines.push_back(word.substr(0, columns));
            line.clear();
            word = word.substr(columns);
        }
        if (word.empty()) continue;
        if (!line.empty() && line.size() + 1 + word.size() > columns) {
            lines.push_back(line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

LessonCaption captionAt(const Lesson &shown, size_t at) {
    LessonCaption c{
        .playing = true, .heading = "", .paragraphs = {}, .keys = "Return: next   Backspace: back   Escape: leave"};
    const size_t n = shown.steps.size();
    if (at == 0) {
        c.heading = shown.title;
        c.paragraphs = shown.introduction.window;
    } else if (at <= n) {
        c.heading = "Step " + std::to_string(at) + " of " + std::to_string(n) + ": " + shown.steps[at - 1].title;
        c.paragraphs = shown.steps[at - 1].caption.window;
    } else {
        c.heading = "End of the lesson.";
        c.keys = "Backspace: back   Escape: leave";
    }
    return c;
}

// A caption's lines in the window's font: the heading, then each paragraph
// after a blank line.
std::vector<std::string> wrappedCaption(const LessonCaption &c) {
    std::vector<std::string> lines = wrapped(latin1(c.heading), panel_columns);
    for (const std::string &paragraph : c.paragraphs) {
        lines.push_back("");
        for (const std::string &line : wrapped(latin1(paragraph), panel_columns)) lines.push_back(line);
    }
    return lines;
}

// The caption's lines in the panel: a caption too long for it ends in a row
// that says how much is left out.
std::vector<std::string> shownCaption(const LessonCaption &c) {
    std::vector<std::string> lines = wrappedCaption(c);
    if (lines.size() > panel_lines) {
        const size_t left_out = lines.size() - panel_lines + 1;
        lines.resize(panel_lines);
        lines.back() = "[cut: " + std::to_string(left_out) + " more lines]";
    }
    return lines;
}

// The most caption lines of any panel of the lesson: one height for the
// whole lesson, so that the window does not jump.
size_t captionRows(void) {
    size_t most = 0;
    for (size_t at = 0; at <= lesson.steps.size() + 1; at++)
        most = std::max(most, shownCaption(captionAt(lesson, at)).size());
    return most;
}

// The keys end every panel in its last row, after a blank one, at the same
// place in every step.
void showCaption(void) {
    caption = captionAt(lesson, position);
    if (!caption_panel) return;
    const size_t rows = captionRows();
    std::vector<std::string> lines = shownCaption(caption);
    lines.resize(rows + 1);
    lines.push_back(caption.keys);
    SetCanvasPanel(12 + 13 * (int)lines.size(), lines);
}

// The program as at start with the steps before `at` (and `at`) run
// without frames and without waits, as --batch runs them.
void replayTo(size_t at) {
    SuspendWindowUpdates(1);
    const int was_batch = batch_mode;
    batch_mode = batch_silent;
    startAfresh();
    for (size_t k = 1; k <= at && k <= lesson.steps.size(); k++) runCommands(lesson.steps[k - 1]);
    batch_mode = was_batch;
    SuspendWindowUpdates(0);
}

void start(const Lesson &chosen) {
    lesson = chosen;
    position = 0;
    showCaption();
}

} // namespace

const LessonCaption &lessonCaption(void) { return caption; }

size_t panelLineCount(const Lesson &chosen, size_t at) { return wrappedCaption(captionAt(chosen, at)).size(); }

void playLesson(const Lesson &chosen) {
    if (playing) {
        next_lesson = chosen;
        return;
    }
    // Without a window there is nobody to press Return.
    if (batch_mode) return;
    playing = true;
    // From the command line the lesson comes before the command loop: the
    // menu and dropped files work from the start.
    SetMouseFunc(mouse);
    SetDropFunc(dropped);
    start(chosen);
    for (;;) {
        // Left and Right are the lesson's; a command that used the arrow
        // keys (the profile) has given them up again.
        SetArrowKeys(1);
        if (next_lesson) {
            start(*next_lesson);
            next_lesson.reset();
        }
        if (!KbHit()) {
            WaitEvent();
            continue;
        }
        const int key = GetKey();
        if (key == 27) break;
        if (key == 13 || key == ' ' || key == GR_KEY_RIGHT) {
            if (position > lesson.steps.size()) continue;
            position++;
            showCaption();
            if (position <= lesson.steps.size()) runCommands(lesson.steps[position - 1]);
        } else if (key == 8 || key == GR_KEY_LEFT) {
            if (position == 0) continue;
            position--;
            replayTo(position);
            showCaption();
        } else {
            actionfunc(key);
        }
    }
    SetArrowKeys(0);
    caption = LessonCaption();
    if (caption_panel) SetCanvasPanel(0, {});
    playing = false;
}
