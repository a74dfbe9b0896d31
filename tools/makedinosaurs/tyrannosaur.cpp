// The tyrannosaur: a big biped with a huge head and toothed jaws, tiny two-fingered arms and a
// long tail held straight out behind. Built facing +x and stored facing -x (the park turns it
// round). Clips: walk 1-60, roar 60-135 (head up, jaws wide, a shake), eat 135-210 (head down,
// biting and tearing). Every clip starts and ends in the walk's first pose, so the shared frames
// 60 and 135 agree.
#include "dinosaurs.h"
#include "motion.h"
#include "parts.h"

namespace
{
const double kScale = 0.7;
// The park stands the model's origin 8 units above the ground.
const double kGround = -8.0 / kScale;

struct Skeleton
{
    int pelvis, spine, chest, neck, head, jaw;
    int tail[4];
    Leg legs[2];
    Leg arms[2];
};

Vec mirrored(const Vec& v)
{
    return Vec(v.x, v.y, -v.z);
}

const Vec kHip(0, 4, -3.8), kKnee(3.5, -2.5, -4.2), kAnkle(-1, kGround + 3.8, -4.4);
const Vec kBall(1.2, kGround + 0.7, -4.5);
const Vec kShoulder(11.5, 4.5, -2.8), kElbow(12.8, 2.7, -3.2), kWrist(14.6, 2.6, -3.2);

// The skull's cross-sections; the teeth sit along their lower edges.
struct Section
{
    double x, y, up, side;
};
const double kDrop = 1.2; // the head is carried a little below the line of the back
const Section kSkull[] = {{16.5, 14.9 - kDrop, 3.9, 3.7},
                          {20, 15.1 - kDrop, 4.0, 3.4},
                          {23.5, 14.2 - kDrop, 3.2, 2.7},
                          {26.3, 13.3 - kDrop, 2.4, 2.1}};
const Section kJaw[] = {
    {17.5, 11.5 - kDrop, 1.6, 3.1}, {21.5, 10.9 - kDrop, 1.4, 2.5}, {25.2, 10.7 - kDrop, 1.0, 1.7}};

Skeleton buildSkeleton(Rig& rig)
{
    Skeleton s;
    s.pelvis = rig.addJoint("pelvis", -1, Vec(0, 6, 0));
    s.spine = rig.addJoint("spine", s.pelvis, Vec(6, 7.5, 0));
    s.chest = rig.addJoint("chest", s.spine, Vec(11, 8, 0));
    s.neck = rig.addJoint("neck", s.chest, Vec(14.5, 10.5, 0));
    s.head = rig.addJoint("head", s.neck, Vec(17.5, 14 - kDrop, 0));
    s.jaw = rig.addJoint("jaw", s.head, Vec(18, 12 - kDrop, 0));
    const Vec tail[4] = {Vec(-6, 6.5, 0), Vec(-12, 6, 0), Vec(-18, 5, 0), Vec(-23, 4, 0)};
    int parent = s.pelvis;
    for (int i = 0; i < 4; ++i)
    {
        s.tail[i] = rig.addJoint("tail" + std::to_string(i + 1), parent, tail[i]);
        parent = s.tail[i];
    }
    const char* const legNames[3] = {"thigh", "shin", "foot"};
    const char* const armNames[3] = {"upperarm", "forearm", "hand"};
    for (int side = 0; side < 2; ++side)
    {
        auto place = [&](const Vec& v) { return side == 0 ? v : mirrored(v); };
        const char* suffix = side == 0 ? "L" : "R";
        s.legs[side] = addLegJoints(rig, legNames, suffix, s.pelvis, place(kHip), place(kKnee),
                                    place(kAnkle), true);
        s.arms[side] = addLegJoints(rig, armNames, suffix, s.chest, place(kShoulder), place(kElbow),
                                    place(kWrist), false);
    }
    return s;
}

void buildTrunk(Mesh& mesh, const Skeleton& s)
{
    const Section sections[] = {{-27.3, 2.8, 0.35, 0.35},
                                {-23, 4, 1.1, 1.0},
                                {-18, 5, 2.0, 1.8},
                                {-12, 6, 3.2, 2.8},
                                {-6, 6.8, 4.6, 4.0},
                                {0, 7.5, 6.0, 5.2},
                                {6, 8, 6.4, 5.6},
                                {11, 8.5, 5.4, 4.7},
                                {14.5, 11, 3.8, 3.4},
                                {17, 13.5 - kDrop, 3.4, 3.2},
                                {19, 14.5 - kDrop, 3.0, 2.9}};
    std::vector<Station> stations;
    for (const Section& section : sections)
    {
        stations.push_back(Station{Vec(section.x, section.y, 0), section.up, section.side});
    }
    std::vector<Ring> rings = ringsAlong(stations, 3, std::vector<int>(stations.size() - 1, 0));
    bindByX(rings, {{-1e9, s.tail[3]},
                    {-23, s.tail[2]},
                    {-18, s.tail[1]},
                    {-12, s.tail[0]},
                    {-6, s.pelvis},
                    {6, s.spine},
                    {11, s.chest},
                    {14.5, s.neck},
                    {17.5, s.head}});
    mesh.addTube("body", rings, 12, 0.5, 0.5, bodySkin(1.0 / 18.0));
}

std::vector<Station> stationsOf(const Section* sections, int count)
{
    std::vector<Station> stations;
    for (int i = 0; i < count; ++i)
    {
        stations.push_back(
            Station{Vec(sections[i].x, sections[i].y, 0), sections[i].up, sections[i].side});
    }
    return stations;
}

// A point on the lower (or, with upper, the top) edge of a tube at x, on the given side.
Vec edgeAt(const Section* sections, int count, double x, int side, bool upper)
{
    int i = 0;
    while (i + 2 < count && x > sections[i + 1].x)
    {
        ++i;
    }
    const double u = clamp01((x - sections[i].x) / (sections[i + 1].x - sections[i].x));
    const double y = lerp(sections[i].y, sections[i + 1].y, u);
    const double up = lerp(sections[i].up, sections[i + 1].up, u);
    const double across = lerp(sections[i].side, sections[i + 1].side, u);
    return Vec(x, y + (upper ? 0.55 : -0.55) * up, side * 0.78 * across);
}

void buildHead(Mesh& mesh, const Skeleton& s)
{
    mesh.addTube("head", ringsAlong(stationsOf(kSkull, 4), 3, std::vector<int>(3, s.head)), 12, 1.2,
                 1.2, bodySkin(1.0 / 12.0, 0.2));
    mesh.addTube("head", ringsAlong(stationsOf(kJaw, 3), 3, std::vector<int>(2, s.jaw)), 10, 0.6,
                 0.8, bodySkin(1.0 / 12.0, 0.5));
    // The inside of the mouth shows between the jaws when they open.
    mesh.addEllipsoid("mouth", Vec(21.8, 11.9 - kDrop, 0), Vec(1, -0.06, 0), 4.6, Vec(0, 1, 0),
                      0.55, 2.0, 5, 10, s.jaw, swatchSkin(SwatchMouth));
    mesh.addEllipsoid("mouth", Vec(21.5, 11.8 - kDrop, 0), Vec(1, -0.1, 0), 4.8, Vec(0, 1, 0), 0.6,
                      2.2, 5, 10, s.head, swatchSkin(SwatchMouth));
    for (int side = -1; side <= 1; side += 2)
    {
        for (int k = 0; k < 5; ++k)
        {
            const double x = 19.0 + 1.7 * k;
            addHorn(mesh, "teeth", edgeAt(kSkull, 4, x, side, false), Vec(0.1, -1, -0.1 * side),
                    1.1 - 0.08 * k, 0.32, Vec(), s.head, SwatchHorn, 4, 2);
        }
        for (int k = 0; k < 4; ++k)
        {
            const double x = 19.8 + 1.6 * k;
            addHorn(mesh, "teeth", edgeAt(kJaw, 3, x, side, true), Vec(0.1, 1, -0.1 * side), 0.85,
                    0.28, Vec(), s.jaw, SwatchHorn, 4, 2);
        }
        mesh.addEllipsoid("eyes", Vec(20.6, 16.4 - kDrop, 2.75 * side), Vec(1, 0, 0), 0.65,
                          Vec(0, 1, 0), 0.55, 0.5, 3, 6, s.head, swatchSkin(SwatchDark));
        addHorn(mesh, "head", Vec(19.6, 17.5 - kDrop, 2.1 * side), Vec(-0.3, 1, 0.3 * side), 1.0,
                0.6, Vec(), s.head, SwatchDark, 5, 2);
    }
}

void buildFoot(Mesh& mesh, const Leg& leg)
{
    std::vector<Station> instep = {{kAnkle, 1.2, 1.3, Vec(0, 0, -1)},
                                   {kBall, 0.9, 1.1, Vec(0, 0, -1)}};
    SkinMapping skin = bodySkin(1.0 / 18.0, 0.4);
    skin.topT = 0.32;
    mesh.addTube("legs", ringsAlong(instep, 3, {leg.foot}), 8, 0.5, 0.5, skin);
    for (int toe = -1; toe <= 1; ++toe)
    {
        const Vec base(kBall.x, kGround + 0.6, kBall.z + toe * 0.75);
        addHorn(mesh, "legs", base, Vec(1, -0.03, 0.3 * toe), 3.2 - std::abs(toe) * 0.6, 0.6,
                Vec(0, -0.04, 0), leg.foot, SwatchDark, 6, 3);
    }
}

void buildLimbs(Mesh& mesh, const Skeleton& s, int jointCount)
{
    const size_t firstVertex = mesh.vertexCount();
    const size_t firstTriangle = mesh.triangleCount();
    const Vec outward(0, 0, -1);
    addLimbTube(mesh, s.legs[0], kHip, kKnee, kAnkle, 5.0, 2.2, 1.3, outward, 0.0, 1.0 / 18.0);
    buildFoot(mesh, s.legs[0]);
    addLimbTube(mesh, s.arms[0], kShoulder, kElbow, kWrist, 0.9, 0.55, 0.45, outward, 0.3,
                1.0 / 18.0, 7);
    for (int finger = -1; finger <= 1; finger += 2)
    {
        addHorn(mesh, "legs", kWrist + Vec(0.2, 0, finger * 0.2), Vec(1, -0.6, 0.15 * finger), 1.0,
                0.25, Vec(0, -0.3, 0), s.arms[0].foot, SwatchDark, 5, 2);
    }
    mesh.mirrorSince(firstVertex, firstTriangle, 2,
                     leftToRight(jointCount, {s.legs[0], s.arms[0]}, {s.legs[1], s.arms[1]}));
}

struct BodyMotion
{
    Vec pelvisShift;
    double pelvisPitch = 0.0, spinePitch = 0.0;
    double neckPitch = 0.0, neckYaw = 0.0, headPitch = 0.0, headYaw = 0.0, headRoll = 0.0;
    double jawOpen = 0.0;
    double tailYaw[4] = {0, 0, 0, 0};
    double tailPitch = 0.0;
    double armSwing[2] = {0.0, 0.0};
};

void applyBody(const Skeleton& s, const BodyMotion& m, Pose& pose)
{
    pose[size_t(s.pelvis)].translation = m.pelvisShift;
    pose[size_t(s.pelvis)].rotation = Vec(0, 0, m.pelvisPitch);
    pose[size_t(s.spine)].rotation = Vec(0, 0, m.spinePitch);
    pose[size_t(s.neck)].rotation = Vec(0, m.neckYaw, m.neckPitch);
    pose[size_t(s.head)].rotation = Vec(m.headRoll, m.headYaw, m.headPitch);
    pose[size_t(s.jaw)].rotation = Vec(0, 0, -m.jawOpen);
    for (int i = 0; i < 4; ++i)
    {
        pose[size_t(s.tail[i])].rotation = Vec(0, m.tailYaw[i], m.tailPitch);
    }
    for (int side = 0; side < 2; ++side)
    {
        pose[size_t(s.arms[side].upper)].rotation = Vec(0, 0, m.armSwing[side]);
        pose[size_t(s.arms[side].lower)].rotation = Vec(0, 0, 0.6 * m.armSwing[side]);
    }
}

const int kWalkFirst = 1, kWalkLast = 60;
const double kDuty = 0.62;

// The walk at a phase: body motion and foot placements.
BodyMotion walkBody(double p)
{
    // Highest in the middle of each stance, as the body vaults over the planted leg.
    const double vault = std::cos(4.0 * kPi * (p - kDuty * 0.5));
    BodyMotion m;
    m.pelvisShift = Vec(0, 0.35 * vault, 0);
    m.pelvisPitch = 0.015 * vault;
    m.neckPitch = -0.03 * vault;
    m.headYaw = 0.05 * std::sin(2.0 * kPi * p);
    m.jawOpen = 0.06 + 0.03 * std::sin(4.0 * kPi * p);
    for (int i = 0; i < 4; ++i)
    {
        m.tailYaw[i] = 0.07 * std::sin(2.0 * kPi * (p - 0.1 * (i + 1)));
    }
    m.tailPitch = 0.015 * vault;
    m.armSwing[0] = 0.12 * std::sin(2.0 * kPi * p);
    m.armSwing[1] = -m.armSwing[0];
    return m;
}

std::vector<FootPlacement> walkFeet(double p)
{
    return {gaitFoot(p, kDuty, 9.0, 2.6, 0.4), gaitFoot(p - 0.5, kDuty, 9.0, 2.6, 0.4)};
}

void walk(const Rig& rig, const Skeleton& s, double frame, Pose& pose)
{
    const double p = cyclePhase(frame, kWalkFirst, kWalkLast, 2.0);
    applyBody(s, walkBody(p), pose);
    plantLegs(rig, {s.legs[0], s.legs[1]}, walkFeet(p), pose);
}

void roar(const Rig& rig, const Skeleton& s, double frame, Pose& pose)
{
    const double u = clipFraction(frame, 60, 135);
    const double rise = envelope(u, 0.0, 0.25, 0.78, 1.0);
    const double shake = envelope(u, 0.28, 0.36, 0.68, 0.76);
    BodyMotion m = walkBody(0.0);
    m.pelvisShift += Vec(-1.6 * rise, 0.4 * rise, 0);
    m.pelvisPitch += 0.12 * rise;
    m.spinePitch += 0.05 * rise;
    m.neckPitch += 0.2 * rise;
    m.headPitch += 0.12 * rise;
    m.headRoll += 0.14 * wave(u, 6.0, 0.0, shake);
    m.headYaw += 0.1 * wave(u, 3.0, 0.25, shake);
    m.jawOpen += 0.75 * rise + 0.08 * wave(u, 9.0, 0.0, shake);
    m.tailPitch += 0.02 * rise;
    for (int i = 0; i < 4; ++i)
    {
        m.tailYaw[i] *= 1.0 - rise;
    }
    m.armSwing[0] += 0.4 * rise;
    m.armSwing[1] += 0.4 * rise;
    applyBody(s, m, pose);
    plantLegs(rig, {s.legs[0], s.legs[1]}, walkFeet(0.0), pose);
}

void eat(const Rig& rig, const Skeleton& s, double frame, Pose& pose)
{
    const double u = clipFraction(frame, 135, 210);
    const double down = envelope(u, 0.0, 0.22, 0.8, 1.0);
    double tugs = 0.0, bites = 0.0;
    for (int k = 0; k < 3; ++k)
    {
        bites += pulse(u, 0.2 + 0.2 * k, 0.3 + 0.2 * k);
        tugs += pulse(u, 0.27 + 0.2 * k, 0.4 + 0.2 * k);
    }
    BodyMotion m = walkBody(0.0);
    m.pelvisShift += Vec(0, -2.4 * down, 0);
    m.pelvisPitch += -0.34 * down + 0.05 * tugs;
    m.spinePitch += -0.08 * down;
    m.neckPitch += -0.8 * down + 0.12 * tugs;
    m.headPitch += -0.3 * down + 0.1 * tugs;
    m.headYaw += 0.22 * wave(u, 1.5, 0.0, tugs);
    m.headRoll += 0.15 * wave(u, 1.5, 0.0, tugs);
    m.jawOpen += 0.5 * bites * down;
    m.tailPitch += 0.12 * down;
    applyBody(s, m, pose);
    plantLegs(rig, {s.legs[0], s.legs[1]}, walkFeet(0.0), pose);
}
} // namespace

