// The handout: a lesson as one web page with every screen of every step, to
// read again after the lecture or to print (two steps to a page).
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <system_error>

#include "app/app.h"
#include "app/commands.h"
#include "lab/lab.h"
#include "lessons/lessons.h"

namespace {

// A screen the handout shows: its picture file's name and the status text
// it showed (empty for a step's last picture).
struct Screen {
    std::string picture, status;
};

// A step shows at most this many screens, its last picture among them.
constexpr size_t shown_screens = 6;

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

// "step-05.png" for a step's last picture, "step-05-2.png" for its second wait.
std::string pictureName(size_t step, size_t wait = 0) {
    char name[40];
    if (wait) std::snprintf(name, sizeof name, "step-%02zu-%zu.png", step, wait);
    else std::snprintf(name, sizeof name, "step-%02zu.png", step);
    return name;
}

// While the handout runs a step: the folder, the step's number and the
// screens its waits left so far.
struct WaitWatch {
    std::string dir;
    size_t step = 0;
    std::vector<Screen> *waits = nullptr;
    bool failed = false;
} watch;

void keepWaitScreen(const char *status) {
    if (watch.failed) return;
    const std::string name = pictureName(watch.step, watch.waits->size() + 1);
    if (!SaveImageAsPNG((watch.dir + "/" + name).c_str())) {
        noteSaveFailure(SaveError());
        watch.failed = true;
        return;
    }
    watch.waits->push_back({.picture = name, .status = status});
}

// Up to `shown_screens` of a step's screens, spread evenly, the last always among them.
std::vector<Screen> shownScreens(const std::vector<Screen> &screens) {
    const size_t n = screens.size();
    if (n <= shown_screens) return screens;
    std::vector<Screen> shown;
    for (size_t k = 0; k < shown_screens; k++) shown.push_back(screens[(k * (n - 1) + (shown_screens - 1) / 2) / (shown_screens - 1)]);
    return shown;
}

// An earlier, longer handout in the same folder may have had more pictures:
// those of its names that this one did not write go, and nothing else.
void removeStalePictures(const std::string &dir, const std::set<std::string> &written) {
    static const std::regex picture_name("step-[0-9]+(-[0-9]+)?\\.png");
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(dir, error)) {
        const std::string name = entry.path().filename().string();
        if (!written.count(name) && std::regex_match(name, picture_name) && entry.is_regular_file(error))
            std::filesystem::remove(entry.path(), error);
    }
}

std::string base64(const std::string &bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = std::min<size_t>(3, bytes.size() - i);
        uint32_t v = 0;
        for (size_t k = 0; k < 3; k++) v = v << 8 | (k < n ? (unsigned char)bytes[i + k] : 0);
        for (size_t k = 0; k < 4; k++) out += k <= n ? digits[v >> (18 - 6 * k) & 63] : '=';
    }
    return out;
}

// The picture as an address the page can hold: a data: URL of the file in `dir`.
std::string embedded(const std::string &dir, const std::string &name) {
    std::ifstream in(dir + "/" + name, std::ios::binary);
    return "data:image/png;base64," + base64(std::string(std::istreambuf_iterator<char>(in), {}));
}

const char *const page_style =
    "body{font-family:Georgia,serif;max-width:56em;margin:2em auto;padding:0 1em;color:#222;line-height:1.45}"
    "h1,h2{font-family:sans-serif}h2{font-size:1.2em;margin:0 0 .6em}"
    "section{border-top:1px solid #ccc;padding:1.2em 0;break-inside:avoid}"
    "img{image-rendering:pixelated;height:auto}"
    ".screens{display:flex;flex-wrap:wrap;gap:.8em;margin-bottom:.8em}"
    "figure{margin:0;width:10em;font:.75em/1.25 sans-serif;color:#555}figure img{width:100%;display:block}"
    ".step{display:flex;gap:1.5em;align-items:flex-start}.picture{width:400px;max-width:100%;flex:none}"
    ".question .answer{height:2.5em;border-bottom:1px dotted #999}"
    ".commands{font:.8em sans-serif;color:#666}"
    "footer{border-top:1px solid #ccc;margin-top:2em;padding-top:.5em;font:.8em sans-serif;color:#666}"
    "@media screen and (max-width:50em){.step{display:block}}"
    "@page{margin:12mm 14mm}"
    "@media print{body{max-width:none;margin:0;padding:0;font-size:10.5pt;line-height:1.35}"
    "h1{font-size:16pt;margin:0 0 3mm}h2{font-size:12pt;margin-bottom:2mm}section{padding:3mm 0}"
    ".screens{gap:3mm;margin-bottom:3mm}figure{width:27mm;font-size:7pt}.picture{width:70mm}"
    ".question .answer{height:12mm}}";

// The date the handout is written, as 2026-12-07.
std::string today(void) {
    const std::time_t now = std::time(nullptr);
    char date[16];
    std::strftime(date, sizeof date, "%Y-%m-%d", std::localtime(&now));
    return date;
}

