// The audio device through OpenAL's loopback: the mix rendered into memory, no sound card, no
// noise. The listener stands at the origin facing -z with +y up unless a test moves it.
#include "audio/sounddevice.h"
#include "audio/soundfile.h"
#include "testpaths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
const int kRate = 44100;

struct Energy
{
    double left = 0.0;
    double right = 0.0;
    int16_t largest = 0;
};

SoundSamples roar()
{
    SoundSamples sound;
    std::string reason;
    EXPECT_TRUE(readSoundFile(parkPath("sounds/roar.wav").c_str(), sound, reason)) << reason;
    return sound;
}

// Sums the squares of each channel over `seconds` of the mix.
Energy render(SoundDevice& device, double seconds)
{
    std::vector<int16_t> mix(size_t(seconds * kRate) * 2);
    EXPECT_TRUE(device.render(mix.data(), int(mix.size() / 2)));
    Energy energy;
    for (size_t i = 0; i < mix.size(); i += 2)
    {
        energy.left += double(mix[i]) * mix[i];
        energy.right += double(mix[i + 1]) * mix[i + 1];
        energy.largest = std::max<int16_t>(energy.largest, int16_t(std::abs(int(mix[i]))));
        energy.largest = std::max<int16_t>(energy.largest, int16_t(std::abs(int(mix[i + 1]))));
    }
    return energy;
}

double decibels(double energyRatio)
{
    return 10.0 * std::log10(energyRatio);
}

class LoopbackDevice : public testing::Test
{
protected:
    void SetUp() override
    {
        std::string reason;
        ASSERT_TRUE(device.openLoopback(kRate, HrtfChoice::Off, reason)) << reason;
        sound = device.addSound(roar(), true, reason);
        ASSERT_GT(sound, 0) << reason;
    }

    // The whole roar played at `position` on a fresh device.
    Energy roarAt(const Vector3& position)
    {
        SetUp();
        EXPECT_TRUE(device.play(sound, position, 1.0f));
        return render(device, 2.7);
    }

    SoundDevice device;
    int sound = 0;
};
} // namespace

TEST(DistanceGain, FollowsTheClampedInverseModel)
{
    EXPECT_FLOAT_EQ(distanceGain(5.0f), 1.0f);
    EXPECT_FLOAT_EQ(distanceGain(20.0f), 1.0f);
    EXPECT_FLOAT_EQ(distanceGain(40.0f), 0.5f);
    EXPECT_NEAR(20.0f * std::log10(distanceGain(300.0f)), -23.5f, 0.05f);
    EXPECT_FLOAT_EQ(distanceGain(5000.0f), distanceGain(kSoundFarLimit));
}

TEST_F(LoopbackDevice, RoarOnTheLeftIsLouderInTheLeftEarAndTheReverse)
{
    const Energy left = roarAt(Vector3(-40.0f, 0.0f, 0.0f));
    const Energy right = roarAt(Vector3(40.0f, 0.0f, 0.0f));
    const double leftDb = decibels(left.left / left.right);
    const double rightDb = decibels(right.right / right.left);
    std::printf("roar 40 units to the left: left ear %.1f dB louder; to the right: right ear "
                "%.1f dB louder\n",
                leftDb, rightDb);
    EXPECT_GE(leftDb, 6.0);
    EXPECT_GE(rightDb, 6.0);

    // Turned to face +x, the listener has the roar at -z on its left.
    SetUp();
    device.setListener(Vector3(0, 0, 0), Vector3(1, 0, 0), Vector3(0, 1, 0));
    device.play(sound, Vector3(0.0f, 0.0f, -40.0f), 1.0f);
    const Energy turned = render(device, 2.7);
    EXPECT_GE(decibels(turned.left / turned.right), 6.0);
}

TEST_F(LoopbackDevice, TwiceTheDistanceIsQuieterByTheModelsFigure)
{
    const Energy near = roarAt(Vector3(0.0f, 0.0f, -40.0f));
    const Energy far = roarAt(Vector3(0.0f, 0.0f, -80.0f));
    const double measured = decibels((near.left + near.right) / (far.left + far.right));
    const double model = 20.0 * std::log10(distanceGain(40.0f) / distanceGain(80.0f));
    std::printf("roar at 40 and 80 units: %.2f dB apart (the model: %.2f dB)\n", measured, model);
    EXPECT_NEAR(measured, model, 0.3);
    // Straight ahead, both ears hear it alike.
    EXPECT_NEAR(decibels(near.left / near.right), 0.0, 0.5);
}

// Silent is within the one step of the output's dither. A change of gain fades in over the mix
// rendered next, which is left out of the measure.
TEST_F(LoopbackDevice, MutedTheMixIsSilentAndUnmutedItIsNot)
{
    device.setMuted(true);
    device.play(sound, Vector3(0.0f, 0.0f, -20.0f), 1.0f);
    EXPECT_LE(render(device, 0.5).largest, 1);
    device.setMuted(false);
    render(device, 0.05);
    EXPECT_GT(render(device, 0.5).largest, 1000);
    device.setVolume(0);
    render(device, 0.05);
    EXPECT_LE(render(device, 0.2).largest, 1);
}

