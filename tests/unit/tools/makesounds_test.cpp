// The sounds the generator synthesises into the run folder: every one the park plays, in the
// shape the park plays it (placed sounds mono, beds stereo and looping without a seam), the roar
// as it is meant to sound, and the same bytes on every run.
#include "app/soundscape.h"
#include "audio/soundfile.h"
#include "formats/bytecursor.h"
#include "testpaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
SoundSamples readPark(ParkSound sound)
{
    SoundSamples samples;
    std::string reason;
    EXPECT_TRUE(readSoundFile(parkPath(parkSoundFile(sound)).c_str(), samples, reason))
        << parkSoundFile(sound) << ": " << reason;
    return samples;
}

// The spectral centroid between 30 Hz and 3 kHz of 2048 samples from `startSeconds`: the mean
// frequency, weighted by energy.
double centroid(const SoundSamples& sound, double startSeconds)
{
    const size_t window = 2048;
    const size_t start = size_t(startSeconds * sound.m_rate);
    double weighted = 0.0;
    double total = 0.0;
    for (size_t bin = 3; bin * sound.m_rate / window < 3000; ++bin)
    {
        std::complex<double> sum = 0.0;
        for (size_t i = 0; i < window; ++i)
        {
            sum += std::polar(double(sound.m_samples[start + i]),
                              -2.0 * M_PI * double(bin * i) / double(window));
        }
        const double hz = double(bin) * sound.m_rate / window;
        weighted += hz * std::norm(sum);
        total += std::norm(sum);
    }
    return weighted / total;
}
} // namespace

TEST(MakeSounds, WritesTheSameFilesEveryRun)
{
    char folder[] = "/tmp/makesounds-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string root = folder;
    const std::string command =
        "'" + parkPath("../tools/makesounds/makesounds") + "' '" + root + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (int i = 0; i < kParkSoundCount; ++i)
    {
        const char* file = parkSoundFile(ParkSound(i));
        std::vector<unsigned char> again;
        std::vector<unsigned char> built;
        EXPECT_TRUE(readWholeFile((root + "/" + file).c_str(), again)) << file;
        EXPECT_TRUE(readWholeFile(parkPath(file).c_str(), built)) << file;
        EXPECT_FALSE(again.empty()) << file;
        EXPECT_TRUE(again == built) << file << " differs between runs";
    }
    std::system(("rm -rf '" + root + "'").c_str());
}

// Each file the soundscape names is there and reads as the park plays it; a bed's last sample
// runs on into its first no more steeply than its samples do anywhere else.
TEST(MakeSounds, EverySoundIsThereInItsShapeAndBedsLoopWithoutASeam)
{
    for (int i = 0; i < kParkSoundCount; ++i)
    {
        const ParkSound kind = ParkSound(i);
        const SoundSamples sound = readPark(kind);
        const double seconds = double(sound.frames()) / sound.m_rate;
        EXPECT_EQ(sound.m_rate, 22050) << parkSoundFile(kind);
        EXPECT_EQ(sound.m_channels, isBed(kind) ? 2 : 1) << parkSoundFile(kind);
        EXPECT_TRUE(isBed(kind) ? seconds >= 3.0 && seconds <= 8.0 : seconds <= 3.0)
            << parkSoundFile(kind) << " lasts " << seconds << " s";
        if (!isBed(kind))
        {
            const auto [low, high] =
                std::minmax_element(sound.m_samples.begin(), sound.m_samples.end());
            EXPECT_GT(std::max(-int(*low), int(*high)), 29000)
                << parkSoundFile(kind) << " is quiet";
            EXPECT_LT(std::abs(sound.m_samples.back()), 200)
                << parkSoundFile(kind) << " ends in a click";
            continue;
        }
        for (int channel = 0; channel < 2; ++channel)
        {
            const auto at = [&](size_t frame)
            { return double(sound.m_samples[frame * 2 + size_t(channel)]); };
            double steps = 0.0;
            for (size_t frame = 1; frame < sound.frames(); ++frame)
            {
                steps += std::pow(at(frame) - at(frame - 1), 2.0);
            }
            const double typical = std::sqrt(steps / double(sound.frames() - 1));
            const double seam = std::abs(at(0) - at(sound.frames() - 1));
            EXPECT_LT(seam, 4.0 * typical) << parkSoundFile(kind) << " channel " << channel;
        }
    }
}

// Long and low, rising then falling: the roar's spectral centroid climbs from its start to its
// middle and sinks again by its end, all of it below 1.5 kHz.
TEST(MakeSounds, RoarIsLongLowAndRisesThenFalls)
{
    const SoundSamples roar = readPark(ParkSound::Roar);
    EXPECT_GE(double(roar.frames()) / roar.m_rate, 2.0);
    const double start = centroid(roar, 0.15);
    const double middle = centroid(roar, 0.9);
    const double end = centroid(roar, 2.3);
    std::printf("roar's centroid: %.0f Hz at 0.15 s, %.0f Hz at 0.9 s, %.0f Hz at 2.3 s\n", start,
                middle, end);
    EXPECT_GT(middle, start * 1.2);
    EXPECT_GT(middle, end * 1.2);
    EXPECT_LT(middle, 1500.0);
}
