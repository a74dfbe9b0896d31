#include "testpaths.h"
#include "tgareader.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

Bytes tgaHeader(int type, int width, int height, int bitsPerPixel)
{
    return {0,
            0,
            static_cast<unsigned char>(type),
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            static_cast<unsigned char>(width & 0xFF),
            static_cast<unsigned char>(width >> 8),
            static_cast<unsigned char>(height & 0xFF),
            static_cast<unsigned char>(height >> 8),
            static_cast<unsigned char>(bitsPerPixel),
            0};
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Loaded
{
    bool ok;
    std::string errors;
    std::vector<unsigned char> pixels;
    TgaImage image;
};

Loaded load(const Bytes& bytes)
{
    Loaded result;
    testing::internal::CaptureStderr();
    result.ok = loadTgaFromMemory(&result.image, bytes.data(), bytes.size(), "test.tga");
    result.errors = testing::internal::GetCapturedStderr();
    if (result.ok)
    {
        const size_t size =
            size_t(result.image.width) * result.image.height * (result.image.bitsPerPixel / 8);
        result.pixels.assign(result.image.pixels, result.image.pixels + size);
        std::free(result.image.pixels);
    }
    else
    {
        EXPECT_EQ(result.image.pixels, nullptr) << "no buffer is left after a failure";
    }
    return result;
}

Bytes repeated(const Bytes& pixel, int count)
{
    Bytes out;
    for (int i = 0; i < count; ++i)
    {
        out = out + pixel;
    }
    return out;
}

// Every message the reader writes; a refused file prints one or more of these.
bool isReaderMessage(const std::string& text)
{
    static const char* const kMessages[] = {
        "Could not read file header", "TGA file be type 2 or type 10 ",
        "Could not read info header", "Invalid texture information",
        "Could not read image data",  "Could not read RLE header",
        "Could not read from file",   "Too many pixels read"};
    for (const char* message : kMessages)
    {
        if (text == message)
        {
            return true;
        }
    }
    return false;
}
// A plain decoder of 32-bit run-length files, for comparison: every packet in turn, BGRA to RGBA.
Bytes decodeRunLength32(const std::string& path)
{
    Bytes file;
    FILE* stream = std::fopen(path.c_str(), "rb");
    int c = 0;
    while (stream && (c = std::fgetc(stream)) != EOF)
    {
        file.push_back(static_cast<unsigned char>(c));
    }
    if (stream)
    {
        std::fclose(stream);
    }
    const size_t pixels = size_t(file[12] | file[13] << 8) * size_t(file[14] | file[15] << 8);
    Bytes out;
    size_t at = 18;
    while (out.size() < pixels * 4 && at < file.size())
    {
        const int header = file[at++];
        const int count = (header & 0x7F) + 1;
        for (int i = 0; i < count; ++i)
        {
            const size_t source = header & 0x80 ? at : at + size_t(i) * 4;
            out.insert(out.end(),
                       {file[source + 2], file[source + 1], file[source], file[source + 3]});
        }
        at += header & 0x80 ? 4 : size_t(count) * 4;
    }
    return out;
}
} // namespace

TEST(TgaReader, UncompressedPixelsArriveRedFirst)
{
    Loaded rgb = load(tgaHeader(2, 2, 1, 24) + Bytes{1, 2, 3, 4, 5, 6});
    ASSERT_TRUE(rgb.ok) << rgb.errors;
    EXPECT_EQ(rgb.pixels, (Bytes{3, 2, 1, 6, 5, 4}));
    EXPECT_EQ(rgb.image.format, unsigned(GL_RGB));
    EXPECT_EQ(rgb.image.width, 2u);
    EXPECT_EQ(rgb.image.height, 1u);

    Loaded rgba = load(tgaHeader(2, 1, 1, 32) + Bytes{10, 20, 30, 40});
    ASSERT_TRUE(rgba.ok);
    EXPECT_EQ(rgba.pixels, (Bytes{30, 20, 10, 40}));
    EXPECT_EQ(rgba.image.format, unsigned(GL_RGBA));
    EXPECT_EQ(rgba.image.bitsPerPixel, 32u);
}

TEST(TgaReader, RunLengthPacketsRepeatOrCopyPixels)
{
    // 0x81: a run of two; 0x00: one raw pixel.
    Loaded small = load(tgaHeader(10, 3, 1, 24) + Bytes{0x81, 1, 2, 3, 0x00, 4, 5, 6});
    ASSERT_TRUE(small.ok) << small.errors;
    EXPECT_EQ(small.pixels, (Bytes{3, 2, 1, 3, 2, 1, 6, 5, 4}));

    // 0x7F: 128 raw pixels, then 0xFF: a run of 128, exactly filling 16 x 16.
    Bytes raw;
    for (int i = 0; i < 128; ++i)
    {
        raw = raw + Bytes{static_cast<unsigned char>(i), 0, 9, 0xA0};
    }
    Loaded full = load(tgaHeader(10, 16, 16, 32) + Bytes{0x7F} + raw + Bytes{0xFF, 7, 8, 9, 10});
    ASSERT_TRUE(full.ok) << full.errors;
    ASSERT_EQ(full.pixels.size(), 256u * 4);
    EXPECT_EQ(full.pixels[127 * 4 + 2], 127);
    EXPECT_EQ(full.pixels[127 * 4 + 3], 0xA0);
    EXPECT_EQ(Bytes(full.pixels.begin() + 128 * 4, full.pixels.end()),
              repeated({9, 8, 7, 10}, 128));
}

