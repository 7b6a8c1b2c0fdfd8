// The application shell: the menu tables, the command dispatcher, the
// status line and the command loop.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "scan/image_object.h"
#include "app/app.h"
#include "demos/demos.h"
#include "lab/lab.h"

int batch_mode = 0;
int failed_saves = 0;

// ---------------------------------------------------------------- menu tables

static MenuItem demos[] = {
    {"Line integral", 105, nullptr, 0},
    {"Convolution", 99, nullptr, 0},
    {"FBP accumulation", 97, nullptr, 0},
    {"Old tomography", 111, nullptr, 0},
    {"Fourier slice", 122, nullptr, 0},
    {"ART, ray by ray", 65, nullptr, 0},
    {nullptr, 0, nullptr, 0},
};
Menu demomenu = {demos, nullptr, 0, 0};

// A submenu's entries, one per entry of a list, ended by a null label.
template <class Choice>
static std::vector<MenuItem> menuItems(std::span<const Choice> choices) {
    std::vector<MenuItem> items;
    for (const Choice &choice : choices) items.push_back({choice.label, choice.id, nullptr, 0});
    items.push_back({nullptr, 0, nullptr, 0});
    return items;
}

static std::vector<MenuItem> params = menuItems(grid_choices);
Menu chpara = {params.data(), nullptr, 0, 0};

static std::vector<MenuItem> objs = menuItems(object_choices);
Menu chobj = {objs.data(), nullptr, 0, 0};

static std::vector<MenuItem> filters = menuItems(filter_choices);
Menu filtermenu = {filters.data(), nullptr, 0, 0};

static std::vector<MenuItem> noises = menuItems(noise_choices);
Menu noisemenu = {noises.data(), nullptr, 0, 0};

static std::vector<MenuItem> views = menuItems(views_choices);
Menu viewsmenu = {views.data(), nullptr, 0, 0};

static std::vector<MenuItem> detectors = menuItems(detector_choices);
Menu detectormenu = {detectors.data(), nullptr, 0, 0};

static std::vector<MenuItem> beams = menuItems(beam_choices);
Menu beammenu = {beams.data(), nullptr, 0, 0};

static MenuItem lab[] = {
    {"Sinogram", 83, nullptr, 0},
    {"Filter", 0, &filtermenu, 0},
    {"Noise", 0, &noisemenu, 0},
    {"Views", 0, &viewsmenu, 0},
    {"Detector", 0, &detectormenu, 0},
    {"Beam", 0, &beammenu, 0},
    {"Metal insert (toggle)", 109, nullptr, 0},
    {"SART iteration", 73, nullptr, 0},
    {"Convergence plot", 69, nullptr, 0},
    {"Error picture", 101, nullptr, 0},
    {"Save data", 100, nullptr, 0},
    {"Help", 63, nullptr, 0},
    {nullptr, 0, nullptr, 0},
};
Menu labmenu = {lab, nullptr, 0, 0};

bool loadObjectFile(const char *path, std::string *error) {
    if (!loadImageObject(path, error)) return false;
    // A new picture is a new object: what was measured of the last one is gone.
    if (head == imageObject) have_rdn = have_fbp = 0;
    // The list may have grown by the picture's entry.
    objs = menuItems(object_choices);
    chobj.item = objs.data();
    ReloadMenu();
    return true;
}

static MenuItem topitems[] = {
    {"Draw Original", 104, nullptr, 0},
    {"Calc Radon", 114, nullptr, 0},
    {"Reconstruction by FBP", 82, nullptr, 0},
    {"Demos", 0, &demomenu, 0},
    {"Change Parameter", 0, &chpara, 0},
    {"Change Object", 0, &chobj, 0},
    {"Draw Filter", 102, nullptr, 0},
    {"Use FFT (toggle)", 70, nullptr, 0},
    {"Save Image as '(Nw)x(Np).bmp'", 115, nullptr, 0},
    {"Lab", 0, &labmenu, 0},
    {"Quit", 113, nullptr, 0},
    {nullptr, 0, nullptr, 0},
};
Menu topmenu = {topitems, nullptr, 0, 0};

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
        printLine(str);
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
    if (!batch_mode) return;
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

int exitStatus(void) { return batch_mode && failed_saves ? 1 : 0; }

// ---------------------------------------------------------------- dispatcher

static void selectGrid(int N_w, int N_p) {
    static char str[100];
    Nw = N_w;
    Np = N_p;
    initRadon(Nw, Np);
    std::snprintf(str, sizeof str, "Nw=%3d,Np=%3d", Nw, Np);
    Pause(str, 0);
}

static void selectObject(Object object) {
    head = object;
    have_rdn = 0;
    have_fbp = 0;
    drawHead();
}

void actionfunc(int c) {
    static char fname[100];
    show_integral = 0;
    switch (c) {
    case 'h': drawHead(); break;
    case 'r': getRadon(); break;
    case 'R': reconstruct(); break;
    case 'i': showIntegral(); break;
    case 'c': convolution(0.5, 0.5); break;
    case 'a': accumulation(fbp, 0.3, 1.0); break;
    case 'o': accumulation(rdn, 0.1, 0.1); break;
    case 'z': fourierSlice(); break;
    case 'A': artDemo(); break;
    case 'f': drawFilter(); break;
    case 'F':
        use_fft = use_fft ? 0 : 1;
        have_fbp = 0;
        break;
    case 's':
        std::snprintf(fname, sizeof fname, "%dx%d.bmp", Nw, Np);
        if (SaveImageAs(fname)) noteSaveSuccess(fname);
        else noteSaveFailure(SaveError());
        break;
    case 'q':
        CloseCanvas();
        std::exit(exitStatus());
    case 'S': showSinograms(); break;
    case 'k': chooseFilter(nextChoice(filter_choices, current_filter)); break;
    case 'n': chooseNoise(nextChoice(noise_choices, current_noise)); break;
    case 'v': chooseViews(nextChoice(views_choices, current_views)); break;
    case 'g': chooseDetector(nextChoice(detector_choices, current_detector)); break;
    case 'b': chooseBeam(nextChoice(beam_choices, current_beam)); break;
    case 'm': toggleMetal(); break;
    case 'e': errorPicture(); break;
    case 'I': sartIteration(); break;
    case 'E': convergencePlot(); break;
    case 'd': saveData(); break;
    case '?': showHelp(); break;
    default:
        if (const GridChoice *grid = findChoice(grid_choices, c)) selectGrid(grid->N_w, grid->N_p);
        else if (const ObjectChoice *object = findChoice(object_choices, c)) selectObject(object->function);
        else if (const FilterChoice *filter = findChoice(filter_choices, c)) chooseFilter(filter);
        else if (const NoiseChoice *noise = findChoice(noise_choices, c)) chooseNoise(noise);
        else if (const ViewsChoice *views = findChoice(views_choices, c)) chooseViews(views);
        else if (const DetectorChoice *detector = findChoice(detector_choices, c)) chooseDetector(detector);
        else if (const BeamChoice *beam = findChoice(beam_choices, c)) chooseBeam(beam);
        break;
    }
}

// ---------------------------------------------------------------- command loop

void mouse(int, int state, double, double) {
    if (state == 0) PopupMenu(&topmenu, actionfunc);
}

// A file dropped on the window becomes the current object, or the status
// line says why it cannot and the object stays.
void dropped(const char *path) {
    const char *slash = std::strrchr(path, '/');
    std::string name = slash && slash[1] ? slash + 1 : path;
    std::string error, message;
    if (loadObjectFile(path, &error)) {
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
