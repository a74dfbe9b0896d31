// Writing skeletal models as MS3D files (version 4): the format the park's model reader takes.
// The generators describe a model in memory with plain containers; the writer packs it into the
// little-endian, unpadded records of the file.
#pragma once

#include <string>
#include <vector>

struct Ms3dVertex
{
    float position[3] = {0.0f, 0.0f, 0.0f};
    int joint = -1; // -1 = static; otherwise 0 ... 127, an index into the joint list
};

struct Ms3dTriangle
{
    int vertices[3] = {0, 0, 0}; // counter-clockwise seen from the front
    float normals[3][3] = {};    // one per corner
    float s[3] = {0.0f, 0.0f, 0.0f};
    float t[3] = {0.0f, 0.0f, 0.0f}; // as stored in the file: the reader hands out 1 - t
    int smoothingGroup = 1;
    int group = 0;
};

struct Ms3dGroup
{
    std::string name;           // at most 31 characters
    std::vector<int> triangles; // indices into the triangle list
    int material = -1;          // -1 = none; otherwise 0 ... 127
};

struct Ms3dMaterial
{
    std::string name; // at most 31 characters
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float emissive[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;
    float transparency = 1.0f;
    std::string texture;  // at most 127 characters; ".\name.tga" is relative to the model
    std::string alphaMap; // at most 127 characters
};

struct Ms3dKey
{
    float time = 0.0f; // seconds
    float value[3] = {0.0f, 0.0f, 0.0f};
};

struct Ms3dJoint
{
    std::string name;   // at most 31 characters, unique
    std::string parent; // empty for a root; otherwise the name of an earlier joint
    float rotation[3] = {0.0f, 0.0f, 0.0f}; // bind pose relative to the parent, Euler XYZ radians
    float translation[3] = {0.0f, 0.0f, 0.0f}; // bind pose relative to the parent
    std::vector<Ms3dKey> rotationKeys;         // offsets in the bind frame, ascending times
    std::vector<Ms3dKey> translationKeys;
};

struct Ms3dModel
{
    std::vector<Ms3dVertex> vertices;
    std::vector<Ms3dTriangle> triangles;
    std::vector<Ms3dGroup> groups;
    std::vector<Ms3dMaterial> materials;
    float framesPerSecond = 24.0f;
    float currentTime = 0.0f;
    int totalFrames = 0;
    std::vector<Ms3dJoint> joints;
};

// Empty when the model can be written; otherwise what is wrong with it (a count beyond the
// format's 16-bit fields, an index out of range, a name too long for its field, a parent that is
// not listed before its child, key times that go backwards).
std::string validateMs3d(const Ms3dModel& model);
// The whole file. The model must be valid (validateMs3d): names are cut to their fields and
// indices wrapped otherwise.
std::vector<unsigned char> encodeMs3d(const Ms3dModel& model);
// Validates and writes; false, with one line "<path>: <problem>" on stderr, on failure.
bool writeMs3d(const std::string& path, const Ms3dModel& model);
