// The triceratops: a heavy quadruped with a beaked head, two long brow horns, a short nose horn
// and a tall frill. Faces +x. Clips: walk 1-85, graze 86-195, look around and toss the head
// 195-270.
#include "dinosaurs.h"
#include "motion.h"
#include "parts.h"

namespace
{
const double kScale = 0.3;
// The park stands the model's origin 5 units above the ground.
const double kGround = -5.0 / kScale;

using Skeleton = SkeletonJoints;

// Hind leg: hip, knee, ankle. Foreleg: shoulder, elbow, wrist (left side, -z).
const Vec kHip(-18, 6, -9), kKnee(-14.5, -4.5, -10), kAnkle(-18, kGround + 3.4, -10.5);
const Vec kShoulder(9, 4, -9.5), kElbow(6.5, -5, -11), kWrist(9.5, kGround + 3.4, -11.5);

SkeletonLayout skeletonLayout()
{
    SkeletonLayout layout;
    layout.pelvis = Vec(-18, 9, 0);
    layout.spine = Vec(-4, 12, 0);
    layout.chest = Vec(8, 10, 0);
    layout.neck = Vec(17, 8, 0);
    layout.head = Vec(24, 8, 0);
    layout.jaw = Vec(30, 2.5, 0);
    layout.tail = {Vec(-30, 7, 0), Vec(-39, 4.5, 0), Vec(-47, 1.5, 0), Vec(-53, -1, 0)};
    layout.hip = kHip;
    layout.knee = kKnee;
    layout.ankle = kAnkle;
    layout.shoulder = kShoulder;
    layout.elbow = kElbow;
    layout.wrist = kWrist;
    return layout;
}

void buildTrunk(SkinnedMesh& mesh, const Skeleton& s)
{
    const std::vector<Station> stations = stationsOf({{-57.5, -2.5, 0.8, 0.8},
                                                      {-53, -1, 2.1, 2.0},
                                                      {-47, 1.5, 3.4, 3.2},
                                                      {-39, 4.5, 5.6, 5.2},
                                                      {-30, 8, 8.8, 8.4},
                                                      {-20, 11.5, 12.5, 12},
                                                      {-7, 13, 14.5, 15},
                                                      {5, 12.5, 13.5, 14},
                                                      {13, 10, 10, 10.5},
                                                      {19, 8.5, 7.5, 7.5},
                                                      {24, 8.5, 6.0, 6.0}});
    std::vector<Ring> rings = ringsAlong(stations, 3, std::vector<int>(stations.size() - 1, 0));
    bindByX(rings, midlineBounds(skeletonLayout(), s));
    mesh.addTube("body", rings, 14, 1.0, 1.0, bodySkin(1.0 / 48.0));
}

void buildHead(SkinnedMesh& mesh, const Skeleton& s)
{
    std::vector<Station> skull = {{Vec(21, 10.5, 0), 7.5, 7.0},
                                  {Vec(29, 10, 0), 8.0, 7.2},
                                  {Vec(37, 7, 0), 7.0, 5.8},
                                  {Vec(44, 3.5, 0), 5.0, 4.2},
                                  {Vec(49, 1.0, 0), 3.3, 2.8}};
    mesh.addTube("head", ringsAlong(skull, 2, std::vector<int>(4, s.head)), 12, 2.0, 1.0,
                 bodySkin(1.0 / 24.0, 0.3));
    addHorn(mesh, "head", Vec(47.5, 0.8, 0), Vec(1, -0.45, 0), 7.5, 3.0, Vec(0, -0.35, 0), s.head,
            SwatchDark, 8, 3);

    std::vector<Station> jaw = {
        {Vec(30, 2.5, 0), 2.8, 5.0}, {Vec(37, 0.0, 0), 2.6, 4.0}, {Vec(44, -2.5, 0), 1.9, 2.7}};
    mesh.addTube("head", ringsAlong(jaw, 2, std::vector<int>(2, s.jaw)), 10, 1.0, 1.0,
                 bodySkin(1.0 / 24.0, 0.6));
    addHorn(mesh, "head", Vec(43.5, -2.8, 0), Vec(1, -0.05, 0), 4.5, 1.7, Vec(0, 0.1, 0), s.jaw,
            SwatchDark, 6, 2);

    // The frill: a shield rising back and up from the skull over the neck, widest two thirds
    // of the way up, curling back at its top, with knobs round its rim.
    const Vec frillBase(27.5, 9.5, 0);
    const Vec frillUp(-0.5, 0.866, 0);
    const Vec frillFacing(0.866, 0.5, 0);
    const double frillLength = 26.0;
    struct Slice
    {
        double along, halfWidth, thickness;
    };
    const Slice slices[] = {{0.0, 8.0, 2.6},   {0.2, 12.5, 2.2},  {0.42, 15.6, 1.8},
                            {0.65, 16.8, 1.5}, {0.85, 14.5, 1.3}, {0.97, 8.5, 1.1}};
    auto frillPoint = [&](double along)
    { return frillBase + frillUp * (frillLength * along) - frillFacing * (3.0 * along * along); };
    std::vector<Station> shield;
    for (const Slice& slice : slices)
    {
        shield.push_back(
            Station{frillPoint(slice.along), slice.thickness, slice.halfWidth, frillFacing});
    }
    mesh.addTube("frill", ringsAlong(shield, 2, std::vector<int>(shield.size() - 1, s.head)), 14,
                 1.0, 2.0, swatchSkin(SwatchDisplay));
    const Slice rim[] = {{0.3, 14.3, 0}, {0.55, 16.6, 0}, {0.8, 15.4, 0}};
    for (int side = -1; side <= 1; side += 2)
    {
        for (const Slice& knob : rim)
        {
            const Vec outward = Vec(0, 0, side) + frillUp * (knob.along - 0.3);
            addHorn(mesh, "frill", frillPoint(knob.along) + Vec(0, 0, side * knob.halfWidth),
                    outward, 3.2, 1.4, Vec(), s.head, SwatchHorn, 5, 2);
        }
    }
    addHorn(mesh, "frill", frillPoint(0.99) + frillUp * 1.6, frillUp - frillFacing * 0.3, 3.2, 1.4,
            Vec(), s.head, SwatchHorn, 5, 2);

    for (int side = -1; side <= 1; side += 2)
    {
        addHorn(mesh, "horns", Vec(31, 14, 4.6 * side), Vec(0.85, 0.5, 0.08 * side), 19.0, 2.3,
                Vec(0, -0.3, 0), s.head, SwatchHorn, 8, 5);
        mesh.addEllipsoid("eyes", Vec(34, 11, 5.8 * side), Vec(1, 0, 0), 1.2, Vec(0, 1, 0), 1.2,
                          1.2, 3, 6, s.head, swatchSkin(SwatchDark));
    }
    addHorn(mesh, "horns", Vec(42, 6.5, 0), Vec(0.45, 0.9, 0), 6.5, 1.9, Vec(0.1, 0, 0), s.head,
            SwatchHorn, 8, 3);
}

void buildFoot(SkinnedMesh& mesh, const Leg& leg, const Vec& ankle, double length, double width)
{
    const Vec centre(ankle.x + 1.2, kGround + 1.7, ankle.z);
    mesh.addEllipsoid("legs", centre, Vec(1, 0, 0), length, Vec(0, 1, 0), 1.7, width, 5, 10,
                      leg.foot, bodySkin(1.0 / 48.0, 0.5));
    for (int toe = -1; toe <= 1; toe += 2)
    {
        addHorn(mesh, "legs",
                Vec(centre.x + length * 0.8, kGround + 1.0, centre.z + toe * width * 0.35),
                Vec(1, -0.25, 0.15 * toe), 1.8, 0.85, Vec(), leg.foot, SwatchDark, 5, 2);
    }
}

void buildLimbs(SkinnedMesh& mesh, const Skeleton& s, int jointCount)
{
    const size_t firstVertex = mesh.vertexCount();
    const size_t firstTriangle = mesh.triangleCount();
    const Vec outward(0, 0, -1);
    addLimbTube(mesh, s.legs[0], kHip, kKnee, kAnkle, 7.5, 4.2, 3.0, outward, 0.0, 1.0 / 48.0);
    buildFoot(mesh, s.legs[0], kAnkle, 4.4, 3.3);
    addLimbTube(mesh, s.arms[0], kShoulder, kElbow, kWrist, 5.5, 3.6, 2.7, outward, 0.37,
                1.0 / 48.0);
    buildFoot(mesh, s.arms[0], kWrist, 3.6, 2.9);
    mesh.mirrorSince(firstVertex, firstTriangle, 2,
                     leftToRight(jointCount, {s.legs[0], s.arms[0]}, {s.legs[1], s.arms[1]}));
}

// The whole-body motion shared by the clips; the legs are then solved to their feet.
struct BodyMotion
{
    double pelvisLift = 0.0, pelvisPitch = 0.0, spinePitch = 0.0, chestPitch = 0.0;
    double neckPitch = 0.0, neckYaw = 0.0, headPitch = 0.0, headYaw = 0.0, headRoll = 0.0;
    double jawOpen = 0.0;
    double tailYaw[4] = {0, 0, 0, 0};
    double tailPitch[4] = {0, 0, 0, 0};
};

void applyBody(const Skeleton& s, const BodyMotion& m, Pose& pose)
{
    pose[size_t(s.pelvis)].translation = Vec(0, m.pelvisLift, 0);
    pose[size_t(s.pelvis)].rotation = Vec(0, 0, m.pelvisPitch);
    pose[size_t(s.spine)].rotation = Vec(0, 0, m.spinePitch);
    pose[size_t(s.chest)].rotation = Vec(0, 0, m.chestPitch);
    pose[size_t(s.neck)].rotation = Vec(0, m.neckYaw, m.neckPitch);
    pose[size_t(s.head)].rotation = Vec(m.headRoll, m.headYaw, m.headPitch);
    pose[size_t(s.jaw)].rotation = Vec(0, 0, -m.jawOpen);
    for (int i = 0; i < 4; ++i)
    {
        pose[size_t(s.tail[i])].rotation = Vec(0, m.tailYaw[i], m.tailPitch[i]);
    }
}

// Stands every foot where it rests in the bind pose, shifted by the given placements.
void plantFeet(const Rig& rig, const Skeleton& s, const FootPlacement feet[4], Pose& pose)
{
    plantLegs(rig, {s.legs[0], s.arms[0], s.legs[1], s.arms[1]},
              {feet[0], feet[1], feet[2], feet[3]}, pose);
}

void walk(const Rig& rig, const Skeleton& s, double frame, Pose& pose)
{
    const double p = cyclePhase(frame, 1, 85, 3.0);
    BodyMotion m;
    m.pelvisLift = 0.45 * std::cos(4.0 * kPi * p);
    m.pelvisPitch = 0.015 * std::sin(2.0 * kPi * p);
    m.chestPitch = -0.015 * std::sin(2.0 * kPi * p);
    m.neckYaw = 0.05 * std::sin(2.0 * kPi * p);
    m.headPitch = 0.04 * std::sin(4.0 * kPi * p + 1.0);
    for (int i = 0; i < 4; ++i)
    {
        m.tailYaw[i] = 0.09 * std::sin(2.0 * kPi * (p - 0.12 * (i + 1)));
        m.tailPitch[i] = 0.02 * std::cos(4.0 * kPi * p);
    }
    applyBody(s, m, pose);
    // Lateral sequence: left hind, left fore, right hind, right fore, a quarter cycle apart.
    const double offsets[4] = {0.0, 0.25, 0.5, 0.75};
    FootPlacement feet[4];
    for (int i = 0; i < 4; ++i)
    {
        const bool fore = i % 2 == 1;
        feet[i] = gaitFoot(p - offsets[i], 0.65, 13.0, fore ? 3.6 : 3.2, 0.25);
    }
    plantFeet(rig, s, feet, pose);
}

void graze(const Rig& rig, const Skeleton& s, double frame, Pose& pose)
{
    const double u = clipFraction(frame, 86, 195);
    const double down = envelope(u, 0.0, 0.22, 0.8, 1.0);
    const double whole = envelope(u, 0.0, 0.1, 0.9, 1.0);
    BodyMotion m;
    m.pelvisLift = -0.6 * down;
    m.spinePitch = -0.05 * down;
    m.chestPitch = -0.06 * down;
    m.neckPitch = -0.1 * down;
    m.headPitch = -0.06 * down + 0.04 * wave(u, 5.0, 0.0, down);
    m.headYaw = 0.1 * wave(u, 3.0, 0.0, down);
    m.jawOpen = 0.22 * down * (0.5 - 0.5 * std::cos(2.0 * kPi * 8.0 * u));
    for (int i = 0; i < 4; ++i)
    {
        m.tailYaw[i] = 0.08 * wave(u, 2.0, -0.1 * i, whole);
    }
    applyBody(s, m, pose);
    const FootPlacement still[4];
    plantFeet(rig, s, still, pose);
}

void lookAround(const Rig& rig, const Skeleton& s, double frame, Pose& pose)
{
    const double u = clipFraction(frame, 195, 270);
    const double left = envelope(u, 0.04, 0.18, 0.3, 0.42);
    const double right = envelope(u, 0.36, 0.5, 0.6, 0.72);
    const double toss = pulse(u, 0.74, 0.9);
    const double settle = pulse(u, 0.86, 1.0);
    const double whole = envelope(u, 0.0, 0.1, 0.9, 1.0);
    BodyMotion m;
    m.neckYaw = 0.42 * left - 0.42 * right;
    m.headYaw = 0.2 * left - 0.2 * right;
    m.headRoll = -0.1 * left + 0.1 * right;
    m.neckPitch = 0.1 * (left + right) + 0.14 * toss - 0.08 * settle;
    m.headPitch = 0.42 * toss - 0.12 * settle;
    m.jawOpen = 0.18 * toss;
    m.pelvisLift = 0.3 * toss;
    for (int i = 0; i < 4; ++i)
    {
        m.tailYaw[i] = 0.12 * wave(u, 1.0, -0.08 * i, whole);
        m.tailPitch[i] = 0.05 * toss;
    }
    applyBody(s, m, pose);
    const FootPlacement still[4];
    plantFeet(rig, s, still, pose);
}
} // namespace

