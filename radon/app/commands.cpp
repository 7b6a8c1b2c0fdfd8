// The command table and the menu tree and dispatcher made from it.
#include "app/commands.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/app.h"
#include "demos/demos.h"
#include "lab/lab.h"
#include "lessons/lessons.h"
#include "scan/own_scan.h"

// ---------------------------------------------------------------- what the commands do

// The grid a measured scan's replaced, for when another object or grid is chosen.
static GridChoice grid_before_scan = {.label = "", .id = 0, .N_w = 60, .N_p = 128};

void selectOwnScan(void) {
    if (!measuredScan()) grid_before_scan = {.label = "", .id = 0, .N_w = Nw, .N_p = Np};
    // Its views are parallel projections, measured as they are: line
    // integrals, with no simulated photon counting on top.
    current_scanner = &scanner_choices[0];
    current_imaging = &imaging_choices[0];
    head = ownScanObject;
    initRadon(ownScanGrid()->N_w, ownScanGrid()->N_p);
    measureSinogram(scan_count++);
    drawSinogramTable(rdn, Nw + 1, false);
    Pause(ownScanStatus().c_str(), 0);
}

// A measured scan's grid and object give way to the grid it replaced and the object chosen.
static void leaveOwnScan(void) {
    if (!measuredScan()) return;
    head = start_object;
    initRadon(grid_before_scan.N_w, grid_before_scan.N_p);
}

static void selectGrid(int N_w, int N_p) {
    static char str[100];
    Nw = N_w;
    Np = N_p;
    initRadon(Nw, Np);
    std::snprintf(str, sizeof str, "Nw=%3d,Np=%3d", Nw, Np);
    Pause(str, 0);
}

