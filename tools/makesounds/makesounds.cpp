// makesounds <park directory> [--spectrograms <directory>]: synthesises every sound the park
// plays into sounds/ as 16-bit PCM WAV files, and with --spectrograms draws a picture of each
// as <name>.png there. Prints each sound's length, channels and levels. Deterministic: each
// recipe draws from the park's generator with a seed of its own, so the same bytes every run.
#include "folders.h"
#include "recipes.h"
#include "spectrogram.h"
#include "wavwriter.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace
{
struct Recipe
{
    const char* name;
    Sound (*make)(RandomSequence& random);
    unsigned seed;
};

// The file names are the ones the park's soundscape reads.
const Recipe kRecipes[] = {
    {"roar", tyrannosaurRoar, 101},     {"bellow", triceratopsBellow, 102},
    {"call", stegocerasCall, 103},      {"knock", headKnock, 104},
    {"screech", pterosaurScreech, 105}, {"heavystep", heavyFootfall, 106},
    {"herdstep", herdFootfall, 107},    {"wind", windBed, 108},
    {"insects", insectsBed, 109},       {"birds", birdsongBed, 110},
};

double decibels(double level)
{
    return 20.0 * std::log10(std::max(level, 1e-10));
}

} // namespace

int main(int argc, char** argv)
{
    const bool withPictures = argc == 4 && std::strcmp(argv[2], "--spectrograms") == 0;
    if (argc != 2 && !withPictures)
    {
        std::fprintf(stderr, "usage: makesounds <park dir> [--spectrograms <dir>]\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/sounds";
    const std::string pictures = withPictures ? argv[3] : "";
    if (!makeDirectories(folder) || (withPictures && !makeDirectories(pictures)))
    {
        return 1;
    }
    bool ok = true;
    for (const Recipe& recipe : kRecipes)
    {
        RandomSequence random(recipe.seed);
        const Sound sound = recipe.make(random);
        const std::string file = folder + "/" + recipe.name + ".wav";
        ok = writeWav(file, toPcm16(sound), int(sound.channels.size()), kSampleRate) && ok;
        double largest = 0.0;
        double loudest = 0.0;
        for (const Signal& channel : sound.channels)
        {
            largest = std::max(largest, peak(channel));
            loudest = std::max(loudest, rms(channel));
        }
        std::printf("%-10s %5.2f s, %s, peak %6.1f dBFS, rms %6.1f dBFS\n", recipe.name,
                    double(sound.channels.front().size()) / kSampleRate,
                    sound.channels.size() == 1 ? "mono  " : "stereo", decibels(largest),
                    decibels(loudest));
        if (withPictures)
        {
            ok = writePngRgb(pictures + "/" + recipe.name + ".png", spectrogram(sound)) && ok;
        }
    }
    return ok ? 0 : 1;
}
