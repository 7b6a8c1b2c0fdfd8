// A measured scan: intensities made line integrals, the refusals of data
// that cannot be a scan, its reconstruction in 1/unit, and the commands
// that do and do not apply to it.
#include <algorithm>
#include <cmath>

#include "radon_scan_folder.h"
#include "radon_test_canvas.h"
#include "lessons/lessons.h"
#include "scan/own_scan.h"

namespace {

// Scan files made by Debian's NumPy in a folder of the test's own.
struct OwnScanFiles : DefaultSettings, ScanFolder {
    void TearDown() override {
        // Back to the phantom on the default grid, as the next test expects.
        if (measuredScan()) selectObject(head0);
        DefaultSettings::TearDown();
    }
    std::string refusal(const std::string &scan_text) const {
        write("r.scan", scan_text);
        OwnScan scan;
        std::string error;
        EXPECT_FALSE(loadOwnScan(path("r.scan"), &scan, &error)) << scan_text;
        return error;
    }
    // The sinogram of disks (x, y, radius, 1/mm) at angles k 180/views, the
    // detector's columns 0.5 mm apart about the centre column.
    void disks(const std::string &name, int views, int columns, double degrees, const std::string &list) const {
        python("V, C = " + std::to_string(views) + ", " + std::to_string(columns) + "\n" +
               "th = np.arange(V) * np.radians(" + std::to_string(degrees) + ") / V\n"
               "t = (np.arange(C) - (C - 1) / 2) * 0.5\n"
               "p = np.zeros((V, C))\n"
               "for x, y, r, mu in [" + list + "]:\n"
               "    d = t[None, :] - (x * np.cos(th)[:, None] + y * np.sin(th)[:, None])\n"
               "    p += mu * 2 * np.sqrt(np.clip(r * r - d * d, 0, None))\n"
               "np.save('" + name + "', p)\n");
    }
    void open(const std::string &scan_text) {
        write("s.scan", scan_text);
        std::string error;
        ASSERT_TRUE(loadScanFile(path("s.scan").c_str(), &error)) << error;
        testing::internal::CaptureStdout();
        selectOwnScan();
        testing::internal::GetCapturedStdout();
    }
    // The reconstruction by "R" at world point (x, y).
    double reconstructedAt(double x, double y, int command = 'R') {
        testing::internal::CaptureStdout();
        actionfunc(command);
        testing::internal::GetCapturedStdout();
        const int ix = (int)std::lround(x / (2 * xmax) * width + width / 2.0);
        const int iy = (int)std::lround(height / 2.0 - y / (2 * ymax) * height);
        return last_reconstruction.value[(size_t)iy * width + ix];
    }
};

TEST_F(OwnScanFiles, IntensitiesWithFlatAndDarkRows) {
    python("p = np.linspace(0, 3, 40 * 16).reshape(40, 16)\n"
           "flat = 1000 + 10 * np.arange(16.0)\n"
           "dark = 50 + np.arange(16.0)\n"
           "I = (flat - dark) * np.exp(-p) + dark\n"
           "I[3, 4] = dark[4] - 7\n"
           "np.save('i.npy', I); np.save('p.npy', p)\n"
           "np.save('flat.npy', flat[None, :]); np.savetxt('dark.csv', dark[None, :], delimiter=',')\n"
           "np.save('flatT.npy', I.T * 0 + flat[:, None]); np.save('iT.npy', I.T)\n");
    write("i.scan", "data = i.npy\nvalues = intensities\nflat = flat.npy\ndark = dark.csv\n");
    OwnScan scan;
    std::string error;
    ASSERT_TRUE(loadOwnScan(path("i.scan"), &scan, &error)) << error;
    EXPECT_EQ(scan.clipped, 1);
    // The reading below the dark level gets the smallest transmission of the data, exp(-3).
    EXPECT_NEAR(scan.p[3 * 16 + 4], 3, 1e-12);
    EXPECT_NEAR(scan.p[0], 0, 1e-12);
    EXPECT_NEAR(scan.p[39 * 16 + 15], 3, 1e-12);
    EXPECT_NEAR(scan.p[20 * 16 + 7], 3.0 * (20 * 16 + 7) / (40 * 16 - 1), 1e-12);
    // Views as columns, a flat of the data's whole size and a dark number.
    write("t.scan", "data = iT.npy\nviews-are = columns\nvalues = intensities\nflat = flatT.npy\ndark = 50\n");
    OwnScan t;
    ASSERT_TRUE(loadOwnScan(path("t.scan"), &t, &error)) << error;
    ASSERT_EQ(t.views, 40);
    ASSERT_EQ(t.columns, 16);
    EXPECT_NEAR(t.p[0], -std::log((1000 - 50.0) / 950), 1e-12);
    EXPECT_NEAR(t.p[20 * 16], 3.0 * 20 * 16 / (40 * 16 - 1), 1e-12); // column 0: dark 50 exactly
    // Without flat: the largest reading is the open beam.
    write("u.scan", "data = i.npy\nvalues = intensities\n");
    OwnScan u;
    ASSERT_TRUE(loadOwnScan(path("u.scan"), &u, &error)) << error;
    EXPECT_EQ(*std::min_element(u.p.begin(), u.p.end()), 0);
}

TEST_F(OwnScanFiles, RefusesWhatCannotBeAScanAndKeepsTheScanBefore) {
    python("np.save('ok.npy', np.ones((4, 8)))\n"
           "np.save('one.npy', np.ones((1, 8)))\n"
           "np.save('narrow.npy', np.ones((4, 7)))\n"
           "np.save('many.npy', np.ones((3601, 8), 'u1'))\n"
           "a = np.ones((4, 8)); a[2, 5] = np.inf; np.save('inf.npy', a)\n"
           "np.save('cube.npy', np.ones((2, 4, 8)))\n"
           "np.save('flat.npy', np.ones((1, 5)))\n");
    open("data = ok.npy\ntitle = Kept\n");
    const uint64_t scan = currentScan();
    EXPECT_EQ(refusal("data = one.npy\n"), "scan " + path("r.scan") + ", line 1: one.npy holds 1 views x 8 columns: a scan has 2 to 3600 views and 8 columns or more");
    EXPECT_NE(refusal("data = narrow.npy\n").find("4 views x 7 columns"), std::string::npos);
    EXPECT_NE(refusal("\ndata = many.npy\n").find("line 2: many.npy holds 3601 views"), std::string::npos);
    EXPECT_NE(refusal("data = inf.npy\n").find("inf.npy: row 2, column 5 is not a finite number"), std::string::npos);
    EXPECT_NE(refusal("data = cube.npy\n").find("not 2-D"), std::string::npos);
    EXPECT_NE(refusal("data = none.npy\n").find("can't read none.npy: no such file"), std::string::npos);
    EXPECT_NE(refusal("data = ok.npy\nvalues = intensities\nflat = flat.npy\n").find("line 3: flat.npy holds 1 x 5 values"),
              std::string::npos);
    EXPECT_NE(refusal("data = ok.npy\nvalues = intensities\nflat = 1\ndark = 2\n").find("at or below the dark level"),
              std::string::npos);
    write("bad.scan", "data = ok.npy\nviews = 4\n");
    std::string error;
    EXPECT_FALSE(loadScanFile(path("bad.scan").c_str(), &error));
    EXPECT_EQ(ownScan().file.title, "Kept");
    EXPECT_TRUE(measuredScan());
    EXPECT_EQ(currentScan(), scan);
}

TEST_F(OwnScanFiles, WideDetectorsAreBinned) {
    python("np.save('wide.npy', np.tile(np.arange(2050.0), (3, 1)))\n");
    write("w.scan", "data = wide.npy\n");
    OwnScan scan;
    std::string error;
    ASSERT_TRUE(loadOwnScan(path("w.scan"), &scan, &error)) << error;
    EXPECT_EQ(scan.binning, 3);
    EXPECT_EQ(scan.columns, 683);
    EXPECT_EQ(scan.p[0], 1);   // columns 0, 1, 2
    EXPECT_EQ(scan.p[682], 2047);
    EXPECT_NEAR(scan.file_centre, (2049 / 2.0 + 0.5) / 3 - 0.5, 1e-12);
    testing::internal::CaptureStdout();
    write("w.scan", "data = wide.npy\ntitle = Wide\nangle-step = 1\n");
    ASSERT_TRUE(loadScanFile(path("w.scan").c_str(), &error));
    selectOwnScan();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Own scan: Wide, 3 views x 683 columns (binned by 3), limited angle: 3 degrees\n");
}

// A disk of 0.02/mm and radius 40 mm with two small ones inside, over half
// a turn and over a whole one (each line measured twice, weighed by 1/2),
// and the same with its views as columns, turning clockwise from 90 degrees.
TEST_F(OwnScanFiles, ReconstructsInOneOverTheUnit) {
    disks("half.npy", 180, 200, 180, "(0, 0, 40, 0.02), (15, 10, 6, 0.02), (-15, -10, 6, -0.01)");
    disks("turn.npy", 360, 200, 360, "(0, 0, 40, 0.02), (15, 10, 6, 0.02), (-15, -10, 6, -0.01)");
    python("p = np.load('half.npy')\n"
           "np.save('cw.npy', np.vstack([p[0][::-1], p[:0:-1]]).T.copy())\n");
    // One world unit: 200 columns x 0.5 mm / 6.
    const double mm = 6 / 100.0;
    for (const char *scan : {"data = half.npy\npitch = 0.5\n", "data = turn.npy\npitch = 0.5\nangle-step = 1\n",
                             "data = cw.npy\npitch = 0.5\nviews-are = columns\ndirection = clockwise\nfirst-angle = 180\n"}) {
        open(scan);
        EXPECT_EQ(Nw, ownScan().views) << scan;
        EXPECT_EQ(Np, 200) << scan;
        EXPECT_NEAR(reconstructedAt(0, 0), 0.02, 0.0006) << scan;
        EXPECT_NEAR(reconstructedAt(15 * mm, 10 * mm), 0.04, 0.0012) << scan;
        EXPECT_NEAR(reconstructedAt(-15 * mm, -10 * mm), 0.01, 0.0006) << scan;
        EXPECT_NEAR(reconstructedAt(0, 45 * mm), 0, 0.0006) << scan;
        EXPECT_NEAR(display_white, 0.04, 0.002) << scan;
    }
}

TEST_F(OwnScanFiles, CommandsThatNeedTheObjectOrSimulateAFaultRefuse) {
    disks("d.npy", 60, 64, 180, "(0, 0, 12, 0.05)");
    open("data = d.npy\n");
    actionfunc('R');
    const uint64_t scan = currentScan();
    const uint32_t pixel = GetWindowPixel(200, 200);
    ASSERT_NE(pixel, 0u);
    testing::internal::CaptureStdout();
    actionfunc('e');
    actionfunc('n');
    actionfunc(3101); // "Noise > ..." from the menu
    actionfunc('h');
    actionfunc('j');
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error picture: not for a measured scan (it needs the true object)\n"
              "Noise: not for a measured scan (it simulates a scanner's fault)\n"
              "Noise: not for a measured scan (it simulates a scanner's fault)\n"
              "Draw Original: not for a measured scan (it needs the true object)\n"
              "Fan to parallel: the measured rays are parallel already\n");
    EXPECT_EQ(current_noise, &noise_choices[0]);
    EXPECT_EQ(currentScan(), scan);
    EXPECT_EQ(GetWindowPixel(200, 200), pixel);
    // The object and grid chosen from the menus leave it; its entries choose it again.
    testing::internal::CaptureStdout();
    actionfunc(2001);
    EXPECT_FALSE(measuredScan());
    EXPECT_EQ(head, head1);
    EXPECT_EQ(Nw, 60);
    EXPECT_EQ(Np, 128);
    actionfunc(1100);
    EXPECT_TRUE(measuredScan());
    EXPECT_EQ(Np, 64);
    actionfunc(1003);
    EXPECT_EQ(head, start_object);
    EXPECT_EQ(Np, 256);
    actionfunc(2006);
    EXPECT_TRUE(measuredScan());
    testing::internal::GetCapturedStdout();
}

} // namespace

