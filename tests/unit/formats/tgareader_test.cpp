#include "formats/tgareader.h"
#include "testpaths.h"

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

Bytes tgaHeader(int type, int width, int height, int bitsPerPixel, unsigned char descriptor = 0)
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
            descriptor};
}

// The one line the reader prints for a refused fixture.
std::string line(const char* message)
{
    return std::string("test.tga: ") + message + "\n";
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
            size_t(result.image.width) * result.image.height * size_t(result.image.channels());
        EXPECT_EQ(result.image.pixels.size(), size);
        result.pixels = result.image.pixels;
    }
    else
    {
        EXPECT_TRUE(result.image.pixels.empty()) << "no pixels are left after a failure";
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

// Every message the reader writes; a refused file prints one line "<path>: <message>".
bool isReaderMessage(const std::string& path, const std::string& text)
{
    static const char* const kMessages[] = {
        "Could not read file header", "TGA file be type 2 or type 10",
        "Could not read info header", "Invalid texture information",
        "Could not read image data",  "Could not read RLE header",
        "Could not read from file",   "Too many pixels read"};
    for (const char* message : kMessages)
    {
        if (text == path + ": " + message + "\n")
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
    EXPECT_EQ(rgb.image.channels(), 3);
    EXPECT_EQ(rgb.image.width, 2u);
    EXPECT_EQ(rgb.image.height, 1u);

    Loaded rgba = load(tgaHeader(2, 1, 1, 32) + Bytes{10, 20, 30, 40});
    ASSERT_TRUE(rgba.ok);
    EXPECT_EQ(rgba.pixels, (Bytes{30, 20, 10, 40}));
    EXPECT_EQ(rgba.image.channels(), 4);
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
    EXPECT_EQ(run.errors, line("Too many pixels read"));

    Loaded raw = load(tgaHeader(10, 2, 1, 24) + Bytes{0x02} + repeated({1, 2, 3}, 3));
    EXPECT_FALSE(raw.ok);
    EXPECT_EQ(raw.errors, line("Too many pixels read"));
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
        EXPECT_EQ(result.errors, line("TGA file be type 2 or type 10")) << "byte " << spoiler.first;
    }
}

TEST(TgaReader, RefusesSizesAndDepthsItCannotUse)
{
    EXPECT_EQ(load(tgaHeader(2, 1, 1, 16) + Bytes{1, 2}).errors,
              line("Invalid texture information"));
    EXPECT_EQ(load(tgaHeader(10, 0, 4, 24)).errors, line("Invalid texture information"));
    EXPECT_EQ(load(tgaHeader(2, 4, 0, 32)).errors, line("Invalid texture information"));
}

TEST(TgaReader, ReportsWhereAShortFileEnds)
{
    const Bytes header = tgaHeader(2, 2, 2, 24);
    EXPECT_EQ(load(Bytes(header.begin(), header.begin() + 11)).errors,
              line("Could not read file header"));
    EXPECT_EQ(load(Bytes(header.begin(), header.begin() + 17)).errors,
              line("Could not read info header"));
    EXPECT_EQ(load(header + repeated({1, 2, 3}, 3)).errors, line("Could not read image data"));

    const Bytes rle = tgaHeader(10, 2, 2, 24);
    EXPECT_EQ(load(rle + Bytes{0x81, 1, 2, 3}).errors, line("Could not read RLE header"));
    EXPECT_EQ(load(rle + Bytes{0x01, 1, 2, 3, 4}).errors, line("Could not read image data"));
    EXPECT_EQ(load(rle + Bytes{0x81, 1, 2, 3, 0x81, 1, 2}).errors,
              line("Could not read from file"));
    // The largest image the header allows, with a few bytes of packets: refused from the
    // packets, without a buffer for four thousand million pixels.
    EXPECT_EQ(load(tgaHeader(10, 65535, 65535, 32) + Bytes{0xFF, 1, 2, 3, 4}).errors,
              line("Could not read RLE header"));
    EXPECT_EQ(load(tgaHeader(2, 65535, 65535, 32) + Bytes{1, 2, 3, 4}).errors,
              line("Could not read image data"));
}

TEST(TgaReader, EachRefusalIsOneLineNamingTheFile)
{
    TgaImage image;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(loadTga(&image, "no/such/skin.tga"));
    EXPECT_FALSE(loadTga(&image, "no/such/skin.tga"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "no/such/skin.tga: Could not open texture file\n"
              "no/such/skin.tga: Could not open texture file\n");
    EXPECT_TRUE(image.pixels.empty());

    // The quiet form hands the reason back instead.
    std::string reason;
    testing::internal::CaptureStderr();
    const Bytes cut = tgaHeader(2, 2, 2, 24);
    EXPECT_FALSE(decodeTga(&image, cut.data(), 15, reason));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(reason, "Could not read info header");
}

// A 3 x 2 picture stored from each of the four corners, raw and run-length, at both depths:
// every file arrives bottom row first, each row left to right, as a bottom-left file does.
TEST(TgaReader, EveryOriginArrivesInBottomLeftOrder)
{
    const int width = 3;
    const int height = 2;
    // Blue, green, red (and alpha) of the pixel at column x, row y counted from the bottom.
    auto stored = [](int x, int y, int bytes)
    {
        Bytes pixel = {static_cast<unsigned char>(10 + x + 3 * y),
                       static_cast<unsigned char>(100 + x), static_cast<unsigned char>(200 + y)};
        if (bytes == 4)
        {
            pixel.push_back(static_cast<unsigned char>(50 + x + 3 * y));
        }
        return pixel;
    };
    const struct
    {
        unsigned char descriptor;
        bool fromTop;
        bool fromRight;
    } origins[] = {
        {0x00, false, false}, {0x10, false, true}, {0x20, true, false}, {0x30, true, true}};
    for (const auto& origin : origins)
    {
        for (int bitsPerPixel : {24, 32})
        {
            const int bytes = bitsPerPixel / 8;
            Bytes pixelsAsStored;
            Bytes expected;
            for (int row = 0; row < height; ++row)
            {
                for (int column = 0; column < width; ++column)
                {
                    const int y = origin.fromTop ? height - 1 - row : row;
                    const int x = origin.fromRight ? width - 1 - column : column;
                    pixelsAsStored = pixelsAsStored + stored(x, y, bytes);
                    const Bytes inOrder = stored(column, row, bytes);
                    expected = expected + Bytes{inOrder[2], inOrder[1], inOrder[0]};
                    if (bytes == 4)
                    {
                        expected.push_back(inOrder[3]);
                    }
                }
            }
            // The run-length file holds one raw packet that crosses the row boundary.
            const unsigned char descriptor =
                static_cast<unsigned char>(origin.descriptor | (bytes == 4 ? 8 : 0));
            const Bytes raw =
                tgaHeader(2, width, height, bitsPerPixel, descriptor) + pixelsAsStored;
            const Bytes runLength = tgaHeader(10, width, height, bitsPerPixel, descriptor) +
                                    Bytes{width * height - 1} + pixelsAsStored;
            for (const Bytes& file : {raw, runLength})
            {
                const Loaded loaded = load(file);
                ASSERT_TRUE(loaded.ok) << loaded.errors;
                EXPECT_EQ(loaded.pixels, expected)
                    << "descriptor 0x" << std::hex << int(descriptor) << ", type " << int(file[2]);
            }
        }
    }
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
            }
            else
            {
                ++refused;
                EXPECT_TRUE(isReaderMessage(directory + "/" + name, errors)) << errors;
                EXPECT_TRUE(image.pixels.empty()) << name;
            }
        }
        closedir(dir);
    }
    EXPECT_EQ(loaded, 2) << "the two 32-bit run-length images";
    EXPECT_GE(refused, 15);

    // The two files hold the same packets and differ only in the descriptor's origin bit; their
    // packets cross rows. The bottom-left one arrives as stored, the top-left one row-reversed.
    TgaImage top;
    TgaImage bottom;
    ASSERT_TRUE(loadTga(&top, corporaPath("tga/imagers_top_left.tga").c_str()));
    ASSERT_TRUE(loadTga(&bottom, corporaPath("tga/imagers_bottom_left.tga").c_str()));
    ASSERT_EQ(top.width, 75u);
    ASSERT_EQ(top.height, 70u);
    const size_t rowBytes = size_t(top.width) * 4;
    const size_t size = rowBytes * top.height;
    const Bytes asStored = decodeRunLength32(corporaPath("tga/imagers_top_left.tga"));
    ASSERT_EQ(asStored.size(), size);
    EXPECT_EQ(bottom.pixels, asStored);
    for (size_t row = 0; row < top.height; ++row)
    {
        const size_t storedRow = top.height - 1 - row;
        ASSERT_EQ(std::memcmp(top.pixels.data() + row * rowBytes,
                              asStored.data() + storedRow * rowBytes, rowBytes),
                  0)
            << "row " << row;
    }
}
