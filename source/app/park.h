// The park as main owns it: the ground, the plants, the trees, the animals, the sky and the day,
// the eye, the view's frustum and the world's clock. It is built from a seed, moves in fixed
// ticks of real time and is drawn between its last two ticks. Its GL objects live in the GL
// context current at its first build.
#pragma once

#include "app/seeds.h"
#include "creatures/dinosaurs.h"
#include "math/frustum.h"
#include "platform/tickclock.h"
#include "world/camera.h"
#include "world/grove.h"
#include "world/plants.h"
#include "world/sky.h"
#include "world/terrain.h"

#include <cstdint>

// The passes of a frame. The world's ticks come first; then the terrain is drawn (with the clear
// and the day's lights), then the trees and the animals; the sky then fills in behind them, and
// the plants come last.
enum class FramePass
{
    Sky,
    Terrain,
    Trees,
    Dinosaurs,
    Plants,
    Ticks,
};
const int kFramePassCount = 6;

// Called after every pass of every frame with the pass just drawn (timing, tests that read the
// pixels a pass left); null for none.
using FramePassHook = void (*)(FramePass pass, void* pContext);

// The GL state every frame of the park relies on; set by the first build, and by tests that draw
// one part of the park alone.
void setFixedGlState();
// The viewport and the view's projection for a `width` x `height` window (a height of 0 taken
// as 1) with a vertical field of view of `fieldOfView` degrees, and the same view volume in
// `frustum`. Leaves the model-view matrix current and reset.
void setViewProjection(int width, int height, float fieldOfView, Frustum& frustum);

class Park
{
public:
    Park() = default;
    Park(const Park&) = delete;
    Park& operator=(const Park&) = delete;

    // The park of `seed`, whole: the eye back at the centre, the ground, the plants, the animals
    // and the trees, drawing from the seed's sequence in that order, the eye and the animals
    // standing on the new ground. The first build also sets the GL state every frame relies on
    // and makes the sky and the tree (needs the GL context). The day goes on as it was.
    void build(unsigned seed);
    // A new park from the next seed: the start, and the `r` key. The park prepareNext prepared,
    // if it did.
    void regenerate();
    // What the next park's build does without GL, done ahead: the next seed's ground, and every
    // image and model file read. For the start, on another thread while the window opens: nothing
    // else may touch the park or the park's random numbers until it returns.
    void prepareNext();
    // The next park's ground samples its colour map and detail apart until finishStart has
    // merged them into one texture: the merge waits until the first frame is shown.
    void mergeGroundDetailLater() { m_mergeDetailLater = true; }
    // What the start left for after the first frame: the ground's merged texture, made a band
    // of rows with each frame drawn from then on.
    void finishStart();
    // The next park is made from `seed`, and each one after it from the number after.
    void startSeedsAt(unsigned seed);
    // The seed of the park as it stands.
    unsigned seed() const { return m_seed; }

    // The window is `width` x `height` pixels: the viewport, the projection and the frustum.
    void resize(int width, int height);
    // The vertical field of view, kNarrowestFieldOfView ... kWidestFieldOfView degrees; it takes
    // effect at the next resize.
    void setFieldOfView(float degrees) { m_fieldOfView = degrees; }
    float fieldOfView() const { return m_fieldOfView; }

    // Once a displayed frame, at `nowMicroseconds` on the platform clock: the input read once
    // (the mouse's and the turning keys' turn for the real time since the frame before), then
    // the ticks real time has brought. Returns those seconds (at most the most ticks a frame
    // runs).
    double advance(int64_t nowMicroseconds);
    // One world tick: the camera's motion, then, unless the park is paused, the day and the
    // animals' behaviour and steering.
    void tick();
    // Draws the world into the back buffer, from the clear to the plants, `fraction` (0 ... 1)
    // of the way from the previous tick to the latest.
    void draw(float fraction);
    // A frame of exactly one tick, drawn as that tick left the world (the input read as for a
    // sixtieth of a second): the same frame whatever the clock says.
    void drawFrame();

    // Ticks run since the world's clock started, and how far past the latest the last frame
    // drew.
    int64_t ticksRun() const { return m_clock.ticksRun(); }
    float tickFraction() const { return m_clock.fraction(); }
    // The world's clock starts again at the next frame, owing nothing.
    void restartClock();

    // Holds the whole park (the animals in mid-pose, the day) while the eye still walks and
    // looks, or lets it go on exactly where it stopped: the world's ticks do not catch up.
    void pause(bool paused);
    bool isPaused() const { return m_paused; }

    // A whole day lasts `seconds` of real time.
    void setDayLength(double seconds);
    // The day `fraction` of the way from its first light (before the first tick).
    void startDayAt(double fraction);
    // Holds the time of day, or lets it go on; the animals go on either way.
    void holdDay(bool held);
    bool isDayHeld() const { return m_sky.clock().isHeld(); }
    // The time of day on the park's clock, 0 <= hours < 24.
    double clockHours() const;

    // Mouse movement for a degree of turn, the pad's look stick's turn a second at full tilt,
    // and whether moving either up looks down.
    void setLook(float pixelsPerDegree, float stickDegreesPerSecond, bool invert);

    void setPassHook(FramePassHook hook, void* pContext);

    // The parts, for the shell (the walking keys, the sound) and for tests.
    Terrain& ground() { return m_ground; }
    PlantField& plants() { return m_plants; }
    Grove& grove() { return m_grove; }
    DinosaurSet& animals() { return m_animals; }
    Sky& sky() { return m_sky; }
    Camera& camera() { return m_camera; }
    const Frustum& frustum() const { return m_frustum; }
    const Terrain& ground() const { return m_ground; }
    const DinosaurSet& animals() const { return m_animals; }
    const Sky& sky() const { return m_sky; }
    const Camera& camera() const { return m_camera; }

private:
    void setUpGl();
    void endPass(FramePass pass);
    double secondsSinceLastFrame(int64_t now);
    // The plane through `eye` under which the ground drawn this frame surely hides the sky,
    // seen through the turn `skyRotation` (column-major): the normal of its kept side, in world
    // axes. False where no part of the sky is surely hidden.
    bool planeOverSkyHiddenByGround(Vector3 eye, const float* skyRotation, Vector3& keptSide) const;

    Terrain m_ground;
    PlantField m_plants;
    Grove m_grove;
    DinosaurSet m_animals;
    Sky m_sky;
    Camera m_camera;
    Frustum m_frustum;
    SeedSequence m_seeds;
    unsigned m_seed = 0;
    bool m_hasPreparedSeed = false;
    unsigned m_preparedSeed = 0;
    bool m_glReady = false;
    bool m_mergeDetailLater = false;
    float m_fieldOfView = kDefaultFieldOfView;
    bool m_paused = false;
    // How far between its last two ticks the world was drawn last, and, in a pause, is drawn.
    float m_worldFraction = 1.0f;

    TickClock m_clock;
    bool m_hasFrameTime = false;
    int64_t m_lastFrameMicroseconds = 0;

    FramePassHook m_pPassHook = nullptr;
    void* m_pPassContext = nullptr;
};
