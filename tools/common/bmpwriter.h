// A small writer of BMP files, for the data generators and for tests that build fixtures as
// bytes: 24-bit by default, and every other layout a BMP may have (palettised 1/4/8 bits,
// 16/32 bits with or without colour masks, run-length encoding, top-down rows, the short info
// header, no file header).
#pragma once

#include <cstdint>
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

// Palette indices, bottom row first, and the palette as red, green, blue triples.
struct IndexedImage
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> indices;
    std::vector<unsigned char> palette; // 3 bytes per entry

    IndexedImage() = default;
    IndexedImage(int w, int h) : width(w), height(h), indices(size_t(w) * size_t(h), 0) {}
    unsigned char& at(int x, int y) { return indices[size_t(y) * size_t(width) + size_t(x)]; }
    void addColour(unsigned char red, unsigned char green, unsigned char blue)
    {
        palette.insert(palette.end(), {red, green, blue});
    }
    int colourCount() const { return int(palette.size() / 3); }
};

// How the file lays out its data. The defaults give an ordinary bottom-up file with both headers.
struct BmpLayout
{
    int bitCount = 24;           // 1, 4, 8 (indexed); 16, 24, 32 (RGB)
    bool fileHeader = true;      // the 14-byte "BM" header
    bool coreHeader = false;     // the 12-byte info header (3-byte palette entries)
    bool topDown = false;        // rows stored top row first, negative height
    bool runLength = false;      // RLE8 for 8 bits, RLE4 for 4 bits
    bool bitFields = false;      // 16/32 bits: compression 3 with the masks below after the header
    bool colorsUsedZero = false; // leave colours-used 0 (the palette then has 2^bitCount entries)
    uint32_t redMask = 0;        // 0: 5-5-5 for 16 bits, 8-8-8 for 32 bits
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
};

// The whole file: 14-byte file header, 40-byte info header, rows padded to 4 bytes.
std::vector<unsigned char> encodeBmp24(const RgbImage& image);
// An RGB image as 16, 24 or 32 bits per pixel; each channel is cut to its mask's width.
std::vector<unsigned char> encodeBmpRgb(const RgbImage& image, const BmpLayout& layout);
// An indexed image as 1, 4 or 8 bits per pixel; indices must fit the depth.
std::vector<unsigned char> encodeBmpIndexed(const IndexedImage& image, const BmpLayout& layout);
// Run-length data of one image (RLE8 for 8 bits, RLE4 for 4), rows bottom first, ending with the
// end-of-bitmap marker. Mixes repeated runs and literal stretches.
std::vector<unsigned char> encodeRunLength(const IndexedImage& image, int bitCount);

// False, with a line on stderr naming the file, when it cannot be written.
bool writeBmp24(const std::string& path, const RgbImage& image);
// Writes any bytes to a file; false (with a line on stderr) on failure.
bool writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);
