// What the two-legged animals have in common: the same skeleton (spine to jaw, four tail joints,
// legs and short arms), one body tube along the spine, legs standing on a long instep with three
// toe claws, clawed hands, and the whole-body motion their clips are written in. Each species
// gives its own numbers in a BipedShape and keeps its head and its clips to itself.
#pragma once

#include "creature.h"
#include "parts.h"

#include <array>
#include <vector>

// The instep runs from the ankle to the ball of the foot; the toes spread forward from the ball,
// the outer two shorter and turned out.
struct BipedFoot
{
    Vec ball;
    // The instep's half sizes at its two ends.
    double ankleUp = 0.0, ankleSide = 0.0, ballUp = 0.0, ballSide = 0.0;
    double instepCap = 0.0;
    double toeHeight = 0.0; // of the toe bases above the ground
    double toeSpacing = 0.0, toeTurn = 0.0;
    double toeLength = 0.0, outerToeShortening = 0.0, toeRadius = 0.0, toeCurl = 0.0;
};

// Claws for fingers, spread evenly either side of the line of the arm.
struct BipedHand
{
    int fingers = 0;    // 2 or 3
    double reach = 0.0; // of the finger bases beyond the wrist
    double spacing = 0.0, spread = 0.0, droop = 0.0;
    double fingerLength = 0.0, fingerRadius = 0.0;
};

// The skeleton's rest positions and the numbers of the body and limbs around it.
struct BipedShape : SkeletonLayout
{
    double groundY = 0.0;

    std::vector<BodySection> body; // tail tip to head
    double bodyCap = 0.0;
    double skinPerUnit = 0.0; // shared by the body and the limbs, so that their patterns match
    std::array<double, 3> legRadii = {}; // at hip, knee and ankle
    std::array<double, 3> armRadii = {}; // at shoulder, elbow and wrist
    BipedFoot foot;
    BipedHand hand;
    double forearmFollow = 0.0; // share of an arm's swing that the forearm adds at the elbow
};

// The joints of a built biped (its foot joint holds the long instep), and how its forearms
// follow its arms.
struct Biped : SkeletonJoints
{
    double forearmFollow = 0.0;
};

// The motion of everything above the legs, which are then solved to their feet.
struct BipedMotion
{
    Vec pelvisShift;
    double pelvisPitch = 0.0, spinePitch = 0.0;
    double neckPitch = 0.0, neckYaw = 0.0, headPitch = 0.0, headYaw = 0.0, headRoll = 0.0;
    double jawOpen = 0.0;
    double tailYaw[4] = {0, 0, 0, 0};
    double tailPitch = 0.0;
    double armSwing[2] = {0.0, 0.0};

    // For a tail held stiff, swinging as one.
    void swingWholeTail(double yaw);
};

// Adds the skeleton, then the body, the species' own head and the limbs (the model's parts come
// in that order), and gives the creature its two feet.
Biped buildBiped(Creature& creature, const BipedShape& shape,
                 void (*buildHead)(SkinnedMesh& mesh, const Biped& biped));
void applyBipedMotion(const Biped& biped, const BipedMotion& m, Pose& pose);
