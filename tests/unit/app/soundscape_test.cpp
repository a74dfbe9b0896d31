// The soundscape: what the director decides from the animals, the day and the camera (recorded
// by a test sink, the models' clocks on a fake clock), and the park's sounds played through the
// loopback device.
#include "app/soundscape.h"

#include "audio/sounddevice.h"
#include "creatures/dinosaurs.h"
#include "creatures/model.h"
#include "fakeplatform.h"
#include "math/random.h"
#include "scratchdirectory.h"
#include "world/camera.h"
#include "world/daycycle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <string>
#include <vector>

namespace
{
class RecordingSink : public SoundSink
{
public:
    struct Event
    {
        ParkSound sound;
        Vector3 position;
        int update;
    };

    void setListener(const Vector3& position, const Vector3&, const Vector3&) override
    {
        listener = position;
        ++updates;
    }
    void play(ParkSound sound, const Vector3& position, float, float) override
    {
        events.push_back({sound, position, updates});
    }
    void setBedGain(ParkSound bed, float gain) override { bedGains[int(bed)] = gain; }

    std::vector<int> updatesOf(ParkSound sound) const
    {
        std::vector<int> at;
        for (const Event& event : events)
        {
            if (event.sound == sound)
            {
                at.push_back(event.update);
            }
        }
        return at;
    }
    size_t count(ParkSound sound) const { return updatesOf(sound).size(); }

    std::vector<Event> events;
    Vector3 listener;
    int updates = 0;
    float bedGains[kParkSoundCount] = {};
};

// What a behaviour switch does to a species' model: the new clip, from its first frame.
void startClip(const std::unique_ptr<Model>& model, float first, float last)
{
    model->setFrameRange(first, last);
    model->rewind();
}

class SoundDirectorTest : public testing::Test
{
protected:
    void SetUp() override
    {
        seedRandom(20261208);
        testing::internal::CaptureStderr(); // the models are absent: empty, with their clocks
        dinosaurs.setUpAnimals();
        testing::internal::GetCapturedStderr();
        // Every species at rest but the one a test sets going.
        dinosaurs.m_tyrannosaurMode = 1;
        dinosaurs.m_triceratopsMode = 1;
        dinosaurs.m_stegocerasMode = 1;
        startClip(dinosaurs.m_pTyrannosaurModel, 135, 210);
        startClip(dinosaurs.m_pTriceratopsModel, 86, 195);
        startClip(dinosaurs.m_pStegocerasModel, 120, 215);
    }

    // `frames` displayed frames at 60 a second.
    void run(int frames)
    {
        for (int i = 0; i < frames; ++i)
        {
            clock.advanceMilliseconds(1000.0 / 60.0);
            director.update(dinosaurs, sunAngle, pose, 1.0f / 60.0f, sink);
        }
    }

    FakeClock clock; // before the animals: their models' timers read it
    DinosaurSet dinosaurs;
    SoundDirector director;
    RecordingSink sink;
    ListenerPose pose;
    float sunAngle = 90.0f;
};

// Energy of a stereo mix between `low` and `high` Hz, from discrete Fourier sums over windows.
double bandEnergy(const std::vector<int16_t>& mix, int rate, double low, double high)
{
    const size_t window = 2048;
    const size_t frames = mix.size() / 2;
    double energy = 0.0;
    for (size_t start = 0; start + window <= frames; start += window)
    {
        for (size_t bin = size_t(low * window / rate); bin <= size_t(high * window / rate); ++bin)
        {
            std::complex<double> sum = 0.0;
            const std::complex<double> step = std::polar(1.0, -2.0 * M_PI * double(bin) / window);
            std::complex<double> turn = 1.0;
            for (size_t i = 0; i < window; ++i)
            {
                sum += turn * double(int(mix[2 * (start + i)]) + int(mix[2 * (start + i) + 1]));
                turn *= step;
            }
            energy += std::norm(sum);
        }
    }
    return energy;
}
} // namespace

TEST_F(SoundDirectorTest, RoarsOnTheFrameTheRoarClipStartsAndAgainWhenItRestarts)
{
    run(30);
    EXPECT_EQ(sink.count(ParkSound::Roar), 0u) << "eating";
    dinosaurs.m_tyrannosaurMode = 2;
    startClip(dinosaurs.m_pTyrannosaurModel, 60, 135);
    run(1);
    ASSERT_EQ(sink.updatesOf(ParkSound::Roar), std::vector<int>{31});
    const Vector3 at = sink.events.back().position;
    EXPECT_EQ(at.x, dinosaurs.m_tyrannosaur.m_position.x);
    EXPECT_EQ(at.z, dinosaurs.m_tyrannosaur.m_position.z);
    // The clip lasts 75 frames, 3.125 s: it restarts 188 displayed frames after it started.
    run(190);
    EXPECT_EQ(sink.updatesOf(ParkSound::Roar), (std::vector<int>{31, 218}));
}

