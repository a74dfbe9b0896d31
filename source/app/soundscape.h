// What the park sounds like: which sound plays when and where, decided every displayed frame
// from the animals, the day and the camera, and the audio device that plays it. The deciding
// (SoundDirector) knows nothing of OpenAL: it hands its choices to a SoundSink, which the
// park's device plays (DeviceSoundSink) and a test records. The Soundscape at the end is all the
// shell needs.
#pragma once

#include "audio/sounddevice.h"
#include "audio/soundfile.h"
#include "math/random.h"
#include "math/vector.h"

#include <string>
#include <vector>

class Camera;
class DayCycle;
class DinosaurSet;

enum class ParkSound
{
    Roar,
    Bellow,
    Call,
    Knock,
    Screech,
    HeavyStep,
    HerdStep,
    Wind,
    Insects,
    Birds,
};
const int kParkSoundCount = 10;

// The generated file, "sounds/roar.wav" and so on.
const char* parkSoundFile(ParkSound sound);
// What the park does without it, for the line that names a file it cannot play.
const char* parkSoundLoss(ParkSound sound);
// The beds (wind, insects, birds) loop and are heard alike everywhere; the rest are placed.
bool isBed(ParkSound sound);

// The ears: the camera's eye, heading and pitch in degrees (pitch positive looks down).
struct ListenerPose
{
    Vector3 m_position;
    float m_yaw = 0.0f;
    float m_pitch = 0.0f;
};
// The unit vector the camera looks along, and the one straight up from its view.
Vector3 listenerForward(const ListenerPose& pose);
Vector3 listenerUp(const ListenerPose& pose);

// How loud each bed is (0 ... 1) with the sun at `sunAngle` degrees (0 rising, 180 setting):
// birds around dawn (330 ... 35), insects at night (190 ... 340), wind all day and a breath
// of it at night, each fading in and out over 15 to 30 degrees.
struct BedGains
{
    float m_wind = 0.0f;
    float m_insects = 0.0f;
    float m_birds = 0.0f;
};
BedGains bedGainsAt(float sunAngle);

// Where the director's choices go.
class SoundSink
{
public:
    virtual ~SoundSink() = default;
    virtual void setListener(const Vector3& position, const Vector3& forward,
                             const Vector3& up) = 0;
    // A one-shot, never a bed, at `position`.
    virtual void play(ParkSound sound, const Vector3& position, float gain, float pitch) = 0;
    // `bed` is one of the beds.
    virtual void setBedGain(ParkSound bed, float gain) = 0;
};

// Decides the sounds from what the park shows. Footfalls follow each species' clip frame on
// its model's clock (docs/dinosaurs.md gives the clips); calls and bellows come now and then
// from a sequence of the park's generator of its own, so the park's one sequence is not shifted.
class SoundDirector
{
public:
    // One displayed frame, `seconds` after the one before. An animal whose model is not loaded
    // is not heard.
    void update(const DinosaurSet& dinosaurs, float sunAngle, const ListenerPose& listener,
                float seconds, SoundSink& sink);

private:
    struct Species
    {
        int m_mode = -1; // -1: not seen yet
        float m_frame = 0.0f;
    };

    void hearTyrannosaur(const DinosaurSet& dinosaurs, SoundSink& sink);
    void hearTriceratops(const DinosaurSet& dinosaurs, const Vector3& listener, float seconds,
                         SoundSink& sink);
    void hearHerd(const DinosaurSet& dinosaurs, float seconds, SoundSink& sink);
    void hearPterosaurs(const DinosaurSet& dinosaurs, float seconds, SoundSink& sink);
    // True with probability `perSecond` * `seconds`.
    bool chance(float perSecond, float seconds);
    float pitchAround(float centre, float spread);

    Species m_tyrannosaur;
    Species m_triceratops;
    Species m_stegoceras;
    int m_herdStartled = -1;
    int m_circling[4] = {-1, -1, -1, -1};
    float m_sinceScreech[4] = {99.0f, 99.0f, 99.0f, 99.0f};
    RandomSequence m_random{20};
};

