// The scan file and the data readers, against files that NumPy, SciPy,
// tifffile and Pillow write; the refusals, one per reason.
#include <gtest/gtest.h>

#include "radon_scan_folder.h"
#include "scan/own_scan.h"

namespace {

struct ScanFiles : ::testing::Test, ScanFolder {
    Array2D read(const std::string &name, const std::string &variable = "") const {
        Array2D a;
        std::string error;
        EXPECT_TRUE(readArray(path(name), variable, &a, &error)) << name << ": " << error;
        return a;
    }
    std::string refusal(const std::string &name, const std::string &variable = "") const {
        Array2D a;
        std::string error;
        EXPECT_FALSE(readArray(path(name), variable, &a, &error)) << name;
        return error;
    }
};

// The array the writers write: a[i, j] = 3 i + j (+ 0.5 for floats), 3 x 5.
void expectRamp(const Array2D &a, double plus, const std::string &what) {
    ASSERT_EQ(a.rows, 3) << what;
    ASSERT_EQ(a.cols, 5) << what;
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 5; j++) EXPECT_EQ(a.value[i * 5 + j], 3 * i + j + plus) << what << " at " << i << ", " << j;
}

const char *const ramp = "a = (3 * np.arange(3)[:, None] + np.arange(5)[None, :]).astype(float)\n";

TEST_F(ScanFiles, NpyEveryTypeByteOrderOrderAndVersion) {
    python(std::string(ramp) +
           "for t in ['u1', 'u2', 'i2', 'u4', 'i4', 'f4', 'f8']:\n"
           "    for e in ['<', '>']:\n"
           "        b = a + (0.5 if t[0] == 'f' else 0)\n"
           "        np.save(t + e.replace('<', 'le').replace('>', 'be') + '.npy', b.astype(e + t))\n"
           "        np.save(t + e.replace('<', 'le').replace('>', 'be') + '-f.npy', np.asfortranarray(b.astype(e + t)))\n"
           "for v in [(2, 0), (3, 0)]:\n"
           "    with open('v%d.npy' % v[0], 'wb') as f: np.lib.format.write_array(f, a, version=v)\n"
           "np.save('one.npy', np.arange(5.0))\n");
    for (const char *t : {"u1", "u2", "i2", "u4", "i4", "f4", "f8"})
        for (const char *e : {"le", "be"})
            for (const char *order : {"", "-f"}) {
                const std::string name = std::string(t) + e + order + ".npy";
                expectRamp(read(name), t[0] == 'f' ? 0.5 : 0, name);
            }
    expectRamp(read("v2.npy"), 0, "version 2.0");
    expectRamp(read("v3.npy"), 0, "version 3.0");
    EXPECT_NE(refusal("one.npy").find("not 2-D"), std::string::npos);
}

TEST_F(ScanFiles, TextWithHeadersAndEverySeparator) {
    write("comma.csv", "a,b,c,d,e\n0,1,2,3,4\n3,4,5,6,7\n6,7,8,9,10\n");
    write("semicolon.csv", "0;1;2;3;4\r\n3;4;5;6;7\r\n6;7;8;9;10\r\n");
    write("blanks.txt", "0 1\t2  3 4\n3 4 5 6 7\n\n6 7 8 9 10\n");
    for (const char *name : {"comma.csv", "semicolon.csv", "blanks.txt"}) expectRamp(read(name), 0, name);
    // As "d" writes: %.17g, commas; NumPy's savetxt with a header reads the same.
    python(std::string(ramp) + "np.savetxt('numpy.csv', a + 0.5, delimiter=',', header='x', fmt='%.17g')\n");
    expectRamp(read("numpy.csv"), 0.5, "savetxt");
    write("ragged.csv", "1,2,3\n4,5\n");
    EXPECT_NE(refusal("ragged.csv").find("line 2 has 2 numbers"), std::string::npos);
    write("words.csv", "1,2\n3,x\n");
    EXPECT_NE(refusal("words.csv").find("line 2 is not numbers"), std::string::npos);
}

