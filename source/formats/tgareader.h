// Reading TGA images for model materials: uncompressed (type 2) and run-length (type 10)
// true-colour files at 24 or 32 bits per pixel, with no identifier and no colour map.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct TgaImage
{
    std::vector<unsigned char> pixels; // width x height pixels, red first, tightly packed
    unsigned bitsPerPixel = 0;         // 24 or 32
    unsigned width = 0;
    unsigned height = 0;

    // 3 (red, green, blue) for 24 bits per pixel, 4 (with alpha) for 32.
    int channels() const { return int(bitsPerPixel / 8); }
};

// Rows arrive bottom row first and each row left to right, whichever corner the file's image
// descriptor names as its origin (the order OpenGL expects). On failure prints one line
// "<path>: <reason>" on stderr, leaves no pixels behind and returns false.
bool loadTga(TgaImage* image, const char* path);
// The same over a whole file already in memory; `name` is only used in the message.
bool loadTgaFromMemory(TgaImage* image, const unsigned char* data, size_t size, const char* name);

// As loadTga, but quiet: on failure `reason` receives the reader's message (without the path).
bool readTgaFile(TgaImage* image, const char* path, std::string& reason);
// As loadTgaFromMemory, but quiet.
bool decodeTga(TgaImage* image, const unsigned char* data, size_t size, std::string& reason);
