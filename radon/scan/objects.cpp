// The test objects, the metal insert, and their picture.
#include <algorithm>
#include <cmath>

#include "scan/image_object.h"
#include "scan/objects.h"
#include "scan/own_scan.h"
#include "scan/scan.h"
#include "scan/sampling-inl.h"

Object head = head0;

// The shapes are shared with the scan's lanes (sampling-inl.h), for one point here.
namespace shapes = radon::HWY_NAMESPACE;
static const shapes::OneLane one;

double head0(double x, double y) { return shapes::phantomShape(one, x, y); }
double head1(double x, double y) { return shapes::disk0Shape(one, x, y); }
double head2(double x, double y) { return shapes::disk1Shape(one, x, y); }
double head3(double x, double y) { return shapes::box0Shape(one, x, y); }
double head4(double x, double y) { return shapes::box1Shape(one, x, y); }

// Called with a known object, the loop has the object's tests inlined.
template <Object object>
[[gnu::flatten]] static void sampleWith(int n, const double *x, const double *y, double *values) {
    for (int i = 0; i < n; i++) values[i] = object(x[i], y[i]);
}

// The radii: the head's outer ellipse reaches sqrt(5) = 2.236 on the y axis;
// the disks have centre (0, 0.1) and radius sqrt(0.9) = 0.949; the boxes'
// corners lie at 1.2 sqrt(2) = 1.697. The picture's entry is offered, with
// the radius of its corners, once a picture is loaded.
static ObjectChoice object_table[] = {
    {.label = "Shepp-Logan's Phantom", .id = 2000, .function = head0, .sample = sampleWith<head0>, .radius = 2.25},
    {.label = "Disk0", .id = 2001, .function = head1, .sample = sampleWith<head1>, .radius = 1.05},
    {.label = "Disk1", .id = 2002, .function = head2, .sample = sampleWith<head2>, .radius = 1.05},
    {.label = "Box0", .id = 2003, .function = head3, .sample = sampleWith<head3>, .radius = 1.7},
    {.label = "Box1", .id = 2004, .function = head4, .sample = sampleWith<head4>, .radius = 1.7},
    {.label = "Image", .id = 2005, .function = imageObject, .sample = sampleWith<imageObject>, .radius = 0},
    {.label = "Own scan", .id = 2006, .function = ownScanObject, .sample = sampleWith<ownScanObject>, .radius = 0},
};
// The built-in objects, then the picture and the measured scan once they are there.
static const size_t built_in = std::size(object_table) - 2;
constinit std::span<const ObjectChoice> object_choices(object_table, built_in);
static bool offered[2];
static ObjectChoice offered_table[std::size(object_table)];

static void offerObject(size_t k) {
    offered[k - built_in] = true;
    size_t n = 0;
    for (size_t i = 0; i < std::size(object_table); i++)
        if (i < built_in || offered[i - built_in]) offered_table[n++] = object_table[i];
    object_choices = std::span<const ObjectChoice>(offered_table, n);
}

void offerImageObject(double radius) {
    object_table[built_in].radius = radius;
    offerObject(built_in);
}

void offerOwnScanObject(const char *label) {
    object_table[built_in + 1].label = label;
    offerObject(built_in + 1);
}

const ObjectChoice *choiceOf(Object object) {
    for (const ObjectChoice &choice : object_choices)
        if (choice.function == object) return &choice;
    return nullptr;
}

bool metal_insert = false;

bool inMetalPin(double x, double y) { return shapes::inMetalPinShape(one, x, y); }

double objectValue(double x, double y) {
    const double value = head(x, y);
    return metal_insert ? shapes::withMetalPins(one, value, x, y) : value;
}

void sampleObject(Object object, int n, const double *x, const double *y, double *values) {
    if (const ObjectChoice *choice = choiceOf(object)) {
        choice->sample(n, x, y, values);
    } else {
        for (int i = 0; i < n; i++) values[i] = object(x[i], y[i]);
    }
    if (!metal_insert) return;
    for (int i = 0; i < n; i++) values[i] = shapes::withMetalPins(one, values[i], x[i], y[i]);
}

// The pins reach |(0.7, -1.2)| + 0.15 = 1.539 from the centre.
static const double metal_radius = 1.54;

double objectRadius(Object object) {
    const ObjectChoice *choice = choiceOf(object);
    const double radius = choice ? choice->radius : HUGE_VAL;
    return metal_insert ? std::max(radius, metal_radius) : radius;
}

// Each pixel samples the world point at its top-left corner, y upward.
void drawHead(void) {
    for (int iy = 0; iy < height; iy++) {
        for (int ix = 0; ix < width; ix++) {
            double x = 2 * ((ix - 0.5 * width) * xmax) / height;
            double y = 2 * ((0.5 * height - iy) * ymax) / height;
            SetColoredGray(&C, objectValue(x, y));
            DrawPoint(ix, iy);
        }
    }
    FlushBuffer();
}