Species makeTyrannosaur()
{
    Species species;
    species.modelFile = "trex_WalkRoarEat.ms3d";
    species.skinBmp = "dinos/tyrannos.bmp";
    species.scale = kScale;
    species.cullRadius = 20.0;
    species.groundY = kGround;
    Creature& c = species.creature;
    c.name = "tyrannosaur";
    c.textureName = "trex.tga";
    c.facesBackward = true;
    c.sizeFactor = 0.93;
    c.sizeCentreY = kGround;
    const Skeleton s = buildSkeleton(c.rig);
    buildTrunk(c.mesh, s);
    buildHead(c.mesh, s);
    buildLimbs(c.mesh, s, c.rig.size());
    c.feet = {s.legs[0].foot, s.legs[1].foot};
    c.clips.push_back(
        Clip{"walk", 1, 60, [s](const Rig& r, double f, Pose& p) { walk(r, s, f, p); }});
    c.clips.push_back(
        Clip{"roar", 60, 135, [s](const Rig& r, double f, Pose& p) { roar(r, s, f, p); }});
    c.clips.push_back(
        Clip{"eat", 135, 210, [s](const Rig& r, double f, Pose& p) { eat(r, s, f, p); }});

    SkinPalette& palette = species.palette;
    palette.belly = {200, 188, 150};
    palette.flank = {118, 112, 74};
    palette.back = {66, 72, 50};
    palette.stripe = {40, 44, 32};
    palette.stripeCount = 12;
    palette.stripeStrength = 0.7;
    palette.spotStrength = 0.2;
    palette.spot = {50, 52, 38};
    palette.hornBase = {210, 200, 170};
    palette.hornTip = {246, 240, 222};
    palette.dark = {30, 26, 22};
    palette.mouth = {170, 70, 66};
    palette.displayA = {120, 60, 40};
    palette.displayB = {180, 120, 60};
    palette.seed = 11;
    return species;
}
