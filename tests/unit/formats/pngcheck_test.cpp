#include "formats/pngcheck.h"

#include "formats/bytecursor.h"
#include "testpaths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

Bytes readBytes(const std::string& path)
{
    Bytes bytes;
    EXPECT_TRUE(readWholeFile(path.c_str(), bytes)) << path;
    return bytes;
}

std::string problemWith(const Bytes& bytes)
{
    std::string problem;
    EXPECT_FALSE(checkPngStructure(bytes.data(), bytes.size(), problem));
    return problem;
}

// Offsets where the chunks of a well-formed file start, read from its length fields.
std::vector<size_t> chunkOffsets(const Bytes& png)
{
    std::vector<size_t> offsets;
    for (size_t at = 8; at + 8 <= png.size();)
    {
        offsets.push_back(at);
        const size_t length = (size_t(png[at]) << 24) | (size_t(png[at + 1]) << 16) |
                              (size_t(png[at + 2]) << 8) | size_t(png[at + 3]);
        at += length + 12;
    }
    return offsets;
}
} // namespace

TEST(PngCheck, CrcGivesTheStandardCheckValues)
{
    const char* digits = "123456789";
    EXPECT_EQ(pngCrc(reinterpret_cast<const unsigned char*>(digits), 9), 0xCBF43926u);
    const unsigned char iend[4] = {'I', 'E', 'N', 'D'};
    EXPECT_EQ(pngCrc(iend, 4), 0xAE426082u) << "the CRC every PNG file ends with";
}

// The park's plant images and the shared PNG files pass whole; the plant image cut anywhere
// near a chunk boundary, or with one byte changed, is refused with where it breaks.
TEST(PngCheck, WholeFilesPassAndCutOrDamagedOnesAreRefused)
{
    for (const char* plant : {"fgrass", "brush", "fern3", "ohiatree2"})
    {
        const Bytes png = readBytes(parkPath(std::string("terrainTexs/") + plant + ".png"));
        std::string problem;
        EXPECT_TRUE(checkPngStructure(png.data(), png.size(), problem)) << plant << problem;
    }
    if (corporaAvailable())
    {
        for (const char* name : {"pngsuite_basn6a08", "pngsuite_ibasn6a08", "pngsuite_basn6a16",
                                 "glscene_hair_rgba_partial_alpha"})
        {
            const Bytes png = readBytes(corporaPath(std::string("png/") + name + ".png"));
            std::string problem;
            EXPECT_TRUE(checkPngStructure(png.data(), png.size(), problem)) << name << problem;
        }
    }

    const Bytes png = readBytes(parkPath("terrainTexs/fern3.png"));
    const std::vector<size_t> offsets = chunkOffsets(png);
    ASSERT_GE(offsets.size(), 3u) << "header, data and end chunks";
    for (size_t chunk : offsets)
    {
        for (size_t cut : {chunk - 1, chunk, chunk + 5, chunk + 11})
        {
            if (cut <= 8 || cut >= png.size())
            {
                continue;
            }
            const std::string problem = problemWith(Bytes(png.begin(), png.begin() + long(cut)));
            const bool named = problem.find("cut short") != std::string::npos ||
                               problem.find("before its IEND chunk") != std::string::npos;
            EXPECT_TRUE(named) << cut << " bytes: " << problem;
        }
    }
    Bytes damaged = png;
    damaged[offsets[1] + 8 + 3] ^= 0x20;
    const std::string type(png.begin() + long(offsets[1]) + 4, png.begin() + long(offsets[1]) + 8);
    EXPECT_EQ(problemWith(damaged), "chunk " + type + " at offset " + std::to_string(offsets[1]) +
                                        " fails its CRC (the file is damaged)");
}

TEST(PngCheck, OtherFilesAreNotPng)
{
    EXPECT_EQ(problemWith(Bytes()), "not a PNG file (no PNG signature)");
    EXPECT_EQ(problemWith(Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0}),
              "not a PNG file (no PNG signature)");
    // The signature alone, then a chunk other than the header.
    Bytes chunkFirst = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0,    0,
                        0,    0,   'I', 'E', 'N',  'D',  0xAE, 0x42, 0x60, 0x82};
    EXPECT_EQ(problemWith(chunkFirst), "the first chunk is IEND, not IHDR");
}
