// The command table and the menu tree and dispatcher made from it.
#include "app/commands.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/app.h"
#include "demos/demos.h"
#include "lab/lab.h"
#include "lessons/lessons.h"

// ---------------------------------------------------------------- what the commands do

static void selectGrid(int N_w, int N_p) {
    static char str[100];
    Nw = N_w;
    Np = N_p;
    initRadon(Nw, Np);
    std::snprintf(str, sizeof str, "Nw=%3d,Np=%3d", Nw, Np);
    Pause(str, 0);
}

void selectObject(Object object) {
    head = object;
    have_rdn = 0;
    have_fbp = 0;
    drawHead();
}

static void saveImage(void) {
    static char fname[100];
    std::snprintf(fname, sizeof fname, "%dx%d.bmp", Nw, Np);
    if (SaveImageAs(fname)) noteSaveSuccess(fname);
    else noteSaveFailure(SaveError());
}

static void quit(void) {
    CloseCanvas();
    std::exit(exitStatus());
}

static void toggleFft(void) {
    use_fft = use_fft ? 0 : 1;
    have_fbp = 0;
}

// The entry of `choices` with menu id `id` made current by `choose`.
template <class Choice, class Chooser>
static bool chooseIn(std::span<const Choice> choices, int id, Chooser choose) {
    const Choice *choice = findChoice(choices, id);
    if (choice) choose(choice);
    return choice != nullptr;
}

// ---------------------------------------------------------------- the lists' submenus

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
static std::vector<MenuItem> scanners = menuItems(scanner_choices);
Menu scannermenu = {scanners.data(), nullptr, 0, 0};
static std::vector<MenuItem> imagings = menuItems(imaging_choices);
static Menu imagingmenu = {imagings.data(), nullptr, 0, 0};
static std::vector<MenuItem> subsets = menuItems(subsets_choices);
static Menu subsetsmenu = {subsets.data(), nullptr, 0, 0};

void refreshObjectMenu(void) {
    objs = menuItems(object_choices);
    chobj.item = objs.data();
    ReloadMenu();
}

// ---------------------------------------------------------------- the table

