// Pixel read-back and statistics for the GL tests.
#include "glsupport.h"

#include <GL/gl.h>
#include <GL/glx.h>
#include <IL/il.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

int brightPixels(const Pixels& pixels, int left, int bottom, int right, int top)
{
    int count = 0;
    for (int y = bottom; y < top; ++y)
    {
        for (int x = left; x < right; ++x)
        {
            const unsigned char* p = pixels.at(x, y);
            count += p[0] + p[1] + p[2] > 480;
        }
    }
    return count;
}

std::vector<char> fileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file), {});
}

Pixels readBackBuffer(int width, int height)
{
    Pixels pixels;
    pixels.width = width;
    pixels.height = height;
    pixels.rgb.resize(size_t(width) * size_t(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.rgb.data());
    return pixels;
}

Pixels readWindow(int width, int height)
{
    Pixels pixels;
    Display* display = glXGetCurrentDisplay();
    XImage* image = XGetImage(display, glXGetCurrentDrawable(), 0, 0, unsigned(width),
                              unsigned(height), AllPlanes, ZPixmap);
    if (!image)
    {
        return pixels;
    }
    pixels.width = width;
    pixels.height = height;
    pixels.rgb.resize(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const unsigned long pixel = XGetPixel(image, x, height - 1 - y);
            unsigned char* to = &pixels.rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            to[0] = (unsigned char)((pixel >> 16) & 0xff);
            to[1] = (unsigned char)((pixel >> 8) & 0xff);
            to[2] = (unsigned char)(pixel & 0xff);
        }
    }
    XDestroyImage(image);
    return pixels;
}

double Pixels::meanChannel(int channel) const
{
    double sum = 0.0;
    const size_t count = size_t(width) * size_t(height);
    for (size_t i = 0; i < count; ++i)
    {
        sum += rgb[i * 3 + channel];
    }
    return count ? sum / double(count) : 0.0;
}

double Pixels::contrast() const
{
    const size_t count = size_t(width) * size_t(height);
    if (count == 0)
    {
        return 0.0;
    }
    double total = 0.0;
    for (int channel = 0; channel < 3; ++channel)
    {
        const double mean = meanChannel(channel);
        double squares = 0.0;
        for (size_t i = 0; i < count; ++i)
        {
            const double d = rgb[i * 3 + channel] - mean;
            squares += d * d;
        }
        total += std::sqrt(squares / double(count));
    }
    return total / 3.0;
}

double Pixels::differingFraction(const Pixels& other, int tolerance) const
{
    if (other.width != width || other.height != height)
    {
        return 1.0;
    }
    const size_t count = size_t(width) * size_t(height);
    size_t differing = 0;
    for (size_t i = 0; i < count; ++i)
    {
        for (int channel = 0; channel < 3; ++channel)
        {
            if (std::abs(int(rgb[i * 3 + channel]) - int(other.rgb[i * 3 + channel])) > tolerance)
            {
                ++differing;
                break;
            }
        }
    }
    return count ? double(differing) / double(count) : 0.0;
}

bool savePixelsPng(const Pixels& pixels, const std::string& path)
{
    static bool initialised = false;
    if (!initialised)
    {
        ilInit();
        initialised = true;
    }
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(ILuint(pixels.width), ILuint(pixels.height), 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
               const_cast<unsigned char*>(pixels.rgb.data()));
    ilEnable(IL_FILE_OVERWRITE);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    const bool saved = ilSaveImage(path.c_str()) == IL_TRUE;
    ilDeleteImages(1, &image);
    return saved;
}
