// Fixtures for tests of the image library: small PNG files built as bytes by hand, so that the
// tests never make their inputs with the library they test, and the library's process-wide
// state, which every call must leave as it found it.
#pragma once

#include <array>
#include <vector>

// The whole file of an 8-bit RGB (channels 3) or RGBA (channels 4) image of at most 64 kB whose
// pixels are given bottom row first, tightly packed; the file stores them top row first.
std::vector<unsigned char> encodePng(int width, int height, int channels,
                                     const std::vector<unsigned char>& bottomRowFirst);

// The origin flag and mode, the overwrite flag and the bound image, now.
std::array<int, 4> imageLibraryState();
