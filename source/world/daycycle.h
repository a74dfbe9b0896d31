// The park's day: the sun's angle, the day and night fade of the sky tint, the fog colour and the
// sun and moon lights' latches, colour ramps and directions, counted in frames. No GL here: each
// frame reports which light calls it needs and the sky module makes them.
#pragma once

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
