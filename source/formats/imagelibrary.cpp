// The image library's start-up and error stack.
#include "formats/imagelibrary.h"

#include <IL/il.h>

#include <cstdio>

namespace
{
const char* errorWords(ILenum error)
{
    switch (error)
    {
        case IL_OUT_OF_MEMORY:
            return "out of memory";
        case IL_INVALID_VALUE:
            return "invalid value";
        case IL_FORMAT_NOT_SUPPORTED:
            return "format not supported";
        case IL_ILLEGAL_FILE_VALUE:
            return "illegal value in the file";
        case IL_INVALID_FILE_HEADER:
            return "invalid file header";
        case IL_INVALID_EXTENSION:
            return "unknown file extension";
        case IL_INVALID_CONVERSION:
            return "cannot be converted";
        case IL_BAD_DIMENSIONS:
            return "bad dimensions";
        case IL_FILE_READ_ERROR:
            return "read error";
        case IL_LIB_PNG_ERROR:
            return "refused by the PNG decoder";
        case IL_LIB_JPEG_ERROR:
            return "refused by the JPEG decoder";
        default:
            return "unknown error";
    }
}
} // namespace

void initImageLibrary()
{
    static bool initialised = false;
    if (!initialised)
    {
        ilInit();
        initialised = true;
    }
}

void clearImageLibraryErrors()
{
    // The stack is bounded; the limit only guards against a library that never runs dry.
    for (int i = 0; i < 256 && ilGetError() != IL_NO_ERROR; ++i)
    {
    }
}

unsigned takeImageLibraryError()
{
    const ILenum error = ilGetError();
    clearImageLibraryErrors();
    return error;
}

std::string describeImageLoadError(unsigned error)
{
    if (error == IL_COULD_NOT_OPEN_FILE)
    {
        return "cannot be opened";
    }
    char text[128];
    std::snprintf(text, sizeof text, "not a readable image (%s, image library error 0x%04x)",
                  errorWords(ILenum(error)), error);
    return text;
}
