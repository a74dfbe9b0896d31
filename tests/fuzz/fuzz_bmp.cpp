// Any bytes through the stand-alone BMP reader: a result code, never a read or write outside
// the buffers.
#include "formats/bmpreader.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    BmpImage image;
    const char code = readBmpFromMemory(data, size, image);
    if (code == kBmpOk)
    {
        // Reading the last byte makes a buffer shorter than width x height x 3 show.
        volatile unsigned char last = *image.pixelAt(image.width - 1, image.height - 1, 2);
        (void)last;
    }
    return 0;
}
