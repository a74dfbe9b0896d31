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
    // The lowest ground within `reach` of the eye (across, not along the line of sight), in the
    // view's sector where one was given.
    float lowest = 0.0f;
    // The highest ground within the near reach of the eye.
    float highestNear = 0.0f;
    // How far the ground goes on from the eye in every direction, at most the far distance.
    float reach = 0.0f;
};

// The directions across the ground a view's lines of sight take: within the angle whose cosine
// is `cosHalfAngle` of the unit heading (headingX, headingZ).
struct ViewSector
{
    float headingX = 0.0f;
    float headingZ = -1.0f;
    float cosHalfAngle = -1.0f; // every direction
};
// The sector of the view whose four corners point along `corners` (in world axes); false for a
// view looking so nearly straight up or down, or so wide, that its heading means little.
bool viewSector(const Vector3 corners[4], ViewSector& sector);
// Whether a point `offset` from the eye across the ground lies within `margin` of the sector.
bool nearSector(const ViewSector& sector, float offsetX, float offsetZ, float margin);

// The sine of the least fall below the horizontal at which every line of sight from an eye at
// `eyeHeight` meets the ground; 0 when none surely does. `nearReach` is the farthest from the
// eye a line of sight may cross the near plane.
float hiddenFallSine(float eyeHeight, const GroundAround& ground, float nearReach);

// A plane through the eye, under which every line of sight of the view falls with a sine of at
// least `fallSine`: the normal of its kept side, in world axes. The view is given by its sector.
// False where nothing falls that steeply.
bool planeOverHiddenSky(float fallSine, const ViewSector& sector, Vector3& keptSide);

// The farthest from the eye a line of sight crosses the near plane at `nearDistance`, for a
// view whose half angles have tangents `tanHalfWidth` and `tanHalfHeight`.
float nearPlaneReach(float nearDistance, float tanHalfWidth, float tanHalfHeight);
