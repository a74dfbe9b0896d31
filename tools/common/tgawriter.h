// Writing true-colour TGA files, uncompressed (type 2) or run-length encoded (type 10), at 24 or
// 32 bits per pixel: the skins the model materials name.
#pragma once

#include <string>
#include <vector>

struct RgbImage;

// Pixels are red, green, blue (and alpha), rows tightly packed, bottom row first: the file is
// written with the bottom-left origin, so a reader that delivers rows as stored returns them in
// this order.
struct TrueColourImage
{
    int width = 0;
    int height = 0;
    int channels = 3; // 3 or 4
    std::vector<unsigned char> pixels;

    TrueColourImage() = default;
    TrueColourImage(int w, int h, int channelCount)
        : width(w), height(h), channels(channelCount),
          pixels(size_t(w) * size_t(h) * size_t(channelCount), 0)
    {
    }
    explicit TrueColourImage(const RgbImage& image);
    unsigned char* at(int x, int y)
    {
        return &pixels[(size_t(y) * size_t(width) + size_t(x)) * size_t(channels)];
    }
};

// The whole file. Run-length packets never cross a row. The image must be 1 ... 65535 pixels on
// each side with 3 or 4 channels; otherwise the result is empty.
std::vector<unsigned char> encodeTga(const TrueColourImage& image, bool runLength);
// False, with one line on stderr naming the file, when the image cannot be encoded or written.
bool writeTga(const std::string& path, const TrueColourImage& image, bool runLength);
