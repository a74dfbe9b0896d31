// The soundscape's decisions, the device adapter, and the Soundscape the shell calls once a frame.
#include "app/soundscape.h"

#include "audio/sounddevice.h"
#include "audio/soundfile.h"
#include "creatures/dinosaurs.h"
#include "creatures/model.h"
#include "formats/loadreport.h"
#include "math/angles.h"
#include "world/camera.h"
#include "world/daycycle.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace
{
struct SoundFacts
{
    const char* file;
    const char* loss;
    bool bed;
};
const SoundFacts kSounds[kParkSoundCount] = {
    {"sounds/roar.wav", "the tyrannosaur does not roar", false},
    {"sounds/bellow.wav", "the triceratops do not bellow", false},
    {"sounds/call.wav", "the stegoceras do not call", false},
    {"sounds/knock.wav", "the stegoceras butt heads in silence", false},
    {"sounds/screech.wav", "the pterosaurs do not screech", false},
    {"sounds/heavystep.wav", "the tyrannosaur's steps are silent", false},
    {"sounds/herdstep.wav", "the triceratops' and stegoceras' steps are silent", false},
    {"sounds/wind.wav", "the day has no wind", true},
    {"sounds/insects.wav", "the night has no insects", true},
    {"sounds/birds.wav", "the dawn has no birdsong", true},
};

// How often, on average, a grazing or standing group calls, and the shortest rest between one
// pterosaur's screeches: circling restarts at every behaviour switch, a second or so apart,
// which would make them shriek on and on.
const float kBellowsPerSecond = 0.25f;
const float kCallsPerSecond = 0.3f;
const float kScreechRest = 5.0f;
const int kHeardTriceratops = 3;

// Each bed's loudness at its fullest, against the one-shots at full gain.
const float kWindLevel = 0.55f;
const float kInsectsLevel = 0.6f;
const float kBirdsLevel = 0.7f;

// How many marks first + k (last - first) / count the clip passed from `before` to `now`; a
// restart (now < before) runs through the end to the start.
int marksPassed(float before, float now, float first, float last, int count)
{
    const float spacing = (last - first) / float(count);
    const float marksBefore = std::floor((before - first) / spacing);
    const float marksNow = std::floor((now - first) / spacing);
    if (now >= before)
    {
        return int(marksNow - marksBefore);
    }
    return int(float(count - 1) - marksBefore) + int(marksNow + 1.0f);
}

bool passed(float before, float now, float mark)
{
    return now >= before ? before < mark && mark <= now : mark > before || mark <= now;
}

float smooth(float x)
{
    x = std::clamp(x, 0.0f, 1.0f);
    return x * x * (3.0f - 2.0f * x);
}

// 0 before `rise`, easing up to 1 at `full`, 1 until `fade`, easing down to 0 at `gone`; all in
// degrees round the circle, so a window may run through 360.
float window(float angle, float rise, float full, float fade, float gone)
{
    const auto after = [rise](float a)
    { return std::fmod(std::fmod(a - rise, 360.0f) + 360.0f, 360.0f); };
    const float a = after(angle);
    const float f = after(full);
    const float d = after(fade);
    const float g = after(gone);
    if (a >= g)
    {
        return 0.0f;
    }
    if (a < f)
    {
        return smooth(a / f);
    }
    return a <= d ? 1.0f : smooth((g - a) / (g - d));
}

// The clip frame before and now; a new mode starts its clip a hair before its first frame, so
// that a mark on the first frame counts.
struct ClipStep
{
    float before;
    float now;
    bool started;
};

ClipStep stepClip(int& seenMode, float& seenFrame, int mode, const Model& model)
{
    ClipStep step;
    step.now = model.clockFrame();
    step.started = mode != seenMode;
    step.before = step.started ? model.m_startFrame - 0.001f : seenFrame;
    seenMode = mode;
    seenFrame = step.now;
    return step;
}

Vector3 midpoint(const Vector3& a, const Vector3& b)
{
    return (a + b) * 0.5f;
}

// A user's recording in place of the generated sound: <name>.ogg or <name>.flac beside it.
std::string chooseFile(ParkSound sound)
{
    const std::string generated = kSounds[int(sound)].file;
    const std::string stem = generated.substr(0, generated.size() - 4);
    for (const char* extension : {".ogg", ".flac"})
    {
        std::error_code ignored;
        if (std::filesystem::exists(stem + extension, ignored))
        {
            return stem + extension;
        }
    }
    return generated;
}
} // namespace

