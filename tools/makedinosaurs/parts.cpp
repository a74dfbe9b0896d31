// Shared shapes of the animals.
#include "parts.h"

#include <string>

SkinMapping bodySkin(double sPerUnit, double sOffset)
{
    SkinMapping mapping;
    mapping.topT = kBodyTopT;
    mapping.bottomT = kBodyBottomT;
    mapping.sPerUnit = sPerUnit;
    mapping.sOffset = sOffset;
    return mapping;
}

SkinMapping swatchSkin(Swatch swatch)
{
    SkinMapping mapping;
    mapping.swatch = true;
    mapping.swatchS0 = swatchLeft(swatch);
    mapping.swatchS1 = swatchRight(swatch);
    mapping.topT = kSwatchBottomT;
    mapping.bottomT = kSwatchTopT;
    return mapping;
}

void bindByX(std::vector<Ring>& rings, const std::vector<std::pair<double, int>>& bounds)
{
    bindAlong(rings, Vec(1, 0, 0), bounds);
}

void bindAlong(std::vector<Ring>& rings, const Vec& axis,
               const std::vector<std::pair<double, int>>& bounds)
{
    for (Ring& ring : rings)
    {
        ring.joint = bounds.front().second;
        for (const auto& bound : bounds)
        {
            if (dot(ring.centre, axis) >= bound.first)
            {
                ring.joint = bound.second;
            }
        }
    }
}

void addHorn(SkinnedMesh& mesh, const std::string& group, const Vec& base, const Vec& direction,
             double hornLength, double baseRadius, const Vec& bend, int joint, Swatch swatch,
             int segments, int rings)
{
    const Vec forward = normalized(direction);
    const Vec up = std::fabs(forward.y) < 0.9 ? Vec(0, 1, 0) : Vec(1, 0, 0);
    std::vector<Ring> list;
    for (int k = 0; k < rings; ++k)
    {
        const double u = double(k) / rings;
        Ring ring;
        ring.centre = base + forward * (hornLength * u) + bend * (hornLength * u * u);
        ring.up = up;
        ring.upRadius = ring.sideRadius = baseRadius * (1.0 - u) * (1.0 - 0.15 * u);
        ring.joint = joint;
        list.push_back(ring);
    }
    const Vec tip = base + forward * hornLength + bend * hornLength;
    const double cap = length(tip - list.back().centre);
    mesh.addTube(group, list, segments, baseRadius * 0.3, cap, swatchSkin(swatch));
}

void addEye(SkinnedMesh& mesh, const Vec& centre, double radius, int joint)
{
    mesh.addEllipsoid("eyes", centre, Vec(1, 0, 0), radius, Vec(0, 1, 0), radius, radius, 4, 8,
                      joint, swatchSkin(SwatchDark));
}

Leg addLegJoints(Rig& rig, const char* const names[3], const char* side, int parent, const Vec& top,
                 const Vec& middle, const Vec& bottom, bool bendsForward)
{
    Leg leg;
    leg.upper = rig.addJoint(std::string(names[0]) + side, parent, top);
    leg.lower = rig.addJoint(std::string(names[1]) + side, leg.upper, middle);
    leg.foot = rig.addJoint(std::string(names[2]) + side, leg.lower, bottom);
    leg.bendsForward = bendsForward;
    return leg;
}

std::vector<int> leftToRight(int jointCount, const std::vector<Leg>& left,
                             const std::vector<Leg>& right)
{
    std::vector<int> map(static_cast<size_t>(jointCount));
    for (int j = 0; j < jointCount; ++j)
    {
        map[size_t(j)] = j;
    }
    for (size_t i = 0; i < left.size(); ++i)
    {
        map[size_t(left[i].upper)] = right[i].upper;
        map[size_t(left[i].lower)] = right[i].lower;
        map[size_t(left[i].foot)] = right[i].foot;
    }
    return map;
}

