// The pterosaur: a flying reptile with a long toothless beak, a crest sweeping back from its
// skull, membrane wings stretched from the long fourth finger back to the legs, and a short
// tail. Faces +z, wings along x, drawn unscaled. One clip: a wing beat over frames 0-29.
#include "dinosaurs.h"
#include "motion.h"
#include "parts.h"

namespace
{
struct Wing
{
    int humerus, forearm, finger;
};

struct Skeleton
{
    int body, neck, head, jaw, tail;
    Wing wings[2]; // left (+x), right (-x)
    Leg legs[2];
};

// The left wing's joints and the tip of its finger; the leading edge runs through them.
const Vec kShoulder(1.6, 0.6, 1.8), kElbow(6, 1.0, 0.3), kWrist(10.5, 1.0, 1.6);
const Vec kTip(17.4, 0.2, -2.3);
const Vec kHip(1.0, -0.5, -3.0), kKnee(1.6, -1.0, -5.8), kAnkle(1.9, -1.1, -8.4);

// The pterosaur faces +z, so its right side mirrors the left through x = 0.
Vec mirroredAcrossX(const Vec& v)
{
    return Vec(-v.x, v.y, v.z);
}

Skeleton buildSkeleton(Rig& rig)
{
    Skeleton s;
    s.body = rig.addJoint("body", -1, Vec(0, 0, 0));
    s.neck = rig.addJoint("neck", s.body, Vec(0, 0.8, 3.5));
    s.head = rig.addJoint("head", s.neck, Vec(0, 2.2, 6.2));
    s.jaw = rig.addJoint("jaw", s.head, Vec(0, 1.6, 7.6));
    s.tail = rig.addJoint("tail", s.body, Vec(0, 0, -4.5));
    const char* const legNames[3] = {"thigh", "shin", "foot"};
    for (int side = 0; side < 2; ++side)
    {
        auto place = [&](const Vec& v) { return side == 0 ? v : mirroredAcrossX(v); };
        const std::string suffix = side == 0 ? "L" : "R";
        Wing& wing = s.wings[side];
        wing.humerus = rig.addJoint("humerus" + suffix, s.body, place(kShoulder));
        wing.forearm = rig.addJoint("forearm" + suffix, wing.humerus, place(kElbow));
        wing.finger = rig.addJoint("finger" + suffix, wing.forearm, place(kWrist));
        s.legs[side] = addLegJoints(rig, legNames, suffix.c_str(), s.body, place(kHip),
                                    place(kKnee), place(kAnkle), true);
    }
    return s;
}

void buildBody(SkinnedMesh& mesh, const Skeleton& s)
{
    struct Section
    {
        double z, y, up, side;
    };
    const Section sections[] = {{-7.0, -0.1, 0.2, 0.2}, {-4.5, 0, 0.7, 0.6},  {-2, 0.2, 1.6, 1.4},
                                {1, 0.4, 1.9, 1.7},     {3.5, 1.0, 1.2, 1.0}, {5.2, 1.8, 0.85, 0.8},
                                {6.6, 2.3, 0.9, 0.85}};
    std::vector<Station> stations;
    for (const Section& section : sections)
    {
        stations.push_back(Station{Vec(0, section.y, section.z), section.up, section.side});
    }
    std::vector<Ring> rings = ringsAlong(stations, 3, std::vector<int>(stations.size() - 1, 0));
    bindAlong(rings, Vec(0, 0, 1), {{-1e9, s.tail}, {-4.5, s.body}, {3.5, s.neck}, {6.2, s.head}});
    mesh.addTube("body", rings, 10, 0.4, 0.4, bodySkin(1.0 / 10.0));
}

void buildHead(SkinnedMesh& mesh, const Skeleton& s)
{
    std::vector<Station> skull = {{Vec(0, 2.5, 5.8), 1.1, 0.85}, {Vec(0, 2.4, 8.0), 1.0, 0.7}};
    mesh.addTube("head", ringsAlong(skull, 2, {s.head}), 10, 0.5, 0.3, bodySkin(1.0 / 10.0, 0.3));
    addHorn(mesh, "head", Vec(0, 2.15, 8.2), Vec(0, -0.08, 1), 7.6, 0.75, Vec(0, -0.04, 0), s.head,
            SwatchHorn, 8, 4);
    addHorn(mesh, "head", Vec(0, 1.6, 7.8), Vec(0, -0.05, 1), 7.2, 0.5, Vec(0, 0.03, 0), s.jaw,
            SwatchHorn, 6, 3);
    // The crest: a blade, tall and thin, sweeping back and up from the skull.
    const Vec crestUp(0, 1, 0.3);
    std::vector<Station> crest = {{Vec(0, 3.1, 6.5), 1.0, 0.3, crestUp},
                                  {Vec(0, 3.8, 3.0), 0.95, 0.22, crestUp},
                                  {Vec(0, 4.5, -0.6), 0.45, 0.12, crestUp}};
    mesh.addTube("head", ringsAlong(crest, 3, {s.head, s.head}), 8, 0.3, 0.8,
                 swatchSkin(SwatchDisplay));
    for (int side = -1; side <= 1; side += 2)
    {
        mesh.addEllipsoid("eyes", Vec(0.72 * side, 2.85, 7.0), Vec(0, 0, 1), 0.32, Vec(0, 1, 0),
                          0.3, 0.25, 3, 6, s.head, swatchSkin(SwatchDark));
    }
}

// Membrane from the leading edge (shoulder, elbow, wrist, finger tip) back to the body and legs,
// and the arm bones along its front.
void buildWing(SkinnedMesh& mesh, const Skeleton& s)
{
    const Wing& wing = s.wings[0];
    struct Chord
    {
        Vec leading;
        double chord;
    };
    const Chord chords[] = {{kShoulder + Vec(-0.4, 0, 0), 7.4},
                            {kElbow, 6.2},
                            {kWrist, 4.8},
                            {lerp(kWrist, kTip, 0.5), 3.0},
                            {kTip, 0.5}};
    std::vector<Station> stations;
    for (const Chord& chord : chords)
    {
        // The ring's upper side points forward: around the ring the skin runs from the leading
        // edge (t at the back colours) to the trailing edge.
        stations.push_back(Station{chord.leading + Vec(0, 0, -0.5 * chord.chord), 0.5 * chord.chord,
                                   0.12, Vec(0, 0, 1)});
    }
    std::vector<Ring> rings = ringsAlong(stations, 4, {0, 0, 0, 0});
    bindByX(rings, {{-1e9, wing.humerus}, {kElbow.x, wing.forearm}, {kWrist.x, wing.finger}});
    SkinMapping membrane = bodySkin(1.0 / 14.0, 0.1);
    mesh.addTube("wings", rings, 10, 0.1, 0.1, membrane);

    std::vector<Station> arm = {
        {kShoulder, 0.55, 0.55}, {kElbow, 0.42, 0.42}, {kWrist, 0.38, 0.38}, {kTip, 0.08, 0.08}};
    std::vector<Ring> armRings = ringsAlong(arm, 3, {wing.humerus, wing.forearm, wing.finger});
    mesh.addTube("wings", armRings, 6, 0.3, 0.1, bodySkin(1.0 / 10.0, 0.6));
    for (int claw = 0; claw < 3; ++claw)
    {
        addHorn(mesh, "wings", kWrist + Vec(0, 0.2, 0.2), Vec(-0.2 + 0.2 * claw, 0.2, 1), 0.8, 0.15,
                Vec(0, -0.3, 0), wing.forearm, SwatchDark, 4, 2);
    }
}

void buildLeg(SkinnedMesh& mesh, const Leg& leg)
{
    addLimbTube(mesh, leg, kHip, kKnee, kAnkle, 0.7, 0.4, 0.3, Vec(1, 0, 0), 0.2, 1.0 / 10.0, 7);
    for (int toe = -1; toe <= 1; ++toe)
    {
        addHorn(mesh, "legs", kAnkle + Vec(0.2 * toe, 0, -0.2), Vec(0.2 * toe, -0.3, -1), 1.3, 0.18,
                Vec(0, -0.3, 0), leg.foot, SwatchDark, 4, 2);
    }
}

void buildLimbs(SkinnedMesh& mesh, const Skeleton& s, int jointCount)
{
    const size_t firstVertex = mesh.vertexCount();
    const size_t firstTriangle = mesh.triangleCount();
    buildWing(mesh, s);
    buildLeg(mesh, s.legs[0]);
    std::vector<int> map = leftToRight(jointCount, {s.legs[0]}, {s.legs[1]});
    map[size_t(s.wings[0].humerus)] = s.wings[1].humerus;
    map[size_t(s.wings[0].forearm)] = s.wings[1].forearm;
    map[size_t(s.wings[0].finger)] = s.wings[1].finger;
    mesh.mirrorSince(firstVertex, firstTriangle, 0, map);
}

// Left-side rotations turned into the right side's (mirrored through x = 0).
Vec mirroredTurn(const Vec& r)
{
    return Vec(r.x, -r.y, -r.z);
}

void flap(const Skeleton& s, double frame, Pose& pose)
{
    const double p = cyclePhase(frame, 0, 29, 1.0);
    const double beat = std::cos(2.0 * kPi * p); // 1 at the top, -1 at the bottom of the stroke
    // The wings half fold while they rise again, in the second half of the beat.
    const double fold = p > 0.5 ? 0.5 - 0.5 * std::cos(4.0 * kPi * p) : 0.0;
    const Vec humerus(0, 0.05 * fold, 0.12 + 0.5 * beat);
    const Vec forearm(0, 0.28 * fold, 0.12 * std::cos(2.0 * kPi * p - 0.7));
    const Vec finger(0, 0.2 * fold, 0.1 * std::cos(2.0 * kPi * p - 1.3) - 0.1 * fold);
    const Vec turns[3] = {humerus, forearm, finger};
    for (int side = 0; side < 2; ++side)
    {
        const Wing& wing = s.wings[side];
        const int joints[3] = {wing.humerus, wing.forearm, wing.finger};
        for (int k = 0; k < 3; ++k)
        {
            pose[size_t(joints[k])].rotation = side == 0 ? turns[k] : mirroredTurn(turns[k]);
        }
        // The legs trail behind, swinging a little with the beat.
        pose[size_t(s.legs[side].upper)].rotation = Vec(0.06 * beat, 0, 0);
        pose[size_t(s.legs[side].lower)].rotation = Vec(-0.04 * beat, 0, 0);
    }
    // The body rises while the wings sweep down, and sinks as they come up.
    pose[size_t(s.body)].translation = Vec(0, -0.45 * beat, 0);
    pose[size_t(s.body)].rotation = Vec(-0.04 * std::sin(2.0 * kPi * p), 0, 0);
    pose[size_t(s.neck)].rotation = Vec(0.05 * beat, 0, 0);
    pose[size_t(s.head)].rotation = Vec(-0.05 * beat, 0.06 * std::sin(2.0 * kPi * p), 0);
    pose[size_t(s.jaw)].rotation = Vec(0.04 + 0.04 * std::sin(2.0 * kPi * p), 0, 0);
    pose[size_t(s.tail)].rotation = Vec(0.08 * beat, 0, 0);
}
} // namespace

