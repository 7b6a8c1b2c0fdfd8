// Lessons: the file format and its refusals, going back, the handout.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "lessons/lessons.h"
#include "radon_test_canvas.h"

namespace {

TEST(LessonFile, ReadsTitleIntroductionStepsAndParagraphs) {
    const std::string text = "\xEF\xBB\xBF\n# Five steps\r\nAn introduction\non two lines.\n\n<!-- a note\n## not a step -->\n"
                             "## The object\nrun: {1002} h\nThe phantom,\n  and more.\n\nA second paragraph.\n"
                             "## Words only\nNo commands here.\nwindow: Press Return\nfor the next.\nquestion: Why?\n"
                             "handout: On paper\nonly.\n\nBoth.\nquestion:  And how?\n";
    Lesson lesson;
    std::string error;
    ASSERT_TRUE(parseLesson("good.md", text, &lesson, &error)) << error;
    EXPECT_EQ(lesson.title, "Five steps");
    EXPECT_EQ(lesson.introduction.window, std::vector<std::string>{"An introduction on two lines."});
    ASSERT_EQ(lesson.steps.size(), 2u);
    EXPECT_EQ(lesson.steps[0].title, "The object");
    EXPECT_EQ(lesson.steps[0].commands, "{1002} h");
    ASSERT_EQ(lesson.steps[0].steps.size(), 2u);
    EXPECT_TRUE(lesson.steps[0].steps[0].menu);
    EXPECT_EQ(lesson.steps[0].steps[1].code, 'h');
    EXPECT_EQ(lesson.steps[0].caption.window, (std::vector<std::string>{"The phantom, and more.", "A second paragraph."}));
    EXPECT_EQ(lesson.steps[0].caption.handout, lesson.steps[0].caption.window);
    EXPECT_TRUE(lesson.steps[1].steps.empty());
    // A question ends the paragraph before it.
    EXPECT_EQ(lesson.steps[1].caption.window,
              (std::vector<std::string>{"No commands here.", "Press Return for the next.", "Both."}));
    EXPECT_EQ(lesson.steps[1].caption.handout, (std::vector<std::string>{"No commands here.", "On paper only.", "Both."}));
    EXPECT_EQ(lesson.steps[1].questions, (std::vector<std::string>{"Why?", "And how?"}));
}

TEST(LessonFile, RefusesWithTheLineThatIsWrong) {
    std::string many = "# Many\n";
    for (int k = 0; k <= 100; k++) many += "## Step\n";
    const struct {
        std::string text, error;
    } cases[] = {
        {"", "line 1: no title"},
        {"\nJust text\n## Step\n", "line 2: no title"},
        {"# Title\nonly an introduction\n", "line 2: no step"},
        {"# Title\n## Step\nrun: h\nrun: R\n", "line 4: a second run line"},
        {"# Title\n## Step\nrun: h x\n", "line 3: unknown key \"x\""},
        {"# Title\n## Step\nrun: {9999}\n", "line 3: {9999} is not an entry of the menu"},
        {"# Title\n## Step\nrun: {1002\n", "line 3: unclosed brace"},
        {"# Title\n## Step\nrun: h q\n", "line 3: q ends the program; a lesson cannot run it"},
        {"# Title\n## Step\nrun: {113}\n", "line 3: q ends the program; a lesson cannot run it"},
        {"# Title\nrun: h\n## Step\n", "line 2: a run line before the first step"},
        {"# Title\nquestion: Why?\n## Step\n", "line 2: a question before the first step"},
        {"# Title\n## Step\n" + std::string(1001, 'a') + "\n", "line 3: the line is over 1000 bytes"},
        {"# Title\n## Step\ncaf\xe9\n", "line 3: not valid UTF-8"},
        {"# Title\n## Step\n\xed\xa0\x80\n", "line 3: not valid UTF-8"}, // a surrogate
        {many, "line 102: more than 100 steps"},
    };
    for (const auto &c : cases) {
        Lesson lesson;
        std::string error;
        EXPECT_FALSE(parseLesson("bad.md", c.text, &lesson, &error)) << c.error;
        EXPECT_EQ(error.rfind("lesson bad.md, " + c.error, 0), 0u) << error;
    }
}

// What a file must not do: make the program wait (a FIFO), fill the memory
// (a huge file), or lose words without a word (a caption the panel cuts).
TEST(LessonFile, ReadingRefusesWhatIsNoLessonAndWarnsOfACut) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "radon-lesson-read-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string fifo = (dir / "fifo.md").string(), huge = (dir / "huge.md").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(huge) << "# Huge\n## Step\n" << std::string((1 << 20) - 14, 'a'); // one byte over
    const struct {
        std::string path, error;
    } refused[] = {
        {"/nonexistent/x.md", "line 0: can't read it: No such file or directory"},
        {"/", "line 0: not a regular file"},
        {fifo, "line 0: not a regular file"},
        {huge, "line 0: larger than 1 MiB"},
    };
    Lesson lesson;
    std::string error;
    for (const auto &r : refused) {
        EXPECT_FALSE(readLesson(r.path, &lesson, &error)) << r.path;
        EXPECT_EQ(error, "lesson " + r.path + ", " + r.error);
    }

