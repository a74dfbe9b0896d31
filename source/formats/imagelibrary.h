// The image library behind plain pixels: decoding image files (and PNG bytes) into bottom-row-
// first rows and saving such rows as files. Every call leaves the library as it found it (the
// bound image, the overwrite flag, the origin mode untouched) with no error left on its stack, so
// no module's use of the library changes what another one reads.
#pragma once

#include "formats/decodedimage.h"

#include <cstddef>
#include <string>

// Starts the image library once per process (every call below does so itself).
void initImageLibrary();

// Decodes the file into `image` with `channels` 3 (RGB) or 4 (RGBA) bytes a pixel, bottom row
// first whichever way the file stores its rows. False when it cannot: `problem` is then
// "cannot be opened", or "not a readable image (<the library's words>, image library error
// 0x....)", and `image` is left as it was.
bool loadImageFile(const char* path, int channels, DecodedImage& image, std::string& problem);

// The same from the bytes of a PNG file in memory.
bool decodePngImage(const unsigned char* data, size_t size, int channels, DecodedImage& image,
                    std::string& problem);

// Writes the image (3 or 4 channels, bottom row first, upright in the file) in the format the
// extension of `path` names, replacing an existing file only when `replace`. False when it
// cannot: `problem` is then "already exists", the file system's reason when the file cannot be
// written at all, or "image library error 0x....".
bool saveImageFile(const char* path, const DecodedImage& image, bool replace, std::string& problem);
