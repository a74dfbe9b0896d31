// The stegoceras: a small biped with a long stiff tail, short arms and a thick bony dome on its
// skull. Faces +x. Clips: run 1-110, then 120-215 graze (pecking at the ground) followed by a
// head-butt (crouch, two lunges with the dome lowered).
#include "biped.h"
#include "dinosaurs.h"
#include "motion.h"

namespace
{
const double kScale = 0.3;
// The park stands the model's origin 13 units above the ground.
const double kGround = -13.0 / kScale;

BipedShape stegocerasShape()
{
    BipedShape shape;
    shape.pelvis = Vec(0, -20, 0);
    shape.spine = Vec(10, -19.5, 0);
    shape.chest = Vec(18, -19, 0);
    shape.neck = Vec(23, -17, 0);
    shape.head = Vec(28, -14.5, 0);
    shape.jaw = Vec(30.5, -16.8, 0);
    shape.tail = {Vec(-9, -20.5, 0), Vec(-18, -21.5, 0), Vec(-27, -22.5, 0), Vec(-35, -23.5, 0)};
    shape.hip = Vec(0, -22, -5);
    shape.knee = Vec(5, -30, -6);
    shape.ankle = Vec(0.5, kGround + 5.8, -6.2);
    shape.shoulder = Vec(19, -23, -4.2);
    shape.elbow = Vec(21, -27, -5);
    shape.wrist = Vec(23.8, -27.2, -5);
    shape.groundY = kGround;

    shape.body = {{-43.5, -24.3, 0.5, 0.5}, {-36, -23.5, 1.6, 1.4}, {-27, -22.5, 2.8, 2.4},
                  {-18, -21.5, 4.2, 3.6},   {-9, -20.5, 6.0, 5.2},  {0, -19.5, 8.0, 6.8},
                  {9, -19.5, 8.4, 7.2},     {16, -19, 7.0, 6.2},    {21, -17.5, 4.6, 4.2},
                  {25, -15.5, 3.6, 3.4},    {28.5, -14.3, 3.4, 3.2}};
    shape.bodyCap = 1.0;
    shape.skinPerUnit = 1.0 / 28.0;
    shape.legRadii = {5.4, 2.6, 1.6};
    shape.armRadii = {1.4, 0.9, 0.7};

    BipedFoot& foot = shape.foot;
    foot.ball = Vec(3.2, kGround + 1.2, -6.3);
    foot.ankleUp = 1.5;
    foot.ankleSide = 1.6;
    foot.ballUp = 1.2;
    foot.ballSide = 1.3;
    foot.instepCap = 0.6;
    foot.toeHeight = 0.75;
    foot.toeSpacing = 0.8;
    foot.toeTurn = 0.25;
    foot.toeLength = 4.6;
    foot.outerToeShortening = 0.8;
    foot.toeRadius = 0.75;
    foot.toeCurl = 0.05;

    BipedHand& hand = shape.hand;
    hand.fingers = 3;
    hand.reach = 0.4;
    hand.spacing = 0.35;
    hand.spread = 0.2;
    hand.droop = 0.5;
    hand.fingerLength = 1.6;
    hand.fingerRadius = 0.35;
    shape.forearmFollow = 0.5;
    return shape;
}

void buildHead(SkinnedMesh& mesh, const Biped& s)
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

void run(const Rig& rig, const Biped& s, double frame, Pose& pose)
{
    const double p = cyclePhase(frame, 1, 110, 6.0);
    const double duty = 0.36;
    // Lowest in the middle of each stance, highest in the flight between.
    const double bounce = std::cos(4.0 * kPi * (p - duty * 0.5));
    BipedMotion m;
    m.pelvisShift = Vec(0, -1.3 * bounce, 0);
    m.pelvisPitch = -0.07 + 0.02 * bounce;
    m.neckPitch = 0.06;
    m.headPitch = 0.02 - 0.02 * bounce;
    m.swingWholeTail(0.035 * std::sin(2.0 * kPi * p));
    m.tailPitch = 0.025 * bounce;
    m.headYaw = -0.03 * std::sin(2.0 * kPi * p);
    m.armSwing[0] = 0.25 * std::sin(2.0 * kPi * p);
    m.armSwing[1] = -m.armSwing[0];
    applyBipedMotion(s, m, pose);
    plantLegs(rig, {s.legs[0], s.legs[1]},
              {gaitFoot(p, duty, 15.0, 5.5, 0.5), gaitFoot(p - 0.5, duty, 15.0, 5.5, 0.5)}, pose);
}

void grazeAndButt(const Rig& rig, const Biped& s, double frame, Pose& pose)
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
    BipedMotion m;
    m.pelvisShift = Vec(5.0 * lunges, -1.5 * graze - 2.0 * crouch, 0);
    m.pelvisPitch = -0.4 * graze - 0.2 * crouch - 0.06 * lunges;
    m.spinePitch = -0.05 * graze;
    m.neckPitch = -0.6 * graze - 0.15 * crouch;
    m.headPitch = -0.35 * graze - 0.2 * pecks - 0.85 * crouch;
    m.jawOpen = 0.35 * pecks;
    m.headYaw = 0.1 * wave(u, 4.0, 0.0, graze);
    m.tailPitch = 0.05 * graze + 0.04 * crouch;
    m.swingWholeTail(0.06 * wave(u, 3.0, 0.0, envelope(u, 0.0, 0.1, 0.9, 1.0)));
    m.armSwing[0] = m.armSwing[1] = -0.3 * crouch;
    applyBipedMotion(s, m, pose);
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
    const Biped s = buildBiped(c, stegocerasShape(), buildHead);
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
