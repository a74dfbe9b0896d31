// PNG output through the image library, with the origin and overwrite settings made explicit.
#include "pngwriter.h"

#include <IL/il.h>

#include <cstdio>

namespace
{
bool savePng(const std::string& path, int width, int height, int channels, ILenum format,
             const unsigned char* pixels)
{
    static bool initialised = false;
    if (!initialised)
    {
        ilInit();
        initialised = true;
    }
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
} // namespace

bool writePngRgba(const std::string& path, const RgbaImage& image)
{
    return savePng(path, image.width, image.height, 4, IL_RGBA, image.pixels.data());
}

bool writePngRgb(const std::string& path, const RgbImage& image)
{
    return savePng(path, image.width, image.height, 3, IL_RGB, image.pixels.data());
}
