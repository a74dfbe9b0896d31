// Shapes shared by the animals: the walkers' common skeleton, skin mappings, joint binding
// along a body, horns, claws and eyes.
#pragma once

#include "meshbuilder.h"
#include "motion.h"
#include "rig.h"
#include "skins.h"

#include <array>
#include <utility>
#include <vector>

// A left-side (-z) point moved to the right side.
Vec mirrored(const Vec& v);

// Where the walkers' common skeleton stands at rest: the midline from the pelvis to the jaw, a
// tail of four joints from its root outwards, and the left limbs (the right ones mirror them):
// hind legs hang from the pelvis, arms or forelegs from the chest.
struct SkeletonLayout
{
    Vec pelvis, spine, chest, neck, head, jaw;
    std::array<Vec, 4> tail;
    Vec hip, knee, ankle;
    Vec shoulder, elbow, wrist;
};

struct SkeletonJoints
{
    int pelvis = -1, spine = -1, chest = -1, neck = -1, head = -1, jaw = -1;
    int tail[4] = {-1, -1, -1, -1};
    Leg legs[2]; // hind legs, left (-z) and right (+z): thigh, shin, foot
    Leg arms[2]; // arms or forelegs: upper arm, forearm, hand
};

// Adds the midline, the tail and then each side's leg and arm, in that order.
SkeletonJoints addSkeleton(Rig& rig, const SkeletonLayout& layout);
// The (x, joint) bounds that bind a body tube along the midline: each ring follows the joint at
// the body end of the bone it lies along, and the pelvis carries the tail's root with the hips.
std::vector<std::pair<double, int>> midlineBounds(const SkeletonLayout& layout,
                                                  const SkeletonJoints& joints);

// A cross-section of a tube lying along the midline: centre at (x, y, 0) and its half sizes.
struct BodySection
{
    double x, y, up, side;
};

std::vector<Station> stationsOf(const std::vector<BodySection>& sections);

// Body skin along a part; sOffset shifts the pattern so that neighbouring parts differ.
SkinMapping bodySkin(double sPerUnit, double sOffset = 0.0);
// A swatch of fixed colour; t runs base to tip along the part.
SkinMapping swatchSkin(Swatch swatch);

// Binds every ring to the joint of the last (x, joint) pair whose x is at or before the ring's
// centre; the pairs ascend in x and the first one covers everything before it.
void bindByX(std::vector<Ring>& rings, const std::vector<std::pair<double, int>>& bounds);
// The same along any direction: the pairs give distances along `axis`.
void bindAlong(std::vector<Ring>& rings, const Vec& axis,
               const std::vector<std::pair<double, int>>& bounds);

// A cone from `base` along `direction`, bending towards `bend` (a direction added in
// proportion to the square of the distance along), to a point.
void addHorn(SkinnedMesh& mesh, const std::string& group, const Vec& base, const Vec& direction,
             double hornLength, double baseRadius, const Vec& bend, int joint, Swatch swatch,
             int segments = 8, int rings = 5);
// A small dark ellipsoid (an eye, a nostril) of radius r.
void addEye(SkinnedMesh& mesh, const Vec& centre, double radius, int joint);

// The three joints of a limb: `names` are the upper, lower and foot joint names, to which
// `side` ("L" or "R") is appended.
Leg addLegJoints(Rig& rig, const char* const names[3], const char* side, int parent, const Vec& top,
                 const Vec& middle, const Vec& bottom, bool bendsForward);
// Identity over `jointCount` joints except that each left limb's joints map to the right's.
std::vector<int> leftToRight(int jointCount, const std::vector<Leg>& left,
                             const std::vector<Leg>& right);
// A limb from its top joint through the middle joint to the bottom one, thick at the top;
// `outward` is the side of the limb that takes the skin's back colours.
void addLimbTube(SkinnedMesh& mesh, const Leg& leg, const Vec& top, const Vec& middle,
                 const Vec& bottom, double topRadius, double middleRadius, double bottomRadius,
                 const Vec& outward, double sOffset, double sPerUnit, int segments = 9);
// Solves each leg so that its foot joint stands at its bind position moved by the placement.
void plantLegs(const Rig& rig, const std::vector<Leg>& legs,
               const std::vector<FootPlacement>& placements, Pose& pose);
