// Any bytes through the DIB loader: every input is either decoded or refused with a message.
#include "formats/dibloader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{
char g_quietFlag[] = "-close_fd_mask=2";
}

// Refusals print one line each; closing the harness's stderr keeps the run fast and its log
// short, while libFuzzer and the sanitizers keep reporting on their own copy of the stream.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static char** arguments = nullptr;
    arguments = static_cast<char**>(std::calloc(size_t(*argc) + 2, sizeof(char*)));
    std::memcpy(arguments, *argv, size_t(*argc) * sizeof(char*));
    arguments[*argc] = g_quietFlag;
    *argc += 1;
    *argv = arguments;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DecodedImage image;
    if (loadDibImageFromMemory(data, size, "fuzz.bmp", image))
    {
        // Reading the first and last byte makes a buffer shorter than width x height x 3 show.
        const size_t bytes = size_t(image.width) * size_t(image.height) * 3;
        volatile unsigned char ends = image.pixels.data()[0] ^ image.pixels.data()[bytes - 1];
        (void)ends;
    }
    return 0;
}
