// The ground colour map: five material images blended per grid vertex by the vertex's height,
// and the chores around it (loading the ground images, reading them as pixel blocks, saving the
// result). None of it touches GL.
#pragma once

#include "formats/decodedimage.h"

#include <vector>

// Height band of one ground material, in normalised height: weight 0 at low and high, 1 at the
// optimum, linear in between.
struct MaterialBand
{
    float low;
    float optimum;
    float high;
};

const int kMaterialCount = 5;

// The weight of the material with this band at normalised height h.
float bandWeight(const MaterialBand& band, float h);

// Paints the colour map. heights holds size * size normalised heights, vertex (x, z) at
// x + z * size; each of the kMaterialCount sources and the canvas hold size * size tightly
// packed RGB pixels, pixel (x, z) at (x + z * size) * 3.
void blendColourMap(const float* heights, int size, const MaterialBand* bands,
                    const unsigned char* const* sources, unsigned char* canvas);

// Loads a file as RGB pixels, bottom row first. When the file cannot be loaded, says so in one
// line on stderr naming the file and returns a size x size image of the plain colour instead, so
// callers always get an image.
DecodedImage loadRgbImageOrPlain(const char* fileName, int size,
                                 const unsigned char plainColour[3]);

// The first size x size pixels of an RGB image as a block (pixel (x, z) at (x + z * size) * 3,
// row z counted from the bottom). A smaller image is repeated to fill the block, an empty one
// gives black, each after one line on stderr naming fileName.
std::vector<unsigned char> readImageBlock(const DecodedImage& image, int size,
                                          const char* fileName);

// Saves the image, replacing any existing file. On failure prints one line naming the file and
// returns false.
bool saveImageReplacing(const DecodedImage& image, const char* fileName);
