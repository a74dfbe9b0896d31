// Writing RGBA and RGB images as PNG files through the image library, for the generators and
// for looking at what they make, and reading any image file the library knows back.
#pragma once

#include "bmpwriter.h"

#include <string>
#include <vector>

// Pixels are red, green, blue, alpha, rows tightly packed, bottom row first.
struct RgbaImage
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;

    RgbaImage() = default;
    RgbaImage(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h) * 4, 0) {}
    unsigned char* at(int x, int y) { return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 4]; }
    const unsigned char* at(int x, int y) const
    {
        return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 4];
    }
};

// Writes the image so that viewers show row height - 1 at the top; replaces an existing file.
// False, with a line on stderr naming the file, on failure.
bool writePngRgba(const std::string& path, const RgbaImage& image);
bool writePngRgb(const std::string& path, const RgbImage& image);

// Reads any image file the image library knows, converted to RGB or RGBA rows, bottom row
// first. False, with a line on stderr naming the file, when it cannot be read. `fileChannels`,
// when given, receives the channel count the file itself holds (3 or 4).
bool readImageRgb(const std::string& path, RgbImage& image, int* fileChannels = nullptr);
bool readImageRgba(const std::string& path, RgbaImage& image, int* fileChannels = nullptr);