void selectObject(Object object) {
    if (object == ownScanObject) return selectOwnScan();
    leaveOwnScan();
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

void refreshListMenus(void) {
    objs = menuItems(object_choices);
    chobj.item = objs.data();
    params = menuItems(grid_choices);
    chpara.item = params.data();
    ReloadMenu();
}

// ---------------------------------------------------------------- the table

// Why a command does not apply to a measured scan.
static const char *const needs_object = "it needs the true object";
static const char *const simulated_fault = "it simulates a scanner's fault";

// In menu order within each menu. The help screen lists the keys in this
// order, the Lab's after the others.
static const Command command_table[] = {
    {.place = MenuPlace::Top, .key = 'h', .id = 'h', .label = "Draw Original", .help = "draw the test object",
     .run = drawHead, .not_measured = needs_object},
    {.place = MenuPlace::Top, .key = 'r', .id = 'r', .label = "Calc Radon", .help = "scan: the sinogram",
     .run = getRadon},
    {.place = MenuPlace::Top, .key = 'R', .id = 'R', .label = "Reconstruction by FBP",
     .help = "filtered back-projection", .run = reconstruct},
    {.place = MenuPlace::Top, .label = "Demos", .submenu = &demomenu},
    {.place = MenuPlace::Demos, .key = 'i', .id = 'i', .label = "Line integral", .help = "demo: line integrals",
     .run = [] {
         useParallelBeam();
         showIntegral();
     }, .not_measured = needs_object},
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
         return chooseIn(grid_choices, id, [](const GridChoice *grid) {
             if (grid->id == ownScanGrid()->id) return selectOwnScan();
             leaveOwnScan();
             selectGrid(grid->N_w, grid->N_p);
         });
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
     .choose = [](int id) { return chooseIn(noise_choices, id, chooseNoise); }, .not_measured = simulated_fault},
    {.place = MenuPlace::Lab, .key = 'v', .label = "Views", .help = "next views",
     .run = [] { chooseViews(nextChoice(views_choices, current_views)); }, .submenu = &viewsmenu,
     .choose = [](int id) { return chooseIn(views_choices, id, chooseViews); }},
    {.place = MenuPlace::Lab, .key = 'g', .label = "Detector", .help = "next detector",
     .run = [] { chooseDetector(nextChoice(detector_choices, current_detector)); }, .submenu = &detectormenu,
     .choose = [](int id) { return chooseIn(detector_choices, id, chooseDetector); }, .not_measured = simulated_fault},
    {.place = MenuPlace::Lab, .key = 'b', .label = "Beam", .help = "beam: mono or poly",
     .run = [] { chooseBeam(nextChoice(beam_choices, current_beam)); }, .submenu = &beammenu,
     .choose = [](int id) { return chooseIn(beam_choices, id, chooseBeam); }, .not_measured = simulated_fault},
    {.place = MenuPlace::Lab, .key = 'p', .label = "Scanner", .help = "next scanner",
     .run = [] { chooseScanner(nextChoice(scanner_choices, current_scanner)); }, .submenu = &scannermenu,
     .choose = [](int id) { return chooseIn(scanner_choices, id, chooseScanner); }, .not_measured = simulated_fault},
    {.place = MenuPlace::Lab, .label = "Centre of rotation", .submenu = &centremenu},
    {.place = MenuPlace::Centre, .key = 'C', .id = 3800, .label = "Find centre", .run = findCentre},
    {.place = MenuPlace::Centre, .key = '<', .id = 3801, .label = "Centre - 1/2 column", .run = [] { moveCentre(-0.5); }},
    {.place = MenuPlace::Centre, .key = '>', .id = 3802, .label = "Centre + 1/2 column", .run = [] { moveCentre(0.5); }},
    {.place = MenuPlace::Centre, .id = 3803, .label = "Centre as the file says", .run = centreAsFileSays},
    {.place = MenuPlace::Lab, .key = 'u', .label = "Imaging", .help = "X-ray or emission",
     .run = [] { chooseImaging(nextChoice(imaging_choices, current_imaging)); }, .submenu = &imagingmenu,
     .choose = [](int id) { return chooseIn(imaging_choices, id, chooseImaging); }, .not_measured = simulated_fault},
    {.place = MenuPlace::Lab, .key = 'm', .id = 'm', .label = "Metal insert (toggle)",
     .help = "metal pins on or off", .run = toggleMetal, .not_measured = simulated_fault},
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
     .run = errorPicture, .not_measured = needs_object},
    {.place = MenuPlace::Lab, .key = 'l', .id = 'l', .label = "Profile", .help = "profile; Up, Down move",
     .run = showProfile},
    {.place = MenuPlace::Lab, .key = 'M', .id = 'M', .label = "Resolution and noise",
     .help = "MTF and noise, 5 filters", .run = resolutionAndNoise, .not_measured = needs_object},
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
static std::vector<MenuItem> centre_entries = entriesOf(MenuPlace::Centre);
static std::vector<MenuItem> lab_entries = entriesOf(MenuPlace::Lab);
static std::vector<MenuItem> top_entries = entriesOf(MenuPlace::Top);
Menu demomenu = {demo_entries.data(), nullptr, 0, 0};
Menu centremenu = {centre_entries.data(), nullptr, 0, 0};
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

// Whether `id` is an entry of `menu` itself.
static bool inMenu(const Menu *menu, int id) {
    for (const MenuItem *item = menu->item; item->label; item++)
        if (item->id == id) return true;
    return false;
}

// With a measured scan, a command that needs the true object or simulates a
// fault says why it does not apply, and changes nothing.
static bool refusedForMeasuredScan(const Command &command) {
    if (!command.not_measured || !measuredScan()) return false;
    const std::string text = std::string(command.label) + ": not for a measured scan (" + command.not_measured + ")";
    Pause(text.c_str(), 0);
    return true;
}

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
            if (refusedForMeasuredScan(command)) return;
            command.run();
            return;
        }
    }
    for (const Command &command : commands) {
        if (command.choose && command.not_measured && measuredScan() && inMenu(command.submenu, c))
            return (void)refusedForMeasuredScan(command);
        if (command.choose && command.choose(c)) return;
    }
}
