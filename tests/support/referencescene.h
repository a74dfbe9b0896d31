// Park frames from fixed seeds, poses and times of day, with the animals' clock fixed: the same
// frame every time, so that pictures made before a change to the drawing code can be compared
// with pictures made after it.
#pragma once

#include "glsupport.h"

#include <string>

const int kReferenceSeedCount = 3;
const int kReferencePoseCount = 4;
const int kReferenceTimeCount = 3;
const unsigned kReferenceSeeds[kReferenceSeedCount] = {1013u, 271828u, 4000000007u};
// Morning, afternoon and night. Off right angles: there the cloud boxes, alike on every face,
// would land on themselves and hide a wrong turn.
const float kReferenceSunAngles[kReferenceTimeCount] = {44.9f, 134.9f, 224.9f};

// File name of one reference frame, e.g. "seed1013-pose2-sun224.9.png".
std::string referencePictureName(unsigned seed, int pose, float sunAngle);
// The committed picture's path in the source tree.
std::string referencePicturePath(unsigned seed, int pose, float sunAngle);

// Draws one frame of the park built from `seed`, seen from pose 0 (the park's centre, looking
// up over the horizon), 1 (a tree), 2 (a triceratops) or 3 (a cluster of brush), with the sun at
// `sunAngle`. Needs the
// GL context of an 800 x 600 window and the park's data in the working directory, where the
// colour map is written. The sky's layers are each drawn in a pass of their own when
// `skyLayersApart`.
Pixels renderReferenceFrame(unsigned seed, int pose, float sunAngle, bool skyLayersApart = false);
