// Where a plant's blade can show: the convex outline, within one half of the plant's image, of
// every point whose linearly filtered alpha can be above zero. Drawing a blade as that outline
// instead of the whole half leaves every pixel as it was (the alpha test drops the clear ones
// anyway) while the renderer no longer rasterises, shades and blends the clear margins round the
// plant, which on most plants are more than half of the quad. Free of GL.
#pragma once

#include "formats/decodedimage.h"

// Each corner costs the renderer more than the few pixels it trims; past this many the outline
// is loosened (it only grows), where it can be without leaving its half.
const int kBladeOutlineCorners = 6;
// The hull of texel corners on a lattice of at most 4096 x 4096 has far fewer corners than this;
// an outline that would need more is drawn as the whole half.
const int kBladeOutlineCapacity = 64;

// Counter-clockwise corners in texture coordinates (s to the right, t up from the plant's base),
// which are also the blade's own coordinates: corner (s, t) stands at (s - 0.5, t, 0) of the
// unit blade.
struct BladeOutline
{
    int cornerCount = 0; // 0: nothing of the half can show
    float corners[kBladeOutlineCapacity][2] = {};
};

// The left (s from 0 to 0.5) or right (s from 0.5 to 1) half of the image, whole.
BladeOutline wholeHalf(bool left);

// The outline within that half of every point where sampling `image` (4 channels, filtered
// linearly, clamped at the edges) can give alpha above zero: each texel with alpha is taken with
// the texels round it, a texel wider than the filter reaches, so rounding in the renderer cannot
// lose a pixel. The whole half for an image without alpha or of no pixels.
BladeOutline outlineVisibleTexels(const DecodedImage& image, bool left);
