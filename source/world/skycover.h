// Where the ground surely hides the sky. The ground is drawn from the near plane out to the far
// plane; a line of sight that falls steeply enough to reach the lowest ground within that range
// meets the ground on the way, so the sky behind it never shows and need not be drawn. The sky
// is drawn last and only where nothing else was, so this only spares the renderer rasterising
// sky that the depth test would reject. Plain computation (no GL).
#pragma once

#include "math/vector.h"

// The ground around the eye, as far as a line of sight drawn can meet it.
struct GroundAround
{
    // The lowest ground within `reach` of the eye (across, not along the line of sight).
    float lowest = 0.0f;
    // The highest ground within the near reach of the eye.
    float highestNear = 0.0f;
    // How far the ground goes on from the eye in every direction, at most the far distance.
    float reach = 0.0f;
};

// The sine of the least fall below the horizontal at which every line of sight from an eye at
// `eyeHeight` meets the ground; 0 when none surely does. `nearReach` is the farthest from the
// eye a line of sight may cross the near plane.
float hiddenFallSine(float eyeHeight, const GroundAround& ground, float nearReach);

// A plane through the eye, under which every line of sight of the view falls with a sine of at
// least `fallSine`: the normal of its kept side, in world axes. The view is given by the
// directions of its four corners. False where no such plane keeps anything (a view looking down
// too steeply) or nothing falls that steeply.
bool planeOverHiddenSky(float fallSine, const Vector3 corners[4], Vector3& keptSide);

// The farthest from the eye a line of sight crosses the near plane at `nearDistance`, for a
// view whose half angles have tangents `tanHalfWidth` and `tanHalfHeight`.
float nearPlaneReach(float nearDistance, float tanHalfWidth, float tanHalfHeight);