Species makeTriceratops()
{
    Species species;
    species.modelFile = "tritex.ms3d";
    species.skinBmp = "dinos/triceratops_goodOne.bmp";
    species.scale = kScale;
    species.cullRadius = 18.0;
    species.groundY = kGround;
    Creature& c = species.creature;
    c.name = "triceratops";
    c.textureName = "tritex.tga";
    const Skeleton s = addSkeleton(c.rig, skeletonLayout());
    buildTrunk(c.mesh, s);
    buildHead(c.mesh, s);
    buildLimbs(c.mesh, s, c.rig.size());
    c.feet = {s.legs[0].foot, s.legs[1].foot, s.arms[0].foot, s.arms[1].foot};
    c.clips.push_back(
        Clip{"walk", 1, 85, [s](const Rig& r, double f, Pose& p) { walk(r, s, f, p); }});
    c.clips.push_back(
        Clip{"graze", 86, 195, [s](const Rig& r, double f, Pose& p) { graze(r, s, f, p); }});
    c.clips.push_back(Clip{"look around", 195, 270,
                           [s](const Rig& r, double f, Pose& p) { lookAround(r, s, f, p); }});

    SkinPalette& palette = species.palette;
    palette.belly = {214, 196, 150};
    palette.flank = {150, 128, 82};
    palette.back = {98, 86, 58};
    palette.stripe = {62, 52, 38};
    palette.stripeCount = 7;
    palette.stripeStrength = 0.55;
    palette.spotStrength = 0.25;
    palette.spot = {80, 66, 44};
    palette.hornBase = {120, 104, 82};
    palette.hornTip = {236, 226, 200};
    palette.dark = {42, 36, 30};
    palette.mouth = {150, 72, 70};
    palette.displayA = {168, 92, 52};
    palette.displayB = {226, 190, 96};
    palette.seed = 3;
    return species;
}
