// Uncompressed 24-bit BMP encoding.
#include "bmpwriter.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace
{
void putU16(std::vector<unsigned char>& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void putU32(std::vector<unsigned char>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
    {
        out.push_back(uint8_t(value >> shift));
    }
}
} // namespace

std::vector<unsigned char> encodeBmp24(const RgbImage& image)
{
    const uint32_t rowBytes = (uint32_t(image.width) * 3 + 3) & ~3u;
    const uint32_t pixelBytes = rowBytes * uint32_t(image.height);
    std::vector<unsigned char> out;
    out.reserve(54 + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    putU32(out, 54 + pixelBytes);
    putU32(out, 0);
    putU32(out, 54);
    putU32(out, 40);
    putU32(out, uint32_t(image.width));
    putU32(out, uint32_t(image.height));
    putU16(out, 1);
    putU16(out, 24);
    putU32(out, 0);
    putU32(out, pixelBytes);
    putU32(out, 2835);
    putU32(out, 2835);
    putU32(out, 0);
    putU32(out, 0);
    for (int y = 0; y < image.height; ++y)
    {
        for (int x = 0; x < image.width; ++x)
        {
            const unsigned char* rgb = image.at(x, y);
            out.push_back(rgb[2]);
            out.push_back(rgb[1]);
            out.push_back(rgb[0]);
        }
        for (uint32_t pad = uint32_t(image.width) * 3; pad < rowBytes; ++pad)
        {
            out.push_back(0);
        }
    }
    return out;
}

bool writeBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
    {
        std::fprintf(stderr, "%s: cannot create: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
    {
        std::fprintf(stderr, "%s: write failed: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

bool writeBmp24(const std::string& path, const RgbImage& image)
{
    return writeBytes(path, encodeBmp24(image));
}
