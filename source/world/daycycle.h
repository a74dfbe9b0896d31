// The park's day: the sun's angle, the day and night fade of the sky tint, the fog colour and the
// sun and moon lights' latches, colour ramps and directions, counted in frames of the day (401 a
// day). No GL here: each frame reports which light calls it needs and the sky module makes them.
//
// The day's clock sets those frames against the world's ticks: a day of any length is the same
// day, its frames falling due more or less often, and drawn between the last two of them.
#pragma once

#include <cstdint>

// The light calls one frame needs. Colours and directions are read from the cycle.
struct SkyLightUpdate
{
    bool enableSun = false;
    bool disableSun = false;
    bool enableMoon = false;
    bool disableMoon = false;
    bool sunDiffuseChanged = false;
    bool sunAmbientChanged = false;
    bool moonDiffuseChanged = false;
    bool moonAmbientChanged = false;
    // Directional (w = 0), towards the sun and towards the moon; sent every frame.
    float sunDirection[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float moonDirection[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};

class DayCycle
{
public:
    float m_sunAngle = 339.9f; // degrees about +x; the sun is up between 0 and 180
    float m_dayRate = 0.9f;    // degrees per frame
    float m_cloudAngle = 0.0f; // degrees
    float m_skyColor[4] = {0.0f, 0.2f, 1.0f, 1.0f}; // alpha is the daylight level
    float m_sunDiffuse[3] = {0.0f, 0.0f, 0.0f};
    float m_sunAmbient[3] = {0.0f, 0.0f, 0.0f};
    float m_moonDiffuse[3] = {0.0f, 0.0f, 0.0f};
    float m_moonAmbient[3] = {0.0f, 0.0f, 0.0f};
    // Each light switch happens once per day.
    bool m_sunLightOn = false;
    bool m_moonLightOn = false;
    bool m_sunLightOff = true;
    bool m_moonLightOff = false;
    // Whether each light is switched on: what the light calls so far have left.
    bool m_sunShining = false;
    bool m_moonShining = false;

    // The sun's starting angle and the latches as the lights' set-up leaves them.
    void resetLights();

    // One frame in the order the sky draws it: sun, lights, clouds, sky fade.
    SkyLightUpdate advanceFrame();

    // Past 360 the angle restarts at exactly 0, not at the remainder.
    void advanceSun();
    SkyLightUpdate updateLights();
    void advanceClouds();
    // At most one step of dusk or dawn per frame.
    void fadeSkyColor();
    // The sky tint scaled by the daylight level: blue by day, black at night.
    void fogColor(float color[4]) const;
};

// Directional light positions (w = 0) towards the sun and towards the moon at `sunAngle`.
void lightDirections(float sunAngle, float sunDirection[4], float moonDirection[4]);

// The day `weight` of the way from `from` to `to`, the next frame of the day: angles turn the
// short way forward across a restart at 0, colours and levels in a straight line (a weight
// outside 0 ... 1 carries them on along it), switches as `to` has them. Exactly `from` at 0 and
// exactly `to` at 1.
DayCycle blendDays(const DayCycle& from, const DayCycle& to, float weight);

const int kFramesPerDay = 401;

// The park's clock: sunrise (the sun at 0 degrees, on the horizon) at 06:00, noon at 12:00,
// sunset at 18:00, midnight at 00:00. Hours past midnight, 0 <= hours < 24, of a sun angle.
double clockHoursOfSunAngle(float sunAngle);
// The share of a day (0 <= share < 1) from the park's start, the first light before sunrise,
// until the day's own frames bring the sun to `hours` on the park's clock.
double dayShareAtClockHours(double hours);

// Where the day stands against the world's ticks. The day moves on by a fixed share of its
// frames each tick (one at the park's own length, 401 ticks), and a frame runs as soon as the
// day has entered it; what is drawn lies between the frame before and the latest.
class DayClock
{
public:
    // A whole day lasts `ticks` world ticks (more than 0).
    void setTicksPerDay(double ticks);
    double ticksPerDay() const { return double(kFramesPerDay) / m_framesPerTick; }
    // A held day runs no frames; the world's ticks go on.
    void setHeld(bool held) { m_held = held; }
    bool isHeld() const { return m_held; }

    // One world tick: how many frames of the day fall due, to be run now, in order.
    int tick();
    // Moves to `fraction` (0 <= fraction < 1) of a day past the start of the park's second day
    // (whose lights the first has brought to their levels), before any tick: how many frames
    // fall due to get there.
    int startAt(double fraction);
    // How far from the frame before the latest one to the latest the day is drawn, `tickFraction`
    // of the way from the previous tick to the latest: 1 is the latest frame itself. Below 0
    // only when one tick ran several frames.
    float weightAt(float tickFraction) const;
    // Frames of the day since the park's start, continuous.
    double position() const { return m_position; }

private:
    int dueFrames();

    double m_framesPerTick = 1.0;
    double m_position = 0.0;
    double m_positionBeforeTick = 0.0;
    int64_t m_framesRun = 0;
    bool m_held = false;
};
