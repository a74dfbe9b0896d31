// Plain pixels as the image readers hand them on, so that whatever draws or saves them never
// needs to know which reader or library produced them.
#pragma once

#include <cstddef>
#include <vector>

// width x height pixels of `channels` bytes each (3: red, green, blue; 4: with alpha after them),
// rows tightly packed, bottom row first (the order OpenGL expects).
struct DecodedImage
{
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<unsigned char> pixels;

    size_t rowBytes() const { return size_t(width) * size_t(channels); }
    // Channel 0 of pixel (x, y), y counted from the bottom row; no bounds checks.
    const unsigned char* at(int x, int y) const
    {
        return &pixels[size_t(y) * rowBytes() + size_t(x) * size_t(channels)];
    }
};
