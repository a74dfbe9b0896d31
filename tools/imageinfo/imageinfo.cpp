// imageinfo <file> [copy.png]: prints "<width> <height> <contrast>" of any image the image
// library reads, where contrast is the mean per-channel standard deviation (0 for a flat
// picture), and optionally writes a PNG copy. Used by the end-to-end tests to check screenshots
// and by developers to look at them.
#include <IL/il.h>

#include <cmath>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3)
    {
        std::fprintf(stderr, "usage: imageinfo <image file> [copy.png]\n");
        return 2;
    }
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    if (!ilLoadImage(argv[1]) || !ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE))
    {
        std::fprintf(stderr, "%s: cannot be read as an image\n", argv[1]);
        return 1;
    }
    const int width = ilGetInteger(IL_IMAGE_WIDTH);
    const int height = ilGetInteger(IL_IMAGE_HEIGHT);
    const unsigned char* data = ilGetData();
    const double count = double(width) * double(height);
    double contrast = 0.0;
    for (int channel = 0; channel < 3; ++channel)
    {
        double sum = 0.0;
        double squares = 0.0;
        for (long i = 0; i < long(count); ++i)
        {
            const double v = data[i * 3 + channel];
            sum += v;
            squares += v * v;
        }
        const double mean = sum / count;
        contrast += std::sqrt(std::fmax(0.0, squares / count - mean * mean));
    }
    std::printf("%d %d %.2f\n", width, height, contrast / 3.0);
    if (argc == 3)
    {
        ilEnable(IL_FILE_OVERWRITE);
        if (!ilSaveImage(argv[2]))
        {
            std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
            return 1;
        }
    }
    return 0;
}
