// The tyrannosaur: a big biped with a huge head and toothed jaws, tiny two-fingered arms and a
// long tail held straight out behind. Built facing +x and stored facing -x (the park turns it
// round). Clips: walk 1-60, roar 60-135 (head up, jaws wide, a shake), eat 135-210 (head down,
// biting and tearing). Every clip starts and ends in the walk's first pose, so the shared frames
// 60 and 135 agree.
#include "biped.h"
#include "dinosaurs.h"
#include "motion.h"

namespace
{
const double kScale = 0.7;
// The park stands the model's origin 8 units above the ground.
const double kGround = -8.0 / kScale;

const double kDrop = 1.2; // the head is carried a little below the line of the back

// The skull's cross-sections; the teeth sit along their lower edges.
const std::vector<BodySection> kSkull = {{16.5, 14.9 - kDrop, 3.9, 3.7},
                                         {20, 15.1 - kDrop, 4.0, 3.4},
                                         {23.5, 14.2 - kDrop, 3.2, 2.7},
                                         {26.3, 13.3 - kDrop, 2.4, 2.1}};
const std::vector<BodySection> kJaw = {
    {17.5, 11.5 - kDrop, 1.6, 3.1}, {21.5, 10.9 - kDrop, 1.4, 2.5}, {25.2, 10.7 - kDrop, 1.0, 1.7}};

BipedShape tyrannosaurShape()
{
    BipedShape shape;
    shape.pelvis = Vec(0, 6, 0);
    shape.spine = Vec(6, 7.5, 0);
    shape.chest = Vec(11, 8, 0);
    shape.neck = Vec(14.5, 10.5, 0);
    shape.head = Vec(17.5, 14 - kDrop, 0);
    shape.jaw = Vec(18, 12 - kDrop, 0);
    shape.tail = {Vec(-6, 6.5, 0), Vec(-12, 6, 0), Vec(-18, 5, 0), Vec(-23, 4, 0)};
    shape.hip = Vec(0, 4, -3.8);
    shape.knee = Vec(3.5, -2.5, -4.2);
    shape.ankle = Vec(-1, kGround + 3.8, -4.4);
    shape.shoulder = Vec(11.5, 4.5, -2.8);
    shape.elbow = Vec(12.8, 2.7, -3.2);
    shape.wrist = Vec(14.6, 2.6, -3.2);
    shape.groundY = kGround;

    shape.body = {{-27.3, 2.8, 0.35, 0.35},
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
    shape.bodyCap = 0.5;
    shape.skinPerUnit = 1.0 / 18.0;
    shape.legRadii = {5.0, 2.2, 1.3};
    shape.armRadii = {0.9, 0.55, 0.45};

    BipedFoot& foot = shape.foot;
    foot.ball = Vec(1.2, kGround + 0.7, -4.5);
    foot.ankleUp = 1.2;
    foot.ankleSide = 1.3;
    foot.ballUp = 0.9;
    foot.ballSide = 1.1;
    foot.instepCap = 0.5;
    foot.toeHeight = 0.6;
    foot.toeSpacing = 0.75;
    foot.toeTurn = 0.3;
    foot.toeLength = 3.2;
    foot.outerToeShortening = 0.6;
    foot.toeRadius = 0.6;
    foot.toeCurl = 0.04;

    BipedHand& hand = shape.hand;
    hand.fingers = 2;
    hand.reach = 0.2;
    hand.spacing = 0.2;
    hand.spread = 0.15;
    hand.droop = 0.6;
    hand.fingerLength = 1.0;
    hand.fingerRadius = 0.25;
    shape.forearmFollow = 0.6;
    return shape;
}

// A point on the lower (or, with upper, the top) edge of a tube at x, on the given side.
Vec edgeAt(const std::vector<BodySection>& sections, double x, int side, bool upper)
{
    size_t i = 0;
    while (i + 2 < sections.size() && x > sections[i + 1].x)
    {
        ++i;
    }
    const double u = clamp01((x - sections[i].x) / (sections[i + 1].x - sections[i].x));
    const double y = lerp(sections[i].y, sections[i + 1].y, u);
    const double up = lerp(sections[i].up, sections[i + 1].up, u);
    const double across = lerp(sections[i].side, sections[i + 1].side, u);
    return Vec(x, y + (upper ? 0.55 : -0.55) * up, side * 0.78 * across);
}

void buildHead(SkinnedMesh& mesh, const Biped& s)
{
    mesh.addTube("head", ringsAlong(stationsOf(kSkull), 3, std::vector<int>(3, s.head)), 12, 1.2,
                 1.2, bodySkin(1.0 / 12.0, 0.2));
    mesh.addTube("head", ringsAlong(stationsOf(kJaw), 3, std::vector<int>(2, s.jaw)), 10, 0.6, 0.8,
                 bodySkin(1.0 / 12.0, 0.5));
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
            addHorn(mesh, "teeth", edgeAt(kSkull, x, side, false), Vec(0.1, -1, -0.1 * side),
                    1.1 - 0.08 * k, 0.32, Vec(), s.head, SwatchHorn, 4, 2);
        }
        for (int k = 0; k < 4; ++k)
        {
            const double x = 19.8 + 1.6 * k;
            addHorn(mesh, "teeth", edgeAt(kJaw, x, side, true), Vec(0.1, 1, -0.1 * side), 0.85,
                    0.28, Vec(), s.jaw, SwatchHorn, 4, 2);
        }
        mesh.addEllipsoid("eyes", Vec(20.6, 16.4 - kDrop, 2.75 * side), Vec(1, 0, 0), 0.65,
                          Vec(0, 1, 0), 0.55, 0.5, 3, 6, s.head, swatchSkin(SwatchDark));
        addHorn(mesh, "head", Vec(19.6, 17.5 - kDrop, 2.1 * side), Vec(-0.3, 1, 0.3 * side), 1.0,
                0.6, Vec(), s.head, SwatchDark, 5, 2);
    }
}