TEST_F(ScanFiles, TiffEveryTypeAndTiles) {
    python(std::string(ramp) +
           "import tifffile\n"
           "for t in ['uint8', 'uint16', 'uint32', 'float32', 'float64']:\n"
           "    tifffile.imwrite(t + '.tif', (a + (0.5 if t[0] == 'f' else 0)).astype(t))\n"
           "big = np.arange(40 * 48, dtype='uint16').reshape(40, 48)\n"
           "tifffile.imwrite('tiled.tiff', big, tile=(16, 16))\n"
           "tifffile.imwrite('pages.tif', np.zeros((2, 3, 5), 'uint16'))\n"
           "tifffile.imwrite('rgb.tif', np.zeros((3, 5, 3), 'uint8'), photometric='rgb')\n"
           "tifffile.imwrite('signed.tif', np.zeros((3, 5), 'int16'))\n");
    for (const char *t : {"uint8", "uint16", "uint32", "float32", "float64"})
        expectRamp(read(std::string(t) + ".tif"), t[0] == 'f' ? 0.5 : 0, t);
    const Array2D tiled = read("tiled.tiff");
    ASSERT_EQ(tiled.rows, 40);
    ASSERT_EQ(tiled.cols, 48);
    for (int k = 0; k < 40 * 48; k++) ASSERT_EQ(tiled.value[k], k);
    EXPECT_NE(refusal("pages.tif").find("more than one page"), std::string::npos);
    EXPECT_NE(refusal("rgb.tif").find("one grey page"), std::string::npos);
    EXPECT_NE(refusal("signed.tif").find("one grey page"), std::string::npos);
}

TEST_F(ScanFiles, PngGreyKeepsItsBits) {
    python(std::string(ramp) +
           "from PIL import Image\n"
           "Image.fromarray(a.astype('uint8')).save('grey8.png')\n"
           "Image.fromarray((a * 4000).astype('uint16')).save('grey16.png')\n"
           "Image.fromarray(np.zeros((3, 5, 3), 'uint8')).save('colour.png')\n");
    expectRamp(read("grey8.png"), 0, "8 bits");
    Array2D a = read("grey16.png");
    for (double &v : a.value) v = v / 4000;
    expectRamp(a, 0, "16 bits");
    EXPECT_NE(refusal("colour.png").find("grey"), std::string::npos);
}

TEST_F(ScanFiles, MatlabVersions4To73AndItsVariables) {
    python(std::string(ramp) +
           "from scipy.io import savemat\n"
           "savemat('v4.mat', {'p': a}, format='4')\n"
           "savemat('v5.mat', {'p': a.astype('float32'), 'note': 'walnut', 'n': np.array([[3.0]])[0]}, format='5')\n"
           "savemat('v7.mat', {'p': a.astype('uint16')}, do_compression=True)\n"
           "savemat('two.mat', {'p': a, 'q': a})\n"
           // v7.3 is HDF5 behind MATLAB's 128-byte header, the array stored in
           // column order, its class a 6-byte null-terminated string written as it is.
           "import h5py\n"
           "with h5py.File('v73.mat', 'w', userblock_size=512) as f:\n"
           "    d = f.create_dataset('p', data=a.T)\n"
           "    t = h5py.h5t.C_S1.copy()\n"
           "    t.set_size(6)\n"
           "    h5py.h5a.create(d.id, b'MATLAB_class', t, h5py.h5s.create(h5py.h5s.SCALAR))"
           ".write(np.array(b'double'), mtype=t)\n"
           "with open('v73.mat', 'r+b') as f:\n"
           "    f.write(b'MATLAB 7.3 MAT-file, h5py'.ljust(124) + b'\\x00\\x02IM')\n");
    expectRamp(read("v4.mat"), 0, "v4");
    expectRamp(read("v5.mat"), 0, "v5");
    expectRamp(read("v7.mat"), 0, "v7 compressed");
    expectRamp(read("v73.mat"), 0, "v7.3");
    expectRamp(read("two.mat", "q"), 0, "named");
    const std::string two = refusal("two.mat");
    EXPECT_NE(two.find("more than one 2-D numeric variable"), std::string::npos) << two;
    EXPECT_NE(two.find("p, q"), std::string::npos) << two;
    EXPECT_NE(refusal("two.mat", "r").find("no variable r"), std::string::npos);
    EXPECT_NE(refusal("v5.mat", "note").find("not a 2-D numeric array"), std::string::npos);
}

TEST_F(ScanFiles, UnreadableFiles) {
    write("empty.npy", "");
    write("junk.tif", "not a tiff");
    write("junk.mat", "not a mat");
    write("junk.png", "not a png");
    write("data.xyz", "1");
    EXPECT_NE(refusal("missing.npy").find("no such file"), std::string::npos);
    EXPECT_NE(refusal("empty.npy").find("no NumPy signature"), std::string::npos);
    for (const char *name : {"junk.tif", "junk.mat", "junk.png"}) EXPECT_FALSE(refusal(name).empty()) << name;
    EXPECT_NE(refusal("data.xyz").find("not a data file this program reads"), std::string::npos);
}

