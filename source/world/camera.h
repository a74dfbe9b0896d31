// The viewer: a first-person eye that walks over the ground. It reads the mouse itself (buttons
// push, movement turns), keeps the eye above the ground and inside the walkable square, aims the
// view frustum from its pose and puts its rotation and translation on the modelview matrix.
//
// Turning is read once per displayed frame, so the head turns as smoothly as the screen allows;
// walking moves per world tick (two steps of motion a tick), and the eye is drawn part of the
// way from the previous tick's position to the latest one.
//
// The mouse is the park's only while its window has the focus: then the cursor is hidden and
// held at the window's centre, wherever the window stands on the desktop. The walking keys act
// beside the mouse: held forward and backward keys push as the buttons do, held turning keys
// turn the view at a steady rate.
#pragma once

#include "math/vector.h"
#include "platform/platform.h"
#include "world/walkkeys.h"

#include <cstdint>

class Frustum;
class Terrain;

// The eye's vertical field of view, in degrees: the usual, and the range a user may choose from.
const float kDefaultFieldOfView = 45.0f;
const float kNarrowestFieldOfView = 30.0f;
const float kWidestFieldOfView = 100.0f;

struct CursorPosition
{
    int32_t x = 0;
    int32_t y = 0;
};

class Camera
{
public:
    float m_yaw = 0.0f;   // degrees about y, kept in 0 ... 360
    float m_pitch = 0.0f; // degrees about x, kept in -90 ... 90; positive looks down
    float m_yawRadians = 0.0f;
    float m_speed = 0.1f;
    Vector3 m_velocity{0.0f, 0.0f, 0.0f};
    Vector3 m_acceleration{0.0f, 0.0f, 0.0f};
    CursorPosition m_cursor;
    Vector3 m_position{0.0f, 2.0f, 0.0f};
    Vector3 m_previousPosition{0.0f, 2.0f, 0.0f}; // where the latest tick began
    bool m_holdingCursor = false;                 // the window had the focus at the last reading
    bool m_leftHeld = false;                      // the buttons at the last reading, while focused
    bool m_rightHeld = false;
    WalkKeys m_walkKeys;            // kept up to date by the key callbacks
    float m_pixelsPerDegree = 7.0f; // mouse movement for a degree of turn
    bool m_invertMouse = false;     // moving the mouse (or a pad's look stick) up looks down
    // A game pad's sticks at the last reading, past their dead zone, each -1 ... 1: the look
    // stick's right and up, and how far the walking stick leans forward (back below 0).
    float m_stickLookX = 0.0f;
    float m_stickLookY = 0.0f;
    float m_stickWalk = 0.0f;
    float m_stickDegreesPerSecond = 120.0f; // the look stick's turn at full tilt

    // Puts the eye back at (0, 2, 0), not drawn from where it was; heading, pitch and velocity
    // stay.
    void reset();

    // The eye onto the ground where it stands, as a tick would put it, and drawn there: for a
    // park just made, whose first frame may come before its first tick.
    void settle(const Terrain& terrain);

    // Once per displayed frame: the pointer read once, the cursor held while focused, the
    // buttons kept for the ticks, the mouse's turn, and the turning keys' and the look stick's
    // turn for `seconds` of real time since the frame before.
    void readInput(double seconds);
    // readInput in its two parts, for a frame whose ticks fall within its time: the pointer,
    // buttons and mouse once; then the turns by the second, piece by piece along the frame's
    // time (nothing without the focus).
    void readPointer();
    void turnFor(double seconds);
    // One world tick: two steps of motion from the buttons and keys held at the last reading.
    void tick(const Terrain& terrain);
    // The eye as drawn `fraction` (0 ... 1) of the way from the previous tick to the latest.
    Vector3 shownPosition(float fraction) const;
    // The frustum from the eye at `eye` and the current heading and pitch.
    void aimFrustum(Frustum& frustum, const Vector3& eye) const;

    // Pushes along the heading when walking forward (the left button, w, Up) or backward (the
    // right button, s, Down; backward wins), or as far as the walking stick leans, for the step
    // about to be taken.
    void push(bool leftHeld, bool rightHeld);
    // Turns by the cursor's offset from the window's centre on the screen, m_pixelsPerDegree
    // pixels a degree (the pitch the other way when inverted), and warps it back there. A cursor
    // that cannot be read turns nothing.
    void mouseLook(const PointerState& pointer);
    // The turning keys' turn for `seconds` of real time: a quarter turn a second; both held
    // cancel.
    void turnWithKeysFor(double seconds);
    // The look stick's turn for `seconds` of real time, m_stickDegreesPerSecond at full tilt:
    // right turns right, up looks up (down when inverted), within the mouse's pitch limits.
    void turnWithStickFor(double seconds);
    // Adds to the heading and the pitch, then clamps the pitch and wraps the heading into
    // 0 ... 360, keeping the whole turn.
    void turn(float yawDegrees, float pitchDegrees);
    // Takes the cursor when the window gains the focus (hidden, put at the centre without
    // turning: the reading then has it there) and gives it back when the focus leaves,
    // forgetting the held keys. True while the park holds it.
    bool holdCursorWhileFocused(PointerState& pointer);
    // The direction the frustum wants: a unit vector from the view target back towards the eye.
    Vector3 frustumAt() const;

    // One step of motion: the push into the velocity, damping, the eye onto the ground where
    // the step begins, the move unless it leaves the walkable square; the push is then spent.
    void moveOneStep(const Terrain& terrain);

    // The view's rotation on the model-view matrix: the pitch about x, then the yaw about y.
    void applyRotation() const;
};
