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

struct Skeleton
{
    int pelvis, spine, chest, neck, head, jaw;
    int tail[4];
    Leg hind[2]; // left (-z), right (+z)
    Leg fore[2];
};

Leg addLeg(Rig& rig, const char* side, int parent, const Vec& top, const Vec& middle,
           const Vec& bottom, bool bendsForward, const char* names[3])
{
    Leg leg;
    leg.upper = rig.addJoint(std::string(names[0]) + side, parent, top);
    leg.lower = rig.addJoint(std::string(names[1]) + side, leg.upper, middle);
    leg.foot = rig.addJoint(std::string(names[2]) + side, leg.lower, bottom);
    leg.bendsForward = bendsForward;
    return leg;
}

Vec mirrored(const Vec& v)
{
    return Vec(v.x, v.y, -v.z);
}

// Hind leg: hip, knee, ankle. Foreleg: shoulder, elbow, wrist (left side, -z).
const Vec kHip(-14, 6, -9), kKnee(-10.5, -4.5, -10), kAnkle(-14, kGround + 3.4, -10.5);
const Vec kShoulder(13, 4, -9.5), kElbow(10.5, -5, -11), kWrist(13.5, kGround + 3.4, -11.5);

Skeleton buildSkeleton(Rig& rig)
{
    Skeleton s;
    s.pelvis = rig.addJoint("pelvis", -1, Vec(-14, 9, 0));
    s.spine = rig.addJoint("spine", s.pelvis, Vec(-1, 12, 0));
    s.chest = rig.addJoint("chest", s.spine, Vec(12, 10, 0));
    s.neck = rig.addJoint("neck", s.chest, Vec(22, 8, 0));
    s.head = rig.addJoint("head", s.neck, Vec(30, 8, 0));
    s.jaw = rig.addJoint("jaw", s.head, Vec(36, 3, 0));
    const Vec tail[4] = {Vec(-27, 7, 0), Vec(-37, 4.5, 0), Vec(-46, 1.5, 0), Vec(-53, -1, 0)};
    int parent = s.pelvis;
    for (int i = 0; i < 4; ++i)
    {
        s.tail[i] = rig.addJoint("tail" + std::to_string(i + 1), parent, tail[i]);
        parent = s.tail[i];
    }
    const char* hindNames[3] = {"thigh", "shin", "foot"};
    const char* foreNames[3] = {"upperarm", "forearm", "hand"};
    for (int side = 0; side < 2; ++side)
    {
        auto place = [&](const Vec& v) { return side == 0 ? v : mirrored(v); };
        const char* suffix = side == 0 ? "L" : "R";
        s.hind[side] = addLeg(rig, suffix, s.pelvis, place(kHip), place(kKnee), place(kAnkle), true,
                              hindNames);
        s.fore[side] = addLeg(rig, suffix, s.chest, place(kShoulder), place(kElbow), place(kWrist),
                              false, foreNames);
    }
    return s;
}

void buildTrunk(Mesh& mesh, const Skeleton& s)
{
    struct Section
    {
        double x, y, up, side;
    };
    const Section sections[] = {{-60, -2.5, 0.8, 0.8}, {-53, -1, 2.1, 2.0}, {-46, 1.5, 3.4, 3.2},
                                {-37, 4.5, 5.6, 5.2},  {-27, 8, 8.6, 8.2},  {-16, 11.5, 12.5, 12},
                                {-3, 13, 15, 15.5},    {9, 12.5, 14, 14.5}, {18, 10, 10.5, 11},
                                {25, 8.5, 7.5, 7.5},   {31, 8.5, 6.0, 6.0}};
    std::vector<Station> stations;
    for (const Section& section : sections)
    {
        stations.push_back(Station{Vec(section.x, section.y, 0), section.up, section.side});
    }
    std::vector<Ring> rings = ringsAlong(stations, 4, std::vector<int>(stations.size() - 1, 0));
    bindByX(rings, {{-1e9, s.tail[3]},
                    {-53, s.tail[2]},
                    {-46, s.tail[1]},
                    {-37, s.tail[0]},
                    {-27, s.pelvis},
                    {-1, s.spine},
                    {12, s.chest},
                    {22, s.neck},
                    {30, s.head}});
    mesh.addTube("body", rings, 14, 1.0, 1.0, bodySkin(1.0 / 48.0));
}

