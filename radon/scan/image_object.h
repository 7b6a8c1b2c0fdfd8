// A picture file as the test object: each pixel's grey value, spread over the
// world square and read between pixel centres bilinearly.
#ifndef RADON_IMAGE_OBJECT_H
#define RADON_IMAGE_OBJECT_H

#include <cstdint>
#include <string>

// Pictures wider or taller than this are refused.
const int kMaxPictureSide = 4096;

// The value of one pixel: its luminance scaled by its opacity, 0..1.
double pictureGrey(uint8_t r, uint8_t g, uint8_t b, uint8_t a);

// Make the picture in `path` the one imageObject shows. False with *error
// (the reason) when it cannot be read; the picture held before stays.
bool loadImageObject(const char *path, std::string *error);

// The loaded picture as an object (0 everywhere while none is loaded).
double imageObject(double x, double y);

// The loaded picture's size in pixels (0 x 0 while none is loaded).
int imageWidth();
int imageHeight();

#endif