// In menu order within each menu. The help screen lists the keys in this
// order, the Lab's after the others.
static const Command command_table[] = {
    {.place = MenuPlace::Top, .key = 'h', .id = 'h', .label = "Draw Original", .help = "draw the test object",
     .run = drawHead},
    {.place = MenuPlace::Top, .key = 'r', .id = 'r', .label = "Calc Radon", .help = "scan: the sinogram",
     .run = getRadon},
    {.place = MenuPlace::Top, .key = 'R', .id = 'R', .label = "Reconstruction by FBP",
     .help = "filtered back-projection", .run = reconstruct},
    {.place = MenuPlace::Top, .label = "Demos", .submenu = &demomenu},
    {.place = MenuPlace::Demos, .key = 'i', .id = 'i', .label = "Line integral", .help = "demo: line integrals",
     .run = [] {
         useParallelBeam();
         showIntegral();
     }},
    {.place = MenuPlace::Demos, .key = 'c', .id = 'c', .label = "Convolution", .help = "demo: convolution",
     .run = [] {
         useParallelBeam();
         convolution(0.5, 0.5);
     }},
    {.place = MenuPlace::Demos, .key = 'a', .id = 'a', .label = "FBP accumulation", .help = "demo: FBP accumulation",
     .run = [] { accumulation(fbp, 0.3, 1.0); }},
    {.place = MenuPlace::Demos, .key = 'o', .id = 'o', .label = "Old tomography", .help = "demo: old tomography",
     .run = [] { accumulation(rdn, 0.1, 0.1); }},
    {.place = MenuPlace::Demos, .key = 'z', .id = 'z', .label = "Fourier slice", .help = "demo: Fourier slice",
     .run = [] {
         useParallelBeam();
         fourierSlice();
     }},
    {.place = MenuPlace::Demos, .key = 'A', .id = 'A', .label = "ART, ray by ray", .help = "demo: ART, ray by ray",
     .run = [] {
         useParallelBeam();
         artDemo();
     }},
    {.place = MenuPlace::Demos, .key = 'j', .id = 'j', .label = "Fan to parallel", .help = "demo: fan to parallel",
     .run = fanToParallel},
    {.place = MenuPlace::Top, .label = "Change Parameter", .submenu = &chpara,
     .choose = [](int id) {
         return chooseIn(grid_choices, id, [](const GridChoice *grid) { selectGrid(grid->N_w, grid->N_p); });
     }},
    {.place = MenuPlace::Top, .label = "Change Object", .submenu = &chobj,
     .choose = [](int id) {
         return chooseIn(object_choices, id, [](const ObjectChoice *object) { selectObject(object->function); });
     }},
    {.place = MenuPlace::Top, .key = 'f', .id = 'f', .label = "Draw Filter", .help = "draw the filter",
     .run = drawFilter},
    {.place = MenuPlace::Top, .key = 'F', .id = 'F', .label = "Use FFT (toggle)", .help = "FFT on or off",
     .run = toggleFft},
    {.place = MenuPlace::Top, .key = 's', .id = 's', .label = "Save Image as '(Nw)x(Np).bmp'",
     .help = "save as (Nw)x(Np).bmp", .run = saveImage},
    {.place = MenuPlace::Top, .label = "Lab", .submenu = &labmenu},
    {.place = MenuPlace::Lab, .key = 'S', .id = 'S', .label = "Sinogram", .help = "sinogram and filtered",
     .run = showSinograms},
    {.place = MenuPlace::Lab, .key = 'k', .label = "Filter", .help = "next filter",
     .run = [] { chooseFilter(nextChoice(filter_choices, current_filter)); }, .submenu = &filtermenu,
     .choose = [](int id) { return chooseIn(filter_choices, id, chooseFilter); }},
    {.place = MenuPlace::Lab, .key = 'n', .label = "Noise", .help = "next noise (photons)",
     .run = [] { chooseNoise(nextChoice(noise_choices, current_noise)); }, .submenu = &noisemenu,
     .choose = [](int id) { return chooseIn(noise_choices, id, chooseNoise); }},
    {.place = MenuPlace::Lab, .key = 'v', .label = "Views", .help = "next views",
     .run = [] { chooseViews(nextChoice(views_choices, current_views)); }, .submenu = &viewsmenu,
     .choose = [](int id) { return chooseIn(views_choices, id, chooseViews); }},
    {.place = MenuPlace::Lab, .key = 'g', .label = "Detector", .help = "next detector",
     .run = [] { chooseDetector(nextChoice(detector_choices, current_detector)); }, .submenu = &detectormenu,
     .choose = [](int id) { return chooseIn(detector_choices, id, chooseDetector); }},
    {.place = MenuPlace::Lab, .key = 'b', .label = "Beam", .help = "beam: mono or poly",
     .run = [] { chooseBeam(nextChoice(beam_choices, current_beam)); }, .submenu = &beammenu,
     .choose = [](int id) { return chooseIn(beam_choices, id, chooseBeam); }},
    {.place = MenuPlace::Lab, .key = 'p', .label = "Scanner", .help = "next scanner",
     .run = [] { chooseScanner(nextChoice(scanner_choices, current_scanner)); }, .submenu = &scannermenu,
     .choose = [](int id) { return chooseIn(scanner_choices, id, chooseScanner); }},
    {.place = MenuPlace::Lab, .key = 'u', .label = "Imaging", .help = "X-ray or emission",
     .run = [] { chooseImaging(nextChoice(imaging_choices, current_imaging)); }, .submenu = &imagingmenu,
     .choose = [](int id) { return chooseIn(imaging_choices, id, chooseImaging); }},
    {.place = MenuPlace::Lab, .key = 'm', .id = 'm', .label = "Metal insert (toggle)",
     .help = "metal pins on or off", .run = toggleMetal},
    {.place = MenuPlace::Lab, .key = 'I', .id = 'I', .label = "SART iteration", .help = "SART: one iteration",
     .run = sartIteration},
    {.place = MenuPlace::Lab, .key = 'L', .id = 'L', .label = "MLEM iteration", .help = "MLEM: one iteration",
     .run = emissionIteration},
    {.place = MenuPlace::Lab, .key = 'U', .label = "Subsets", .help = "OSEM: next subsets",
     .run = [] { chooseSubsets(nextChoice(subsets_choices, current_subsets)); }, .submenu = &subsetsmenu,
     .choose = [](int id) { return chooseIn(subsets_choices, id, chooseSubsets); }},
    {.place = MenuPlace::Lab, .key = 'E', .id = 'E', .label = "Convergence plot", .help = "convergence plot",
     .run = convergencePlot},
    {.place = MenuPlace::Lab, .key = 'e', .id = 'e', .label = "Error picture", .help = "error picture",
     .run = errorPicture},
    {.place = MenuPlace::Lab, .key = 'l', .id = 'l', .label = "Profile", .help = "profile; Up, Down move",
     .run = showProfile},
    {.place = MenuPlace::Lab, .key = 'M', .id = 'M', .label = "Resolution and noise",
     .help = "MTF and noise, 5 filters", .run = resolutionAndNoise},
    {.place = MenuPlace::Lab, .key = 'd', .id = 'd', .label = "Save data", .help = "save (Nw)x(Np)-*.csv",
     .run = saveData},
    {.place = MenuPlace::Lab, .key = '?', .id = '?', .label = "Help", .help = "this help", .run = showHelp},
    {.place = MenuPlace::Lab, .id = 3600, .label = "The CT course", .run = [] { playLesson(ctCourse()); }},
    {.place = MenuPlace::Top, .key = 'q', .id = 'q', .label = "Quit", .help = "quit", .run = quit},
};
const std::span<const Command> commands = command_table;

