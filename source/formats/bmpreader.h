// A small self-contained reader of uncompressed 1-, 4-, 8- and 24-bit BMP files into plain RGB
// pixels, reporting failures as one-character codes with fixed explanatory texts. Nothing in
// the scene calls it (the textures go through the DIB loader); it stands beside that loader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Result codes of readBmp and checkBmpFile.
const char kBmpOk = 0;
const char kBmpOpenFailed = 'o';
const char kBmpNotBitmap = 'b';
const char kBmpUnknownFormat = 'u';
const char kBmpReadFailed = 'f';

// A decoded image. Pixel (x, y), channel c (0 red, 1 green, 2 blue) is at byte
// (x + y * width) * 3 + c; row 0 is the first row stored in the file (the bottom row of the
// picture): rows are not flipped.
class BmpImage
{
public:
    BmpImage() = default;
    BmpImage(const BmpImage&) = delete;
    BmpImage& operator=(const BmpImage&) = delete;

    int32_t width = 0;
    int32_t height = 0;
    std::unique_ptr<unsigned char[]> pixels; // null until the first read

    // Releases the old buffer and allocates width * height * 3 zeroed bytes.
    void allocate();
    // Address of one channel of one pixel; no bounds checks (0 <= x < width, 0 <= y < height).
    unsigned char* pixelAt(int x, int y, int channel)
    {
        return &pixels[(size_t(x) + size_t(y) * size_t(width)) * 3 + size_t(channel)];
    }
};

// Fills the image from the file. On 0 the image is complete. On 'u' for a depth other than 1, 4,
// 8 or 24 bits the image has taken the header's width and height and a zeroed buffer; on every
// other failure (including a file too short for its pixels, 'f', and sizes outside 1 to 16384,
// 'u') the image is unchanged.
char readBmp(const char* fileName, BmpImage& image);
// The same from bytes in memory.
char readBmpFromMemory(const unsigned char* data, size_t size, BmpImage& image);
// The fixed explanation of a result code; "Not a valid error code" for unknown codes.
const char* bmpErrorText(char code);
// Reads the file into a scratch image and returns the result code.
char checkBmpFile(const char* fileName);