Species makePterosaur()
{
    Species species;
    species.modelFile = "petradon.ms3d";
    species.scale = 1.0;
    species.cullRadius = 18.0;
    species.groundY = -80.0;
    species.runLengthTga = true;
    Creature& c = species.creature;
    c.name = "pterosaur";
    c.textureName = "petradon.tga";
    const Skeleton s = buildSkeleton(c.rig);
    buildBody(c.mesh, s);
    buildHead(c.mesh, s);
    buildLimbs(c.mesh, s, c.rig.size());
    c.clips.push_back(Clip{"flap", 0, 29, [s](const Rig&, double f, Pose& p) { flap(s, f, p); }});

    SkinPalette& palette = species.palette;
    palette.belly = {222, 176, 120};
    palette.flank = {176, 112, 66};
    palette.back = {112, 62, 40};
    palette.stripe = {80, 44, 30};
    palette.stripeCount = 16;
    palette.stripeStrength = 0.45;
    palette.spotStrength = 0.1;
    palette.spot = {90, 50, 34};
    palette.hornBase = {170, 150, 110};
    palette.hornTip = {236, 222, 186};
    palette.dark = {28, 24, 22};
    palette.mouth = {170, 90, 80};
    palette.displayA = {190, 70, 40};
    palette.displayB = {240, 170, 60};
    palette.seed = 19;
    return species;
}
