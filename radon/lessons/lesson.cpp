// The lesson file: a Markdown subset that reads well as it is.
//
//   # TITLE                 the first line that is not blank
//   introduction ...        optional
//   ## STEP TITLE           starts a step
//   run: COMMANDS           at most one per step, in --batch's syntax
//   caption ...             the other lines; a blank line starts a paragraph
//   window: ...             a paragraph only the window and the page show
//   handout: ...            a paragraph only the handout prints
//   question: TEXT          a question for the handout, one line
//   scan: FILE              a measured scan opened before the step's commands,
//                           FILE relative to the lesson file
//   <!-- ... -->            a note for whoever edits the file, never shown
#include "lessons/lessons.h"
#include "scan/own_scan.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace {

constexpr size_t lesson_line_bytes = 1000;
constexpr size_t lesson_max_steps = 100;
constexpr size_t lesson_file_bytes = 1 << 20;

// Whether `s` is well-formed UTF-8: no overlong forms, no surrogates,
// nothing beyond U+10FFFF.
bool validUtf8(const std::string &s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = s[i];
        int more = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (more < 0 || i + more >= s.size()) return false;
        uint32_t code = more == 0 ? c : c & (0x3F >> more);
        for (int k = 1; k <= more; k++) {
            const unsigned char d = s[i + k];
            if ((d & 0xC0) != 0x80) return false;
            code = code << 6 | (d & 0x3F);
        }
        static const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (code < least[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += more + 1;
    }
    return true;
}

std::string trimmed(const std::string &s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool startsWith(const std::string &s, const char *prefix) { return s.rfind(prefix, 0) == 0; }

// Builds a caption's paragraphs line by line: a line joins the paragraph
// before, or after a blank line starts a new one. A line that begins with
// "window:" or "handout:" always starts one, kept to that place.
struct CaptionWriter {
    Caption *caption;
    bool broken = true;
    bool in_window = true, in_handout = true;

    void add(const std::string &line) {
        std::string text = trimmed(line);
        if (text.empty()) {
            broken = true;
            return;
        }
        if (broken || startsWith(text, "window:") || startsWith(text, "handout:")) {
            in_window = !startsWith(text, "handout:");
            in_handout = !startsWith(text, "window:");
            if (!in_window || !in_handout) text = trimmed(text.substr(text.find(':') + 1));
            if (in_window) caption->window.push_back("");
            if (in_handout) caption->handout.push_back("");
        }
        auto join = [&](std::string &paragraph) { paragraph += (paragraph.empty() ? "" : " ") + text; };
        if (in_window) join(caption->window.back());
        if (in_handout) join(caption->handout.back());
        broken = false;
    }
};

// The commands of a run line, checked against what the program knows.
bool parseRunLine(const std::string &commands, std::vector<BatchStep> *steps, std::string *reason) {
    if (!parseCommands(commands, steps, reason)) return false;
    for (const BatchStep &step : *steps) {
        if (step.code == 'q') {
            *reason = "q ends the program; a lesson cannot run it";
            return false;
        }
        if (step.menu || isKnownKey(step.code)) continue;
        *reason = step.code >= 32 && step.code < 127 ? "unknown key \"" + std::string(1, (char)step.code) + "\""
                                                     : "unknown key with code " + std::to_string(step.code);
        return false;
    }
    return true;
}

} // namespace

bool parseLesson(const std::string &name, const std::string &text, Lesson *lesson, std::string *error) {
    *lesson = Lesson();
    size_t line_number = 0;
    auto refuse = [&](const std::string &reason) {
        *error = "lesson " + name + ", line " + std::to_string(line_number) + ": " + reason;
        return false;
    };
    std::istringstream lines(text);
    std::string line;
    bool titled = false, has_run = false, in_comment = false;
    CaptionWriter writer{.caption = &lesson->introduction};
    while (std::getline(lines, line)) {
        line_number++;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // Editors on some systems start a UTF-8 file with a byte order mark.
        if (line_number == 1 && startsWith(line, "\xEF\xBB\xBF")) line.erase(0, 3);
        if (line.size() > lesson_line_bytes)
            return refuse("the line is over " + std::to_string(lesson_line_bytes) + " bytes");
        if (!validUtf8(line)) return refuse("not valid UTF-8");
        if (in_comment || startsWith(trimmed(line), "<!--")) {
            in_comment = line.find("-->") == std::string::npos;
            continue;
        }
        if (!titled) {
            if (trimmed(line).empty()) continue;
            if (!startsWith(line, "# ") || trimmed(line.substr(2)).empty())
                return refuse("no title: the first line must be \"# TITLE\"");
            lesson->title = trimmed(line.substr(2));
            titled = true;
        } else if (startsWith(line, "## ") || line == "##") {
            if (lesson->steps.size() == lesson_max_steps)
                return refuse("more than " + std::to_string(lesson_max_steps) + " steps");
            const std::string title = trimmed(line.substr(2));
            if (title.empty()) return refuse("a step without a title");
            lesson->steps.emplace_back();
            lesson->steps.back().title = title;
            lesson->steps.back().line = line_number;
            writer = CaptionWriter{.caption = &lesson->steps.back().caption};
            has_run = false;
        } else if (startsWith(line, "run:")) {
            if (lesson->steps.empty()) return refuse("a run line before the first step");
            if (has_run) return refuse("a second run line in this step");
            LessonStep &step = lesson->steps.back();
            step.commands = trimmed(line.substr(4));
            std::string reason;
            if (!parseRunLine(step.commands, &step.steps, &reason)) return refuse(reason);
            has_run = true;
        } else if (startsWith(line, "scan:")) {
            if (lesson->steps.empty()) return refuse("a scan line before the first step");
            const std::string file = trimmed(line.substr(5));
            const size_t slash = name.rfind('/');
            LessonStep &step = lesson->steps.back();
            step.scan = file.empty() || file[0] == '/' || slash == std::string::npos ? file : name.substr(0, slash + 1) + file;
            // Checked now, so that a lesson never stops halfway at a scan it cannot open.
            OwnScan scan;
            std::string reason;
            if (!loadOwnScan(step.scan, &scan, &reason)) return refuse(reason);
        } else if (startsWith(line, "question:")) {
            if (lesson->steps.empty()) return refuse("a question before the first step");
            const std::string question = trimmed(line.substr(9));
            if (question.empty()) return refuse("a question without its text");
            lesson->steps.back().questions.push_back(question);
            writer.broken = true;
        } else {
            writer.add(line);
        }
    }
    line_number = line_number ? line_number : 1;
    if (!titled) return refuse("no title: the first line must be \"# TITLE\"");
    if (lesson->steps.empty()) return refuse("no step: a step starts with \"## TITLE\"");
    return true;
}

bool readLesson(const std::string &path, Lesson *lesson, std::string *error) {
    std::string text, reason;
    // Opened without blocking: a FIFO is refused, not waited on.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        reason = std::string("can't read it: ") + std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        reason = "not a regular file";
    } else if (st.st_size > (off_t)lesson_file_bytes) {
        reason = "larger than 1 MiB";
    } else {
        // Never more than the limit, should the file grow while it is read.
        char buffer[65536];
        ssize_t n;
        while ((n = read(fd, buffer, sizeof buffer)) > 0 && text.size() <= lesson_file_bytes) text.append(buffer, n);
        if (n < 0) reason = std::string("can't read it: ") + std::strerror(errno);
        else if (text.size() > lesson_file_bytes) reason = "larger than 1 MiB";
    }
    if (fd >= 0) close(fd);
    if (!reason.empty()) {
        *error = "lesson " + path + ", line 0: " + reason;
        return false;
    }
    if (!parseLesson(path, text, lesson, error)) return false;
    for (size_t k = 1; k <= lesson->steps.size(); k++) {
        const size_t lines = panelLineCount(*lesson, k);
        if (lines > panel_lines)
            std::fprintf(stderr, "lesson %s, line %zu: the caption has %zu lines; the window shows %zu\n", path.c_str(),
                         lesson->steps[k - 1].line, lines, panel_lines);
    }
    return true;
}

bool isLessonFileName(const std::string &path) {
    return endsWith(path, ".md") || endsWith(path, ".txt");
}

bool endsWith(const std::string &name, const char *suffix) {
    const size_t n = std::strlen(suffix);
    return name.size() > n && name.compare(name.size() - n, n, suffix) == 0;
}

std::string latin1(const std::string &utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size(); i++) {
        const unsigned char c = utf8[i];
        if (c < 0x80) {
            out += (char)c;
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
            out += (char)(((c & 0x1F) << 6) | (utf8[++i] & 0x3F));
        } else {
            // One "?" for the whole character: skip its continuation bytes.
            out += '?';
            while (i + 1 < utf8.size() && (utf8[i + 1] & 0xC0) == 0x80) i++;
        }
    }
    return out;
}

const Lesson &ctCourse(void) {
    static const Lesson course = [] {
        static const char text[] =
#include "ct_course.inc"
            ;
        Lesson lesson;
        std::string error;
        parseLesson("ct-course.md", text, &lesson, &error);
        return lesson;
    }();
    return course;
}
