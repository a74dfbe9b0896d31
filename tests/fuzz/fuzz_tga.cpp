// Any bytes given to the TGA reader: read or refused, never out of bounds, no pixels left
// behind on refusal.
#include "formats/tgareader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TgaImage image;
    const bool loaded = loadTgaFromMemory(&image, data, size, "fuzz.tga");
    if (!loaded && !image.pixels.empty())
    {
        std::abort();
    }
    if (loaded)
    {
        // Touch the last byte: the buffer must hold every pixel.
        const size_t bytes = size_t(image.width) * image.height * (image.bitsPerPixel / 8);
        volatile unsigned char last = image.pixels.data()[bytes - 1];
        (void)last;
    }
    return 0;
}
