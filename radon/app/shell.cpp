// The application shell: the status line, the saves' reports, dropped
// files and the command loop.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scan/image_object.h"
#include "scan/objects.h"
#include "scan/own_scan.h"
#include "app/app.h"
#include "demos/demos.h"
#include "lab/lab.h"
#include "lessons/lessons.h"

int batch_mode = 0;
void (*batch_wait_observer)(const char *status) = nullptr;
int failed_saves = 0;

bool loadObjectFile(const char *path, std::string *error) {
    if (!loadImageObject(path, error)) return false;
    // A new picture is a new object: what was measured of the last one is gone.
    if (head == imageObject) have_rdn = have_fbp = 0;
    // The list may have grown by the picture's entry.
    refreshListMenus();
    return true;
}

bool loadScanFile(const char *path, std::string *error) {
    OwnScan scan;
    if (!loadOwnScan(path, &scan, error)) return false;
    keepOwnScan(std::move(scan));
    static std::string label;
    label = "Own scan: " + ownScan().file.title;
    offerOwnScanObject(label.c_str());
    offerGrid(*ownScanGrid());
    refreshListMenus();
    // What was measured of the last scan file is gone.
    if (measuredScan()) have_rdn = have_fbp = 0;
    return true;
}

// ---------------------------------------------------------------- status line

// Characters of the 7-pixel font that fit on a row after the 10-pixel margin.
static size_t statusColumns(void) { return (size_t)(width - 10) / 7; }

static void drawStatusLine(const char *str) {
    // A text too long for one row goes on in a second row, broken at the
    // last blank that fits, so that "Hit Return to Continue." is never cut off.
    const std::string text = str;
    size_t split = std::string::npos;
    if (text.size() > statusColumns()) split = text.rfind(' ', statusColumns());
    SetColoredGray(&C, 0.0);
    FillRectangle(0.0, 0.0, (double)width, split == std::string::npos ? 16.0 : 30.0);
    SetColoredGray(&C, 0.7);
    if (split == std::string::npos) {
        DrawString(10.0, 14.0, str);
    } else {
        DrawString(10.0, 14.0, text.substr(0, split).c_str());
        DrawString(10.0, 28.0, text.substr(split + 1).c_str());
    }
    FlushBuffer();
}

void Pause(const char *str, int pause) {
    drawStatusLine(str);
    if (batch_mode) {
        // Scripts read the status line on standard output; waits end at once.
        if (batch_mode == batch_printing) printLine(str);
        if (pause && batch_wait_observer) batch_wait_observer(str);
        return;
    }
    if (pause) {
        // No menu can open and no dropped file load during the wait (the
        // library holds the file for the command loop), and the key that
        // ends it is left in the library, never run as a command.
        SetMouseFunc(nullptr);
        SetDropFunc(nullptr);
        while (!KbHit()) WaitEvent();
        SetMouseFunc(mouse);
        SetDropFunc(dropped);
    }
}

void teachingPause(double seconds) {
    if (!batch_mode) HoldWindow(seconds);
}

// ---------------------------------------------------------------- saves

void noteSaveSuccess(const char *name) {
    if (batch_mode != batch_printing) return;
    std::string line = std::string("Saved ") + name;
    printLine(line.c_str());
}

void noteSaveFailure(const char *message) {
    failed_saves++;
    std::fprintf(stderr, "%s\n", message);
    // On the status line of the stored picture, shown in place of the save's
    // progress messages (which were on the window only). Between commands
    // drawing goes to the window, so the status line goes to the back buffer.
    SetDoubleBuffer(1);
    drawStatusLine(message);
    SetDoubleBuffer(0);
}

int exitStatus(void) { return batch_mode == batch_printing && failed_saves ? 1 : 0; }

// ---------------------------------------------------------------- command loop

void mouse(int, int state, double, double) {
    if (state == 0) PopupMenu(&topmenu, actionfunc);
}

// A lesson file dropped on the window is played; any other file becomes the
// current object. Otherwise the status line says why it cannot be.
void dropped(const char *path) {
    const char *slash = std::strrchr(path, '/');
    std::string name = slash && slash[1] ? slash + 1 : path;
    std::string error, message;
    if (isLessonFileName(path)) {
        Lesson lesson;
        if (readLesson(path, &lesson, &error)) return playLesson(lesson);
        message = error;
    } else if (isScanFileName(path)) {
        if (loadScanFile(path, &error)) return selectOwnScan();
        message = error;
    } else if (loadObjectFile(path, &error)) {
        selectObject(imageObject);
        message = "Image: " + name + " (" + std::to_string(imageWidth()) + " x " + std::to_string(imageHeight()) + ")";
    } else {
        message = "can't read " + name + ": " + error;
    }
    Pause(message.c_str(), 0);
}

void loop(void) {
    SetMouseFunc(mouse);
    SetDropFunc(dropped);
    for (;;) {
        // Sleep on the event queue when nothing came, so an idle program costs nothing.
        if (KbHit()) actionfunc(GetKey());
        else WaitEvent();
    }
}