void addLimbTube(SkinnedMesh& mesh, const Leg& leg, const Vec& top, const Vec& middle,
                 const Vec& bottom, double topRadius, double middleRadius, double bottomRadius,
                 const Vec& outward, double sOffset, double sPerUnit, int segments)
{
    const Vec rise = normalized(top - middle) * (topRadius * 0.35);
    const double upperMiddle = lerp(topRadius, middleRadius, 0.6);
    const double lowerMiddle = lerp(middleRadius, bottomRadius, 0.5);
    std::vector<Station> stations = {
        {top + rise, topRadius * 0.75, topRadius, outward},
        {lerp(top, middle, 0.5), upperMiddle * 0.8, upperMiddle, outward},
        {middle, middleRadius * 0.85, middleRadius, outward},
        {lerp(middle, bottom, 0.5), lowerMiddle * 0.9, lowerMiddle, outward},
        {bottom, bottomRadius * 0.95, bottomRadius, outward}};
    SkinMapping skin = bodySkin(sPerUnit, sOffset);
    skin.topT = 0.32; // flank colours: the back's stripes stay on the back
    skin.bottomT = 0.14;
    mesh.addTube("legs", ringsAlong(stations, 3, {leg.upper, leg.upper, leg.lower, leg.lower}),
                 segments, topRadius * 0.4, bottomRadius * 0.5, skin);
}

void plantLegs(const Rig& rig, const std::vector<Leg>& legs,
               const std::vector<FootPlacement>& placements, Pose& pose)
{
    for (size_t i = 0; i < legs.size(); ++i)
    {
        const Vec rest = rig.joint(legs[i].foot).bindPosition;
        const FootPlacement& foot = placements[i];
        reachWithLeg(rig, legs[i], Vec(rest.x + foot.forward, rest.y + foot.up, rest.z), foot.pitch,
                     pose);
    }
}

Vec mirrored(const Vec& v)
{
    return Vec(v.x, v.y, -v.z);
}

SkeletonJoints addSkeleton(Rig& rig, const SkeletonLayout& layout)
{
    SkeletonJoints s;
    s.pelvis = rig.addJoint("pelvis", -1, layout.pelvis);
    s.spine = rig.addJoint("spine", s.pelvis, layout.spine);
    s.chest = rig.addJoint("chest", s.spine, layout.chest);
    s.neck = rig.addJoint("neck", s.chest, layout.neck);
    s.head = rig.addJoint("head", s.neck, layout.head);
    s.jaw = rig.addJoint("jaw", s.head, layout.jaw);
    int parent = s.pelvis;
    for (int i = 0; i < 4; ++i)
    {
        s.tail[i] = rig.addJoint("tail" + std::to_string(i + 1), parent, layout.tail[i]);
        parent = s.tail[i];
    }
    const char* const legNames[3] = {"thigh", "shin", "foot"};
    const char* const armNames[3] = {"upperarm", "forearm", "hand"};
    for (int side = 0; side < 2; ++side)
    {
        auto place = [&](const Vec& v) { return side == 0 ? v : mirrored(v); };
        const char* suffix = side == 0 ? "L" : "R";
        s.legs[side] = addLegJoints(rig, legNames, suffix, s.pelvis, place(layout.hip),
                                    place(layout.knee), place(layout.ankle), true);
        s.arms[side] = addLegJoints(rig, armNames, suffix, s.chest, place(layout.shoulder),
                                    place(layout.elbow), place(layout.wrist), false);
    }
    return s;
}

std::vector<std::pair<double, int>> midlineBounds(const SkeletonLayout& layout,
                                                  const SkeletonJoints& joints)
{
    std::vector<std::pair<double, int>> bounds = {{-1e9, joints.tail[3]}};
    for (int i = 3; i > 0; --i)
    {
        bounds.emplace_back(layout.tail[i].x, joints.tail[i - 1]);
    }
    bounds.emplace_back(layout.tail[0].x, joints.pelvis);
    bounds.emplace_back(layout.spine.x, joints.spine);
    bounds.emplace_back(layout.chest.x, joints.chest);
    bounds.emplace_back(layout.neck.x, joints.neck);
    bounds.emplace_back(layout.head.x, joints.head);
    return bounds;
}

std::vector<Station> stationsOf(const std::vector<BodySection>& sections)
{
    std::vector<Station> stations;
    for (const BodySection& section : sections)
    {
        stations.push_back(Station{Vec(section.x, section.y, 0), section.up, section.side});
    }
    return stations;
}
