// Shapes shared by the animals: skin mappings, joint binding along a body, horns, claws and
// eyes.
#pragma once

#include "meshbuilder.h"
#include "skins.h"

#include <utility>
#include <vector>

// Body skin along a part; sOffset shifts the pattern so that neighbouring parts differ.
SkinMapping bodySkin(double sPerUnit, double sOffset = 0.0);
// A swatch of fixed colour; t runs base to tip along the part.
SkinMapping swatchSkin(Swatch swatch);

// Binds every ring to the joint of the last (x, joint) pair whose x is at or before the ring's
// centre; the pairs ascend in x and the first one covers everything before it.
void bindByX(std::vector<Ring>& rings, const std::vector<std::pair<double, int>>& bounds);

// A cone from `base` along `direction`, bending towards `bend` (a direction added in
// proportion to the square of the distance along), to a point.
void addHorn(Mesh& mesh, const std::string& group, const Vec& base, const Vec& direction,
             double hornLength, double baseRadius, const Vec& bend, int joint, Swatch swatch,
             int segments = 8, int rings = 5);
// A small dark ellipsoid (an eye, a nostril) of radius r.
void addEye(Mesh& mesh, const Vec& centre, double radius, int joint);
