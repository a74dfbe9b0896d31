// TGA reading. The messages are the reader's long-standing ones, line breaks included: only the
// first ends its line, so a later message runs on after whatever came before it.
#include "tgareader.h"

#include "bytecursor.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace
{
const unsigned char kUncompressedHeader[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const unsigned char kRunLengthHeader[12] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};

void report(const char* message)
{
    std::fputs(message, stderr);
    std::fflush(stderr);
}

struct ImageLayout
{
    unsigned bytesPerPixel = 0;
    size_t pixelCount = 0;
    size_t imageSize = 0;
};

// Reads the six info bytes and fills the image's size and format.
bool startImage(TgaImage* image, ByteCursor& cursor, ImageLayout& layout)
{
    unsigned char info[6];
    if (!cursor.readBytes(info, sizeof info))
    {
        report("Could not read info header");
        return false;
    }
    image->width = info[1] * 256u + info[0];
    image->height = info[3] * 256u + info[2];
    image->bitsPerPixel = info[4];
    if (image->width == 0 || image->height == 0 ||
        (image->bitsPerPixel != 24 && image->bitsPerPixel != 32))
    {
        report("Invalid texture information");
        return false;
    }
    image->format = image->bitsPerPixel == 24 ? GL_RGB : GL_RGBA;
    layout.bytesPerPixel = image->bitsPerPixel / 8;
    layout.pixelCount = size_t(image->width) * image->height;
    layout.imageSize = layout.pixelCount * layout.bytesPerPixel;
    return true;
}

bool allocatePixels(TgaImage* image, const ImageLayout& layout)
{
    image->pixels = static_cast<unsigned char*>(std::malloc(layout.imageSize));
    if (!image->pixels)
    {
        report("Could not allocate memory for image");
        return false;
    }
    return true;
}

void releasePixels(TgaImage* image)
{
    std::free(image->pixels);
    image->pixels = nullptr;
}

bool loadUncompressedTga(TgaImage* image, ByteCursor& cursor)
{
    ImageLayout layout;
    if (!startImage(image, cursor, layout))
    {
        return false;
    }
    // A file too short for its pixels is refused before anything is allocated for them.
    if (cursor.remaining() < layout.imageSize)
    {
        report("Could not read image data");
        return false;
    }
    if (!allocatePixels(image, layout) || !cursor.readBytes(image->pixels, layout.imageSize))
    {
        report("Could not read image data");
        releasePixels(image);
        return false;
    }
    for (size_t offset = 0; offset < layout.imageSize; offset += layout.bytesPerPixel)
    {
        std::swap(image->pixels[offset], image->pixels[offset + 2]);
    }
    return true;
}

// Stores one blue-green-red(-alpha) pixel as red-green-blue(-alpha) into `pixels` (counted only,
// when null); false, with nothing written, when the image is already full.
bool storePixel(unsigned char* pixels, const ImageLayout& layout, const unsigned char* pixel,
                size_t& pixelCounter)
{
    if (pixelCounter >= layout.pixelCount)
    {
        report("Too many pixels read");
        return false;
    }
    if (!pixels)
    {
        ++pixelCounter;
        return true;
    }
    unsigned char* target = pixels + pixelCounter * layout.bytesPerPixel;
    target[0] = pixel[2];
    target[1] = pixel[1];
    target[2] = pixel[0];
    if (layout.bytesPerPixel == 4)
    {
        target[3] = pixel[3];
    }
    ++pixelCounter;
    return true;
}

// Decodes packets until the image is full. With null `pixels` it only checks the packets.
bool readRunLengthPackets(unsigned char* pixels, ByteCursor& cursor, const ImageLayout& layout)
{
    unsigned char pixel[4];
    size_t pixelCounter = 0;
    while (pixelCounter < layout.pixelCount)
    {
        uint8_t chunkheader = 0;
        if (!cursor.readU8(chunkheader))
        {
            report("Could not read RLE header");
            return false;
        }
        if (chunkheader < 128)
        {
            for (int i = 0; i <= chunkheader; ++i)
            {
                if (!cursor.readBytes(pixel, layout.bytesPerPixel))
                {
                    report("Could not read image data");
                    return false;
                }
                if (!storePixel(pixels, layout, pixel, pixelCounter))
                {
                    return false;
                }
            }
        }
        else
        {
            if (!cursor.readBytes(pixel, layout.bytesPerPixel))
            {
                report("Could not read from file");
                return false;
            }
            for (int i = 0; i < chunkheader - 127; ++i)
            {
                if (!storePixel(pixels, layout, pixel, pixelCounter))
                {
                    return false;
                }
            }
        }
    }
    return true;
}

bool loadCompressedTga(TgaImage* image, ByteCursor& cursor)
{
    ImageLayout layout;
    if (!startImage(image, cursor, layout))
    {
        return false;
    }
    // Every packet brings at most 128 pixels: a file with too few bytes to fill the image is
    // walked without a buffer, to the message that ends it, rather than allocating for pixels
    // that can never arrive.
    const size_t packetBytes = 1 + layout.bytesPerPixel;
    const size_t fewestPackets = (layout.pixelCount + 127) / 128;
    if (cursor.remaining() / packetBytes < fewestPackets)
    {
        readRunLengthPackets(nullptr, cursor, layout);
        return false;
    }
    if (!allocatePixels(image, layout))
    {
        return false;
    }
    if (!readRunLengthPackets(image->pixels, cursor, layout))
    {
        releasePixels(image);
        return false;
    }
    return true;
}
} // namespace

bool loadTgaFromMemory(TgaImage* image, const unsigned char* data, size_t size, const char*)
{
    image->pixels = nullptr;
    ByteCursor cursor(data, size);
    unsigned char header[12];
    if (!cursor.readBytes(header, sizeof header))
    {
        report("Could not read file header");
        return false;
    }
    if (std::memcmp(header, kUncompressedHeader, sizeof header) == 0)
    {
        return loadUncompressedTga(image, cursor);
    }
    if (std::memcmp(header, kRunLengthHeader, sizeof header) == 0)
    {
        return loadCompressedTga(image, cursor);
    }
    report("TGA file be type 2 or type 10 ");
    return false;
}

bool loadTga(TgaImage* image, const char* path)
{
    std::vector<unsigned char> bytes;
    if (!readWholeFile(path, bytes))
    {
        std::fprintf(stderr, "Could not open texture file %s\n", path);
        std::fflush(stderr);
        image->pixels = nullptr;
        return false;
    }
    return loadTgaFromMemory(image, bytes.data(), bytes.size(), path);
}
