// Lessons: a course as a short text file of steps, each with a title, the
// program's commands and a caption. The window plays one step after the
// other with the caption in a panel beside the picture or below it; a handout is the
// same lesson as a web page with each step's picture.
#ifndef RADON_LESSONS_H
#define RADON_LESSONS_H

#include <string>
#include <vector>

#include "app/cli.h"
#include "radon.h"

// ---------------------------------------------------------------- the file (lesson.cpp)

// Paragraphs, each one line of UTF-8: those the window and the page show,
// and those the handout prints. Most are in both.
struct Caption {
    std::vector<std::string> window, handout;
};

struct LessonStep {
    std::string title;
    std::string commands;              // as written after "run:", "" without
    std::vector<BatchStep> steps;      // the commands, parsed
    std::string scan;                  // a scan file opened before them ("scan:"), "" without
    Caption caption;
    std::vector<std::string> questions; // for the handout, numbered
    size_t line = 0;                    // of its "## TITLE" in the file
};

struct Lesson {
    std::string title;
    Caption introduction; // before the first step
    std::vector<LessonStep> steps;
};

// Read the lesson in `text`, called `name` in messages. False with *error,
// "lesson NAME, line N: REASON", when it is refused (among the reasons: a
// line over 1000 bytes, more than 100 steps).
bool parseLesson(const std::string &name, const std::string &text, Lesson *lesson, std::string *error);
// The same for the file at `path`; a file that cannot be read, is not a
// regular file or is larger than 1 MiB is refused at line 0. A caption
// longer than the window's panel is read with a warning on stderr.
bool readLesson(const std::string &path, Lesson *lesson, std::string *error);
// "The CT course", built into the program from lessons/ct-course.md.
const Lesson &ctCourse(void);
// Whether a file's name marks it as a lesson: it ends in ".md" or ".txt".
bool isLessonFileName(const std::string &path);
// Whether `name` ends in `suffix` and is longer than it.
bool endsWith(const std::string &name, const char *suffix);
// UTF-8 text in the window's font, ISO 8859-1: other characters become "?".
std::string latin1(const std::string &utf8);

// ---------------------------------------------------------------- playing (player.cpp)

// The object the program starts with: the phantom, or the picture of --object.
extern Object start_object;
// Put the program's state back as at start (grid, object, settings, scans,
// noise) and draw the object, as the program starts.
void startAfresh(void);
// Run a step's commands, as --batch runs its own.
void runCommands(const LessonStep &step);
// Play `lesson` in the window from its introduction until Escape; the keys
// Return, Space and Right go on, Backspace and Left go back, every other key
// and the menu work as always. Called while a lesson plays, it replaces that
// lesson.
void playLesson(const Lesson &lesson);

// The caption rows the window's panel holds, beside the picture and below it
// alike (the keys take two rows more), and the rows step `at` (1..N) of
// `lesson` would need: its heading and caption, wrapped to the panel's width.
constexpr size_t panel_lines = 24;
size_t panelLineCount(const Lesson &lesson, size_t at);

// What the caption shows now: nothing while no lesson plays.
struct LessonCaption {
    bool playing = false;
    std::string heading;                // "Step K of N: TITLE", the lesson's title, or its end
    std::vector<std::string> paragraphs;
    std::string keys;                   // the keys that work now, "Return: next   ..."
};
const LessonCaption &lessonCaption(void);

// ---------------------------------------------------------------- the handout (handout.cpp)

// Run the lesson from the start in batch mode (as --batch does) and write
// the handout: into the folder TARGET, index.html with step-NN.png (a step's
// last picture) and step-NN-K.png (the screen at its K-th wait); or, for a
// TARGET ending in ".html", that one file with the pictures inside it. The
// exit status: 0, or 1 when something cannot be written (the reason on stderr).
int writeHandout(const Lesson &lesson, const std::string &target);

#endif