namespace {

// The axis 7.5 columns right of the detector's middle and 12 left, over half
// a turn (the sharpest reconstruction) and a whole one (opposite views).
TEST_F(OwnScanFiles, FindsTheCentreWithinAQuarterColumn) {
    for (const double offset : {7.5, -12.0}) {
        for (const int degrees : {180, 360}) {
            const std::string name = "c" + std::to_string(degrees) + (offset > 0 ? "p" : "m") + ".npy";
            python("V, C = 180, 160\n"
                   "th = np.arange(V) * np.radians(" + std::to_string(degrees) + ") / V\n"
                   "t = (np.arange(C) - (C - 1) / 2 - " + std::to_string(offset) + ")\n"
                   "p = np.zeros((V, C))\n"
                   "for x, y, r, mu in [(0, 0, 50, 0.02), (20, 15, 9, 0.03), (-25, -10, 6, -0.015), (5, -30, 4, 0.05)]:\n"
                   "    d = t[None, :] - (x * np.cos(th)[:, None] + y * np.sin(th)[:, None])\n"
                   "    p += mu * 2 * np.sqrt(np.clip(r * r - d * d, 0, None))\n"
                   "np.save('" + name + "', p)\n");
            open("data = " + name + "\nangle-step = " + std::to_string(degrees / 180.0) + "\n");
            const CentreEstimate found = estimateCentre(ownScan());
            EXPECT_STREQ(found.method, degrees == 360 ? "by opposite views" : "the sharpest");
            EXPECT_NEAR(found.centre, 79.5 + offset, 0.25) << degrees << " degrees, offset " << offset;
            // The commands: found, moved by half a column, and back to the file's.
            testing::internal::CaptureStdout();
            actionfunc('C');
            actionfunc('>');
            actionfunc(3803);
            const std::string out = testing::internal::GetCapturedStdout();
            char expected[200];
            std::snprintf(expected, sizeof expected,
                          "Centre of rotation: column %.2f (file: 79.50), %s\n", found.centre,
                          degrees == 360 ? "by opposite views" : "the sharpest");
            EXPECT_NE(out.find(expected), std::string::npos) << out;
            std::snprintf(expected, sizeof expected, "Centre of rotation: column %.2f (file: 79.50)\n", found.centre + 0.5);
            EXPECT_NE(out.find(expected), std::string::npos) << out;
            EXPECT_NE(out.find("Centre of rotation: column 79.50 (file: 79.50)\n"), std::string::npos) << out;
        }
    }
}

} // namespace

