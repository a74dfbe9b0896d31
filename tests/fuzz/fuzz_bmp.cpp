// Any bytes through the stand-alone BMP reader: a result code, never a read or write outside
// the buffers.
#include "bmpreader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    BmpImage image;
    const char code = readBmpFromMemory(data, size, image);
    if (code == kBmpOk)
    {
        // The last byte of the buffer must exist.
        if (*image.pixelAt(image.width - 1, image.height - 1, 2) == 0 && image.width < 0)
        {
            std::abort();
        }
    }
    return 0;
}
