// imageinfo <file> [copy.png]: prints "<width> <height> <contrast>" of any image the image
// library reads, where contrast is the mean per-channel standard deviation (0 for a flat
// picture), and optionally writes a PNG copy.
// imageinfo --diff <a> <b>: prints, for two images of one size, the mean absolute per-channel
// difference (0…255) over the whole picture and over its lower half (the ground, in a park
// screenshot), then the correlation of their grey levels (1 for the same picture); with a third
// path, it also writes a picture of where they differ: the first image in grey, every pixel that
// differs by more than 2 levels in some channel in red.
// imageinfo --window <id> [copy.png]: prints "<width> <height> <contrast>" of what an X window on
// $DISPLAY shows now, so a test can wait for a program's first frame without asking it for a
// screenshot.
// imageinfo --mean <file>: prints the mean level (0…255) of every channel of every pixel, to tell
// a picture of the day from one of the night.
// Used by the end-to-end tests to check screenshots and by developers to look at them.
#include "pngwriter.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace
{
double contrastOf(const RgbImage& picture)
{
    const std::size_t count = picture.pixels.size() / 3;
    double contrast = 0.0;
    for (int channel = 0; channel < 3; ++channel)
    {
        double sum = 0.0;
        double squares = 0.0;
        for (std::size_t i = 0; i < count; ++i)
        {
            const double v = picture.pixels[i * 3 + channel];
            sum += v;
            squares += v * v;
        }
        const double mean = sum / double(count);
        contrast += std::sqrt(std::fmax(0.0, squares / double(count) - mean * mean));
    }
    return contrast / 3.0;
}

// Mean absolute channel difference over rows [firstRow, lastRow) (bottom-up).
double meanDifference(const RgbImage& a, const RgbImage& b, int firstRow, int lastRow)
{
    const std::size_t begin = std::size_t(firstRow) * a.width * 3;
    const std::size_t end = std::size_t(lastRow) * a.width * 3;
    double sum = 0.0;
    for (std::size_t i = begin; i < end; ++i)
        sum += std::abs(int(a.pixels[i]) - int(b.pixels[i]));
    return end > begin ? sum / double(end - begin) : 0.0;
}

// Grey level (0…765) of each pixel.
std::vector<double> greyLevels(const RgbImage& picture)
{
    std::vector<double> grey(picture.pixels.size() / 3);
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = picture.pixels[i * 3] + picture.pixels[i * 3 + 1] + picture.pixels[i * 3 + 2];
    return grey;
}

// Pearson correlation of two equally long series (0 when either is constant).
double correlation(const std::vector<double>& a, const std::vector<double>& b)
{
    double sumA = 0.0, sumB = 0.0, sumAA = 0.0, sumBB = 0.0, sumAB = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        sumA += a[i];
        sumB += b[i];
        sumAA += a[i] * a[i];
        sumBB += b[i] * b[i];
        sumAB += a[i] * b[i];
    }
    const double n = double(a.size());
    const double covariance = sumAB / n - (sumA / n) * (sumB / n);
    const double scale =
        std::sqrt((sumAA / n - (sumA / n) * (sumA / n)) * (sumBB / n - (sumB / n) * (sumB / n)));
    return scale > 0.0 ? covariance / scale : 0.0;
}

int describe(const char* path, const char* copyPath)
{
    RgbImage picture;
    if (!readImageRgb(path, picture))
        return 1;
    std::printf("%d %d %.2f\n", picture.width, picture.height, contrastOf(picture));
    return copyPath && !writePngRgb(copyPath, picture) ? 1 : 0;
}

// The mean level of every channel of every pixel, 0 ... 255: how bright the picture is.
int describeBrightness(const char* path)
{
    RgbImage picture;
    if (!readImageRgb(path, picture))
        return 1;
    double sum = 0.0;
    for (unsigned char level : picture.pixels)
        sum += level;
    std::printf("%.2f\n", picture.pixels.empty() ? 0.0 : sum / double(picture.pixels.size()));
    return 0;
}

// The first picture darkened to grey, with the pixels that differ in red.
RgbImage differenceMap(const RgbImage& a, const RgbImage& b)
{
    RgbImage map(a.width, a.height);
    for (std::size_t i = 0; i < a.pixels.size(); i += 3)
    {
        bool differs = false;
        for (int channel = 0; channel < 3; ++channel)
            differs =
                differs || std::abs(int(a.pixels[i + channel]) - int(b.pixels[i + channel])) > 2;
        const int grey = (a.pixels[i] + a.pixels[i + 1] + a.pixels[i + 2]) / 6;
        map.pixels[i] = (unsigned char)(differs ? 255 : grey);
        map.pixels[i + 1] = (unsigned char)(differs ? 0 : grey);
        map.pixels[i + 2] = (unsigned char)(differs ? 0 : grey);
    }
    return map;
}

