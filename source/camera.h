// The viewer: a first-person eye that walks over the ground. It polls the mouse itself (buttons
// push, movement turns), keeps the eye above the ground and inside the walkable square, rebuilds
// the view frustum from its pose and puts its rotation and translation on the modelview matrix.
// Motion is per step, not per unit of time; the frame steps the camera twice.
#pragma once

#include "vector.h"

#include <cstdint>

class Frustum;
class Terrain;

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

    // Puts the eye back at (0, 2, 0); heading, pitch and velocity stay.
    void reset();

    // One full step: step() and then applyRotation() onto the current modelview matrix (the
    // caller has just loaded the identity).
    void update(Terrain& terrain, Frustum& frustum);
    // Everything of a step except the GL rotation: buttons, mouse, motion, ground following, the
    // walk limit and the frustum; ends with the push cleared.
    void step(const Terrain& terrain, Frustum& frustum);

    // This step's push from the mouse buttons; the right (backward) button wins over the left.
    void readButtons();
    // Turns by the cursor's offset from screen (400, 300), 7 pixels a degree, and warps it back.
    void mouseLook();
    // The direction the frustum wants: a unit vector from the view target back towards the eye.
    Vector3 frustumAt() const;

    void applyRotation() const;
    // glTranslatef by minus the eye position.
    void applyTranslation() const;
};
