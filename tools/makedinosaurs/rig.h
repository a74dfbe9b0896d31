// The skeleton of a generated model and its posing. Every joint's bind rotation is zero, so the
// joint frames are parallel to the model axes and a key is simply a rotation (Euler XYZ) about
// the joint and an offset of its position, exactly as the park poses a model.
#pragma once

#include "geometry.h"

#include <string>
#include <vector>

struct JointPose
{
    Vec rotation;    // Euler XYZ radians, offset from the bind pose
    Vec translation; // offset of the joint's position from the bind pose
};

using Pose = std::vector<JointPose>;

struct JointFrame
{
    Rot rotation;
    Vec position;
};

struct RigJoint
{
    std::string name;
    int parent = -1;
    Vec bindPosition; // model space
};

class Rig
{
public:
    // Parents must be added before their children.
    int addJoint(const std::string& name, int parent, const Vec& bindPosition);
    // -1 when there is no such joint.
    int find(const std::string& name) const;
    int size() const { return int(m_joints.size()); }
    const RigJoint& joint(int index) const { return m_joints[size_t(index)]; }
    Pose restPose() const { return Pose(m_joints.size()); }

    // Model-space frame of every joint in the given pose.
    std::vector<JointFrame> solve(const Pose& pose) const;
    // Where a point bound to `joint`, given at its bind position, goes in the pose.
    static Vec place(const std::vector<JointFrame>& frames, const RigJoint& joint, int jointIndex,
                     const Vec& bindPoint);

    // Swaps the model's front for its back: x and z change sign, and so do the X and Z angles.
    void turnHalfway();

private:
    std::vector<RigJoint> m_joints;
};

// A leg of three joints in a chain (upper, lower, foot) that bends in the x-y plane. All the
// joints above it may turn only about z, so its motion is planar.
struct Leg
{
    int upper = -1;
    int lower = -1;
    int foot = -1;
    bool bendsForward = true; // knee in front of the line from hip to ankle (a hind leg)
};

// Writes the z rotations of the leg's joints into `pose` so that the foot joint reaches
// `anklePosition` (x and y; unreachable targets are pulled in to the leg's length) and the foot
// is turned by `footPitch` from its bind attitude. The leg's ancestors must already be set in
// `pose`.
void reachWithLeg(const Rig& rig, const Leg& leg, Vec anklePosition, double footPitch, Pose& pose);
