// MS3D version 4 encoding: header, vertices, triangles, groups, materials, animation header and
// joints with their keys, each record packed little-endian without padding.
#include "ms3dwriter.h"

#include "bmpwriter.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <strings.h>

namespace
{
const size_t kMaxCount = 65535;
const size_t kNameField = 32;
const size_t kPathField = 128;

class Packer
{
public:
    std::vector<unsigned char> bytes;

    void u8(unsigned value) { bytes.push_back(uint8_t(value)); }
    void u16(unsigned value)
    {
        u8(value & 0xFF);
        u8((value >> 8) & 0xFF);
    }
    void i32(int32_t value)
    {
        const uint32_t bits = uint32_t(value);
        for (int shift = 0; shift < 32; shift += 8)
        {
            u8((bits >> shift) & 0xFF);
        }
    }
    void f32(float value)
    {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        i32(int32_t(bits));
    }
    void floats(const float* values, int count)
    {
        for (int i = 0; i < count; ++i)
        {
            f32(values[i]);
        }
    }
    // A NUL-padded fixed-width text field; the text is cut to leave room for the terminator.
    void text(const std::string& value, size_t width)
    {
        const size_t length = value.size() < width ? value.size() : width - 1;
        bytes.insert(bytes.end(), value.begin(), value.begin() + long(length));
        bytes.insert(bytes.end(), width - length, 0);
    }
    void keys(const std::vector<Ms3dKey>& list)
    {
        for (const Ms3dKey& key : list)
        {
            f32(key.time);
            floats(key.value, 3);
        }
    }
};

std::string tooMany(const char* what, size_t count)
{
    std::ostringstream out;
    out << count << " " << what << ", the format holds at most " << kMaxCount;
    return out.str();
}

std::string checkName(const char* what, size_t index, const std::string& name, size_t field)
{
    if (name.size() < field)
    {
        return "";
    }
    std::ostringstream out;
    out << what << " " << index << " \"" << name << "\" is " << name.size()
        << " characters long, at most " << field - 1 << " fit";
    return out.str();
}

std::string checkKeys(const Ms3dJoint& joint, const std::vector<Ms3dKey>& keys, const char* kind)
{
    if (keys.size() > kMaxCount)
    {
        return "joint \"" + joint.name + "\": " + tooMany(kind, keys.size());
    }
    for (size_t k = 1; k < keys.size(); ++k)
    {
        if (keys[k].time < keys[k - 1].time)
        {
            std::ostringstream out;
            out << "joint \"" << joint.name << "\": " << kind << " " << k << " at " << keys[k].time
                << " s comes before the previous one at " << keys[k - 1].time << " s";
            return out.str();
        }
    }
    return "";
}

std::string validateMeshes(const Ms3dModel& model)
{
    if (model.vertices.size() > kMaxCount)
    {
        return tooMany("vertices", model.vertices.size());
    }
    if (model.triangles.size() > kMaxCount)
    {
        return tooMany("triangles", model.triangles.size());
    }
    if (model.groups.size() > kMaxCount)
    {
        return tooMany("groups", model.groups.size());
    }
    if (model.materials.size() > 128)
    {
        std::ostringstream out;
        out << model.materials.size() << " materials, a group can name at most 128";
        return out.str();
    }
    if (model.joints.size() > 128)
    {
        std::ostringstream out;
        out << model.joints.size() << " joints, a vertex can name at most 128";
        return out.str();
    }
    const long numJoints = long(model.joints.size());
    for (size_t i = 0; i < model.vertices.size(); ++i)
    {
        const int joint = model.vertices[i].joint;
        if (joint < -1 || joint >= numJoints)
        {
            std::ostringstream out;
            out << "vertex " << i << " names joint " << joint << ", there are " << numJoints;
            return out.str();
        }
    }
    const long numVertices = long(model.vertices.size());
    for (size_t i = 0; i < model.triangles.size(); ++i)
    {
        const Ms3dTriangle& triangle = model.triangles[i];
        for (int corner = 0; corner < 3; ++corner)
        {
            if (triangle.vertices[corner] < 0 || triangle.vertices[corner] >= numVertices)
            {
                std::ostringstream out;
                out << "triangle " << i << " names vertex " << triangle.vertices[corner]
                    << ", there are " << numVertices;
                return out.str();
            }
        }
    }
    const long numTriangles = long(model.triangles.size());
    for (size_t g = 0; g < model.groups.size(); ++g)
    {
        const Ms3dGroup& group = model.groups[g];
        std::string problem = checkName("group", g, group.name, kNameField);
        if (!problem.empty())
        {
            return problem;
        }
        if (group.triangles.size() > kMaxCount)
        {
            return "group \"" + group.name + "\": " + tooMany("triangles", group.triangles.size());
        }
        for (int index : group.triangles)
        {
            if (index < 0 || index >= numTriangles)
            {
                std::ostringstream out;
                out << "group \"" << group.name << "\" names triangle " << index << ", there are "
                    << numTriangles;
                return out.str();
            }
        }
        if (group.material < -1 || group.material >= long(model.materials.size()))
        {
            std::ostringstream out;
            out << "group \"" << group.name << "\" names material " << group.material
                << ", there are " << model.materials.size();
            return out.str();
        }
    }
    for (size_t m = 0; m < model.materials.size(); ++m)
    {
        const Ms3dMaterial& material = model.materials[m];
        std::string problem = checkName("material", m, material.name, kNameField);
        if (problem.empty())
        {
            problem = checkName("texture of material", m, material.texture, kPathField);
        }
        if (problem.empty())
        {
            problem = checkName("alpha map of material", m, material.alphaMap, kPathField);
        }
        if (!problem.empty())
        {
            return problem;
        }
    }
    return "";
}

std::string validateJoints(const Ms3dModel& model)
{
    std::vector<std::string> earlier;
    for (size_t j = 0; j < model.joints.size(); ++j)
    {
        const Ms3dJoint& joint = model.joints[j];
        std::string problem = checkName("joint", j, joint.name, kNameField);
        if (problem.empty())
        {
            problem = checkName("parent name of joint", j, joint.parent, kNameField);
        }
        if (!problem.empty())
        {
            return problem;
        }
        // The reader matches names without regard to case.
        for (const std::string& name : earlier)
        {
            if (strcasecmp(name.c_str(), joint.name.c_str()) == 0)
            {
                return "joint name \"" + joint.name + "\" is used twice";
            }
        }
        if (!joint.parent.empty())
        {
            bool found = false;
            for (const std::string& name : earlier)
            {
                found = found || strcasecmp(name.c_str(), joint.parent.c_str()) == 0;
            }
            if (!found)
            {
                return "joint \"" + joint.name + "\" names parent \"" + joint.parent +
                       "\", which is not listed before it";
            }
        }
        problem = checkKeys(joint, joint.rotationKeys, "rotation keys");
        if (problem.empty())
        {
            problem = checkKeys(joint, joint.translationKeys, "translation keys");
        }
        if (!problem.empty())
        {
            return problem;
        }
        earlier.push_back(joint.name);
    }
    return "";
}
} // namespace