    const std::string cut = (dir / "cut.md").string();
    std::ofstream(cut) << "# Cut\n## Short\nA line.\n## Long\n" << std::string(30, '\n') + std::string(1000, 'x')
                       << "\n\n" << std::string(800, 'y') << "\n";
    testing::internal::CaptureStderr();
    EXPECT_TRUE(readLesson(cut, &lesson, &error)) << error;
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "lesson " + cut + ", line 4: the caption has 37 lines; the window shows 24\n");
    std::filesystem::remove_all(dir);
}

TEST(LessonFile, WindowTextIsLatin1WithQuestionMarks) {
    EXPECT_EQ(latin1("90\xc2\xb0 \xe2\x86\x92 ok"), "90\xb0 ? ok");
    EXPECT_TRUE(isLessonFileName("a/b.md") && isLessonFileName("c.txt"));
    EXPECT_FALSE(isLessonFileName("chest.png") || isLessonFileName(".md"));
}

TEST(LessonFile, TheCTCourseLoads) {
    const Lesson &course = ctCourse();
    EXPECT_EQ(course.title, "The CT course");
    EXPECT_GE(course.steps.size(), 15u);
    EXPECT_LE(course.steps.size(), 35u);
    for (size_t k = 1; k <= course.steps.size(); k++) {
        const LessonStep &step = course.steps[k - 1];
        EXPECT_FALSE(step.caption.window.empty()) << step.title;
        EXPECT_LE(panelLineCount(course, k), panel_lines) << step.title << ": the window would cut the caption";
    }
}

std::vector<uint32_t> backBuffer() {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) pixels.push_back(GetBackPixel(x, y));
    return pixels;
}

void runFromStart(const std::string &commands) {
    std::vector<BatchStep> steps;
    std::string error;
    ASSERT_TRUE(parseCommands(commands, &steps, &error)) << error;
    startAfresh();
    LessonStep step;
    step.steps = steps;
    runCommands(step);
}

// Going back runs the earlier steps again from the start: whatever was done
// in between (noise drawn, iterations, settings), the picture is the first one.
TEST(LessonPlaying, StartingAfreshGivesTheSamePicture) {
    ensureTestCanvas();
    const std::string steps = "{3103} R I I {1001} m b {3502} r R";
    runFromStart(steps);
    const std::vector<uint32_t> first = backBuffer();
    for (const char *between : {"{3004} v g n F I I", "z A E"}) {
        runFromStart(between);
        runFromStart(steps);
        EXPECT_EQ(backBuffer(), first) << between;
    }
    startAfresh();
}

