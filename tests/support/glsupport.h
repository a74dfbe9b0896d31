// Helpers for tests that draw with a real GL context: reading pixels back and saving them.
#pragma once

#include <string>
#include <vector>

struct Pixels
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // bottom row first, tightly packed

    const unsigned char* at(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
    // Mean over the image of the per-channel standard deviation: 0 for a flat picture.
    double contrast() const;
    double meanChannel(int channel) const;
    // Fraction of pixels that differ from `other` by more than `tolerance` in any channel.
    double differingFraction(const Pixels& other, int tolerance) const;
};

// Pixels brighter than anything but the overlay's letters let through (channels summing over
// 480) in the rectangle [left, right) x [bottom, top).
int brightPixels(const Pixels& pixels, int left, int bottom, int right, int top);

// A file's whole contents; empty when it cannot be read.
std::vector<char> fileBytes(const std::string& path);

// The back buffer's lower-left width x height pixels.
Pixels readBackBuffer(int width = 800, int height = 600);
// What the current GL window shows, as the X server holds it, bottom row first like the above:
// the frame after it was swapped or put into the window by the processor.
Pixels readWindow(int width = 800, int height = 600);
// Writes the pixels as a PNG (for looking at what a test drew); false on failure.
bool savePixelsPng(const Pixels& pixels, const std::string& path);