std::string validateMs3d(const Ms3dModel& model)
{
    const std::string problem = validateMeshes(model);
    return problem.empty() ? validateJoints(model) : problem;
}

std::vector<unsigned char> encodeMs3d(const Ms3dModel& model)
{
    Packer out;
    out.text("MS3D000000", 11);
    out.bytes.pop_back(); // the identifier has no terminator
    out.i32(4);

    out.u16(unsigned(model.vertices.size()));
    for (const Ms3dVertex& vertex : model.vertices)
    {
        out.u8(0);
        out.floats(vertex.position, 3);
        out.u8(unsigned(vertex.joint) & 0xFF);
        out.u8(0);
    }

    out.u16(unsigned(model.triangles.size()));
    for (const Ms3dTriangle& triangle : model.triangles)
    {
        out.u16(0);
        for (int corner = 0; corner < 3; ++corner)
        {
            out.u16(unsigned(triangle.vertices[corner]));
        }
        for (int corner = 0; corner < 3; ++corner)
        {
            out.floats(triangle.normals[corner], 3);
        }
        out.floats(triangle.s, 3);
        out.floats(triangle.t, 3);
        out.u8(unsigned(triangle.smoothingGroup));
        out.u8(unsigned(triangle.group));
    }

    out.u16(unsigned(model.groups.size()));
    for (const Ms3dGroup& group : model.groups)
    {
        out.u8(0);
        out.text(group.name, kNameField);
        out.u16(unsigned(group.triangles.size()));
        for (int index : group.triangles)
        {
            out.u16(unsigned(index));
        }
        out.u8(unsigned(group.material) & 0xFF);
    }

    out.u16(unsigned(model.materials.size()));
    for (const Ms3dMaterial& material : model.materials)
    {
        out.text(material.name, kNameField);
        out.floats(material.ambient, 4);
        out.floats(material.diffuse, 4);
        out.floats(material.specular, 4);
        out.floats(material.emissive, 4);
        out.f32(material.shininess);
        out.f32(material.transparency);
        out.u8(0);
        out.text(material.texture, kPathField);
        out.text(material.alphaMap, kPathField);
    }

    out.f32(model.framesPerSecond);
    out.f32(model.currentTime);
    out.i32(model.totalFrames);

    out.u16(unsigned(model.joints.size()));
    for (const Ms3dJoint& joint : model.joints)
    {
        out.u8(0);
        out.text(joint.name, kNameField);
        out.text(joint.parent, kNameField);
        out.floats(joint.rotation, 3);
        out.floats(joint.translation, 3);
        out.u16(unsigned(joint.rotationKeys.size()));
        out.u16(unsigned(joint.translationKeys.size()));
        out.keys(joint.rotationKeys);
        out.keys(joint.translationKeys);
    }
    return out.bytes;
}

bool writeMs3d(const std::string& path, const Ms3dModel& model)
{
    const std::string problem = validateMs3d(model);
    if (!problem.empty())
    {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), problem.c_str());
        return false;
    }
    return writeBytes(path, encodeMs3d(model));
}
