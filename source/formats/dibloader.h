// Loading BMP (device-independent bitmap) files into 24-bit RGB pixels, bottom row first.
#pragma once

#include "formats/decodedimage.h"

#include <cstddef>
#include <cstdint>

// The long form of a DIB's info header, which a short (12-byte) header is widened into.
struct DibInfoHeader
{
    uint32_t size = 40;
    int32_t width = 0;
    int32_t height = 0; // negative for rows stored top to bottom
    uint16_t planes = 1;
    uint16_t bitCount = 0;
    uint32_t compression = 0; // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
    uint32_t imageSize = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t colorsUsed = 0;
    uint32_t colorsImportant = 0;
};

// Palette entries that follow the header: colours-used when set (long form), otherwise 2, 16 or
// 256 for 1, 4 or 8 bits and 0 for every other depth.
uint16_t dibColorCount(const DibInfoHeader& header);
// 2, 16 or 256 entries for 1, 4 or 8 bits per pixel; 0 for every other depth.
uint16_t fullPaletteSize(int bitCount);

// Decodes the file into `image` (3 channels, bottom row first). On failure prints one line
// "<file>: <what is wrong>", followed by "; <instead>" when the caller says what it does without
// the image, leaves `image` as it was and returns false.
bool loadDibImage(const char* fileName, DecodedImage& image, const char* instead = nullptr);
// The same from bytes in memory; `name` is used in messages.
bool loadDibImageFromMemory(const unsigned char* data, size_t size, const char* name,
                            DecodedImage& image, const char* instead = nullptr);
// False, quietly, for a null name; for a file that cannot be opened, false after the line
// "<file>: cannot be opened"; otherwise loadDibImage.
bool loadBitmapFile(const char* fileName, DecodedImage& image, const char* instead = nullptr);
