// PNG output and image input through the image library, with the origin and overwrite settings
// made explicit.
#include "pngwriter.h"

#include <IL/il.h>

#include <algorithm>
#include <cstdio>

namespace
{
void initialiseImageLibrary()
{
    static bool initialised = false;
    if (!initialised)
    {
        ilInit();
        initialised = true;
    }
}

bool savePng(const std::string& path, int width, int height, int channels, ILenum format,
             const unsigned char* pixels)
{
    initialiseImageLibrary();
    // Our rows are bottom first; the library flips them into the file's top-first order.
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    ilEnable(IL_FILE_OVERWRITE);
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool saved = ilTexImage(ILuint(width), ILuint(height), 1, ILubyte(channels), format,
                            IL_UNSIGNED_BYTE, const_cast<unsigned char*>(pixels)) &&
                 ilSave(IL_PNG, path.c_str());
    ilDeleteImages(1, &image);
    if (!saved)
    {
        std::fprintf(stderr, "%s: cannot write PNG (image library error 0x%x)\n", path.c_str(),
                     unsigned(ilGetError()));
    }
    return saved;
}

// Loads `path` converted to `format` and hands the pixels to `store(width, height, data)`.
template <typename Store>
bool readImage(const std::string& path, ILenum format, int* fileChannels, Store store)
{
    initialiseImageLibrary();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool read = ilLoadImage(path.c_str());
    if (read && fileChannels)
    {
        *fileChannels = ilGetInteger(IL_IMAGE_CHANNELS);
    }
    read = read && ilConvertImage(format, IL_UNSIGNED_BYTE);
    if (read)
    {
        store(ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT), ilGetData());
    }
    else
    {
        std::fprintf(stderr, "%s: cannot be read as an image (image library error 0x%x)\n",
                     path.c_str(), unsigned(ilGetError()));
    }
    ilDeleteImages(1, &image);
    return read;
}
} // namespace

bool writePngRgba(const std::string& path, const RgbaImage& image)
{
    return savePng(path, image.width, image.height, 4, IL_RGBA, image.pixels.data());
}

bool writePngRgb(const std::string& path, const RgbImage& image)
{
    return savePng(path, image.width, image.height, 3, IL_RGB, image.pixels.data());
}

bool readImageRgb(const std::string& path, RgbImage& image, int* fileChannels)
{
    return readImage(path, IL_RGB, fileChannels,
                     [&](int width, int height, const unsigned char* data)
                     {
                         image = RgbImage(width, height);
                         std::copy(data, data + image.pixels.size(), image.pixels.begin());
                     });
}

bool readImageRgba(const std::string& path, RgbaImage& image, int* fileChannels)
{
    return readImage(path, IL_RGBA, fileChannels,
                     [&](int width, int height, const unsigned char* data)
                     {
                         image = RgbaImage(width, height);
                         std::copy(data, data + image.pixels.size(), image.pixels.begin());
                     });
}
