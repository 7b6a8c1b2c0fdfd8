// The handout: a lesson as one web page with each step's picture, to read
// again after the lecture or to print.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <regex>
#include <set>
#include <system_error>

#include "app/app.h"
#include "lab/lab.h"
#include "lessons/lessons.h"

namespace {

std::string escaped(const std::string &text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string pictureName(size_t step) {
    char name[32];
    std::snprintf(name, sizeof name, "step-%02zu.png", step);
    return name;
}

// An earlier handout in the same folder may have had more pictures: those
// of its names that this one did not write go, and nothing else.
void removeStalePictures(const std::string &dir, const std::set<std::string> &written) {
    static const std::regex picture_name("step-[0-9]+(-[0-9]+)?\\.png");
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(dir, error)) {
        const std::string name = entry.path().filename().string();
        if (!written.count(name) && std::regex_match(name, picture_name) && entry.is_regular_file(error))
            std::filesystem::remove(entry.path(), error);
    }
}

const char *const page_style =
    "body{font-family:Georgia,serif;max-width:52em;margin:2em auto;padding:0 1em;color:#222;line-height:1.45}"
    "h1{font-family:sans-serif}h2{font-family:sans-serif;font-size:1.2em;margin-top:0}"
    "section{display:flex;gap:1.5em;align-items:flex-start;border-top:1px solid #ccc;padding:1.2em 0;"
    "break-inside:avoid}"
    "img{width:400px;max-width:100%;height:auto;image-rendering:pixelated;flex:none}"
    ".commands{font-family:monospace;font-size:.8em;color:#666}"
    "@media (max-width:50em){section{display:block}}";

} // namespace

std::string handoutPage(const Lesson &lesson) {
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
                       escaped(lesson.title) + "</title>\n<style>" + page_style + "</style>\n</head>\n<body>\n<h1>" +
                       escaped(lesson.title) + "</h1>\n";
    for (const std::string &paragraph : lesson.introduction.handout) page += "<p>" + escaped(paragraph) + "</p>\n";
    for (size_t k = 1; k <= lesson.steps.size(); k++) {
        const LessonStep &step = lesson.steps[k - 1];
        const std::string number = std::to_string(k);
        page += "<section id=\"step-" + number + "\">\n<img src=\"" + pictureName(k) + "\" width=\"400\" height=\"400\" alt=\"" +
                escaped(step.title) + "\">\n<div>\n<h2>" + number + ". " + escaped(step.title) + "</h2>\n";
        for (const std::string &paragraph : step.caption.handout) page += "<p>" + escaped(paragraph) + "</p>\n";
        if (!step.commands.empty()) page += "<p class=\"commands\">radon: " + escaped(step.commands) + "</p>\n";
        page += "</div>\n</section>\n";
    }
    return page + "</body>\n</html>\n";
}

int writeHandout(const Lesson &lesson, const std::string &dir) {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "can't create %s: %s\n", dir.c_str(), error.message().c_str());
        return 1;
    }
    const int failures_before = failed_saves;
    std::set<std::string> written;
    startAfresh();
    for (size_t k = 1; k <= lesson.steps.size(); k++) {
        runCommands(lesson.steps[k - 1]);
        written.insert(pictureName(k));
        const std::string name = dir + "/" + pictureName(k);
        if (!SaveImageAsPNG(name.c_str())) {
            noteSaveFailure(SaveError());
            return 1;
        }
    }
    removeStalePictures(dir, written);
    const std::string index = dir + "/index.html";
    if (!writeDataFile(index.c_str(), handoutPage(lesson))) return 1;
    printLine(("Saved " + index).c_str());
    // A save the lesson's own commands asked for may have failed, as in --batch.
    return failed_saves > failures_before ? 1 : 0;
}
