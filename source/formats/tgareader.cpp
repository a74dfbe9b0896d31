// TGA reading. Every refusal gives one of the reader's long-standing messages; the public
// loaders print it after the file's name, on a line of its own.
#include "formats/tgareader.h"

#include "formats/bytecursor.h"
#include "formats/loadreport.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace
{
const unsigned char kUncompressedHeader[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const unsigned char kRunLengthHeader[12] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// Image descriptor bits naming the corner the stored pixels start from.
const unsigned char kRightOrigin = 0x10;
const unsigned char kTopOrigin = 0x20;

// Keeps the first message of a refusal: a later step may fail only because an earlier one did.
class Refusal
{
public:
    bool fail(const char* message)
    {
        if (!m_pMessage)
        {
            m_pMessage = message;
        }
        return false;
    }
    const char* message() const { return m_pMessage ? m_pMessage : ""; }

private:
    const char* m_pMessage = nullptr;
};

struct ImageLayout
{
    unsigned bytesPerPixel = 0;
    size_t pixelCount = 0;
    size_t imageSize = 0;
    unsigned char descriptor = 0;
};

// Reads the six info bytes and fills the image's size and format.
bool startImage(TgaImage* image, ByteCursor& cursor, ImageLayout& layout, Refusal& refusal)
{
    unsigned char info[6];
    if (!cursor.readBytes(info, sizeof info))
    {
        return refusal.fail("Could not read info header");
    }
    image->width = info[1] * 256u + info[0];
    image->height = info[3] * 256u + info[2];
    image->bitsPerPixel = info[4];
    if (image->width == 0 || image->height == 0 ||
        (image->bitsPerPixel != 24 && image->bitsPerPixel != 32))
    {
        return refusal.fail("Invalid texture information");
    }
    layout.bytesPerPixel = image->bitsPerPixel / 8;
    layout.pixelCount = size_t(image->width) * image->height;
    layout.imageSize = layout.pixelCount * layout.bytesPerPixel;
    layout.descriptor = info[5];
    return true;
}

void releasePixels(TgaImage* image)
{
    // Swapped with an empty vector, so that the memory goes too, not only the size.
    std::vector<unsigned char>().swap(image->pixels);
}

bool loadUncompressedTga(TgaImage* image, ByteCursor& cursor, ImageLayout& layout, Refusal& refusal)
{
    if (!startImage(image, cursor, layout, refusal))
    {
        return false;
    }
    // A file too short for its pixels is refused before anything is allocated for them.
    if (cursor.remaining() < layout.imageSize)
    {
        return refusal.fail("Could not read image data");
    }
    image->pixels.resize(layout.imageSize);
    if (!cursor.readBytes(image->pixels.data(), layout.imageSize))
    {
        releasePixels(image);
        return refusal.fail("Could not read image data");
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
                size_t& pixelCounter, Refusal& refusal)
{
    if (pixelCounter >= layout.pixelCount)
    {
        return refusal.fail("Too many pixels read");
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
bool readRunLengthPackets(unsigned char* pixels, ByteCursor& cursor, const ImageLayout& layout,
                          Refusal& refusal)
{
    unsigned char pixel[4];
    size_t pixelCounter = 0;
    while (pixelCounter < layout.pixelCount)
    {
        uint8_t chunkheader = 0;
        if (!cursor.readU8(chunkheader))
        {
            return refusal.fail("Could not read RLE header");
        }
        if (chunkheader < 128)
        {
            for (int i = 0; i <= chunkheader; ++i)
            {
                if (!cursor.readBytes(pixel, layout.bytesPerPixel))
                {
                    return refusal.fail("Could not read image data");
                }
                if (!storePixel(pixels, layout, pixel, pixelCounter, refusal))
                {
                    return false;
                }
            }
        }
        else
        {
            if (!cursor.readBytes(pixel, layout.bytesPerPixel))
            {
                return refusal.fail("Could not read from file");
            }
            for (int i = 0; i < chunkheader - 127; ++i)
            {
                if (!storePixel(pixels, layout, pixel, pixelCounter, refusal))
                {
                    return false;
                }
            }
        }
    }
    return true;
}

bool loadCompressedTga(TgaImage* image, ByteCursor& cursor, ImageLayout& layout, Refusal& refusal)
{
    if (!startImage(image, cursor, layout, refusal))
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
        readRunLengthPackets(nullptr, cursor, layout, refusal);
        return false;
    }
    image->pixels.resize(layout.imageSize);
    if (!readRunLengthPackets(image->pixels.data(), cursor, layout, refusal))
    {
        releasePixels(image);
        return false;
    }
    return true;
}

void reverseRows(TgaImage* image, const ImageLayout& layout)
{
    const size_t rowBytes = size_t(image->width) * layout.bytesPerPixel;
    std::vector<unsigned char> spare(rowBytes);
    for (size_t top = 0, bottom = image->height - 1; top < bottom; ++top, --bottom)
    {
        unsigned char* upper = image->pixels.data() + top * rowBytes;
        unsigned char* lower = image->pixels.data() + bottom * rowBytes;
        std::memcpy(spare.data(), upper, rowBytes);
        std::memcpy(upper, lower, rowBytes);
        std::memcpy(lower, spare.data(), rowBytes);
    }
}

void reverseColumns(TgaImage* image, const ImageLayout& layout)
{
    const unsigned bytes = layout.bytesPerPixel;
    for (size_t row = 0; row < image->height; ++row)
    {
        unsigned char* first = image->pixels.data() + row * image->width * bytes;
        for (size_t left = 0, right = image->width - 1; left < right; ++left, --right)
        {
            std::swap_ranges(first + left * bytes, first + (left + 1) * bytes,
                             first + right * bytes);
        }
    }
}

// Files stored from the top or from the right are turned into the bottom-left order, so that
// a skin maps the same way whichever corner the tool that wrote it started from.
void orientFromBottomLeft(TgaImage* image, const ImageLayout& layout)
{
    if (layout.descriptor & kTopOrigin)
    {
        reverseRows(image, layout);
    }
    if (layout.descriptor & kRightOrigin)
    {
        reverseColumns(image, layout);
    }
}
} // namespace

bool decodeTga(TgaImage* image, const unsigned char* data, size_t size, std::string& reason)
{
    releasePixels(image);
    ByteCursor cursor(data, size);
    Refusal refusal;
    ImageLayout layout;
    unsigned char header[12];
    bool decoded = false;
    if (!cursor.readBytes(header, sizeof header))
    {
        refusal.fail("Could not read file header");
    }
    else if (std::memcmp(header, kUncompressedHeader, sizeof header) == 0)
    {
        decoded = loadUncompressedTga(image, cursor, layout, refusal);
    }
    else if (std::memcmp(header, kRunLengthHeader, sizeof header) == 0)
    {
        decoded = loadCompressedTga(image, cursor, layout, refusal);
    }
    else
    {
        refusal.fail("TGA file be type 2 or type 10");
    }
    if (!decoded)
    {
        reason = refusal.message();
        return false;
    }
    orientFromBottomLeft(image, layout);
    return true;
}

bool readTgaFile(TgaImage* image, const char* path, std::string& reason)
{
    std::vector<unsigned char> bytes;
    if (!readWholeFile(path, bytes))
    {
        releasePixels(image);
        reason = "Could not open texture file";
        return false;
    }
    return decodeTga(image, bytes.data(), bytes.size(), reason);
}

bool loadTgaFromMemory(TgaImage* image, const unsigned char* data, size_t size, const char* name)
{
    std::string reason;
    if (!decodeTga(image, data, size, reason))
    {
        reportLoadFailure(name, reason);
        return false;
    }
    return true;
}

bool loadTga(TgaImage* image, const char* path)
{
    std::string reason;
    if (!readTgaFile(image, path, reason))
    {
        reportLoadFailure(path, reason);
        return false;
    }
    return true;
}