const char* parkSoundFile(ParkSound sound)
{
    return kSounds[int(sound)].file;
}

const char* parkSoundLoss(ParkSound sound)
{
    return kSounds[int(sound)].loss;
}

bool isBed(ParkSound sound)
{
    return kSounds[int(sound)].bed;
}

Vector3 listenerForward(const ListenerPose& pose)
{
    const float yaw = pose.m_yaw * kDegreesToRadians;
    const float pitch = pose.m_pitch * kDegreesToRadians;
    return Vector3(std::cos(pitch) * std::sin(yaw), -std::sin(pitch),
                   -std::cos(pitch) * std::cos(yaw));
}

Vector3 listenerUp(const ListenerPose& pose)
{
    const float yaw = pose.m_yaw * kDegreesToRadians;
    const float pitch = pose.m_pitch * kDegreesToRadians;
    return Vector3(std::sin(pitch) * std::sin(yaw), std::cos(pitch),
                   -std::sin(pitch) * std::cos(yaw));
}

BedGains bedGainsAt(float sunAngle)
{
    BedGains gains;
    gains.m_birds = window(sunAngle, 330.0f, 345.0f, 20.0f, 35.0f);
    gains.m_insects = window(sunAngle, 190.0f, 210.0f, 320.0f, 340.0f);
    gains.m_wind = 0.2f + 0.8f * window(sunAngle, 5.0f, 25.0f, 160.0f, 190.0f);
    return gains;
}

bool SoundDirector::chance(float perSecond, float seconds)
{
    return float(m_random.next()) < perSecond * seconds * float(kRandomMax + 1);
}

float SoundDirector::pitchAround(float centre, float spread)
{
    return centre + m_random.range(-spread, spread);
}

void SoundDirector::update(const DinosaurSet& dinosaurs, float sunAngle,
                           const ListenerPose& listener, float seconds, SoundSink& sink)
{
    // A frame held up (a regeneration, a window being moved) does not bring a burst of calls.
    seconds = std::clamp(seconds, 0.0f, 0.25f);
    sink.setListener(listener.m_position, listenerForward(listener), listenerUp(listener));
    hearTyrannosaur(dinosaurs, sink);
    hearTriceratops(dinosaurs, listener.m_position, seconds, sink);
    hearHerd(dinosaurs, seconds, sink);
    hearPterosaurs(dinosaurs, seconds, sink);
    const BedGains gains = bedGainsAt(sunAngle);
    sink.setBedGain(ParkSound::Wind, kWindLevel * gains.m_wind);
    sink.setBedGain(ParkSound::Insects, kInsectsLevel * gains.m_insects);
    sink.setBedGain(ParkSound::Birds, kBirdsLevel * gains.m_birds);
}

void SoundDirector::hearTyrannosaur(const DinosaurSet& dinosaurs, SoundSink& sink)
{
    const Model* model = dinosaurs.m_pTyrannosaurModel.get();
    if (!model)
    {
        return;
    }
    const int mode = dinosaurs.m_tyrannosaurMode;
    const ClipStep step = stepClip(m_tyrannosaur.m_mode, m_tyrannosaur.m_frame, mode, *model);
    const Vector3& at = dinosaurs.m_tyrannosaur.m_position;
    if (mode == kTyrannosaurRoaring && (step.started || step.now < step.before))
    {
        sink.play(ParkSound::Roar, at, 1.0f, pitchAround(1.0f, 0.05f));
    }
    const Clip& walk = kTyrannosaurClips[kTyrannosaurWalking];
    if (mode == kTyrannosaurWalking &&
        marksPassed(step.before, step.now, walk.start, walk.end, kTyrannosaurWalkFootfalls) > 0)
    {
        sink.play(ParkSound::HeavyStep, at, 1.0f, pitchAround(1.0f, 0.04f));
    }
}

