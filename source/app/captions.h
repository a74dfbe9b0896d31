// Captions: what the park's sounds tell, written at the foot of the window for a player who
// cannot hear them — what is heard, from which side of the view and how near. They come from the
// soundscape's decisions, not from the device, so they show with the sound muted or without a
// sound card. A line repeated counts up instead of stacking, and fades a second after its sound
// ends; at most four show. The beds are one line when one of them comes in.
#pragma once

#include "app/soundscape.h"

const int kMostCaptionLines = 4;
const double kCaptionFadeSeconds = 1.0;
// How long a bed's line shows, and a sound's whose length is not known.
const double kCaptionBedSeconds = 4.0;
const double kCaptionUnknownSeconds = 1.5;

// Where a sound is, relative to where the view looks, in the ground's plane: eight ways round,
// or none (the beds, heard alike all round).
enum class CaptionArrow
{
    Ahead,
    AheadRight,
    Right,
    BehindRight,
    Behind,
    BehindLeft,
    Left,
    AheadLeft,
    None,
};

// What a sound is called in its caption: "tyrannosaur roars", "heavy footsteps", "wind" ...
const char* captionWords(ParkSound sound);
// The arrow for a sound at `position` heard at `listener` looking along `forward`.
CaptionArrow captionArrow(const Vector3& listener, const Vector3& forward, const Vector3& position);

struct CaptionLine
{
    ParkSound sound = ParkSound::Roar;
    CaptionArrow arrow = CaptionArrow::None;
    bool near = false;
    int count = 0;
    double endsAt = 0.0; // on the captions' clock, when its latest sound ends
    double startedAt = 0.0;
};

class Captions : public SoundSink
{
public:
    // How long each sound lasts, for how long its line stays; 0 for one not known.
    void setSoundSeconds(ParkSound sound, double seconds);
    // Moves the captions' clock on by a displayed frame's real time.
    void advance(double seconds);
    // No lines, the beds as they are now taken as heard already.
    void clear();

    void setListener(const Vector3& position, const Vector3& forward, const Vector3& up) override;
    void play(ParkSound sound, const Vector3& position, float gain, float pitch) override;
    void setBedGain(ParkSound bed, float gain) override;

    // The lines showing now, oldest first.
    int lineCount() const { return m_lineCount; }
    const CaptionLine& line(int index) const { return m_lines[index]; }
    // 1 until a line's sound ends, falling to 0 over kCaptionFadeSeconds after.
    float opacity(int index) const;
    // "heavy footsteps ×3, near": the line's words, its count, and how near.
    void text(int index, char* text, int capacity) const;

private:
    void show(ParkSound sound, CaptionArrow arrow, bool near, double seconds);
    void dropGone();

    double m_now = 0.0;
    double m_seconds[kParkSoundCount] = {};
    CaptionLine m_lines[kMostCaptionLines];
    int m_lineCount = 0;
    Vector3 m_listener;
    Vector3 m_forward{0.0f, 0.0f, -1.0f};
    bool m_bedIn[kParkSoundCount] = {};
};
