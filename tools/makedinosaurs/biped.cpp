// The skeleton, body, limbs and body motion shared by the two-legged animals.
#include "biped.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace
{
void buildFoot(SkinnedMesh& mesh, const BipedShape& shape, const Leg& leg)
{
    const BipedFoot& foot = shape.foot;
    std::vector<Station> instep = {{shape.ankle, foot.ankleUp, foot.ankleSide, Vec(0, 0, -1)},
                                   {foot.ball, foot.ballUp, foot.ballSide, Vec(0, 0, -1)}};
    SkinMapping skin = bodySkin(shape.skinPerUnit, 0.4);
    skin.topT = 0.32;
    mesh.addTube("legs", ringsAlong(instep, 3, {leg.foot}), 8, foot.instepCap, foot.instepCap,
                 skin);
    for (int toe = -1; toe <= 1; ++toe)
    {
        const Vec base(foot.ball.x, shape.groundY + foot.toeHeight,
                       foot.ball.z + toe * foot.toeSpacing);
        addHorn(mesh, "legs", base, Vec(1, -0.03, foot.toeTurn * toe),
                foot.toeLength - std::abs(toe) * foot.outerToeShortening, foot.toeRadius,
                Vec(0, -foot.toeCurl, 0), leg.foot, SwatchDark, 6, 3);
    }
}

void buildHand(SkinnedMesh& mesh, const BipedShape& shape, const Leg& arm)
{
    const BipedHand& hand = shape.hand;
    for (int finger = -1; finger <= 1; ++finger)
    {
        if (finger == 0 && hand.fingers % 2 == 0)
        {
            continue;
        }
        addHorn(mesh, "legs", shape.wrist + Vec(hand.reach, 0, finger * hand.spacing),
                Vec(1, -hand.droop, hand.spread * finger), hand.fingerLength, hand.fingerRadius,
                Vec(0, -0.3, 0), arm.foot, SwatchDark, 5, 2);
    }
}

Biped buildSkeleton(Rig& rig, const BipedShape& shape)
{
    Biped biped;
    static_cast<SkeletonJoints&>(biped) = addSkeleton(rig, shape);
    biped.forearmFollow = shape.forearmFollow;
    return biped;
}

void buildBody(SkinnedMesh& mesh, const BipedShape& shape, const Biped& biped)
{
    const std::vector<Station> stations = stationsOf(shape.body);
    std::vector<Ring> rings = ringsAlong(stations, 3, std::vector<int>(stations.size() - 1, 0));
    bindByX(rings, midlineBounds(shape, biped));
    mesh.addTube("body", rings, 12, shape.bodyCap, shape.bodyCap, bodySkin(shape.skinPerUnit));
}

void buildLimbs(SkinnedMesh& mesh, const BipedShape& shape, const Biped& biped, int jointCount)
{
    const size_t firstVertex = mesh.vertexCount();
    const size_t firstTriangle = mesh.triangleCount();
    const Vec outward(0, 0, -1);
    const std::array<double, 3>& leg = shape.legRadii;
    const std::array<double, 3>& arm = shape.armRadii;
    addLimbTube(mesh, biped.legs[0], shape.hip, shape.knee, shape.ankle, leg[0], leg[1], leg[2],
                outward, 0.0, shape.skinPerUnit);
    buildFoot(mesh, shape, biped.legs[0]);
    addLimbTube(mesh, biped.arms[0], shape.shoulder, shape.elbow, shape.wrist, arm[0], arm[1],
                arm[2], outward, 0.3, shape.skinPerUnit, 7);
    buildHand(mesh, shape, biped.arms[0]);
    mesh.mirrorSince(
        firstVertex, firstTriangle, 2,
        leftToRight(jointCount, {biped.legs[0], biped.arms[0]}, {biped.legs[1], biped.arms[1]}));
}
} // namespace

void BipedMotion::swingWholeTail(double yaw)
{
    std::fill(std::begin(tailYaw), std::end(tailYaw), yaw);
}

Biped buildBiped(Creature& creature, const BipedShape& shape,
                 void (*buildHead)(SkinnedMesh& mesh, const Biped& biped))
{
    const Biped biped = buildSkeleton(creature.rig, shape);
    buildBody(creature.mesh, shape, biped);
    buildHead(creature.mesh, biped);
    buildLimbs(creature.mesh, shape, biped, creature.rig.size());
    creature.feet = {biped.legs[0].foot, biped.legs[1].foot};
    return biped;
}

void applyBipedMotion(const Biped& biped, const BipedMotion& m, Pose& pose)
{
    pose[size_t(biped.pelvis)].translation = m.pelvisShift;
    pose[size_t(biped.pelvis)].rotation = Vec(0, 0, m.pelvisPitch);
    pose[size_t(biped.spine)].rotation = Vec(0, 0, m.spinePitch);
    pose[size_t(biped.neck)].rotation = Vec(0, m.neckYaw, m.neckPitch);
    pose[size_t(biped.head)].rotation = Vec(m.headRoll, m.headYaw, m.headPitch);
    pose[size_t(biped.jaw)].rotation = Vec(0, 0, -m.jawOpen);
    for (int i = 0; i < 4; ++i)
    {
        pose[size_t(biped.tail[i])].rotation = Vec(0, m.tailYaw[i], m.tailPitch);
    }
    for (int side = 0; side < 2; ++side)
    {
        const double swing = m.armSwing[side];
        pose[size_t(biped.arms[side].upper)].rotation = Vec(0, 0, swing);
        pose[size_t(biped.arms[side].lower)].rotation = Vec(0, 0, biped.forearmFollow * swing);
    }
}
