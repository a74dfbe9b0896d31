// From a generated animal to MS3D records, and its measurements.
#include "creature.h"

#include <algorithm>
#include <cfloat>

namespace
{
Vec turned(const Vec& v, bool halfway)
{
    return halfway ? Vec(-v.x, v.y, -v.z) : v;
}

void copyVec(const Vec& v, float* out)
{
    out[0] = float(v.x);
    out[1] = float(v.y);
    out[2] = float(v.z);
}

bool sameValue(const Vec& a, const Vec& b)
{
    return length(a - b) < 1e-7;
}

// One key per frame, or a single key when the channel never changes.
std::vector<Ms3dKey> channelKeys(const std::vector<int>& frames, const std::vector<Vec>& values)
{
    std::vector<Ms3dKey> keys;
    bool constant = true;
    for (const Vec& value : values)
    {
        constant = constant && sameValue(value, values.front());
    }
    for (size_t i = 0; i < frames.size(); ++i)
    {
        Ms3dKey key;
        key.time = float(frames[i] / kFramesPerSecond);
        copyVec(values[i], key.value);
        keys.push_back(key);
        if (constant)
        {
            break;
        }
    }
    return keys;
}
} // namespace

Vec Creature::storedPoint(const Vec& p) const
{
    const Vec centre(0, sizeCentreY, 0);
    return turned(centre + (p - centre) * sizeFactor, facesBackward);
}

Vec Creature::storedOffset(const Vec& v) const
{
    return turned(v * sizeFactor, facesBackward);
}

Pose Creature::poseAtFrame(int frame) const
{
    Pose pose = rig.restPose();
    for (const Clip& clip : clips)
    {
        if (frame >= clip.first && frame <= clip.last)
        {
            clip.pose(rig, double(frame), pose);
            break;
        }
    }
    return pose;
}

std::vector<Vec> Creature::posedVertices(const Pose& pose) const
{
    const std::vector<JointFrame> frames = rig.solve(pose);
    std::vector<Vec> out;
    out.reserve(mesh.vertices().size());
    for (const SkinnedVertex& vertex : mesh.vertices())
    {
        const Vec p = vertex.joint < 0 ? vertex.position
                                       : Rig::place(frames, rig.joint(vertex.joint), vertex.joint,
                                                    vertex.position);
        out.push_back(storedPoint(p));
    }
    return out;
}

Ms3dModel Creature::toMs3d() const
{
    Ms3dModel model;
    for (const SkinnedVertex& vertex : mesh.vertices())
    {
        Ms3dVertex out;
        copyVec(storedPoint(vertex.position), out.position);
        out.joint = vertex.joint;
        model.vertices.push_back(out);
    }
    model.groups.resize(mesh.groups().size());
    for (size_t g = 0; g < mesh.groups().size(); ++g)
    {
        model.groups[g].name = mesh.groups()[g];
        model.groups[g].material = 0;
    }
    for (const MeshTriangle& triangle : mesh.triangles())
    {
        Ms3dTriangle out;
        for (int k = 0; k < 3; ++k)
        {
            const MeshCorner& corner = triangle.corners[k];
            out.vertices[k] = corner.vertex;
            copyVec(turned(mesh.vertices()[size_t(corner.vertex)].normal, facesBackward),
                    out.normals[k]);
            out.s[k] = float(corner.s);
            out.t[k] = float(1.0 - corner.t); // the file counts t from the image's top
        }
        out.group = triangle.group;
        model.groups[size_t(triangle.group)].triangles.push_back(int(model.triangles.size()));
        model.triangles.push_back(out);
    }

    Ms3dMaterial material;
    material.name = name + " skin";
    material.ambient[0] = material.ambient[1] = material.ambient[2] = 0.6f;
    material.diffuse[0] = material.diffuse[1] = material.diffuse[2] = 0.9f;
    material.texture = ".\\" + textureName;
    model.materials.push_back(material);

    std::vector<int> frames;
    for (const Clip& clip : clips)
    {
        for (int f = clip.first; f <= clip.last; ++f)
        {
            if (frames.empty() || f > frames.back())
            {
                frames.push_back(f);
            }
        }
    }
    std::vector<Pose> poses;
    for (int f : frames)
    {
        poses.push_back(poseAtFrame(f));
    }
    model.framesPerSecond = float(kFramesPerSecond);
    model.totalFrames = frames.empty() ? 0 : frames.back();
    for (int j = 0; j < rig.size(); ++j)
    {
        const RigJoint& joint = rig.joint(j);
        Ms3dJoint out;
        out.name = joint.name;
        Vec offset = storedPoint(joint.bindPosition);
        if (joint.parent >= 0)
        {
            out.parent = rig.joint(joint.parent).name;
            offset = storedOffset(joint.bindPosition - rig.joint(joint.parent).bindPosition);
        }
        copyVec(offset, out.translation);
        std::vector<Vec> rotations, translations;
        for (const Pose& pose : poses)
        {
            const Vec r = pose[size_t(j)].rotation;
            // Turning the model about y turns rotations about x and z the other way.
            rotations.push_back(facesBackward ? Vec(-r.x, r.y, -r.z) : r);
            translations.push_back(storedOffset(pose[size_t(j)].translation));
        }
        out.rotationKeys = channelKeys(frames, rotations);
        out.translationKeys = channelKeys(frames, translations);
        model.joints.push_back(out);
    }
    return model;
}

