// The stegoceras: a small biped with a long stiff tail, short arms and a thick bony dome on its
// skull. Faces +x. Clips: run 1-110, then 120-215 graze (pecking at the ground) followed by a
// head-butt (crouch, two lunges with the dome lowered).
#include "dinosaurs.h"
#include "motion.h"
#include "parts.h"

namespace
{
const double kScale = 0.3;
// The park stands the model's origin 13 units above the ground.
const double kGround = -13.0 / kScale;

struct Skeleton
{
    int pelvis, spine, chest, neck, head, jaw;
    int tail[4];
    Leg legs[2]; // left (-z), right (+z): thigh, shin, foot (the long instep)
    Leg arms[2];
};

Vec mirrored(const Vec& v)
{
    return Vec(v.x, v.y, -v.z);
}

// Left leg: hip, knee, ankle; the foot runs from the ankle down to the toes.
const Vec kHip(0, -22, -5), kKnee(5, -30, -6), kAnkle(0.5, kGround + 5.8, -6.2);
const Vec kBall(3.2, kGround + 1.2, -6.3);
const Vec kShoulder(19, -23, -4.2), kElbow(21, -27, -5), kWrist(23.8, -27.2, -5);

Skeleton buildSkeleton(Rig& rig)
{
    Skeleton s;
    s.pelvis = rig.addJoint("pelvis", -1, Vec(0, -20, 0));
    s.spine = rig.addJoint("spine", s.pelvis, Vec(10, -19.5, 0));
    s.chest = rig.addJoint("chest", s.spine, Vec(18, -19, 0));
    s.neck = rig.addJoint("neck", s.chest, Vec(23, -17, 0));
    s.head = rig.addJoint("head", s.neck, Vec(28, -14.5, 0));
    s.jaw = rig.addJoint("jaw", s.head, Vec(30.5, -16.8, 0));
    const Vec tail[4] = {Vec(-9, -20.5, 0), Vec(-18, -21.5, 0), Vec(-27, -22.5, 0),
                         Vec(-35, -23.5, 0)};
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
    struct Section
    {
        double x, y, up, side;
    };
    const Section sections[] = {
        {-43.5, -24.3, 0.5, 0.5}, {-36, -23.5, 1.6, 1.4}, {-27, -22.5, 2.8, 2.4},
        {-18, -21.5, 4.2, 3.6},   {-9, -20.5, 6.0, 5.2},  {0, -19.5, 8.0, 6.8},
        {9, -19.5, 8.4, 7.2},     {16, -19, 7.0, 6.2},    {21, -17.5, 4.6, 4.2},
        {25, -15.5, 3.6, 3.4},    {28.5, -14.3, 3.4, 3.2}};
    std::vector<Station> stations;
    for (const Section& section : sections)
    {
        stations.push_back(Station{Vec(section.x, section.y, 0), section.up, section.side});
    }
    std::vector<Ring> rings = ringsAlong(stations, 3, std::vector<int>(stations.size() - 1, 0));
    bindByX(rings, {{-1e9, s.tail[3]},
                    {-35, s.tail[2]},
                    {-27, s.tail[1]},
                    {-18, s.tail[0]},
                    {-9, s.pelvis},
                    {10, s.spine},
                    {18, s.chest},
                    {23, s.neck},
                    {28, s.head}});
    mesh.addTube("body", rings, 12, 1.0, 1.0, bodySkin(1.0 / 28.0));
}

void buildHead(Mesh& mesh, const Skeleton& s)
{
    std::vector<Station> skull = {{Vec(27, -14, 0), 3.8, 3.6},
                                  {Vec(31, -14.6, 0), 4.0, 3.7},
                                  {Vec(35, -16.2, 0), 3.0, 2.6},
                                  {Vec(38, -17.4, 0), 1.8, 1.6}};
    mesh.addTube("head", ringsAlong(skull, 2, std::vector<int>(3, s.head)), 12, 1.0, 1.2,
                 bodySkin(1.0 / 16.0, 0.2));
    std::vector<Station> jaw = {{Vec(30.5, -16.8, 0), 1.4, 2.8},
                                {Vec(34.5, -18.0, 0), 1.3, 2.2},
                                {Vec(37.5, -18.7, 0), 0.9, 1.3}};
    mesh.addTube("head", ringsAlong(jaw, 2, std::vector<int>(2, s.jaw)), 10, 0.5, 0.8,
                 bodySkin(1.0 / 16.0, 0.6));

    // The thick dome of bone over the skull, ringed at the back by small knobs.
    SkinMapping bone = swatchSkin(SwatchHorn);
    bone.topT = kSwatchTopT;
    bone.bottomT = kSwatchBottomT;
    mesh.addEllipsoid("dome", Vec(30, -11.6, 0), Vec(1, 0.2, 0), 4.8, Vec(-0.2, 1, 0), 4.3, 4.1, 7,
                      14, s.head, bone);
    for (int k = 0; k < 5; ++k)
    {
        const double angle = radians(-60.0 + 30.0 * k);
        const Vec outward(-std::cos(angle), -0.15, std::sin(angle));
        addHorn(mesh, "dome",
                Vec(27.2, -13.4, 0) + Vec(-std::cos(angle) * 1.6, 0, std::sin(angle) * 3.2),
                outward, 1.8, 0.8, Vec(), s.head, SwatchHorn, 5, 2);
    }
    for (int side = -1; side <= 1; side += 2)
    {
        mesh.addEllipsoid("eyes", Vec(33, -13.6, 3.0 * side), Vec(1, 0, 0), 0.8, Vec(0, 1, 0), 0.8,
                          0.7, 3, 6, s.head, swatchSkin(SwatchDark));
    }
}

void buildFoot(Mesh& mesh, const Leg& leg)
{
    std::vector<Station> instep = {{kAnkle, 1.5, 1.6, Vec(0, 0, -1)},
                                   {kBall, 1.2, 1.3, Vec(0, 0, -1)}};
    SkinMapping skin = bodySkin(1.0 / 28.0, 0.4);
    skin.topT = 0.32;
    mesh.addTube("legs", ringsAlong(instep, 3, {leg.foot}), 8, 0.6, 0.6, skin);
    for (int toe = -1; toe <= 1; ++toe)
    {
        const Vec base(kBall.x, kGround + 0.75, kBall.z + toe * 0.8);
        addHorn(mesh, "legs", base, Vec(1, -0.03, 0.25 * toe), 4.6 - std::abs(toe) * 0.8, 0.75,
                Vec(0, -0.05, 0), leg.foot, SwatchDark, 6, 3);
    }
}

void buildLimbs(Mesh& mesh, const Skeleton& s, int jointCount)
{
    const size_t firstVertex = mesh.vertexCount();
    const size_t firstTriangle = mesh.triangleCount();
    const Vec outward(0, 0, -1);
    addLimbTube(mesh, s.legs[0], kHip, kKnee, kAnkle, 5.4, 2.6, 1.6, outward, 0.0, 1.0 / 28.0);
    buildFoot(mesh, s.legs[0]);
    addLimbTube(mesh, s.arms[0], kShoulder, kElbow, kWrist, 1.4, 0.9, 0.7, outward, 0.3, 1.0 / 28.0,
                7);
    for (int finger = -1; finger <= 1; ++finger)
    {
        addHorn(mesh, "legs", kWrist + Vec(0.4, 0, finger * 0.35), Vec(1, -0.5, 0.2 * finger), 1.6,
                0.35, Vec(0, -0.3, 0), s.arms[0].foot, SwatchDark, 5, 2);
    }
    mesh.mirrorSince(firstVertex, firstTriangle, 2,
                     leftToRight(jointCount, {s.legs[0], s.arms[0]}, {s.legs[1], s.arms[1]}));
}

struct BodyMotion
{
    Vec pelvisShift;
    double pelvisPitch = 0.0, spinePitch = 0.0;
    double neckPitch = 0.0, neckYaw = 0.0, headPitch = 0.0, headYaw = 0.0;
    double jawOpen = 0.0;
    double tailYaw = 0.0, tailPitch = 0.0;
    double armSwing[2] = {0.0, 0.0};
};

void applyBody(const Skeleton& s, const BodyMotion& m, Pose& pose)
{
    pose[size_t(s.pelvis)].translation = m.pelvisShift;
    pose[size_t(s.pelvis)].rotation = Vec(0, 0, m.pelvisPitch);
    pose[size_t(s.spine)].rotation = Vec(0, 0, m.spinePitch);
    pose[size_t(s.neck)].rotation = Vec(0, m.neckYaw, m.neckPitch);
    pose[size_t(s.head)].rotation = Vec(0, m.headYaw, m.headPitch);
    pose[size_t(s.jaw)].rotation = Vec(0, 0, -m.jawOpen);
    for (int i = 0; i < 4; ++i)
    {
        pose[size_t(s.tail[i])].rotation = Vec(0, m.tailYaw, m.tailPitch);
    }
    for (int side = 0; side < 2; ++side)
    {
        pose[size_t(s.arms[side].upper)].rotation = Vec(0, 0, m.armSwing[side]);
        pose[size_t(s.arms[side].lower)].rotation = Vec(0, 0, 0.5 * m.armSwing[side]);
    }
}

void run(const Rig& rig, const Skeleton& s, double frame, Pose& pose)
{
    const double p = cyclePhase(frame, 1, 110, 6.0);
    const double duty = 0.36;
    // Lowest in the middle of each stance, highest in the flight between.
    const double bounce = std::cos(4.0 * kPi * (p - duty * 0.5));
    BodyMotion m;
    m.pelvisShift = Vec(0, -1.3 * bounce, 0);
    m.pelvisPitch = -0.07 + 0.02 * bounce;
    m.neckPitch = 0.06;
    m.headPitch = 0.02 - 0.02 * bounce;
    m.tailYaw = 0.035 * std::sin(2.0 * kPi * p);
    m.tailPitch = 0.025 * bounce;
    m.headYaw = -0.03 * std::sin(2.0 * kPi * p);
    m.armSwing[0] = 0.25 * std::sin(2.0 * kPi * p);
    m.armSwing[1] = -m.armSwing[0];
    applyBody(s, m, pose);
    plantLegs(rig, {s.legs[0], s.legs[1]},
              {gaitFoot(p, duty, 15.0, 5.5, 0.5), gaitFoot(p - 0.5, duty, 15.0, 5.5, 0.5)}, pose);
}

void grazeAndButt(const Rig& rig, const Skeleton& s, double frame, Pose& pose)
{
    const double u = clipFraction(frame, 120, 215);
    const double graze = envelope(u, 0.0, 0.14, 0.32, 0.45);
    double pecks = 0.0;
    for (int k = 0; k < 3; ++k)
    {
        pecks += pulse(u, 0.13 + 0.065 * k, 0.19 + 0.065 * k);
    }
    const double crouch = envelope(u, 0.48, 0.6, 0.86, 0.98);
    const double lunges = pulse(u, 0.62, 0.72) + pulse(u, 0.74, 0.84);
    BodyMotion m;
    m.pelvisShift = Vec(5.0 * lunges, -1.5 * graze - 2.0 * crouch, 0);
    m.pelvisPitch = -0.4 * graze - 0.2 * crouch - 0.06 * lunges;
    m.spinePitch = -0.05 * graze;
    m.neckPitch = -0.6 * graze - 0.15 * crouch;
    m.headPitch = -0.35 * graze - 0.2 * pecks - 0.85 * crouch;
    m.jawOpen = 0.35 * pecks;
    m.headYaw = 0.1 * wave(u, 4.0, 0.0, graze);
    m.tailPitch = 0.05 * graze + 0.04 * crouch;
    m.tailYaw = 0.06 * wave(u, 3.0, 0.0, envelope(u, 0.0, 0.1, 0.9, 1.0));
    m.armSwing[0] = m.armSwing[1] = -0.3 * crouch;
    applyBody(s, m, pose);
    plantLegs(rig, {s.legs[0], s.legs[1]}, {FootPlacement(), FootPlacement()}, pose);
}
} // namespace