// Footfalls fall on the frames where a foot touches down: the tyrannosaur's walk, 1 ... 60, has
// four, at frames 1, 15.75, 30.5 and 45.25 (displayed frames 1, 37, 74 and 111).
TEST_F(SoundDirectorTest, FootfallsKeepStepWithTheWalkingClips)
{
    dinosaurs.m_tyrannosaurMode = 0;
    startClip(dinosaurs.m_pTyrannosaurModel, 1, 60);
    run(140);
    EXPECT_EQ(sink.updatesOf(ParkSound::HeavyStep), (std::vector<int>{1, 37, 74, 111}));
    EXPECT_EQ(sink.count(ParkSound::HerdStep), 0u);

    // The triceratops' walk sets a foot down every 7 frames: nine by frame 57, for each of the
    // three nearest animals.
    dinosaurs.m_tyrannosaurMode = 1;
    dinosaurs.m_triceratopsMode = 0;
    startClip(dinosaurs.m_pTyrannosaurModel, 135, 210);
    startClip(dinosaurs.m_pTriceratopsModel, 1, 85);
    sink.events.clear();
    run(142);
    EXPECT_EQ(sink.count(ParkSound::HerdStep), 27u);
    EXPECT_EQ(sink.count(ParkSound::HeavyStep), 0u);
}

TEST_F(SoundDirectorTest, ScatteringHerdRunsToFasterFootfallsAfterACryOfAlarm)
{
    dinosaurs.m_stegocerasMode = 0;
    startClip(dinosaurs.m_pStegocerasModel, 1, 110);
    run(140);
    const size_t calm = sink.count(ParkSound::HerdStep);
    EXPECT_EQ(calm, 7u * 4u) << "seven footfalls for each of the four";

    sink.events.clear();
    dinosaurs.m_herdStartled = 1;
    startClip(dinosaurs.m_pStegocerasModel, 1, 110);
    run(140);
    EXPECT_EQ(sink.count(ParkSound::Call), 1u);
    EXPECT_EQ(sink.count(ParkSound::HerdStep), 13u * 4u);
}

// The lunges of the head-butt clip reach furthest at frames 183.65 and 195.05 (displayed frames
// 160 and 188): each pair of the herd knocks once a lunge, between its two heads.
TEST_F(SoundDirectorTest, HeadsKnockWhenTheLungesMeet)
{
    run(200);
    EXPECT_EQ(sink.updatesOf(ParkSound::Knock), (std::vector<int>{160, 160, 188, 188}));
    const Vector3 between =
        (dinosaurs.m_stegoceras[0].m_position + dinosaurs.m_stegoceras[1].m_position) * 0.5f;
    for (const RecordingSink::Event& event : sink.events)
    {
        if (event.sound == ParkSound::Knock)
        {
            EXPECT_EQ(event.position.x, between.x);
            break;
        }
    }
}

TEST_F(SoundDirectorTest, PterosaurScreechesAsItStartsToCircleButNotOnAndOn)
{
    for (Pterosaur& pterosaur : dinosaurs.m_pterosaurs)
    {
        pterosaur.m_circling = 0;
    }
    run(1);
    Pterosaur& flyer = dinosaurs.m_pterosaurs[2];
    flyer.m_circling = 1;
    run(1);
    ASSERT_EQ(sink.count(ParkSound::Screech), 1u);
    EXPECT_EQ(sink.events.back().position.x, flyer.m_position.x);
    flyer.m_circling = 0;
    run(60);
    flyer.m_circling = 1;
    run(60);
    EXPECT_EQ(sink.count(ParkSound::Screech), 1u) << "a second later";
    flyer.m_circling = 0;
    run(300);
    flyer.m_circling = 1;
    run(1);
    EXPECT_EQ(sink.count(ParkSound::Screech), 2u) << "six seconds later";
}

