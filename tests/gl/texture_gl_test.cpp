#include "world/texture.h"

#include "bmpwriter.h"
#include "formats/dibloader.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace
{
RgbImage distinctPixels(int width, int height)
{
    RgbImage image(width, height);
    for (size_t i = 0; i < image.pixels.size(); ++i)
    {
        image.pixels[i] = uint8_t(i * 7 + 3);
    }
    return image;
}

std::vector<unsigned char> readTexels(int width, int height, int channels = 3)
{
    std::vector<unsigned char> texels(size_t(width) * size_t(height) * size_t(channels), 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, channels == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE,
                  texels.data());
    return texels;
}
} // namespace

TEST(TextureGl, UploadOfAnOddWidthKeepsEveryRowInPlace)
{
    const RgbImage image = distinctPixels(5, 3);
    const std::vector<unsigned char> bytes = encodeBmp24(image);
    DecodedImage decoded;
    ASSERT_TRUE(loadDibImageFromMemory(bytes.data(), bytes.size(), "odd.bmp", decoded));
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    uploadTexture(decoded);

    EXPECT_EQ(readTexels(5, 3), image.pixels);
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4) << "the upload leaves the unpack alignment as it found it";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glDeleteTextures(1, &texture);
}

TEST(TextureGl, AlphaIsKeptOrDroppedAsAsked)
{
    // 3 x 1 RGBA: odd rows of 12 bytes, alpha 0, 128 and 255.
    const std::vector<unsigned char> rows = {10, 20, 30, 0, 40, 50, 60, 128, 70, 80, 90, 255};
    GLuint textures[2] = {0, 0};
    glGenTextures(2, textures);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    uploadTexture(3, 1, 4, rows.data());
    EXPECT_EQ(readTexels(3, 1, 4), rows);

    // The model skins: a 32-bit file's colour only, drawn opaque.
    glBindTexture(GL_TEXTURE_2D, textures[1]);
    uploadTexture(3, 1, 4, rows.data(), TextureAlpha::Dropped);
    const std::vector<unsigned char> opaque = {10, 20, 30, 255, 40, 50, 60, 255, 70, 80, 90, 255};
    EXPECT_EQ(readTexels(3, 1, 4), opaque);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glDeleteTextures(2, textures);
}

TEST(TextureGl, TextureSetIsAllOrNothing)
{
    const RgbImage first = distinctPixels(4, 2);
    const RgbImage second = distinctPixels(2, 4);
    ASSERT_TRUE(writeBmp24("set-first.bmp", first));
    ASSERT_TRUE(writeBmp24("set-second.bmp", second));

    unsigned names[2] = {0, 0};
    const char* withMissing[] = {"set-first.bmp", "set-missing.bmp"};
    testing::internal::CaptureStderr();
    EXPECT_FALSE(loadRgbTextureSet(withMissing, 2, names, "the set is drawn untextured"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "set-missing.bmp: cannot be opened; the set is drawn untextured\n");
    EXPECT_EQ(names[0], 0u);
    EXPECT_EQ(names[1], 0u);

    const char* present[] = {"set-first.bmp", "set-second.bmp"};
    ASSERT_TRUE(loadRgbTextureSet(present, 2, names));
    EXPECT_NE(names[0], 0u);
    EXPECT_NE(names[1], names[0]);
    glBindTexture(GL_TEXTURE_2D, names[1]);
    EXPECT_EQ(readTexels(2, 4), second.pixels);
    glBindTexture(GL_TEXTURE_2D, names[0]);
    EXPECT_EQ(readTexels(4, 2), first.pixels);
    glDeleteTextures(2, names);
    std::remove("set-first.bmp");
    std::remove("set-second.bmp");
}