namespace {

// Fan-flat and fan-arc scans of a centred disk (0.02/mm, radius 40 mm) and
// a smaller one off centre, over a full turn and over half a turn plus the
// fan angle: flat inside, each line counted once; and the centre found when
// the axis is 7.5 or -12 columns off the middle.
TEST_F(OwnScanFiles, FansReconstructFlatAndFindTheirCentre) {
    for (const char *geometry : {"fan-flat", "fan-arc"}) {
        for (const double degrees : {360.0, 180.0 + 2 * std::atan(100.0 / 500) * 180 / 3.141592653589793 + 4}) {
            for (const double offset : {0.0, 7.5, -12.0}) {
                const bool flat = geometry[4] == 'f';
                python(std::string("V, C, R, D, pitch = 300, 200, 250.0, 500.0, 1.0\n") +
                       "beta = np.arange(V) * np.radians(" + std::to_string(degrees) + ") / V\n"
                       "s = (np.arange(C) - (C - 1) / 2 - " + std::to_string(offset) + ") * pitch\n" +
                       (flat ? "gamma = np.arctan(s / D)\n" : "gamma = s / D\n") +
                       "theta = beta[:, None] - gamma[None, :]\n"
                       "t = R * np.sin(gamma)[None, :]\n"
                       "p = np.zeros((V, C))\n"
                       "for x, y, r, mu in [(0, 0, 40, 0.02), (15, 10, 8, 0.02)]:\n"
                       "    d = t - (x * np.cos(theta) + y * np.sin(theta))\n"
                       "    p += mu * 2 * np.sqrt(np.clip(r * r - d * d, 0, None))\n"
                       "np.save('fan.npy', p)\n");
                open(std::string("data = fan.npy\ngeometry = ") + geometry +
                     "\nsource-to-axis = 250\nsource-to-detector = 500\nangle-step = " + std::to_string(degrees / 300) +
                     "\n");
                const std::string what = std::string(geometry) + ", " + std::to_string(degrees) + " degrees, offset " +
                                         std::to_string(offset);
                if (offset != 0) {
                    EXPECT_NEAR(estimateCentre(ownScan()).centre, 99.5 + offset, 0.25) << what;
                    continue;
                }
                // One world unit: the field of view at the axis over 6.
                const double field = flat ? 200 * 250 / 500.0 : 2 * 250 * std::sin(200 / 500.0 / 2);
                const double mm = 6 / field;
                EXPECT_FALSE(ownScanStatus().find("limited") != std::string::npos) << what;
                for (const double r : {0.0, 10.0, 20.0, 30.0})
                    EXPECT_NEAR(reconstructedAt(-r * mm, -r * mm * 0.5), 0.02, 0.0008) << what << " at " << r;
                EXPECT_NEAR(reconstructedAt(15 * mm, 10 * mm), 0.04, 0.0015) << what;
                // Fan to parallel: the same object from the sinogram rebinned from the views.
                std::fill(last_reconstruction.value.begin(), last_reconstruction.value.end(), 0.0);
                EXPECT_NEAR(reconstructedAt(-10 * mm, -5 * mm, 'j'), 0.02, 0.0008) << what << ", rebinned";
                EXPECT_NEAR(reconstructedAt(15 * mm, 10 * mm, 'j'), 0.04, 0.0015) << what << ", rebinned";
            }
        }
    }
}

} // namespace