void SoundDirector::hearTriceratops(const DinosaurSet& dinosaurs, const Vector3& listener,
                                    float seconds, SoundSink& sink)
{
    const Model* model = dinosaurs.m_pTriceratopsModel.get();
    const int count = std::clamp(dinosaurs.m_numTriceratops, 0, kTriceratopsCount);
    if (!model || count == 0)
    {
        return;
    }
    const int mode = dinosaurs.m_triceratopsMode;
    const ClipStep step = stepClip(m_triceratops.m_mode, m_triceratops.m_frame, mode, *model);
    if (mode != kTriceratopsWalking)
    {
        if (chance(kBellowsPerSecond, seconds))
        {
            const Triceratops& caller = dinosaurs.m_triceratops[m_random.next() % count];
            sink.play(ParkSound::Bellow, caller.m_position, 1.0f, pitchAround(1.0f, 0.08f));
        }
        return;
    }
    const Clip& walk = kTriceratopsClips[kTriceratopsWalking];
    if (marksPassed(step.before, step.now, walk.start, walk.end, kTriceratopsWalkFootfalls) == 0)
    {
        return;
    }
    // All ten step in time (one model, one clock); the nearest few are heard, each at a pitch of
    // its own, the heavy feet a herd step slowed down.
    int nearest[kHeardTriceratops] = {};
    float distances[kHeardTriceratops] = {};
    int heard = 0;
    for (int i = 0; i < count; ++i)
    {
        const float distance = (dinosaurs.m_triceratops[i].m_position - listener).length();
        int slot = heard < kHeardTriceratops ? heard++ : kHeardTriceratops;
        while (slot > 0 && distances[slot - 1] > distance)
        {
            if (slot < kHeardTriceratops)
            {
                nearest[slot] = nearest[slot - 1];
                distances[slot] = distances[slot - 1];
            }
            --slot;
        }
        if (slot < kHeardTriceratops)
        {
            nearest[slot] = i;
            distances[slot] = distance;
        }
    }
    for (int k = 0; k < heard; ++k)
    {
        sink.play(ParkSound::HerdStep, dinosaurs.m_triceratops[nearest[k]].m_position, 0.7f,
                  0.7f + 0.05f * float(k));
    }
}

void SoundDirector::hearHerd(const DinosaurSet& dinosaurs, float seconds, SoundSink& sink)
{
    const Model* model = dinosaurs.m_pStegocerasModel.get();
    const int count = std::clamp(dinosaurs.m_numStegoceras, 0, kStegocerasCount);
    if (!model || count == 0)
    {
        return;
    }
    const int mode = dinosaurs.m_stegocerasMode;
    const ClipStep step = stepClip(m_stegoceras.m_mode, m_stegoceras.m_frame, mode, *model);
    const bool scattering = dinosaurs.m_herdStartled != 0;
    // The leader's cry of alarm when the herd takes fright.
    if (m_herdStartled == 0 && scattering)
    {
        sink.play(ParkSound::Call, dinosaurs.m_stegoceras[0].m_position, 1.0f, 1.25f);
    }
    m_herdStartled = dinosaurs.m_herdStartled;
    if (mode == kStegocerasRunning)
    {
        // In flight each foot is heard twice as often: the scatter sounds faster than the trot.
        const int marks = kStegocerasRunFootfalls * (scattering ? 2 : 1);
        const Clip& run = kStegocerasClips[kStegocerasRunning];
        if (marksPassed(step.before, step.now, run.start, run.end, marks) > 0)
        {
            for (int i = 0; i < count; ++i)
            {
                sink.play(ParkSound::HerdStep, dinosaurs.m_stegoceras[i].m_position,
                          scattering ? 0.75f : 0.55f, 1.0f + 0.05f * float(i));
            }
        }
        return;
    }
    for (float mark : kStegocerasHeadsMeet)
    {
        if (!passed(step.before, step.now, mark))
        {
            continue;
        }
        // The herd butts in pairs: the knock sounds between the two heads.
        for (int i = 0; i + 1 < count; i += 2)
        {
            sink.play(ParkSound::Knock,
                      midpoint(dinosaurs.m_stegoceras[i].m_position,
                               dinosaurs.m_stegoceras[i + 1].m_position),
                      1.0f, pitchAround(1.0f, 0.06f));
        }
    }
    if (chance(kCallsPerSecond, seconds))
    {
        const Stegoceras& caller = dinosaurs.m_stegoceras[m_random.next() % count];
        sink.play(ParkSound::Call, caller.m_position, 0.9f, pitchAround(1.0f, 0.06f));
    }
}

