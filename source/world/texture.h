// The one way decoded pixels become GL textures, and the all-or-nothing texture sets that the
// BMP-textured modules (sky, trees, dinosaurs) load.
#pragma once

#include "formats/decodedimage.h"

#include <vector>

// What a texture keeps of rows that carry alpha: all four channels, or the colour alone (alpha
// then reads as opaque).
enum class TextureAlpha
{
    Kept,
    Dropped,
};

// Uploads width x height tightly packed rows of `channels` (3 RGB or 4 RGBA) bytes a pixel,
// bottom row first, to level 0 of the bound 2D texture: linear filters, no mipmaps. The unpack
// alignment is 1 for the upload and restored after it; wrapping is left to the caller.
void uploadTexture(int width, int height, int channels, const unsigned char* pixels,
                   TextureAlpha alpha = TextureAlpha::Kept);
// The same for a decoded image.
void uploadTexture(const DecodedImage& image, TextureAlpha alpha = TextureAlpha::Kept);
// Makes level 0 of the bound 2D texture width x height RGBA, its texels undefined until
// uploadTextureRows fills them: linear filters, no mipmaps.
void allocateRgbaTexture(int width, int height);
// Rows [firstRow, firstRow + rowCount) of the bound texture from tightly packed RGBA rows,
// `width` texels each, the texture's whole width. Stored as they come, without conversion.
void uploadTextureRows(int width, int firstRow, int rowCount, const unsigned char* rgba);

// Loads the BMP files in order, stopping at the first that yields nothing (its line ends with
// `instead`, what the caller does without the set). Only if all loaded: generates `count`
// texture names into textureNames and uploads each image. True when the textures were created;
// textureNames is untouched otherwise.
bool loadRgbTextureSet(const char* const* fileNames, int count, unsigned* textureNames,
                       const char* instead = nullptr);

// A texture set's files read before the GL is there to take them: loadRgbTextureSet in two
// halves, of which the first may run on another thread.
struct RgbImageSet
{
    bool read = false;     // the files were read, whatever they yielded
    bool complete = false; // every file yielded pixels; else the first that did not was reported
    std::vector<DecodedImage> images;
};
// The first half, without GL: reads and reports as loadRgbTextureSet does.
RgbImageSet readRgbImageSet(const char* const* fileNames, int count, const char* instead = nullptr);
// The second half: a complete set's textures, as loadRgbTextureSet makes them; false, and
// textureNames untouched, for a set that is not complete.
bool uploadRgbTextureSet(const RgbImageSet& set, unsigned* textureNames);
