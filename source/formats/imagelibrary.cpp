// The image library behind plain pixels. The library holds process-wide state (the bound image,
// flags such as the overwrite flag and the origin mode, and a stack of errors that keeps an error
// until someone reads it), so every call here works on an image of its own, reads the image's
// own origin rather than trusting the mode, and puts back what it changed.
#include "formats/imagelibrary.h"

#include "formats/loadreport.h"

#include <IL/il.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

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

void clearErrors()
{
    // The stack is bounded; the limit only guards against a library that never runs dry.
    for (int i = 0; i < 256 && ilGetError() != IL_NO_ERROR; ++i)
    {
    }
}

// The most recent error, with every older one discarded.
ILenum takeError()
{
    const ILenum error = ilGetError();
    clearErrors();
    return error;
}

std::string describeLoadError(ILenum error)
{
    if (error == IL_COULD_NOT_OPEN_FILE)
    {
        return "cannot be opened";
    }
    char text[128];
    std::snprintf(text, sizeof text, "not a readable image (%s, image library error 0x%04x)",
                  errorWords(error), unsigned(error));
    return text;
}

bool fileExists(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (file)
    {
        std::fclose(file);
    }
    return file != nullptr;
}

// Why a save failed: the file system's reason when the file cannot be written at all, otherwise
// the library's error. The probe appends nothing and removes only a file it created itself.
std::string describeSaveError(const char* path, ILenum error)
{
    if (error == IL_FILE_ALREADY_EXISTS)
    {
        return "already exists";
    }
    const bool existed = fileExists(path);
    FILE* probe = std::fopen(path, "ab");
    if (!probe)
    {
        return std::strerror(errno);
    }
    std::fclose(probe);
    if (!existed)
    {
        std::remove(path);
    }
    char text[64];
    std::snprintf(text, sizeof text, "image library error 0x%04x", unsigned(error));
    return text;
}

// An image of the library's own for the length of one call, bound in place of whatever was
// bound before; the old binding comes back and no error is left behind.
class ScratchImage
{
public:
    ScratchImage()
    {
        initImageLibrary();
        clearErrors();
        m_previous = ILuint(ilGetInteger(IL_CUR_IMAGE));
        ilGenImages(1, &m_name);
        ilBindImage(m_name);
    }
    ~ScratchImage()
    {
        ilDeleteImages(1, &m_name);
        ilBindImage(m_previous);
        clearErrors();
    }
    ScratchImage(const ScratchImage&) = delete;
    ScratchImage& operator=(const ScratchImage&) = delete;

private:
    ILuint m_name = 0;
    ILuint m_previous = 0;
};

void setFlag(ILenum flag, bool on)
{
    if (on)
    {
        ilEnable(flag);
    }
    else
    {
        ilDisable(flag);
    }
}

bool isPixelLayout(int channels)
{
    return channels == 3 || channels == 4;
}

// The bound image's pixels, converted, with the rows turned bottom first when the image says it
// starts at the top.
bool takeBoundPixels(int channels, DecodedImage& image, std::string& problem)
{
    if (!ilConvertImage(channels == 4 ? IL_RGBA : IL_RGB, IL_UNSIGNED_BYTE))
    {
        problem = describeLoadError(takeError());
        return false;
    }
    DecodedImage decoded;
    decoded.width = ilGetInteger(IL_IMAGE_WIDTH);
    decoded.height = ilGetInteger(IL_IMAGE_HEIGHT);
    decoded.channels = channels;
    const unsigned char* data = ilGetData();
    if (!data || decoded.width <= 0 || decoded.height <= 0)
    {
        return refuse(problem, "not a readable image (it holds no pixels)");
    }
    const size_t rowBytes = decoded.rowBytes();
    decoded.pixels.assign(data, data + rowBytes * size_t(decoded.height));
    if (ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_UPPER_LEFT)
    {
        for (size_t top = 0, bottom = size_t(decoded.height) - 1; top < bottom; ++top, --bottom)
        {
            std::swap_ranges(decoded.pixels.begin() + long(top * rowBytes),
                             decoded.pixels.begin() + long((top + 1) * rowBytes),
                             decoded.pixels.begin() + long(bottom * rowBytes));
        }
    }
    image = std::move(decoded);
    return true;
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

bool loadImageFile(const char* path, int channels, DecodedImage& image, std::string& problem)
{
    if (!isPixelLayout(channels))
    {
        return refuse(problem, "%d channels asked for (3 or 4 can be given)", channels);
    }
    ScratchImage scratch;
    if (!ilLoadImage(path))
    {
        problem = describeLoadError(takeError());
        return false;
    }
    return takeBoundPixels(channels, image, problem);
}

bool decodePngImage(const unsigned char* data, size_t size, int channels, DecodedImage& image,
                    std::string& problem)
{
    if (!isPixelLayout(channels))
    {
        return refuse(problem, "%d channels asked for (3 or 4 can be given)", channels);
    }
    ScratchImage scratch;
    if (!ilLoadL(IL_PNG, data, ILuint(size)))
    {
        problem = describeLoadError(takeError());
        return false;
    }
    return takeBoundPixels(channels, image, problem);
}

bool saveImageFile(const char* path, const DecodedImage& image, bool replace, std::string& problem)
{
    if (!isPixelLayout(image.channels) || image.width <= 0 || image.height <= 0 ||
        image.pixels.size() < image.rowBytes() * size_t(image.height))
    {
        return refuse(problem, "%d x %d image of %d channels cannot be saved", image.width,
                      image.height, image.channels);
    }
    ScratchImage scratch;
    // The library copies the pixels; it only takes them through a pointer it may write.
    ilTexImage(ILuint(image.width), ILuint(image.height), 1, ILubyte(image.channels),
               image.channels == 4 ? IL_RGBA : IL_RGB, IL_UNSIGNED_BYTE,
               const_cast<unsigned char*>(image.pixels.data()));
    // The rows start at the bottom, whatever the mode says new images start from.
    ilRegisterOrigin(IL_ORIGIN_LOWER_LEFT);
    const bool wasReplacing = ilIsEnabled(IL_FILE_OVERWRITE);
    setFlag(IL_FILE_OVERWRITE, replace);
    const bool saved = ilSaveImage(path);
    const ILenum error = saved ? ILenum(IL_NO_ERROR) : takeError();
    setFlag(IL_FILE_OVERWRITE, wasReplacing);
    if (!saved)
    {
        problem = describeSaveError(path, error);
    }
    return saved;
}
