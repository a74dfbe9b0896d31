// TGA encoding: an 18-byte header without identifier or colour map, then the pixels as
// blue-green-red(-alpha), raw or in run-length packets of at most 128 pixels.
#include "tgawriter.h"

#include "bmpwriter.h"

#include <cstdio>
#include <cstring>

namespace
{
const int kMaxPacket = 128;

void putU16(std::vector<unsigned char>& out, unsigned value)
{
    out.push_back((unsigned char)(value & 0xFF));
    out.push_back((unsigned char)((value >> 8) & 0xFF));
}

void putPixel(std::vector<unsigned char>& out, const unsigned char* rgba, int channels)
{
    out.push_back(rgba[2]);
    out.push_back(rgba[1]);
    out.push_back(rgba[0]);
    if (channels == 4)
    {
        out.push_back(rgba[3]);
    }
}

bool samePixel(const unsigned char* a, const unsigned char* b, int channels)
{
    return std::memcmp(a, b, size_t(channels)) == 0;
}

// Length of the run of identical pixels starting at x, at most kMaxPacket.
int runLengthAt(const unsigned char* row, int x, int width, int channels)
{
    int length = 1;
    while (x + length < width && length < kMaxPacket &&
           samePixel(row + size_t(x) * channels, row + size_t(x + length) * channels, channels))
    {
        ++length;
    }
    return length;
}

void encodeRow(std::vector<unsigned char>& out, const unsigned char* row, int width, int channels)
{
    int x = 0;
    while (x < width)
    {
        const int run = runLengthAt(row, x, width, channels);
        if (run >= 2)
        {
            out.push_back((unsigned char)(128 + run - 1));
            putPixel(out, row + size_t(x) * channels, channels);
            x += run;
            continue;
        }
        // A raw packet reaches up to the next run of two or more.
        int count = 1;
        while (x + count < width && count < kMaxPacket &&
               runLengthAt(row, x + count, width, channels) < 2)
        {
            ++count;
        }
        out.push_back((unsigned char)(count - 1));
        for (int i = 0; i < count; ++i)
        {
            putPixel(out, row + size_t(x + i) * channels, channels);
        }
        x += count;
    }
}
} // namespace

TrueColourImage::TrueColourImage(const RgbImage& image)
    : width(image.width), height(image.height), channels(3), pixels(image.pixels)
{
}

std::vector<unsigned char> encodeTga(const TrueColourImage& image, bool runLength)
{
    std::vector<unsigned char> out;
    const bool sizeFits =
        image.width > 0 && image.width <= 65535 && image.height > 0 && image.height <= 65535;
    const bool channelsFit = image.channels == 3 || image.channels == 4;
    if (!sizeFits || !channelsFit ||
        image.pixels.size() != size_t(image.width) * size_t(image.height) * size_t(image.channels))
    {
        return out;
    }
    out.reserve(18 + image.pixels.size() + image.pixels.size() / 2);
    out.assign(12, 0);
    out[2] = (unsigned char)(runLength ? 10 : 2);
    putU16(out, unsigned(image.width));
    putU16(out, unsigned(image.height));
    out.push_back((unsigned char)(image.channels * 8));
    out.push_back((unsigned char)(image.channels == 4 ? 8 : 0)); // alpha bits, bottom-left origin
    const size_t rowBytes = size_t(image.width) * size_t(image.channels);
    for (int y = 0; y < image.height; ++y)
    {
        const unsigned char* row = image.pixels.data() + size_t(y) * rowBytes;
        if (runLength)
        {
            encodeRow(out, row, image.width, image.channels);
            continue;
        }
        for (int x = 0; x < image.width; ++x)
        {
            putPixel(out, row + size_t(x) * image.channels, image.channels);
        }
    }
    return out;
}

bool writeTga(const std::string& path, const TrueColourImage& image, bool runLength)
{
    const std::vector<unsigned char> bytes = encodeTga(image, runLength);
    if (bytes.empty())
    {
        std::fprintf(stderr, "%s: cannot encode a %d x %d image with %d channels as TGA\n",
                     path.c_str(), image.width, image.height, image.channels);
        return false;
    }
    return writeBytes(path, bytes);
}
