// The ground colour map: five material images blended per grid vertex by the vertex's height,
// and the image-library chores around it (loading the ground images, reading them as pixel
// blocks, saving the result). The blend itself touches neither GL nor the image library.
#pragma once

#include <string>
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

// Loads a file as an 8-bit RGB image of the image library and returns its name. When the file
// cannot be loaded, says so in one line on stderr naming the file and returns a size x size
// image of the plain colour instead, so callers always get an image.
unsigned loadRgbImageOrPlain(const char* fileName, int size, const unsigned char plainColour[3]);

// The first size x size pixels of an image as an RGB block (pixel (x, z) at (x + z * size) * 3).
// A smaller image is repeated to fill the block, after one line on stderr naming fileName.
std::vector<unsigned char> readImageBlock(unsigned image, int size, const char* fileName);

// Makes the image exactly size x size RGB with these pixels.
void writeImageBlock(unsigned image, int size, const unsigned char* pixels);

// Saves the image, replacing any existing file. On failure prints one line naming the file and
// returns false.
bool saveImageReplacing(unsigned image, const char* fileName);