// The park's sounds on an output.
class DeviceSoundSink : public SoundSink
{
public:
    // Reads every park sound from sounds/ in the working directory (a <name>.ogg or <name>.flac
    // there is played in place of <name>.wav) and keeps the samples; a file that cannot be
    // played is named on stderr with what the park does without it.
    void readFiles();
    // Hands the output the samples read and starts the beds, silent, when it is open; again on
    // an output opened anew. A sound it refuses is named as a file would be.
    void attach(SoundOutput& output);
    // readFiles, then attach.
    void load(SoundOutput& output);
    // How long a sound lasts, in seconds; 0 for one that was not read.
    double seconds(ParkSound sound) const;

    void setListener(const Vector3& position, const Vector3& forward, const Vector3& up) override;
    void play(ParkSound sound, const Vector3& position, float gain, float pitch) override;
    void setBedGain(ParkSound bed, float gain) override;

private:
    SoundOutput* m_pOutput = nullptr;
    std::string m_files[kParkSoundCount];
    std::vector<SoundSamples> m_samples; // by ParkSound; no frames for one not read
    int m_sounds[kParkSoundCount] = {};
    int m_beds[kParkSoundCount] = {};
    float m_bedGains[kParkSoundCount] = {};
};

struct SoundSettings
{
    bool m_muted = false;
    int m_volume = 80; // 0 ... 100
    HrtfChoice m_hrtf = HrtfChoice::Auto;
};

// Every few seconds while the device is gone, the park tries to open one again.
const double kReconnectSeconds = 3.0;

// The park's sound: the output, what it plays and what decides it.
class Soundscape
{
public:
    // On the system's audio device.
    Soundscape() = default;
    // On another output (a test's double), which the caller keeps.
    explicit Soundscape(SoundOutput& output) : m_pOutput(&output) {}
    Soundscape(const Soundscape&) = delete;
    Soundscape& operator=(const Soundscape&) = delete;

    // Opens the audio output and loads the sounds. Without a device, one line on stderr says so
    // and the park is silent; a file that cannot be played is named on its own line.
    void start(const SoundSettings& settings);
    // Once a displayed frame, after the ticks: the listener from the camera, the sounds from the
    // animals and the day, into the output and into `extraSink` when given (the captions), with
    // or without a device. A device that goes is said in one line and tried again every
    // kReconnectSeconds; one that comes back is said too. Allocates nothing.
    void update(const DinosaurSet& dinosaurs, const DayCycle& day, const Camera& camera,
                float seconds, SoundSink* extraSink = nullptr);
    void toggleMute();
    bool isMuted() const { return m_pOutput->isMuted(); }
    // Holds every sound where it is while the park is paused, deciding no new one, or lets them
    // go on.
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    // The sound's state in a few words, for the help panel's line "sound": "on, volume 80",
    // "off (m turns it on)", "none (no audio device)", "none (the device went; trying again)".
    const char* state() const { return m_state; }
    // "on", "off", "the library's choice: on" ...: whether sounds are placed for headphones.
    const char* hrtfState() const { return m_hrtfState; }
    // How long a sound lasts, in seconds, as read from its file; 0 for one not read.
    double soundSeconds(ParkSound sound) const { return m_sink.seconds(sound); }
    // Stops every sound and releases the device.
    void stop();

private:
    void describe();
    void tryToReconnect(float seconds);

    SoundDevice m_device;
    SoundOutput* m_pOutput = &m_device;
    DeviceSoundSink m_sink;
    SoundDirector m_director;
    HrtfChoice m_hrtf = HrtfChoice::Auto;
    bool m_paused = false;
    bool m_reconnecting = false;
    float m_sinceReconnectTry = 0.0f;
    char m_state[64] = "not started";
    char m_hrtfState[48] = "";
};