// A pause holds a sound where it is: silence while held, no new sound started, and the rest of
// the sound after it, not its start again nor its end.
TEST_F(LoopbackDevice, APauseHoldsEverySoundWhereItIsAndStartsNone)
{
    ASSERT_TRUE(device.play(sound, Vector3(0.0f, 0.0f, -20.0f), 1.0f));
    const Energy before = render(device, 0.3);
    device.setPaused(true);
    EXPECT_TRUE(device.isPaused());
    EXPECT_FALSE(device.play(sound, Vector3(0.0f, 0.0f, -20.0f), 1.0f)) << "none starts";
    render(device, 0.05);
    EXPECT_LE(render(device, 1.0).largest, 1) << "held, the mix is silent";
    device.setPaused(false);
    const Energy after = render(device, 2.4);
    EXPECT_GT(after.largest, 1000) << "it goes on";
    // The roar lasts about 2.7 seconds: what is left after its first 0.35 fits in 2.4 more, and
    // nothing is left after that.
    EXPECT_LE(render(device, 0.5).largest, 1) << "only the rest of it was still to play";
    EXPECT_GT(before.largest, 1000);
}

namespace
{
// How many samples the left channel lags the right, by the lag that best lines their waveforms
// up within a couple of milliseconds either way.
int leftLag(const std::vector<int16_t>& mix)
{
    const int frames = int(mix.size() / 2);
    const int most = kRate / 500;
    int best = 0;
    double bestSum = -1.0;
    for (int lag = -most; lag <= most; ++lag)
    {
        double sum = 0.0;
        for (int i = most; i < frames - most; ++i)
        {
            sum += double(mix[size_t(2 * (i + lag))]) * double(mix[size_t(2 * i + 1)]);
        }
        if (sum > bestSum)
        {
            bestSum = sum;
            best = lag;
        }
    }
    return best;
}
} // namespace

// Heard for headphones, a roar to the right reaches the left ear later than the right, as it
// would round a head (a few tenths of a millisecond); mixed as plain stereo it reaches the left
// ear not later, if at all.
TEST(SoundDevice, WithHrtfASoundToTheRightReachesTheLeftEarLater)
{
    std::string reason;
    for (HrtfChoice hrtf : {HrtfChoice::On, HrtfChoice::Off})
    {
        SoundDevice device;
        ASSERT_TRUE(device.openLoopback(kRate, hrtf, reason)) << reason;
        EXPECT_EQ(device.usesHrtf(), hrtf == HrtfChoice::On);
        const int sound = device.addSound(roar(), true, reason);
        ASSERT_GT(sound, 0) << reason;
        ASSERT_TRUE(device.play(sound, Vector3(40.0f, 0.0f, 0.0f), 1.0f));
        std::vector<int16_t> mix(size_t(kRate) / 2 * 2);
        ASSERT_TRUE(device.render(mix.data(), int(mix.size() / 2)));
        double left = 0.0;
        double right = 0.0;
        for (size_t i = 0; i < mix.size(); i += 2)
        {
            left += double(mix[i]) * mix[i];
            right += double(mix[i + 1]) * mix[i + 1];
        }
        const double delay = 1000.0 * leftLag(mix) / kRate;
        std::printf("HRTF %s: the left ear %.1f dB below the right, %.3f ms later\n",
                    hrtf == HrtfChoice::On ? "on" : "off", decibels(right / left), delay);
        if (hrtf == HrtfChoice::On)
        {
            EXPECT_GE(delay, 0.3);
            EXPECT_LE(delay, 0.8);
            EXPECT_LT(decibels(right / left), 30.0) << "the far ear still hears it";
        }
        else
        {
            EXPECT_TRUE(decibels(right / left) > 30.0 || delay <= 1000.0 / kRate)
                << "plain stereo delays neither ear";
        }
    }
}

// With every source busy the faintest gives way to a louder newcomer; a fainter one, or one
// beyond hearing, is dropped.
TEST_F(LoopbackDevice, FullPoolKeepsTheNearestAndLoudest)
{
    for (int i = 0; i < kSoundSources; ++i)
    {
        ASSERT_TRUE(device.play(sound, Vector3(0.0f, 0.0f, -300.0f - float(i)), 1.0f)) << i;
    }
    EXPECT_EQ(device.playingCount(), kSoundSources);
    EXPECT_FALSE(device.play(sound, Vector3(0.0f, 0.0f, -400.0f), 1.0f));
    EXPECT_TRUE(device.play(sound, Vector3(0.0f, 0.0f, -30.0f), 1.0f));
    EXPECT_FALSE(device.play(sound, Vector3(0.0f, 0.0f, -300.0f), 0.5f));
    EXPECT_EQ(device.playingCount(), kSoundSources);
    EXPECT_FALSE(device.play(sound, Vector3(0.0f, 0.0f, -900.0f), 0.5f)) << "beyond hearing";
}

// A closed device takes every call and does nothing.
TEST(SoundDevice, ClosedDoesNothing)
{
    SoundDevice device;
    std::string reason;
    EXPECT_EQ(device.addSound(roar(), true, reason), 0);
    EXPECT_EQ(reason, "no audio device is open");
    device.setListener(Vector3(1, 2, 3), Vector3(0, 0, -1), Vector3(0, 1, 0));
    EXPECT_FALSE(device.play(1, Vector3(), 1.0f));
    EXPECT_EQ(device.startBed(1, 1.0f), -1);
    device.setBedGain(0, 1.0f);
    device.setMuted(true);
    EXPECT_TRUE(device.isMuted());
    EXPECT_FALSE(device.update());
    int16_t samples[8];
    EXPECT_FALSE(device.render(samples, 4));
}
