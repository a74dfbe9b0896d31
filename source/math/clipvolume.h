// The exact volume a projection and a model-view matrix draw: six planes taken from their
// product. Used to skip geometry that cannot reach a pixel, never to decide what is seen: a box
// it keeps may still be off screen, a box it drops is surely off screen.
#pragma once

class ClipVolume
{
public:
    // Both matrices column-major, as OpenGL returns them.
    void set(const float* projection, const float* modelView);

    // False only when the axis-aligned box lies wholly outside one plane (by more than a margin
    // of a hundredth of a unit, so that rounding never drops a box that touches the volume).
    bool mayTouchBox(const float* boxMin, const float* boxMax) const;
    // False only when every one of the points lies outside one plane (by the same margin): a
    // convex shape with those corners is then surely off screen.
    bool mayTouchPoints(const float (*points)[3], int count) const;

private:
    float m_planes[6][4] = {}; // a, b, c, d with a x + b y + c z + d >= 0 inside
};

// Where the eye stands in the world under a model-view matrix of turns and moves only.
void eyePosition(const float* modelView, float eye[3]);