TEST(BedGains, BirdsAtDawnWindByDayInsectsAtNightWithoutAJump)
{
    const BedGains dawn = bedGainsAt(5.0f);
    EXPECT_EQ(dawn.m_birds, 1.0f);
    EXPECT_EQ(dawn.m_insects, 0.0f);
    const BedGains day = bedGainsAt(90.0f);
    EXPECT_EQ(day.m_wind, 1.0f);
    EXPECT_EQ(day.m_insects + day.m_birds, 0.0f);
    const BedGains night = bedGainsAt(270.0f);
    EXPECT_EQ(night.m_insects, 1.0f);
    EXPECT_EQ(night.m_birds, 0.0f);
    EXPECT_NEAR(night.m_wind, 0.2f, 1e-6f);
    const BedGains beforeDawn = bedGainsAt(335.0f);
    EXPECT_GT(beforeDawn.m_birds, 0.0f);
    EXPECT_GT(beforeDawn.m_insects, 0.0f) << "the insects fade as the birds begin";

    BedGains last = bedGainsAt(0.0f);
    for (float angle = 0.25f; angle <= 360.0f; angle += 0.25f)
    {
        const BedGains now = bedGainsAt(angle);
        ASSERT_LT(std::abs(now.m_birds - last.m_birds), 0.05f) << angle;
        ASSERT_LT(std::abs(now.m_insects - last.m_insects), 0.05f) << angle;
        ASSERT_LT(std::abs(now.m_wind - last.m_wind), 0.05f) << angle;
        last = now;
    }
}

// The ears face where the camera looks, with its up above them, whatever the heading and pitch.
TEST(ListenerPose, FacesWhereTheCameraLooks)
{
    Camera camera;
    for (float yaw : {0.0f, 37.0f, 90.0f, 200.0f, 315.0f})
    {
        for (float pitch : {-60.0f, 0.0f, 25.0f})
        {
            camera.m_yaw = yaw;
            camera.m_pitch = pitch;
            const ListenerPose pose{Vector3(), yaw, pitch};
            const Vector3 forward = listenerForward(pose);
            const Vector3 up = listenerUp(pose);
            const Vector3 back = camera.frustumAt();
            EXPECT_NEAR(forward.x, -back.x, 1e-5f) << yaw << " " << pitch;
            EXPECT_NEAR(forward.y, -back.y, 1e-5f) << yaw << " " << pitch;
            EXPECT_NEAR(forward.z, -back.z, 1e-5f) << yaw << " " << pitch;
            EXPECT_NEAR(up.length(), 1.0f, 1e-5f);
            EXPECT_NEAR(up.dot(up, forward), 0.0f, 1e-5f);
            EXPECT_GT(up.y, 0.0f);
        }
    }
}

// The park's own files on the loopback device: by night the bed is the insects' (energy between
// 4 and 6 kHz), by day the wind's (below 800 Hz).
TEST_F(SoundDirectorTest, NightSoundsOfInsectsAndDayOfWind)
{
    ScratchDirectory scratch("soundscape");
    scratch.copyFromPark({"sounds"});
    SoundDevice device;
    std::string reason;
    ASSERT_TRUE(device.openLoopback(44100, HrtfChoice::Off, reason)) << reason;
    DeviceSoundSink park;
    park.load(device);
    // The animals far off, so that only the beds are heard.
    pose.m_position = Vector3(5000.0f, 0.0f, 5000.0f);
    double insects[2];
    double wind[2];
    for (int night = 0; night < 2; ++night)
    {
        director.update(dinosaurs, night ? 270.0f : 90.0f, pose, 1.0f / 60.0f, park);
        std::vector<int16_t> mix(44100 * 2);
        device.render(mix.data(), 22050); // the gains settle
        device.render(mix.data(), 44100);
        insects[night] = bandEnergy(mix, 44100, 4000.0, 6000.0);
        wind[night] = bandEnergy(mix, 44100, 100.0, 800.0);
    }
    std::printf("4-6 kHz (insects): night/day %.1f dB; 100-800 Hz (wind): day/night %.1f dB\n",
                10.0 * std::log10(insects[1] / insects[0]), 10.0 * std::log10(wind[0] / wind[1]));
    EXPECT_GT(insects[1], 10.0 * insects[0]);
    EXPECT_GT(wind[0], 4.0 * wind[1]);
    EXPECT_GT(insects[1], wind[1]) << "at night the insects' band holds the most";
}