namespace {

// A lesson step's "scan:" line, relative to the lesson, opens the scan before its commands.
TEST_F(OwnScanFiles, LessonStepsOpenAScan) {
    disks("d.npy", 60, 64, 180, "(0, 0, 12, 0.05)");
    write("d.scan", "data = d.npy\ntitle = Lesson disk\npitch = 0.5\n");
    Lesson lesson;
    std::string error;
    ASSERT_TRUE(parseLesson(path("l.md"), "# L\n## Own\nscan: d.scan\nrun: R\n", &lesson, &error)) << error;
    EXPECT_EQ(lesson.steps[0].scan, path("d.scan"));
    // An earlier step's emission imaging: the measured data are not counted again.
    current_imaging = &imaging_choices[1];
    testing::internal::CaptureStdout();
    runCommands(lesson.steps[0]);
    EXPECT_EQ(current_imaging, &imaging_choices[0]);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Own scan: Lesson disk, 60 views x 64 columns\nCalculating FBP...\nwhite = 0.05 1/mm\n");
    EXPECT_TRUE(measuredScan());
    EXPECT_FALSE(parseLesson(path("l.md"), "# L\n## Own\nrun: R\nscan: none.scan\n", &lesson, &error));
    EXPECT_NE(error.find("line 4: scan " + path("none.scan") + ", line 0: can't read the file"), std::string::npos)
        << error;
}

} // namespace

namespace {

// A scan file dropped on the window opens; one that is refused says why and changes nothing.
TEST_F(OwnScanFiles, ADroppedScanFileOpensOrSaysWhy) {
    disks("d.npy", 60, 64, 180, "(0, 0, 12, 0.05)");
    write("d.scan", "data = d.npy\ntitle = Dropped\n");
    write("bad.scan", "data = d.npy\ncolour = red\n");
    testing::internal::CaptureStdout();
    dropped(path("d.scan").c_str());
    const uint64_t scan = currentScan();
    dropped(path("bad.scan").c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Own scan: Dropped, 60 views x 64 columns\nscan " +
                                                          path("bad.scan") + ", line 2: unknown key \"colour\"\n");
    EXPECT_TRUE(measuredScan());
    EXPECT_EQ(ownScan().file.title, "Dropped");
    EXPECT_EQ(currentScan(), scan);
}

} // namespace