TEST(TgaReader, RefusesPacketsPastTheLastPixel)
{
    // A run crossing the last pixel: 3 pixels wanted, a run of 4 after one raw pixel.
    Loaded run = load(tgaHeader(10, 2, 2, 24) + Bytes{0x00, 1, 1, 1, 0x83, 2, 2, 2});
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.errors, "Too many pixels read");

    Loaded raw = load(tgaHeader(10, 2, 1, 24) + Bytes{0x02} + repeated({1, 2, 3}, 3));
    EXPECT_FALSE(raw.ok);
    EXPECT_EQ(raw.errors, "Too many pixels read");
}

TEST(TgaReader, RefusesHeadersOtherThanPlainTrueColour)
{
    const Bytes good = tgaHeader(2, 1, 1, 24) + Bytes{1, 2, 3};
    const std::pair<int, unsigned char> spoilers[] = {
        {0, 4},  // an image identifier
        {1, 1},  // a colour map
        {2, 3},  // grey scale
        {2, 9},  // run-length colour-mapped
        {5, 1},  // colour-map length
        {10, 5}, // origin
    };
    for (const auto& spoiler : spoilers)
    {
        Bytes bytes = good;
        bytes[size_t(spoiler.first)] = spoiler.second;
        Loaded result = load(bytes);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.errors, "TGA file be type 2 or type 10 ") << "byte " << spoiler.first;
    }
}

TEST(TgaReader, RefusesSizesAndDepthsItCannotUse)
{
    EXPECT_EQ(load(tgaHeader(2, 1, 1, 16) + Bytes{1, 2}).errors, "Invalid texture information");
    EXPECT_EQ(load(tgaHeader(10, 0, 4, 24)).errors, "Invalid texture information");
    EXPECT_EQ(load(tgaHeader(2, 4, 0, 32)).errors, "Invalid texture information");
}

TEST(TgaReader, ReportsWhereAShortFileEnds)
{
    const Bytes header = tgaHeader(2, 2, 2, 24);
    EXPECT_EQ(load(Bytes(header.begin(), header.begin() + 11)).errors,
              "Could not read file header");
    EXPECT_EQ(load(Bytes(header.begin(), header.begin() + 17)).errors,
              "Could not read info header");
    EXPECT_EQ(load(header + repeated({1, 2, 3}, 3)).errors, "Could not read image data");

    const Bytes rle = tgaHeader(10, 2, 2, 24);
    EXPECT_EQ(load(rle + Bytes{0x81, 1, 2, 3}).errors, "Could not read RLE header");
    EXPECT_EQ(load(rle + Bytes{0x01, 1, 2, 3, 4}).errors, "Could not read image data");
    EXPECT_EQ(load(rle + Bytes{0x81, 1, 2, 3, 0x81, 1, 2}).errors, "Could not read from file");
    // The largest image the header allows, with a few bytes of packets: refused from the
    // packets, without a buffer for four thousand million pixels.
    EXPECT_EQ(load(tgaHeader(10, 65535, 65535, 32) + Bytes{0xFF, 1, 2, 3, 4}).errors,
              "Could not read RLE header");
    EXPECT_EQ(load(tgaHeader(2, 65535, 65535, 32) + Bytes{1, 2, 3, 4}).errors,
              "Could not read image data");
}

TEST(TgaReader, MissingFileNamesThePath)
{
    TgaImage image;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(loadTga(&image, "no/such/skin.tga"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Could not open texture file no/such/skin.tga\n");
    EXPECT_EQ(image.pixels, nullptr);
}

// Every file of the shared TGA set is read or refused with the reader's own messages; the two
// run-length images whose packets cross rows hold the same picture, stored from opposite ends.
TEST(TgaReader, ReadsOrRefusesEveryCorpusFile)
{
    SKIP_WITHOUT_CORPORA();
    int loaded = 0;
    int refused = 0;
    for (const char* folder : {"tga", "tga/malformed"})
    {
        const std::string directory = corporaPath(folder);
        DIR* dir = opendir(directory.c_str());
        ASSERT_NE(dir, nullptr) << directory;
        while (dirent* entry = readdir(dir))
        {
            const std::string name = entry->d_name;
            if (name.size() < 4 || name.substr(name.size() - 4) != ".tga")
            {
                continue;
            }
            TgaImage image;
            testing::internal::CaptureStderr();
            const bool ok = loadTga(&image, (directory + "/" + name).c_str());
            const std::string errors = testing::internal::GetCapturedStderr();
            if (ok)
            {
                ++loaded;
                EXPECT_EQ(errors, "") << name;
                std::free(image.pixels);
            }
            else
            {
                ++refused;
                EXPECT_TRUE(isReaderMessage(errors)) << name << ": " << errors;
                EXPECT_EQ(image.pixels, nullptr) << name;
            }
        }
        closedir(dir);
    }
    EXPECT_EQ(loaded, 2) << "the two 32-bit run-length images";
    EXPECT_GE(refused, 15);

    // The two files differ only in the descriptor's origin bit, which the reader leaves alone;
    // their packets cross rows, and both decode like the plain decoder here.
    TgaImage top;
    TgaImage bottom;
    ASSERT_TRUE(loadTga(&top, corporaPath("tga/imagers_top_left.tga").c_str()));
    ASSERT_TRUE(loadTga(&bottom, corporaPath("tga/imagers_bottom_left.tga").c_str()));
    ASSERT_EQ(top.width, 75u);
    ASSERT_EQ(top.height, 70u);
    const size_t size = size_t(top.width) * top.height * 4;
    EXPECT_EQ(std::memcmp(top.pixels, bottom.pixels, size), 0);
    const Bytes expected = decodeRunLength32(corporaPath("tga/imagers_top_left.tga"));
    ASSERT_EQ(expected.size(), size);
    EXPECT_EQ(Bytes(top.pixels, top.pixels + size), expected);
    std::free(top.pixels);
    std::free(bottom.pixels);
}