// ---------------------------------------------------------------- the menu tree

// The entries of one menu, in the table's order, ended by a null label.
static std::vector<MenuItem> entriesOf(MenuPlace place) {
    std::vector<MenuItem> items;
    for (const Command &command : commands)
        if (command.place == place) items.push_back({command.label, command.id, command.submenu, 0});
    items.push_back({nullptr, 0, nullptr, 0});
    return items;
}

static std::vector<MenuItem> demo_entries = entriesOf(MenuPlace::Demos);
static std::vector<MenuItem> lab_entries = entriesOf(MenuPlace::Lab);
static std::vector<MenuItem> top_entries = entriesOf(MenuPlace::Top);
Menu demomenu = {demo_entries.data(), nullptr, 0, 0};
Menu labmenu = {lab_entries.data(), nullptr, 0, 0};
Menu topmenu = {top_entries.data(), nullptr, 0, 0};

// The labels on the way to the plain entry `id` in `menu`, "Lab > Filter >
// Hann"; "" where it has none.
static std::string entryPath(const Menu *menu, int id) {
    for (const MenuItem *item = menu->item; item->label; item++) {
        if (!item->submenu && item->id == id) return item->label;
        const std::string rest = item->submenu ? entryPath(item->submenu, id) : "";
        if (!rest.empty()) return std::string(item->label) + " > " + rest;
    }
    return "";
}

bool isMenuEntry(int id) { return id != 0 && !entryPath(&topmenu, id).empty(); }

std::string commandAsPressed(const BatchStep &step) {
    if (step.menu) return entryPath(&topmenu, step.code);
    const std::string key(1, (char)step.code);
    const Command *command = commandForKey(step.code);
    if (!command) return key;
    // A list's key steps through it: its help says so, its label names the list.
    return key + ": " + (command->submenu ? command->help : command->label);
}

// ---------------------------------------------------------------- dispatcher

const Command *commandForKey(int key) {
    for (const Command &command : commands)
        if (command.key && command.key == key) return &command;
    return nullptr;
}

void actionfunc(int c) {
    show_integral = 0;
    // While the profile is on screen Up and Down move it; any other key ends it.
    if (profileKey(c)) return;
    for (const Command &command : commands) {
        if ((command.key && command.key == c) || (command.id && command.id == c)) {
            command.run();
            return;
        }
    }
    for (const Command &command : commands)
        if (command.choose && command.choose(c)) return;
}
