// A generated animal: skeleton, skinned surface, animation clips and skin, turned into an MS3D
// model, with the measurements the park relies on (extent from the placed origin, the height of
// the feet, seamless loops).
#pragma once

#include "meshbuilder.h"
#include "ms3dwriter.h"
#include "rig.h"

#include <functional>
#include <string>
#include <vector>

const double kFramesPerSecond = 24.0;

// Frames first ... last (inclusive) of one behaviour; pose(frame) must give the same pose at
// both ends so that the clip loops.
struct Clip
{
    std::string name;
    int first = 0;
    int last = 0;
    // Fills in the pose at a frame; gets a rest pose to start from.
    std::function<void(const Rig& rig, double frame, Pose& pose)> pose;
};

struct Creature
{
    std::string name;        // for messages
    std::string textureName; // the material's skin, next to the model file
    Rig rig;
    SkinnedMesh mesh;
    std::vector<Clip> clips;
    std::vector<int> feet;      // joints whose vertices stand on the ground at rest
    bool facesBackward = false; // built facing +x, stored facing -x
    // The model as built is stored shrunk (or grown) by this factor about (0, sizeCentreY, 0);
    // clips are designed at the built size.
    double sizeFactor = 1.0;
    double sizeCentreY = 0.0;

    // Pose at a frame of the clip that covers it (the first such clip); the rest pose in gaps.
    Pose poseAtFrame(int frame) const;
    // Model-space vertex positions in a pose, as the park places them (front/back turn
    // included).
    std::vector<Vec> posedVertices(const Pose& pose) const;
    Ms3dModel toMs3d() const;

private:
    Vec storedPoint(const Vec& p) const;
    Vec storedOffset(const Vec& v) const;
};

struct CreatureFigures
{
    double largestReach = 0.0;    // greatest distance of any vertex from the origin, any frame
    double restFootLow = 0.0;     // lowest foot vertex at rest (first frame of the first clip)
    double largestLoopJump = 0.0; // greatest vertex move between a clip's first and last frame
    double lowestFoot = 0.0;      // lowest foot vertex over all frames
    double lowestBody = 0.0;      // lowest vertex of anything but the feet over all frames
    Vec low, high;                // bounding box over all frames
    Vec restLow, restHigh;        // bounding box at rest (first frame of the first clip)
    int reachFrame = 0;           // where the largest reach occurs
    Vec reachPoint;
};

CreatureFigures measureCreature(const Creature& creature);