// ---------------------------------------------------------------- the scan file

std::string parseRefusal(const std::string &text) {
    ScanFile scan;
    std::string error;
    EXPECT_FALSE(parseScanFile("x.scan", text, &scan, &error)) << text;
    return error;
}

TEST(ScanFile, ReadsEveryKey) {
    ScanFile s;
    std::string error;
    ASSERT_TRUE(parseScanFile("lab/walnut.scan",
                              "# a walnut\n\ndata = w.mat:sino  # its variable\nviews-are = columns\n"
                              "values = intensities\nflat = flat.tif\ndark = 100\ngeometry = fan-flat\n"
                              "first-angle = 90\nangle-step = 0.5\ndirection = clockwise\npitch = 0.15\n"
                              "source-to-axis = 66\nsource-to-detector = 199\ncentre = 283.5\nunit = cm\n"
                              "title = Walnut 1\n",
                              &s, &error))
        << error;
    EXPECT_EQ(s.data, "lab/w.mat");
    EXPECT_EQ(s.variable, "sino");
    EXPECT_EQ(s.data_line, 3);
    EXPECT_TRUE(s.views_are_columns && s.intensities && s.clockwise && s.has_centre);
    EXPECT_EQ(s.flat.kind, Reading::file);
    EXPECT_EQ(s.flat.path, "lab/flat.tif");
    EXPECT_EQ(s.dark.kind, Reading::number);
    EXPECT_EQ(s.dark.value, 100);
    EXPECT_EQ(s.geometry, ScanGeometry::fan_flat);
    EXPECT_EQ(s.first_angle, 90);
    EXPECT_EQ(s.angle_step, 0.5);
    EXPECT_EQ(s.pitch, 0.15);
    EXPECT_EQ(s.source_to_axis, 66);
    EXPECT_EQ(s.source_to_detector, 199);
    EXPECT_EQ(s.centre, 283.5);
    EXPECT_EQ(s.unit, "cm");
    EXPECT_EQ(s.title, "Walnut 1");

    ASSERT_TRUE(parseScanFile("/a/b.scan", "data = /c/d.npy\n", &s, &error));
    EXPECT_EQ(s.data, "/c/d.npy");
    EXPECT_EQ(s.title, "b.scan");
    EXPECT_FALSE(s.intensities || s.views_are_columns || s.has_centre);
    EXPECT_EQ(s.geometry, ScanGeometry::parallel);
}

TEST(ScanFile, RefusesWithTheLineAndTheReason) {
    EXPECT_EQ(parseRefusal("data = a.npy\nsize = 3\n"), "scan x.scan, line 2: unknown key \"size\"");
    EXPECT_EQ(parseRefusal("data = a.npy\n\ndata = b.npy\n"), "scan x.scan, line 3: data given twice (first on line 1)");
    EXPECT_EQ(parseRefusal("data = a.npy\nviews-are = diagonals\n"),
              "scan x.scan, line 2: views-are is rows or columns, not \"diagonals\"");
    EXPECT_EQ(parseRefusal("data = a.npy\npitch = -1\n"), "scan x.scan, line 2: pitch needs a length above 0, not \"-1\"");
    EXPECT_EQ(parseRefusal("data = a.npy\nangle-step = 1deg\n"),
              "scan x.scan, line 2: angle-step needs degrees above 0 up to 180, not \"1deg\"");
    EXPECT_EQ(parseRefusal("data = a.npy\ncentre = nan\n"), "scan x.scan, line 2: centre needs a column, not \"nan\"");
    EXPECT_EQ(parseRefusal("data a.npy\n"), "scan x.scan, line 1: \"data a.npy\" is not \"key = value\"");
    EXPECT_EQ(parseRefusal("title =\n"), "scan x.scan, line 1: title has no value");
    EXPECT_EQ(parseRefusal("# nothing\n"), "scan x.scan, line 0: no data = FILE");
    EXPECT_EQ(parseRefusal("data = a.npy\ngeometry = fan-arc\nsource-to-axis = 5\n"),
              "scan x.scan, line 0: a fan needs source-to-axis and source-to-detector");
    EXPECT_EQ(parseRefusal("data = a.npy\ndark = 3\n"), "scan x.scan, line 2: flat and dark are for values = intensities");
}

} // namespace