const int kWalkFirst = 1, kWalkLast = 60;
const double kDuty = 0.62;

// The walk at a phase: body motion and foot placements.
BipedMotion walkBody(double p)
{
    // Highest in the middle of each stance, as the body vaults over the planted leg.
    const double vault = std::cos(4.0 * kPi * (p - kDuty * 0.5));
    BipedMotion m;
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

void walk(const Rig& rig, const Biped& s, double frame, Pose& pose)
{
    const double p = cyclePhase(frame, kWalkFirst, kWalkLast, 2.0);
    applyBipedMotion(s, walkBody(p), pose);
    plantLegs(rig, {s.legs[0], s.legs[1]}, walkFeet(p), pose);
}

void roar(const Rig& rig, const Biped& s, double frame, Pose& pose)
{
    const double u = clipFraction(frame, 60, 135);
    const double rise = envelope(u, 0.0, 0.25, 0.78, 1.0);
    const double shake = envelope(u, 0.28, 0.36, 0.68, 0.76);
    BipedMotion m = walkBody(0.0);
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
    applyBipedMotion(s, m, pose);
    plantLegs(rig, {s.legs[0], s.legs[1]}, walkFeet(0.0), pose);
}

void eat(const Rig& rig, const Biped& s, double frame, Pose& pose)
{
    const double u = clipFraction(frame, 135, 210);
    const double down = envelope(u, 0.0, 0.22, 0.8, 1.0);
    double tugs = 0.0, bites = 0.0;
    for (int k = 0; k < 3; ++k)
    {
        bites += pulse(u, 0.2 + 0.2 * k, 0.3 + 0.2 * k);
        tugs += pulse(u, 0.27 + 0.2 * k, 0.4 + 0.2 * k);
    }
    BipedMotion m = walkBody(0.0);
    m.pelvisShift += Vec(0, -2.4 * down, 0);
    m.pelvisPitch += -0.34 * down + 0.05 * tugs;
    m.spinePitch += -0.08 * down;
    m.neckPitch += -0.8 * down + 0.12 * tugs;
    m.headPitch += -0.3 * down + 0.1 * tugs;
    m.headYaw += 0.22 * wave(u, 1.5, 0.0, tugs);
    m.headRoll += 0.15 * wave(u, 1.5, 0.0, tugs);
    m.jawOpen += 0.5 * bites * down;
    m.tailPitch += 0.12 * down;
    applyBipedMotion(s, m, pose);
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
    const Biped s = buildBiped(c, tyrannosaurShape(), buildHead);
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
