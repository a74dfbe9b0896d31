// imageinfo <file> [copy.png]: prints "<width> <height> <contrast>" of any image the image
// library reads, where contrast is the mean per-channel standard deviation (0 for a flat
// picture), and optionally writes a PNG copy.
// imageinfo --diff <a> <b>: prints, for two images of one size, the mean absolute per-channel
// difference (0…255) over the whole picture and over its lower half (the ground, in a park
// screenshot), then the correlation of their grey levels (1 for the same picture).
// Used by the end-to-end tests to check screenshots and by developers to look at them.
#include <IL/il.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace
{

struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// Reads any image the library knows as bottom-up RGB rows.
bool readPicture(const char* path, Picture& picture)
{
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    const bool read = ilLoadImage(path) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE);
    if (read)
    {
        picture.width = ilGetInteger(IL_IMAGE_WIDTH);
        picture.height = ilGetInteger(IL_IMAGE_HEIGHT);
        const unsigned char* data = ilGetData();
        picture.rgb.assign(data, data + std::size_t(picture.width) * picture.height * 3);
    }
    else
    {
        std::fprintf(stderr, "%s: cannot be read as an image\n", path);
    }
    return read;
}

double contrastOf(const Picture& picture)
{
    const std::size_t count = picture.rgb.size() / 3;
    double contrast = 0.0;
    for (int channel = 0; channel < 3; ++channel)
    {
        double sum = 0.0;
        double squares = 0.0;
        for (std::size_t i = 0; i < count; ++i)
        {
            const double v = picture.rgb[i * 3 + channel];
            sum += v;
            squares += v * v;
        }
        const double mean = sum / double(count);
        contrast += std::sqrt(std::fmax(0.0, squares / double(count) - mean * mean));
    }
    return contrast / 3.0;
}

// Mean absolute channel difference over rows [firstRow, lastRow) (bottom-up).
double meanDifference(const Picture& a, const Picture& b, int firstRow, int lastRow)
{
    const std::size_t begin = std::size_t(firstRow) * a.width * 3;
    const std::size_t end = std::size_t(lastRow) * a.width * 3;
    double sum = 0.0;
    for (std::size_t i = begin; i < end; ++i)
        sum += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    return end > begin ? sum / double(end - begin) : 0.0;
}

// Grey level (0…765) of each pixel.
std::vector<double> greyLevels(const Picture& picture)
{
    std::vector<double> grey(picture.rgb.size() / 3);
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = picture.rgb[i * 3] + picture.rgb[i * 3 + 1] + picture.rgb[i * 3 + 2];
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
    Picture picture;
    if (!readPicture(path, picture))
        return 1;
    std::printf("%d %d %.2f\n", picture.width, picture.height, contrastOf(picture));
    if (copyPath)
    {
        ilEnable(IL_FILE_OVERWRITE);
        if (!ilSaveImage(copyPath))
        {
            std::fprintf(stderr, "%s: cannot be written\n", copyPath);
            return 1;
        }
    }
    return 0;
}

int compare(const char* pathA, const char* pathB)
{
    Picture a;
    Picture b;
    if (!readPicture(pathA, a) || !readPicture(pathB, b))
        return 1;
    if (a.width != b.width || a.height != b.height)
    {
        std::fprintf(stderr, "%s: %dx%d, but %s is %dx%d\n", pathB, b.width, b.height, pathA,
                     a.width, a.height);
        return 1;
    }
    // Light and fog scale a picture far more evenly than a change of view moves it, so the
    // grey correlation stays near 1 for one view under a slowly changing light.
    std::printf("%.2f %.2f %.3f\n", meanDifference(a, b, 0, a.height),
                meanDifference(a, b, 0, a.height / 2), correlation(greyLevels(a), greyLevels(b)));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    ilInit();
    if (argc == 4 && std::string_view(argv[1]) == "--diff")
        return compare(argv[2], argv[3]);
    if (argc == 2 || argc == 3)
        return describe(argv[1], argc == 3 ? argv[2] : nullptr);
    std::fprintf(stderr, "usage: imageinfo <image file> [copy.png]\n"
                         "       imageinfo --diff <image file> <image file>\n");
    return 2;
}