void buildHead(Mesh& mesh, const Skeleton& s)
{
    std::vector<Station> skull = {{Vec(27, 10, 0), 6.5, 6.0},
                                  {Vec(34, 9.5, 0), 7.0, 6.2},
                                  {Vec(41, 7, 0), 6.0, 5.0},
                                  {Vec(47, 4, 0), 4.2, 3.6},
                                  {Vec(51, 1.8, 0), 2.8, 2.4}};
    mesh.addTube("head", ringsAlong(skull, 2, std::vector<int>(4, s.head)), 12, 2.0, 1.0,
                 bodySkin(1.0 / 24.0, 0.3));
    addHorn(mesh, "head", Vec(49.5, 1.5, 0), Vec(1, -0.45, 0), 6.5, 2.6, Vec(0, -0.35, 0), s.head,
            SwatchDark, 8, 3);

    std::vector<Station> jaw = {
        {Vec(35, 3, 0), 2.4, 4.2}, {Vec(41, 1.0, 0), 2.2, 3.4}, {Vec(47, -1.0, 0), 1.6, 2.3}};
    mesh.addTube("head", ringsAlong(jaw, 2, std::vector<int>(2, s.jaw)), 10, 1.0, 1.0,
                 bodySkin(1.0 / 24.0, 0.6));
    addHorn(mesh, "head", Vec(46.5, -1.2, 0), Vec(1, -0.05, 0), 4.0, 1.5, Vec(0, 0.1, 0), s.jaw,
            SwatchDark, 6, 2);

    // The frill rises back from the skull, a thin disc facing forward and up.
    const Vec frillCentre(24.5, 20, 0);
    const Vec frillUp(-0.5, 0.866, 0);
    const Vec frillFacing(0.866, 0.5, 0);
    mesh.addEllipsoid("frill", frillCentre, frillUp, 14.0, frillFacing, 1.4, 16.0, 9, 14, s.head,
                      swatchSkin(SwatchDisplay));
    for (int k = 0; k < 9; ++k)
    {
        const double angle = radians(-96.0 + 24.0 * k);
        const Vec outward = frillUp * std::cos(angle) + Vec(0, 0, 1) * std::sin(angle);
        const Vec rim = frillCentre + frillUp * (13.2 * std::cos(angle)) +
                        Vec(0, 0, 1) * (15.2 * std::sin(angle));
        addHorn(mesh, "frill", rim, outward, 3.2, 1.3, Vec(), s.head, SwatchHorn, 5, 2);
    }

    for (int side = -1; side <= 1; side += 2)
    {
        addHorn(mesh, "horns", Vec(37, 13.5, 4.0 * side), Vec(0.85, 0.55, 0.08 * side), 17.0, 2.1,
                Vec(0, -0.28, 0), s.head, SwatchHorn, 8, 5);
        addEye(mesh, Vec(40, 10.2, 5.0 * side), 1.1, s.head);
    }
    addHorn(mesh, "horns", Vec(47, 5.5, 0), Vec(0.45, 0.9, 0), 6.0, 1.7, Vec(0.1, 0, 0), s.head,
            SwatchHorn, 8, 3);
}

void buildLimb(Mesh& mesh, const Leg& leg, const Vec& top, const Vec& middle, const Vec& bottom,
               double topRadius, double middleRadius, double bottomRadius, double sOffset)
{
    const Vec outward(0, 0, -1);
    std::vector<Station> stations = {
        {top + Vec(0, 2.5, 0.5), topRadius * 0.75, topRadius, outward},
        {lerp(top, middle, 0.5), lerp(topRadius, middleRadius, 0.6) * 0.8,
         lerp(topRadius, middleRadius, 0.6), outward},
        {middle, middleRadius * 0.85, middleRadius, outward},
        {lerp(middle, bottom, 0.5), lerp(middleRadius, bottomRadius, 0.5) * 0.9,
         lerp(middleRadius, bottomRadius, 0.5), outward},
        {bottom, bottomRadius * 0.95, bottomRadius, outward}};
    mesh.addTube("legs", ringsAlong(stations, 3, {leg.upper, leg.upper, leg.lower, leg.lower}), 10,
                 topRadius * 0.4, bottomRadius * 0.5, bodySkin(1.0 / 48.0, sOffset));
}

void buildFoot(Mesh& mesh, const Leg& leg, const Vec& ankle, double length, double width)
{
    const Vec centre(ankle.x + 1.2, kGround + 1.7, ankle.z);
    mesh.addEllipsoid("legs", centre, Vec(1, 0, 0), length, Vec(0, 1, 0), 1.7, width, 5, 10,
                      leg.foot, bodySkin(1.0 / 48.0, 0.5));
    for (int toe = -1; toe <= 1; ++toe)
    {
        addHorn(mesh, "legs",
                Vec(centre.x + length * 0.8, kGround + 1.0, centre.z + toe * width * 0.55),
                Vec(1, -0.25, 0.15 * toe), 1.8, 0.85, Vec(), leg.foot, SwatchDark, 5, 2);
    }
}

void buildLimbs(Mesh& mesh, const Skeleton& s)
{
    const size_t firstVertex = mesh.vertexCount();
    const size_t firstTriangle = mesh.triangleCount();
    buildLimb(mesh, s.hind[0], kHip, kKnee, kAnkle, 7.5, 4.2, 3.0, 0.0);
    buildFoot(mesh, s.hind[0], kAnkle, 4.4, 3.3);
    buildLimb(mesh, s.fore[0], kShoulder, kElbow, kWrist, 5.5, 3.6, 2.7, 0.37);
    buildFoot(mesh, s.fore[0], kWrist, 3.6, 2.9);
    std::vector<int> toRight(size_t(s.fore[1].foot + 1));
    for (size_t j = 0; j < toRight.size(); ++j)
    {
        toRight[j] = int(j);
    }
    const Leg* left[2] = {&s.hind[0], &s.fore[0]};
    const Leg* right[2] = {&s.hind[1], &s.fore[1]};
    for (int i = 0; i < 2; ++i)
    {
        toRight[size_t(left[i]->upper)] = right[i]->upper;
        toRight[size_t(left[i]->lower)] = right[i]->lower;
        toRight[size_t(left[i]->foot)] = right[i]->foot;
    }
    mesh.mirrorSince(firstVertex, firstTriangle, 2, toRight);
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
    const Leg legs[4] = {s.hind[0], s.fore[0], s.hind[1], s.fore[1]};
    for (int i = 0; i < 4; ++i)
    {
        const Vec rest = rig.joint(legs[i].foot).bindPosition;
        reachWithLeg(rig, legs[i], Vec(rest.x + feet[i].forward, rest.y + feet[i].up, rest.z),
                     feet[i].pitch, pose);
    }
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
    m.neckPitch = -0.42 * down;
    m.headPitch = -0.42 * down + 0.05 * wave(u, 5.0, 0.0, down);
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
    const Skeleton s = buildSkeleton(c.rig);
    buildTrunk(c.mesh, s);
    buildHead(c.mesh, s);
    buildLimbs(c.mesh, s);
    c.feet = {s.hind[0].foot, s.hind[1].foot, s.fore[0].foot, s.fore[1].foot};
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
