// Loading BMP (device-independent bitmap) files into 24-bit RGB records, and the one texture
// recipe the BMP-textured modules (dinosaurs, trees, sky) share.
#pragma once

#include <cstddef>
#include <cstdint>

// A BMP image as width, height and tightly packed red-green-blue rows, bottom row first (the
// order OpenGL expects). Owned by the caller: release with freeImageRecord.
struct ImageRecord
{
    int width;
    int height;
    unsigned char* pixels;
};

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

// Null on failure, after showing the reason through the platform's error message, as one line
// "<file>: <what is wrong>", followed by "; <instead>" when the caller says what it does without
// the image.
ImageRecord* loadDibImage(const char* fileName, const char* instead = nullptr);
// The same from bytes in memory; `name` is used in messages.
ImageRecord* loadDibImageFromMemory(const unsigned char* data, size_t size, const char* name,
                                    const char* instead = nullptr);
// Null for a null name; for a file that cannot be opened, null after the message
// "<file>: cannot be opened"; otherwise loadDibImage.
ImageRecord* loadBitmapFile(const char* fileName, const char* instead = nullptr);
// Releases the pixels, then the record. Null is fine.
void freeImageRecord(ImageRecord* image);

// Uploads the record to the currently bound 2D texture: level 0, RGB, linear filters, no
// mipmaps, unpack alignment set for tightly packed rows (and restored afterwards).
void uploadRgbTexture(const ImageRecord& image);

// Loads the files in order, stopping at the first that yields nothing (its message ends with
// `instead`, what the caller does without the set). Only if all loaded: generates `count`
// texture names into textureNames and uploads each image. Every loaded record is released
// either way. True when the textures were created; textureNames is untouched otherwise.
bool loadRgbTextureSet(const char* const* fileNames, int count, unsigned* textureNames,
                       const char* instead = nullptr);