void SoundDirector::hearPterosaurs(const DinosaurSet& dinosaurs, float seconds, SoundSink& sink)
{
    if (!dinosaurs.m_pPterosaurModel)
    {
        return;
    }
    const int count = std::clamp(dinosaurs.m_numPterosaurs, 0, kPterosaurCount);
    for (int i = 0; i < count; ++i)
    {
        const Pterosaur& pterosaur = dinosaurs.m_pterosaurs[i];
        m_sinceScreech[i] += seconds;
        if (m_circling[i] == 0 && pterosaur.m_circling != 0 && m_sinceScreech[i] >= kScreechRest)
        {
            sink.play(ParkSound::Screech, pterosaur.m_position, 1.0f, pitchAround(1.0f, 0.12f));
            m_sinceScreech[i] = 0.0f;
        }
        m_circling[i] = pterosaur.m_circling;
    }
}

void DeviceSoundSink::readFiles()
{
    m_samples.assign(kParkSoundCount, SoundSamples());
    for (int i = 0; i < kParkSoundCount; ++i)
    {
        const ParkSound sound = ParkSound(i);
        m_files[i] = chooseFile(sound);
        std::string reason;
        if (!readSoundFile(m_files[i].c_str(), m_samples[size_t(i)], reason))
        {
            m_samples[size_t(i)] = SoundSamples();
            reportLoadFailure(m_files[i].c_str(), reason, parkSoundLoss(sound));
        }
    }
}

void DeviceSoundSink::attach(SoundOutput& output)
{
    m_pOutput = &output;
    for (int i = 0; i < kParkSoundCount; ++i)
    {
        m_sounds[i] = 0;
        m_beds[i] = -1;
        m_bedGains[i] = 0.0f;
        const ParkSound sound = ParkSound(i);
        if (size_t(i) >= m_samples.size() || m_samples[size_t(i)].frames() == 0 ||
            !output.isOpen())
        {
            continue;
        }
        std::string reason;
        m_sounds[i] = output.addSound(m_samples[size_t(i)], !isBed(sound), reason);
        if (m_sounds[i] == 0)
        {
            reportLoadFailure(m_files[i].c_str(), reason, parkSoundLoss(sound));
        }
        else if (isBed(sound))
        {
            m_beds[i] = output.startBed(m_sounds[i], 0.0f);
        }
    }
}

void DeviceSoundSink::load(SoundOutput& output)
{
    readFiles();
    attach(output);
}

double DeviceSoundSink::seconds(ParkSound sound) const
{
    const size_t i = size_t(sound);
    if (i >= m_samples.size() || m_samples[i].m_rate <= 0)
    {
        return 0.0;
    }
    return double(m_samples[i].frames()) / double(m_samples[i].m_rate);
}

void DeviceSoundSink::setListener(const Vector3& position, const Vector3& forward,
                                  const Vector3& up)
{
    if (m_pOutput)
    {
        m_pOutput->setListener(position, forward, up);
    }
}

void DeviceSoundSink::play(ParkSound sound, const Vector3& position, float gain, float pitch)
{
    if (m_pOutput)
    {
        m_pOutput->play(m_sounds[int(sound)], position, gain, pitch);
    }
}

void DeviceSoundSink::setBedGain(ParkSound bed, float gain)
{
    const int i = int(bed);
    // The sun moves a little each frame; a change too small to hear is not worth the library's
    // lock.
    if (!m_pOutput || m_beds[i] < 0 || std::abs(gain - m_bedGains[i]) < 0.002f)
    {
        return;
    }
    m_bedGains[i] = gain;
    m_pOutput->setBedGain(m_beds[i], gain);
}

