// Colour-map blending and the image-library side of the ground images.
#include "world/terraintexture.h"

#include "formats/imagelibrary.h"
#include "formats/loadreport.h"

#include <IL/il.h>

#include <cstdio>

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

unsigned loadRgbImageOrPlain(const char* fileName, int size, const unsigned char plainColour[3])
{
    initImageLibrary();
    clearImageLibraryErrors();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    if (ilLoadImage(fileName) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE))
    {
        return image;
    }
    reportLoadFailure(fileName, describeImageLoadError(takeImageLibraryError()),
                      "using a plain colour");
    std::vector<unsigned char> plain(size_t(size) * size_t(size) * 3);
    for (size_t i = 0; i < plain.size(); i += 3)
    {
        plain[i] = plainColour[0];
        plain[i + 1] = plainColour[1];
        plain[i + 2] = plainColour[2];
    }
    writeImageBlock(image, size, plain.data());
    return image;
}

std::vector<unsigned char> readImageBlock(unsigned image, int size, const char* fileName)
{
    ilBindImage(image);
    const int width = ilGetInteger(IL_IMAGE_WIDTH);
    const int height = ilGetInteger(IL_IMAGE_HEIGHT);
    std::vector<unsigned char> block(size_t(size) * size_t(size) * 3, 0);
    if (width >= size && height >= size)
    {
        ilCopyPixels(0, 0, 0, ILuint(size), ILuint(size), 1, IL_RGB, IL_UNSIGNED_BYTE,
                     block.data());
        return block;
    }
    if (width <= 0 || height <= 0)
    {
        std::fprintf(stderr, "%s: ground image is empty; using black\n", fileName);
        return block;
    }
    std::fprintf(stderr, "%s: ground image is %d x %d, expected at least %d x %d; repeating it\n",
                 fileName, width, height, size, size);
    std::vector<unsigned char> whole(size_t(width) * size_t(height) * 3);
    ilCopyPixels(0, 0, 0, ILuint(width), ILuint(height), 1, IL_RGB, IL_UNSIGNED_BYTE, whole.data());
    for (int z = 0; z < size; ++z)
    {
        for (int x = 0; x < size; ++x)
        {
            const unsigned char* from =
                &whole[(size_t(x % width) + size_t(z % height) * size_t(width)) * 3];
            unsigned char* to = &block[(size_t(x) + size_t(z) * size_t(size)) * 3];
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
        }
    }
    return block;
}

void writeImageBlock(unsigned image, int size, const unsigned char* pixels)
{
    ilBindImage(image);
    ilTexImage(ILuint(size), ILuint(size), 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
               const_cast<unsigned char*>(pixels));
}

bool saveImageReplacing(unsigned image, const char* fileName)
{
    initImageLibrary();
    clearImageLibraryErrors();
    ilBindImage(image);
    // The library refuses to replace an existing file unless told to; the saved map must always
    // be the one on screen. The library's default is restored for everyone else.
    const bool wasOverwriting = ilIsEnabled(IL_FILE_OVERWRITE);
    ilEnable(IL_FILE_OVERWRITE);
    const bool saved = ilSaveImage(fileName);
    const unsigned error = saved ? IL_NO_ERROR : takeImageLibraryError();
    if (!wasOverwriting)
    {
        ilDisable(IL_FILE_OVERWRITE);
    }
    if (!saved)
    {
        std::fprintf(stderr, "%s: colour map not saved (image library error 0x%04x)\n", fileName,
                     error);
    }
    return saved;
}