Species makeStegoceras()
{
    Species species;
    species.modelFile = "running grazing headbutting standing.ms3d";
    species.skinBmp = "dinos/stegoceras.bmp";
    species.scale = kScale;
    species.cullRadius = 16.0;
    species.groundY = kGround;
    species.runLengthTga = true;
    Creature& c = species.creature;
    c.name = "stegoceras";
    c.textureName = "stegoceras.tga";
    const Skeleton s = buildSkeleton(c.rig);
    buildTrunk(c.mesh, s);
    buildHead(c.mesh, s);
    buildLimbs(c.mesh, s, c.rig.size());
    c.feet = {s.legs[0].foot, s.legs[1].foot};
    c.clips.push_back(
        Clip{"run", 1, 110, [s](const Rig& r, double f, Pose& p) { run(r, s, f, p); }});
    c.clips.push_back(Clip{"graze and head-butt", 120, 215,
                           [s](const Rig& r, double f, Pose& p) { grazeAndButt(r, s, f, p); }});

    SkinPalette& palette = species.palette;
    palette.belly = {226, 214, 182};
    palette.flank = {186, 150, 100};
    palette.back = {126, 92, 58};
    palette.stripe = {92, 64, 40};
    palette.stripeCount = 10;
    palette.stripeStrength = 0.3;
    palette.spotStrength = 0.75;
    palette.spot = {78, 54, 36};
    palette.hornBase = {150, 118, 84};
    palette.hornTip = {222, 204, 168};
    palette.dark = {36, 30, 26};
    palette.mouth = {160, 80, 78};
    palette.displayA = {120, 70, 50};
    palette.displayB = {200, 170, 120};
    palette.seed = 7;
    return species;
}
