// The first-person camera: input polling, damping, ground following, the walk limit, the frustum
// vectors and the view transform.
#include "world/camera.h"

#include "math/angles.h"
#include "math/frustum.h"
#include "platform/platform.h"
#include "world/terrain.h"

#include <GL/gl.h>

#include <cmath>

namespace
{
const float kQuarterTurn = 1.57f;
const float kDamping = 1.03f;
const float kEyeAboveQuery = 3.0f;
const float kWalkMargin = 50.0f;
// A quarter turn a second.
const float kKeyTurnDegreesPerSecond = 90.0f;
const int kStepsPerTick = 2;
const float kFullTurn = 360.0f;

// A step may land only where both coordinates, truncated to whole units, stay inside the square.
bool isWalkable(float x, float z)
{
    const float limit = kParkSize - kWalkMargin;
    return limit > std::fabs(std::trunc(x)) && limit > std::fabs(std::trunc(z));
}
} // namespace

void Camera::reset()
{
    m_position.set(0.0f, 2.0f, 0.0f);
    m_previousPosition = m_position;
}

void Camera::settle(const Terrain& terrain)
{
    m_position.y = terrain.groundHeight(m_position.x, m_position.z) + kEyeAboveQuery;
    m_previousPosition = m_position;
}

void Camera::push(bool leftHeld, bool rightHeld)
{
    m_yawRadians = radians(m_yaw);
    const float heading = m_yawRadians + kQuarterTurn;
    float forward = m_stickWalk;
    if (leftHeld || m_walkKeys.isHeld(WalkKey::Forward))
    {
        forward = 1.0f;
    }
    if (rightHeld || m_walkKeys.isHeld(WalkKey::Backward))
    {
        forward = -1.0f;
    }
    if (forward != 0.0f)
    {
        const float push = m_speed * forward;
        m_acceleration.set(-std::cos(heading) * push, 0.0f, -std::sin(heading) * push);
    }
}

void Camera::mouseLook(const PointerState& pointer)
{
    if (!pointer.cursorKnown || !pointer.centreKnown)
    {
        return;
    }
    m_cursor.x = pointer.cursorX;
    m_cursor.y = pointer.cursorY;
    const int dx = pointer.cursorX - pointer.centreX;
    const int dy = pointer.cursorY - pointer.centreY;
    if (dx == 0 && dy == 0)
    {
        return;
    }
    warpCursorPosition(pointer.centreX, pointer.centreY);
    const float pitch = float(dy) / m_pixelsPerDegree;
    turn(float(dx) / m_pixelsPerDegree, m_invertMouse ? -pitch : pitch);
}

void Camera::turnWithKeysFor(double seconds)
{
    const float degrees = float(double(kKeyTurnDegreesPerSecond) * seconds);
    float yaw = 0.0f;
    if (m_walkKeys.isHeld(WalkKey::TurnLeft))
    {
        yaw -= degrees;
    }
    if (m_walkKeys.isHeld(WalkKey::TurnRight))
    {
        yaw += degrees;
    }
    if (yaw != 0.0f)
    {
        turn(yaw, 0.0f);
    }
}

void Camera::turnWithStickFor(double seconds)
{
    if (m_stickLookX == 0.0f && m_stickLookY == 0.0f)
    {
        return;
    }
    const float degrees = float(double(m_stickDegreesPerSecond) * seconds);
    const float pitch = -m_stickLookY * degrees;
    turn(m_stickLookX * degrees, m_invertMouse ? -pitch : pitch);
}

void Camera::turn(float yawDegrees, float pitchDegrees)
{
    m_yaw += yawDegrees;
    m_pitch += pitchDegrees;
    if (m_pitch < -90.0f)
    {
        m_pitch = -90.0f;
    }
    if (m_pitch > 90.0f)
    {
        m_pitch = 90.0f;
    }
    // Across north the rest of the turn is carried on, so that a flick turns as far at 15
    // frames a second, whose frames each turn a lot, as at 60.
    if (m_yaw < 0.0f || m_yaw > kFullTurn)
    {
        m_yaw = std::fmod(m_yaw, kFullTurn);
        if (m_yaw < 0.0f)
        {
            m_yaw += kFullTurn;
        }
    }
}

Vector3 Camera::frustumAt() const
{
    const float p = radians(-m_pitch);
    const float q = radians(-m_yaw);
    Vector3 at(0.0f, 0.0f, 1.0f);
    // About x by p, then about y by q.
    at.set(at.x, at.y * std::cos(p) - at.z * std::sin(p), at.y * std::sin(p) + at.z * std::cos(p));
    at.set(at.x * std::cos(q) + at.z * std::sin(q), at.y, -at.x * std::sin(q) + at.z * std::cos(q));
    return at;
}

bool Camera::holdCursorWhileFocused(PointerState& pointer)
{
    const bool focused = pointer.focused;
    if (focused && !m_holdingCursor)
    {
        // Where the pointer came in (a click anywhere in the window) is no turn of the view.
        const bool away =
            pointer.cursorKnown && pointer.centreKnown &&
            (pointer.cursorX != pointer.centreX || pointer.cursorY != pointer.centreY);
        if (away)
        {
            warpCursorPosition(pointer.centreX, pointer.centreY);
            pointer.cursorX = pointer.centreX;
            pointer.cursorY = pointer.centreY;
        }
        setCursorHidden(true);
    }
    else if (!focused && m_holdingCursor)
    {
        setCursorHidden(false);
    }
    if (!focused)
    {
        m_walkKeys.releaseAll();
    }
    m_holdingCursor = focused;
    return focused;
}

void Camera::moveOneStep(const Terrain& terrain)
{
    m_velocity += m_acceleration;
    m_velocity /= kDamping;

    // The query already lifts the ground by 7, so the eye rides 10 above the drawn surface.
    m_position.y = terrain.groundHeight(m_position.x, m_position.z) + kEyeAboveQuery;

    if (isWalkable(m_position.x + m_velocity.x, m_position.z + m_velocity.z))
    {
        m_position += m_velocity;
    }
    m_acceleration.set(0.0f, 0.0f, 0.0f);
}

void Camera::aimFrustum(Frustum& frustum, const Vector3& eye) const
{
    // The up vector rotated about y alone stays (0, 1, 0).
    frustum.setCamera(eye, frustumAt(), Vector3(0.0f, 1.0f, 0.0f));
}

void Camera::readInput(double seconds)
{
    readPointer();
    turnFor(seconds);
}

void Camera::readPointer()
{
    PointerState pointer = readPointerState();
    m_leftHeld = false;
    m_rightHeld = false;
    if (holdCursorWhileFocused(pointer))
    {
        m_leftHeld = pointer.leftHeld;
        m_rightHeld = pointer.rightHeld;
        mouseLook(pointer);
    }
}

void Camera::turnFor(double seconds)
{
    if (m_holdingCursor && seconds > 0.0)
    {
        turnWithKeysFor(seconds);
        turnWithStickFor(seconds);
    }
}

void Camera::tick(const Terrain& terrain)
{
    m_previousPosition = m_position;
    for (int i = 0; i < kStepsPerTick; ++i)
    {
        // Without the focus the keys were forgotten and the buttons read as released.
        if (m_holdingCursor)
        {
            push(m_leftHeld, m_rightHeld);
        }
        moveOneStep(terrain);
    }
}

Vector3 Camera::shownPosition(float fraction) const
{
    return lerp(m_previousPosition, m_position, fraction);
}

void Camera::applyRotation() const
{
    glRotatef(m_pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(m_yaw, 0.0f, 1.0f, 0.0f);
}
