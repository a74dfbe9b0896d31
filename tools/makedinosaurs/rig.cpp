// Forward kinematics of the generated skeletons and the two-bone leg solver.
#include "rig.h"

#include <cassert>

int Rig::addJoint(const std::string& name, int parent, const Vec& bindPosition)
{
    assert(parent < int(m_joints.size()));
    m_joints.push_back(RigJoint{name, parent, bindPosition});
    return int(m_joints.size()) - 1;
}

int Rig::find(const std::string& name) const
{
    for (size_t i = 0; i < m_joints.size(); ++i)
    {
        if (m_joints[i].name == name)
        {
            return int(i);
        }
    }
    return -1;
}

std::vector<JointFrame> Rig::solve(const Pose& pose) const
{
    std::vector<JointFrame> frames(m_joints.size());
    for (size_t i = 0; i < m_joints.size(); ++i)
    {
        const RigJoint& joint = m_joints[i];
        const JointPose& key = pose[i];
        const Rot local = eulerXYZ(key.rotation);
        if (joint.parent < 0)
        {
            frames[i].rotation = local;
            frames[i].position = joint.bindPosition + key.translation;
            continue;
        }
        const JointFrame& parentFrame = frames[size_t(joint.parent)];
        const Vec offset = joint.bindPosition - m_joints[size_t(joint.parent)].bindPosition;
        frames[i].rotation = parentFrame.rotation * local;
        frames[i].position =
            parentFrame.position + parentFrame.rotation * (offset + key.translation);
    }
    return frames;
}

Vec Rig::place(const std::vector<JointFrame>& frames, const RigJoint& joint, int jointIndex,
               const Vec& bindPoint)
{
    const JointFrame& frame = frames[size_t(jointIndex)];
    return frame.position + frame.rotation * (bindPoint - joint.bindPosition);
}

void Rig::turnHalfway()
{
    for (RigJoint& joint : m_joints)
    {
        joint.bindPosition =
            Vec(-joint.bindPosition.x, joint.bindPosition.y, -joint.bindPosition.z);
    }
}

namespace
{
double planarAngle(const Vec& from, const Vec& to)
{
    return std::atan2(to.y - from.y, to.x - from.x);
}

// Sum of the z rotations from the root down to `joint` inclusive.
double accumulatedTurn(const Rig& rig, int joint, const Pose& pose)
{
    double turn = 0.0;
    for (int j = joint; j >= 0; j = rig.joint(j).parent)
    {
        turn += pose[size_t(j)].rotation.z;
    }
    return turn;
}
} // namespace

void reachWithLeg(const Rig& rig, const Leg& leg, Vec anklePosition, double footPitch, Pose& pose)
{
    const RigJoint& upper = rig.joint(leg.upper);
    const RigJoint& lower = rig.joint(leg.lower);
    const RigJoint& foot = rig.joint(leg.foot);
    const double parentTurn = accumulatedTurn(rig, upper.parent, pose);
    pose[size_t(leg.upper)].rotation.z = 0.0;
    pose[size_t(leg.lower)].rotation.z = 0.0;
    const Vec hip = rig.solve(pose)[size_t(leg.upper)].position;

    const double upperLength = std::hypot(lower.bindPosition.x - upper.bindPosition.x,
                                          lower.bindPosition.y - upper.bindPosition.y);
    const double lowerLength = std::hypot(foot.bindPosition.x - lower.bindPosition.x,
                                          foot.bindPosition.y - lower.bindPosition.y);
    Vec reach(anklePosition.x - hip.x, anklePosition.y - hip.y, 0.0);
    double distance = length(reach);
    const double longest = (upperLength + lowerLength) * 0.999;
    const double shortest = std::fabs(upperLength - lowerLength) * 1.001 + 1e-6;
    if (distance > longest)
    {
        reach = reach * (longest / distance);
        distance = longest;
    }
    if (distance < shortest)
    {
        reach = normalized(reach) * shortest;
        distance = shortest;
    }
    const double towardsAnkle = std::atan2(reach.y, reach.x);
    const double cosine =
        (upperLength * upperLength + distance * distance - lowerLength * lowerLength) /
        (2.0 * upperLength * distance);
    const double spread = std::acos(cosine < -1.0 ? -1.0 : (cosine > 1.0 ? 1.0 : cosine));
    // Reaching down (angle near -90 degrees), adding the spread swings the knee towards +x.
    const double upperAngle = towardsAnkle + (leg.bendsForward ? spread : -spread);
    const Vec knee(hip.x + upperLength * std::cos(upperAngle),
                   hip.y + upperLength * std::sin(upperAngle), 0.0);
    const double lowerAngle = std::atan2(hip.y + reach.y - knee.y, hip.x + reach.x - knee.x);

    const double upperTurn =
        upperAngle - planarAngle(upper.bindPosition, lower.bindPosition) - parentTurn;
    const double lowerTurn =
        lowerAngle - planarAngle(lower.bindPosition, foot.bindPosition) - parentTurn - upperTurn;
    pose[size_t(leg.upper)].rotation.z = upperTurn;
    pose[size_t(leg.lower)].rotation.z = lowerTurn;
    pose[size_t(leg.foot)].rotation.z = footPitch - parentTurn - upperTurn - lowerTurn;
}