// With only the roar there: the other files are named with what the park does without them,
// and the roar is in the mix of the very frame its clip starts.
TEST_F(SoundDirectorTest, RoarIsHeardWithinAFrameAndMissingFilesAreNamed)
{
    ScratchDirectory scratch("soundscape", {"sounds"});
    scratch.copyFromPark({"sounds/roar.wav"});
    SoundDevice device;
    std::string reason;
    ASSERT_TRUE(device.openLoopback(44100, HrtfChoice::Off, reason)) << reason;
    DeviceSoundSink park;
    testing::internal::CaptureStderr();
    park.load(device);
    const std::string lines = testing::internal::GetCapturedStderr();
    EXPECT_NE(lines.find("sounds/wind.wav: cannot be opened (No such file or directory); the day "
                         "has no wind\n"),
              std::string::npos)
        << lines;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), kParkSoundCount - 1) << lines;
    EXPECT_EQ(lines.find("roar"), std::string::npos) << lines;

    pose.m_position = dinosaurs.m_tyrannosaur.m_position + Vector3(0.0f, 0.0f, 40.0f);
    std::vector<int16_t> frame(735 * 2);
    director.update(dinosaurs, sunAngle, pose, 1.0f / 60.0f, park);
    device.render(frame.data(), 735);
    EXPECT_LE(*std::max_element(frame.begin(), frame.end()), 1) << "silent (but for dither) before";
    dinosaurs.m_tyrannosaurMode = 2;
    startClip(dinosaurs.m_pTyrannosaurModel, 60, 135);
    director.update(dinosaurs, sunAngle, pose, 1.0f / 60.0f, park);
    device.render(frame.data(), 735);
    EXPECT_GT(*std::max_element(frame.begin(), frame.end()), 50) << "heard in the first 1/60 s";
}

namespace
{
// A device that can be pulled out and refuse to come back, counting what it is asked.
class FakeOutput : public SoundOutput
{
public:
    bool open(HrtfChoice, std::string& reason) override
    {
        ++opens;
        if (refusals > 0)
        {
            --refusals;
            reason = "no audio output device could be opened";
            return false;
        }
        m_open = true;
        connected = true;
        return true;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    bool usesHrtf() const override { return false; }
    int addSound(const SoundSamples&, bool, std::string&) override
    {
        return m_open ? ++soundsAdded : 0;
    }
    void setListener(const Vector3&, const Vector3&, const Vector3&) override {}
    bool play(int, const Vector3&, float, float) override { return m_open && ++played > 0; }
    int startBed(int, float) override { return m_open ? bedsStarted++ : -1; }
    void setBedGain(int, float) override {}
    void setVolume(int volume) override { m_volume = volume; }
    void setMuted(bool muted) override { m_muted = muted; }
    int volume() const override { return m_volume; }
    bool isMuted() const override { return m_muted; }
    void setPaused(bool) override {}
    bool isPaused() const override { return false; }
    bool update() override
    {
        if (!connected)
        {
            m_open = false;
        }
        return connected;
    }

    bool connected = true;
    int refusals = 0;
    int opens = 0;
    int soundsAdded = 0;
    int bedsStarted = 0;
    int played = 0;

private:
    bool m_open = false;
    int m_volume = 100;
    bool m_muted = false;
};
} // namespace

// A device pulled out is said once and tried again every few seconds, silent meanwhile; when one
// opens again it is given every sound and bed anew, at the volume and mute it had, and said.
TEST_F(SoundDirectorTest, ADeviceThatGoesIsTriedAgainAndComesBackWithItsSounds)
{
    ScratchDirectory scratch("soundscape");
    scratch.copyFromPark({"sounds"});
    FakeOutput output;
    Soundscape soundscape(output);
    SoundSettings settings;
    settings.m_volume = 35;
    settings.m_muted = true;
    soundscape.start(settings);
    ASSERT_EQ(output.soundsAdded, kParkSoundCount);
    ASSERT_EQ(output.bedsStarted, 3);
    Camera camera;
    DayCycle day;
    auto frames = [&](int count)
    {
        for (int i = 0; i < count; ++i)
        {
            soundscape.update(dinosaurs, day, camera, 1.0f / 60.0f);
        }
    };

    output.connected = false;
    output.refusals = 1;
    testing::internal::CaptureStderr();
    frames(1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quillmere: the audio device was disconnected; trying again\n");
    EXPECT_STREQ(soundscape.state(), "none (the device went; trying again)");
    const int opensBefore = output.opens;
    testing::internal::CaptureStderr();
    frames(int(kReconnectSeconds * 60.0) - 5);
    EXPECT_EQ(output.opens, opensBefore) << "not before a few seconds";
    frames(10);
    EXPECT_EQ(output.opens, opensBefore + 1) << "tried, and refused";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "a refusal is not said again";

    testing::internal::CaptureStderr();
    frames(int(kReconnectSeconds * 60.0));
    EXPECT_EQ(output.opens, opensBefore + 2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quillmere: the audio device is back; the park is heard again\n");
    EXPECT_TRUE(output.isOpen());
    EXPECT_EQ(output.soundsAdded, 2 * kParkSoundCount) << "every sound again, from the samples kept";
    EXPECT_EQ(output.bedsStarted, 6);
    EXPECT_EQ(output.volume(), 35);
    EXPECT_TRUE(output.isMuted());
    EXPECT_STREQ(soundscape.state(), "off (m turns it on)");
}
