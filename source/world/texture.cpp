// Texture uploads: the unpack alignment the park's rows need, set and put back in one place.
#include "world/texture.h"

#include "formats/dibloader.h"

#include <GL/gl.h>

#include <vector>

void uploadTexture(int width, int height, int channels, const unsigned char* pixels,
                   TextureAlpha alpha)
{
    const GLenum format = channels == 4 ? GL_RGBA : GL_RGB;
    const GLint internalFormat = alpha == TextureAlpha::Kept ? GLint(format) : GL_RGB;
    // Rows of 3-byte pixels are tightly packed, whatever their width.
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, GL_UNSIGNED_BYTE,
                 pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void allocateRgbaTexture(int width, int height)
{
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void uploadTextureRows(int width, int firstRow, int rowCount, const unsigned char* rgba)
{
    // Rows of 4-byte texels meet any alignment, so the unpack alignment does not matter.
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, firstRow, width, rowCount, GL_RGBA, GL_UNSIGNED_BYTE,
                    rgba);
}

void uploadTexture(const DecodedImage& image, TextureAlpha alpha)
{
    uploadTexture(image.width, image.height, image.channels, image.pixels.data(), alpha);
}

bool loadRgbTextureSet(const char* const* fileNames, int count, unsigned* textureNames,
                       const char* instead)
{
    return uploadRgbTextureSet(readRgbImageSet(fileNames, count, instead), textureNames);
}

RgbImageSet readRgbImageSet(const char* const* fileNames, int count, const char* instead)
{
    RgbImageSet set;
    set.read = true;
    if (count <= 0)
    {
        return set;
    }
    set.images.resize(size_t(count));
    for (int i = 0; i < count; ++i)
    {
        if (!loadBitmapFile(fileNames[i], set.images[size_t(i)], instead))
        {
            set.images.clear();
            return set;
        }
    }
    set.complete = true;
    return set;
}

bool uploadRgbTextureSet(const RgbImageSet& set, unsigned* textureNames)
{
    if (!set.complete)
    {
        return false;
    }
    const GLsizei count = GLsizei(set.images.size());
    glGenTextures(count, textureNames);
    for (GLsizei i = 0; i < count; ++i)
    {
        glBindTexture(GL_TEXTURE_2D, textureNames[i]);
        uploadTexture(set.images[size_t(i)]);
    }
    return true;
}
