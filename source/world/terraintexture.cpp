// Colour-map blending and the loading and saving of the ground images.
#include "world/terraintexture.h"

#include "formats/imagelibrary.h"
#include "formats/loadreport.h"

#include <cstdio>
#include <string>

float bandWeight(const MaterialBand& band, float h)
{
    if (h < band.low)
    {
        return 0.0f;
    }
    if (h > band.high)
    {
        return 0.0f;
    }
    if (h < band.optimum)
    {
        return (h - band.low) / (band.optimum - band.low);
    }
    if (h != band.optimum)
    {
        return (band.high - h) / (band.high - band.optimum);
    }
    return 1.0f;
}

namespace
{
// Saturated channels are stored just below full: green as 244, red and blue as 254.
unsigned char storedChannel(float sum, unsigned char replacementForFull)
{
    const unsigned char value = static_cast<unsigned char>(int(sum) & 0xFF);
    return value == 255 ? replacementForFull : value;
}
} // namespace

void blendColourMap(const float* heights, int size, const MaterialBand* bands,
                    const unsigned char* const* sources, unsigned char* canvas)
{
    for (int x = 0; x < size; ++x)
    {
        for (int z = 0; z < size; ++z)
        {
            const size_t vertex = size_t(x) + size_t(z) * size_t(size);
            const float h = heights[vertex];
            float red = 0.0f;
            float green = 0.0f;
            float blue = 0.0f;
            for (int k = 0; k < kMaterialCount; ++k)
            {
                const unsigned char* pixel = sources[k] + vertex * 3;
                const float w = bandWeight(bands[k], h);
                red += w * pixel[0];
                green += w * pixel[1];
                blue += w * pixel[2];
            }
            unsigned char* out = canvas + vertex * 3;
            out[0] = storedChannel(red, 254);
            out[1] = storedChannel(green, 244);
            out[2] = storedChannel(blue, 254);
        }
    }
}

DecodedImage loadRgbImageOrPlain(const char* fileName, int size, const unsigned char plainColour[3])
{
    DecodedImage image;
    std::string problem;
    if (loadImageFile(fileName, 3, image, problem))
    {
        return image;
    }
    reportLoadFailure(fileName, problem, "using a plain colour");
    image.width = size;
    image.height = size;
    image.channels = 3;
    image.pixels.resize(image.rowBytes() * size_t(size));
    for (size_t i = 0; i < image.pixels.size(); i += 3)
    {
        image.pixels[i] = plainColour[0];
        image.pixels[i + 1] = plainColour[1];
        image.pixels[i + 2] = plainColour[2];
    }
    return image;
}

std::vector<unsigned char> readImageBlock(const DecodedImage& image, int size, const char* fileName)
{
    const int width = image.width;
    const int height = image.height;
    std::vector<unsigned char> block(size_t(size) * size_t(size) * 3, 0);
    if (width <= 0 || height <= 0)
    {
        reportLoadFailure(fileName, "ground image is empty", "using black");
        return block;
    }
    if (width < size || height < size)
    {
        char what[96];
        std::snprintf(what, sizeof what, "ground image is %d x %d, expected at least %d x %d",
                      width, height, size, size);
        reportLoadFailure(fileName, what, "repeating it");
    }
    for (int z = 0; z < size; ++z)
    {
        for (int x = 0; x < size; ++x)
        {
            const unsigned char* from = image.at(x % width, z % height);
            unsigned char* to = &block[(size_t(x) + size_t(z) * size_t(size)) * 3];
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
        }
    }
    return block;
}

bool saveImageReplacing(const DecodedImage& image, const char* fileName)
{
    std::string problem;
    if (!saveImageFile(fileName, image, true, problem))
    {
        reportLoadFailure(fileName, "colour map not saved (" + problem + ")");
        return false;
    }
    return true;
}