std::string fileText(const std::filesystem::path &path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The folder holds a picture for every wait of a step and one for its end,
// the last being what --batch leaves; the page names them, the commands as
// a student presses them, and the questions; one file needs nothing beside it.
TEST(LessonHandout, EveryScreenOfEveryStepInAFolderOrInOneFile) {
    ensureTestCanvas();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "radon-handout-test";
    std::filesystem::remove_all(dir);
    Lesson lesson;
    std::string error;
    ASSERT_TRUE(parseLesson("t.md",
                            "# A <b>&</b> test\n## One\nrun: {1001} r\nx < y & \"z\"\n## Two\nrun: R f\nDone.\n"
                            "question: Why?\n",
                            &lesson, &error));
    // An earlier, longer handout's pictures go; files not of a handout's names stay.
    std::filesystem::create_directories(dir / "sub");
    for (const char *name : {"step-03.png", "step-01-2.png", "notes.png"}) std::ofstream(dir / "sub" / name) << "old";
    EXPECT_EQ(writeHandout(lesson, (dir / "sub").string()), 0);
    std::set<std::string> files;
    for (const auto &entry : std::filesystem::directory_iterator(dir / "sub")) files.insert(entry.path().filename());
    // "f" waits twice.
    EXPECT_EQ(files, (std::set<std::string>{"index.html", "notes.png", "step-01.png", "step-02-1.png", "step-02-2.png",
                                            "step-02.png"}));
    const std::string page = fileText(dir / "sub" / "index.html");
    for (const char *part : {"<h1>A &lt;b&gt;&amp;&lt;/b&gt; test</h1>", "<p>x &lt; y &amp; &quot;z&quot;</p>",
                             "src=\"step-02-1.png\"", "src=\"step-02-2.png\"", "src=\"step-02.png\"",
                             "In the program: Change Parameter &gt; Nw= 30, Np= 50, then r: Calc Radon</p>",
                             "<b>2.1</b> Why?"})
        EXPECT_NE(page.find(part), std::string::npos) << part;
    EXPECT_EQ(page.find("<script"), std::string::npos);

    runFromStart("{1001} r R f");
    const std::vector<uint32_t> batch = backBuffer();
    std::vector<uint32_t> png;
    ASSERT_TRUE(LoadPicture((dir / "sub" / "step-02.png").c_str(), 400,
                            [&](const uint8_t *rgba, int w, int h) {
                                for (int i = 0; i < w * h; i++)
                                    png.push_back(rgba[4 * i] | rgba[4 * i + 1] << 8 | rgba[4 * i + 2] << 16);
                            },
                            &error))
        << error;
    EXPECT_EQ(png, batch);

    const std::filesystem::path one = dir / "one.html";
    EXPECT_EQ(writeHandout(lesson, one.string()), 0);
    const std::string single = fileText(one);
    size_t pictures = 0;
    for (size_t at = 0; (at = single.find("src=\"", at)) != std::string::npos; at++, pictures++)
        EXPECT_EQ(single.compare(at, 27, "src=\"data:image/png;base64,"), 0);
    EXPECT_EQ(pictures, 4u);
    EXPECT_EQ(single.find("href"), std::string::npos);
    EXPECT_EQ(single.find("url("), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 2); // sub/ and one.html: nothing left over
    std::filesystem::remove_all(dir);
    startAfresh();
}

// A lesson file dropped on the window is read as a lesson, not as a picture:
// a broken one is refused on the status line with its line.
TEST(LessonDrop, ABrokenLessonIsRefusedOnTheStatusLine) {
    ensureTestCanvas();
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "radon-drop-test.txt";
    std::ofstream(file) << "# Broken\n## Step\nrun: R\nrun: h\n";
    testing::internal::CaptureStdout();
    dropped(file.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "lesson " + file.string() + ", line 4: a second run line in this step\n");
    std::filesystem::remove(file);
}

} // namespace