namespace
{
// Plays the director's choices on two sinks: the output and the captions.
class BothSinks : public SoundSink
{
public:
    BothSinks(SoundSink& first, SoundSink* second) : m_first(first), m_second(second) {}
    void setListener(const Vector3& position, const Vector3& forward, const Vector3& up) override
    {
        m_first.setListener(position, forward, up);
        if (m_second)
        {
            m_second->setListener(position, forward, up);
        }
    }
    void play(ParkSound sound, const Vector3& position, float gain, float pitch) override
    {
        m_first.play(sound, position, gain, pitch);
        if (m_second)
        {
            m_second->play(sound, position, gain, pitch);
        }
    }
    void setBedGain(ParkSound bed, float gain) override
    {
        m_first.setBedGain(bed, gain);
        if (m_second)
        {
            m_second->setBedGain(bed, gain);
        }
    }

private:
    SoundSink& m_first;
    SoundSink* m_second;
};
} // namespace

void Soundscape::describe()
{
    if (m_reconnecting)
    {
        std::snprintf(m_state, sizeof m_state, "none (the device went; trying again)");
    }
    else if (!m_pOutput->isOpen())
    {
        std::snprintf(m_state, sizeof m_state, "none (no audio device)");
    }
    else if (m_pOutput->isMuted())
    {
        std::snprintf(m_state, sizeof m_state, "off (m turns it on)");
    }
    else
    {
        std::snprintf(m_state, sizeof m_state, "on, volume %d", m_pOutput->volume());
    }
    const char* asked = m_hrtf == HrtfChoice::On    ? "on"
                        : m_hrtf == HrtfChoice::Off ? "off"
                                                    : "the library's choice";
    if (!m_pOutput->isOpen())
    {
        std::snprintf(m_hrtfState, sizeof m_hrtfState, "%s", asked);
    }
    else
    {
        std::snprintf(m_hrtfState, sizeof m_hrtfState, "%s%s%s",
                      m_hrtf == HrtfChoice::Auto ? asked : "",
                      m_hrtf == HrtfChoice::Auto ? ": " : "",
                      m_pOutput->usesHrtf() ? "on" : "off");
    }
}

void Soundscape::start(const SoundSettings& settings)
{
    m_pOutput->close();
    m_hrtf = settings.m_hrtf;
    m_reconnecting = false;
    std::string reason;
    if (!m_pOutput->open(m_hrtf, reason))
    {
        reportProblem("%s; the park is silent", reason.c_str());
    }
    m_pOutput->setVolume(settings.m_volume);
    m_pOutput->setMuted(settings.m_muted);
    m_pOutput->setPaused(m_paused);
    m_sink.load(*m_pOutput);
    m_director = SoundDirector();
    describe();
}

void Soundscape::tryToReconnect(float seconds)
{
    m_sinceReconnectTry += seconds;
    if (m_sinceReconnectTry < kReconnectSeconds)
    {
        return;
    }
    m_sinceReconnectTry = 0.0f;
    std::string reason;
    if (!m_pOutput->open(m_hrtf, reason))
    {
        return;
    }
    // A device opened anew has no sounds: the samples kept since the start go to it again, and
    // the volume, the mute and a pause are the output's own and stay as they were.
    m_reconnecting = false;
    m_pOutput->setPaused(m_paused);
    m_sink.attach(*m_pOutput);
    reportProblem("the audio device is back; the park is heard again");
    describe();
}

void Soundscape::update(const DinosaurSet& dinosaurs, const DayCycle& day, const Camera& camera,
                        float seconds, SoundSink* extraSink)
{
    if (m_reconnecting)
    {
        tryToReconnect(seconds);
    }
    if (m_paused)
    {
        return;
    }
    ListenerPose pose;
    pose.m_position = camera.m_position;
    pose.m_yaw = camera.m_yaw;
    pose.m_pitch = camera.m_pitch;
    BothSinks sinks(m_sink, extraSink);
    m_director.update(dinosaurs, day.m_sunAngle, pose, seconds, sinks);
    if (m_pOutput->isOpen() && !m_pOutput->update())
    {
        reportProblem("the audio device was disconnected; trying again");
        m_reconnecting = true;
        m_sinceReconnectTry = 0.0f;
        describe();
    }
}

void Soundscape::toggleMute()
{
    m_pOutput->setMuted(!m_pOutput->isMuted());
    describe();
}

void Soundscape::setPaused(bool paused)
{
    m_paused = paused;
    m_pOutput->setPaused(paused);
}

void Soundscape::stop()
{
    m_pOutput->close();
    m_reconnecting = false;
    describe();
}
