// Loading BMP (device-independent bitmap) files into 24-bit RGB records, and the one texture
// recipe the BMP-textured modules (dinosaurs, trees, sky) share.
#pragma once

#include <cstddef>

// A BMP image as width, height and tightly packed red-green-blue rows, bottom row first (the
// order OpenGL expects). Owned by the caller: release with freeImageRecord.
struct ImageRecord
{
    int width;
    int height;
    unsigned char* pixels;
};

// Null on failure, after showing the reason through the platform's error message.
ImageRecord* loadDibImage(const char* fileName);
// The same from bytes in memory; `name` is used in messages.
ImageRecord* loadDibImageFromMemory(const unsigned char* data, size_t size, const char* name);
// Null, silently, when the file does not exist (or the name is null); otherwise loadDibImage.
ImageRecord* loadBitmapFile(const char* fileName);
// Releases the pixels, then the record. Null is fine.
void freeImageRecord(ImageRecord* image);

// Uploads the record to the currently bound 2D texture: level 0, RGB, linear filters, no
// mipmaps, unpack alignment set for tightly packed rows.
void uploadRgbTexture(const ImageRecord& image);

// Loads the files in order, stopping at the first that yields nothing. Only if all loaded:
// generates `count` texture names into textureNames and uploads each image. Every loaded record
// is released either way. True when the textures were created; textureNames is untouched
// otherwise.
bool loadRgbTextureSet(const char* const* fileNames, int count, unsigned* textureNames);