int compare(const char* pathA, const char* pathB, const char* mapPath)
{
    RgbImage a;
    RgbImage b;
    if (!readImageRgb(pathA, a) || !readImageRgb(pathB, b))
        return 1;
    if (a.width != b.width || a.height != b.height)
    {
        std::fprintf(stderr, "%s: %dx%d, but %s is %dx%d\n", pathB, b.width, b.height, pathA,
                     a.width, a.height);
        return 1;
    }
    std::printf("%.2f %.2f %.3f\n", meanDifference(a, b, 0, a.height),
                meanDifference(a, b, 0, a.height / 2), correlation(greyLevels(a), greyLevels(b)));
    return mapPath && !writePngRgb(mapPath, differenceMap(a, b)) ? 1 : 0;
}

// A channel of an X pixel scaled to 0…255.
unsigned char channelOf(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0)
        ++shift;
    const unsigned long maximum = mask >> shift;
    return (unsigned char)(((pixel & mask) >> shift) * 255u / maximum);
}

bool g_xFailed = false;

int noteXError(Display*, XErrorEvent*)
{
    g_xFailed = true;
    return 0;
}

int describeWindow(const char* id, const char* copyPath)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
    {
        std::fprintf(stderr, "imageinfo: cannot open the display\n");
        return 1;
    }
    XSetErrorHandler(noteXError);
    const Window window = Window(std::strtoul(id, nullptr, 0));
    // Read from the root window over the window's place: a GL window's own visual may not
    // allow reading it directly, and the screen always does.
    XWindowAttributes attributes;
    XImage* image = nullptr;
    int x = 0;
    int y = 0;
    Window child = 0;
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable &&
        XTranslateCoordinates(display, window, attributes.root, 0, 0, &x, &y, &child))
    {
        // Only the part on the screen: a window without a manager may hang over its edge.
        XWindowAttributes screen;
        XGetWindowAttributes(display, attributes.root, &screen);
        const int left = std::max(x, 0);
        const int top = std::max(y, 0);
        const int width = std::min(x + attributes.width, screen.width) - left;
        const int height = std::min(y + attributes.height, screen.height) - top;
        if (width > 0 && height > 0)
        {
            image = XGetImage(display, attributes.root, left, top, unsigned(width),
                              unsigned(height), AllPlanes, ZPixmap);
        }
        XSync(display, False);
    }
    if (!image || g_xFailed)
    {
        std::fprintf(stderr, "imageinfo: window %s cannot be read\n", id);
        if (image)
            XDestroyImage(image);
        XCloseDisplay(display);
        return 1;
    }
    RgbImage picture(image->width, image->height);
    for (int y = 0; y < image->height; ++y)
    {
        for (int x = 0; x < image->width; ++x)
        {
            const unsigned long pixel = XGetPixel(image, x, y);
            unsigned char* rgb = picture.at(x, image->height - 1 - y);
            rgb[0] = channelOf(pixel, image->red_mask);
            rgb[1] = channelOf(pixel, image->green_mask);
            rgb[2] = channelOf(pixel, image->blue_mask);
        }
    }
    XDestroyImage(image);
    XCloseDisplay(display);
    std::printf("%d %d %.2f\n", picture.width, picture.height, contrastOf(picture));
    return copyPath && !writePngRgb(copyPath, picture) ? 1 : 0;
}
} // namespace

int main(int argc, char** argv)
{
    if ((argc == 4 || argc == 5) && std::string_view(argv[1]) == "--diff")
        return compare(argv[2], argv[3], argc == 5 ? argv[4] : nullptr);
    if (argc == 3 && std::string_view(argv[1]) == "--mean")
        return describeBrightness(argv[2]);
    if ((argc == 3 || argc == 4) && std::string_view(argv[1]) == "--window")
        return describeWindow(argv[2], argc == 4 ? argv[3] : nullptr);
    if (argc == 2 || argc == 3)
        return describe(argv[1], argc == 3 ? argv[2] : nullptr);
    std::fprintf(stderr, "usage: imageinfo <image file> [copy.png]\n"
                         "       imageinfo --diff <image file> <image file> [map.png]\n"
                         "       imageinfo --window <X window id> [copy.png]\n"
                         "       imageinfo --mean <image file>\n");
    return 2;
}