CreatureFigures measureCreature(const Creature& creature)
{
    CreatureFigures figures;
    figures.low = Vec(DBL_MAX, DBL_MAX, DBL_MAX);
    figures.high = Vec(-DBL_MAX, -DBL_MAX, -DBL_MAX);
    figures.lowestFoot = DBL_MAX;
    figures.lowestBody = DBL_MAX;
    auto isFoot = [&](int joint)
    { return std::find(creature.feet.begin(), creature.feet.end(), joint) != creature.feet.end(); };
    auto lowestFootIn = [&](const std::vector<Vec>& positions)
    {
        double lowest = DBL_MAX;
        for (size_t v = 0; v < positions.size(); ++v)
        {
            if (isFoot(creature.mesh.vertices()[v].joint))
            {
                lowest = std::min(lowest, positions[v].y);
            }
        }
        return lowest;
    };
    for (const Clip& clip : creature.clips)
    {
        for (int f = clip.first; f <= clip.last; ++f)
        {
            const std::vector<Vec> positions = creature.posedVertices(creature.poseAtFrame(f));
            for (const Vec& p : positions)
            {
                if (length(p) > figures.largestReach)
                {
                    figures.largestReach = length(p);
                    figures.reachFrame = f;
                    figures.reachPoint = p;
                }
                figures.low = Vec(std::min(figures.low.x, p.x), std::min(figures.low.y, p.y),
                                  std::min(figures.low.z, p.z));
                figures.high = Vec(std::max(figures.high.x, p.x), std::max(figures.high.y, p.y),
                                   std::max(figures.high.z, p.z));
            }
            figures.lowestFoot = std::min(figures.lowestFoot, lowestFootIn(positions));
            for (size_t v = 0; v < positions.size(); ++v)
            {
                if (!isFoot(creature.mesh.vertices()[v].joint))
                {
                    figures.lowestBody = std::min(figures.lowestBody, positions[v].y);
                }
            }
        }
        Pose first = creature.rig.restPose(), last = creature.rig.restPose();
        clip.pose(creature.rig, clip.first, first);
        clip.pose(creature.rig, clip.last, last);
        const std::vector<Vec> a = creature.posedVertices(first);
        const std::vector<Vec> b = creature.posedVertices(last);
        for (size_t v = 0; v < a.size(); ++v)
        {
            figures.largestLoopJump = std::max(figures.largestLoopJump, length(a[v] - b[v]));
        }
    }
    if (!creature.clips.empty())
    {
        const std::vector<Vec> rest =
            creature.posedVertices(creature.poseAtFrame(creature.clips[0].first));
        figures.restFootLow = lowestFootIn(rest);
        figures.restLow = figures.restHigh = rest.front();
        for (const Vec& p : rest)
        {
            figures.restLow =
                Vec(std::min(figures.restLow.x, p.x), std::min(figures.restLow.y, p.y),
                    std::min(figures.restLow.z, p.z));
            figures.restHigh =
                Vec(std::max(figures.restHigh.x, p.x), std::max(figures.restHigh.y, p.y),
                    std::max(figures.restHigh.z, p.z));
        }
    }
    return figures;
}
