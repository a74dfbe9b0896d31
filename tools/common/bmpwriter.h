// A small writer of uncompressed 24-bit BMP files, for the data generators and for tests that
// build fixtures as bytes.
#pragma once

#include <string>
#include <vector>

// Pixels are red, green, blue, rows tightly packed, bottom row first (as OpenGL and BMP store).
struct RgbImage
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;

    RgbImage() = default;
    RgbImage(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h) * 3, 0) {}
    unsigned char* at(int x, int y) { return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
    const unsigned char* at(int x, int y) const
    {
        return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 3];
    }
};

// The whole file: 14-byte file header, 40-byte info header, rows padded to 4 bytes.
std::vector<unsigned char> encodeBmp24(const RgbImage& image);
// False, with a line on stderr naming the file, when it cannot be written.
bool writeBmp24(const std::string& path, const RgbImage& image);
// Writes any bytes to a file; false (with a line on stderr) on failure.
bool writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);
