// Planes of the clip volume from the rows of projection x model-view.
#include "math/clipvolume.h"

#include <cmath>

namespace
{
const float kMargin = 0.01f;
} // namespace

void ClipVolume::set(const float* projection, const float* modelView)
{
    // clip = projection * modelView; element (row r, column c) at [4c + r].
    float clip[16];
    for (int column = 0; column < 4; ++column)
    {
        for (int row = 0; row < 4; ++row)
        {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
            {
                sum += double(projection[4 * k + row]) * modelView[4 * column + k];
            }
            clip[4 * column + row] = float(sum);
        }
    }
    // Inside means -w <= x, y, z <= w: row 3 plus or minus rows 0, 1, 2.
    for (int axis = 0; axis < 3; ++axis)
    {
        for (int side = 0; side < 2; ++side)
        {
            float* plane = m_planes[2 * axis + side];
            const float sign = side == 0 ? 1.0f : -1.0f;
            for (int column = 0; column < 4; ++column)
            {
                plane[column] = clip[4 * column + 3] + sign * clip[4 * column + axis];
            }
            const float length =
                std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
            if (length > 0.0f)
            {
                for (float& value : m_planes[2 * axis + side])
                {
                    value /= length;
                }
            }
        }
    }
}

bool ClipVolume::mayTouchBox(const float* boxMin, const float* boxMax) const
{
    for (const float* plane : m_planes)
    {
        // The corner farthest along the plane's normal.
        float distance = plane[3];
        for (int axis = 0; axis < 3; ++axis)
        {
            distance += plane[axis] * (plane[axis] >= 0.0f ? boxMax[axis] : boxMin[axis]);
        }
        if (distance < -kMargin)
        {
            return false;
        }
    }
    return true;
}

bool ClipVolume::mayTouchPoints(const float (*points)[3], int count) const
{
    for (const float* plane : m_planes)
    {
        bool allOutside = true;
        for (int i = 0; i < count && allOutside; ++i)
        {
            const float* p = points[i];
            allOutside = plane[0] * p[0] + plane[1] * p[1] + plane[2] * p[2] + plane[3] < -kMargin;
        }
        if (allOutside)
        {
            return false;
        }
    }
    return true;
}

void eyePosition(const float* modelView, float eye[3])
{
    // The matrix maps the eye to the origin: eye = -transpose(rotation) * translation.
    const float* t = modelView + 12;
    for (int axis = 0; axis < 3; ++axis)
    {
        const float* column = modelView + 4 * axis;
        eye[axis] = -(column[0] * t[0] + column[1] * t[1] + column[2] * t[2]);
    }
}