// The page, each picture's address given by `source` from its file's name.
template <class Source>
std::string handoutPage(const Lesson &lesson, const std::vector<std::vector<Screen>> &screens, Source source) {
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
                       escaped(lesson.title) + "</title>\n<style>" + page_style + "</style>\n</head>\n<body>\n<h1>" +
                       escaped(lesson.title) + "</h1>\n";
    for (const std::string &paragraph : lesson.introduction.handout) page += "<p>" + escaped(paragraph) + "</p>\n";
    for (size_t k = 1; k <= lesson.steps.size(); k++) {
        const LessonStep &step = lesson.steps[k - 1];
        const std::string number = std::to_string(k);
        page += "<section id=\"step-" + number + "\">\n<h2>" + number + ". " + escaped(step.title) + "</h2>\n";
        const std::vector<Screen> shown = shownScreens(screens[k - 1]);
        if (shown.size() > 1) {
            page += "<div class=\"screens\">\n";
            for (size_t i = 0; i + 1 < shown.size(); i++)
                page += "<figure><img src=\"" + source(shown[i].picture) + "\" width=\"400\" height=\"400\" alt=\"\">" +
                        "<figcaption>" + escaped(shown[i].status) + "</figcaption></figure>\n";
            page += "</div>\n";
        }
        page += "<div class=\"step\">\n<img class=\"picture\" src=\"" + source(shown.back().picture) +
                "\" width=\"400\" height=\"400\" alt=\"" + escaped(step.title) + "\">\n<div>\n";
        for (const std::string &paragraph : step.caption.handout) page += "<p>" + escaped(paragraph) + "</p>\n";
        for (size_t q = 1; q <= step.questions.size(); q++)
            page += "<div class=\"question\"><p><b>" + number + "." + std::to_string(q) + "</b> " +
                    escaped(step.questions[q - 1]) + "</p><div class=\"answer\"></div></div>\n";
        std::string pressed;
        for (const BatchStep &command : step.steps) pressed += (pressed.empty() ? "" : ", then ") + commandAsPressed(command);
        if (!pressed.empty()) page += "<p class=\"commands\">In the program: " + escaped(pressed) + "</p>\n";
        page += "</div>\n</div>\n</section>\n";
    }
    page += "<footer>" + escaped(lesson.title) + " &middot; radon " RADON_VERSION " &middot; written " + today() +
            "</footer>\n";
    return page + "</body>\n</html>\n";
}

// Run the lesson from the start and save every screen of every step into
// `dir`; false when a picture cannot be saved (the reason on stderr).
bool saveScreens(const Lesson &lesson, const std::string &dir, std::vector<std::vector<Screen>> *screens) {
    std::set<std::string> written;
    startAfresh();
    watch = WaitWatch{.dir = dir};
    batch_wait_observer = keepWaitScreen;
    for (size_t k = 1; k <= lesson.steps.size() && !watch.failed; k++) {
        screens->emplace_back();
        watch.step = k;
        watch.waits = &screens->back();
        runCommands(lesson.steps[k - 1]);
        screens->back().push_back({.picture = pictureName(k), .status = ""});
        if (!watch.failed && !SaveImageAsPNG((dir + "/" + pictureName(k)).c_str())) {
            noteSaveFailure(SaveError());
            watch.failed = true;
        }
        for (const Screen &screen : screens->back()) written.insert(screen.picture);
    }
    batch_wait_observer = nullptr;
    if (!watch.failed) removeStalePictures(dir, written);
    return !watch.failed;
}

} // namespace

int writeHandout(const Lesson &lesson, const std::string &target) {
    const bool one_file = endsWith(target, ".html");
    std::string dir = target;
    std::error_code error;
    if (one_file) {
        // The pictures go through a folder of their own, then into the page.
        std::string scratch = (std::filesystem::temp_directory_path(error) / "radon-handout-XXXXXX").string();
        if (error || !mkdtemp(scratch.data())) {
            std::fprintf(stderr, "can't create a folder for the pictures: %s\n", std::strerror(errno));
            return 1;
        }
        dir = scratch;
    } else {
        std::filesystem::create_directories(dir, error);
        if (error) {
            std::fprintf(stderr, "can't create %s: %s\n", dir.c_str(), error.message().c_str());
            return 1;
        }
    }
    const int failures_before = failed_saves;
    std::vector<std::vector<Screen>> screens;
    bool ok = saveScreens(lesson, dir, &screens);
    const std::string page = !ok          ? ""
                             : one_file ? handoutPage(lesson, screens, [&](const std::string &name) { return embedded(dir, name); })
                                        : handoutPage(lesson, screens, [](const std::string &name) { return name; });
    if (one_file) std::filesystem::remove_all(dir, error);
    const std::string index = one_file ? target : dir + "/index.html";
    if (!ok || !writeDataFile(index.c_str(), page)) return 1;
    printLine(("Saved " + index).c_str());
    // A save the lesson's own commands asked for may have failed, as in --batch.
    return failed_saves > failures_before ? 1 : 0;
}
