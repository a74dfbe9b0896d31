// Reading TGA images for model materials: uncompressed (type 2) and run-length (type 10)
// true-colour files at 24 or 32 bits per pixel, with no identifier and no colour map.
#pragma once

#include <cstddef>
#include <string>

struct TgaImage
{
    unsigned char* pixels = nullptr; // width x height pixels, red first; release with free()
    unsigned bitsPerPixel = 0;       // 24 or 32
    unsigned width = 0;
    unsigned height = 0;
    unsigned textureName = 0; // left alone by the reader: the caller's GL texture name
    unsigned format = 0;      // GL_RGB for 24 bits per pixel, GL_RGBA for 32
};

// Rows arrive bottom row first and each row left to right, whichever corner the file's image
// descriptor names as its origin (the order OpenGL expects). On failure prints one line
// "<path>: <reason>" on stderr, leaves no pixel buffer allocated and returns false.
bool loadTga(TgaImage* image, const char* path);
// The same over a whole file already in memory; `name` is only used in the message.
bool loadTgaFromMemory(TgaImage* image, const unsigned char* data, size_t size, const char* name);

// As loadTga, but quiet: on failure `reason` receives the reader's message (without the path).
bool readTgaFile(TgaImage* image, const char* path, std::string& reason);
// As loadTgaFromMemory, but quiet.
bool decodeTga(TgaImage* image, const unsigned char* data, size_t size, std::string& reason);
