// Skeletal models: the bind pose, posing from keyframes on the model's own clock, and skinned
// immediate-mode drawing.
#include "creatures/model.h"

#include "formats/loadreport.h"
#include "formats/tgareader.h"
#include "math/vector.h"
#include "platform/timer.h"
#include "world/texture.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cassert>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>

namespace
{
const double kFramesPerSecond = 24.0;

double frameTime(float frame)
{
    return double(frame) / kFramesPerSecond * 1000.0;
}

void copy3(float* target, const float* source)
{
    target[0] = source[0];
    target[1] = source[1];
    target[2] = source[2];
}

// The files' counts are 16-bit, so a size always fits; indices read from them are ints.
template <class T> int countOf(const std::vector<T>& items)
{
    return int(items.size());
}

// First key at or after `time`, searching forward from the cursor, which is left there.
int advanceCursor(const std::vector<Keyframe>& keys, int& cursor, double time)
{
    const int count = countOf(keys);
    int frame = cursor;
    while (frame < count && keys[size_t(frame)].m_time < time)
    {
        ++frame;
    }
    cursor = frame;
    return frame;
}

void interpolate(const Keyframe& prev, const Keyframe& cur, double time, float* result)
{
    // Differences in double: the float key times subtract exactly, so the fraction stays in
    // [0, 1] whenever prev.m_time < time <= cur.m_time.
    const double timeDelta = double(cur.m_time) - double(prev.m_time);
    const float interpValue = float((time - double(prev.m_time)) / timeDelta);
    assert(interpValue >= 0 && interpValue <= 1);
    for (int i = 0; i < 3; ++i)
    {
        result[i] = prev.m_value[i] + (cur.m_value[i] - prev.m_value[i]) * interpValue;
    }
}

// One channel's value at `time`: the first key before the keys start, the last after they end,
// else between the two keys around it. The channel must have a key.
void channelValue(const std::vector<Keyframe>& keys, int& cursor, double time, float* result)
{
    const int frame = advanceCursor(keys, cursor, time);
    if (frame == 0)
    {
        copy3(result, keys[0].m_value);
    }
    else if (frame == countOf(keys))
    {
        copy3(result, keys[size_t(frame) - 1].m_value);
    }
    else
    {
        assert(frame > 0 && frame < countOf(keys));
        interpolate(keys[size_t(frame) - 1], keys[size_t(frame)], time, result);
    }
}
} // namespace

Model::Model() : m_timer(createTimer())
{
    rewind();
}

Model::~Model()
{
    clear();
}

void Model::clear()
{
    releaseMaterialTextures();
    // Fresh vectors rather than cleared ones, so that an emptied model gives its memory back.
    m_meshes = std::vector<Mesh>();
    m_materials = std::vector<Material>();
    m_triangles = std::vector<Triangle>();
    m_vertices = std::vector<Vertex>();
    removeSkeleton();
    m_reportedTextureFailures.clear();
    m_readSkins = std::vector<ReadSkin>();
    m_sharedCorners = std::vector<SharedCorner>();
    m_cornerIndices = std::vector<unsigned>();
}

void Model::removeSkeleton()
{
    m_joints = std::vector<Joint>();
    m_jointOrder.clear();
    for (Vertex& vertex : m_vertices)
    {
        vertex.m_joint = -1;
    }
}

void Model::setFrameRange(float start, float end)
{
    m_startFrame = start;
    m_endFrame = end;
}

void Model::holdClock(bool held)
{
    if (held == m_clockHeld || !m_timer)
    {
        m_clockHeld = held;
        return;
    }
    m_clockHeld = held;
    if (held)
    {
        m_timer->pause();
    }
    else
    {
        m_timer->resume();
    }
}

float Model::clockFrame() const
{
    const double span = double(m_endFrame) - double(m_startFrame);
    double frames = (m_timer ? m_timer->getElapsedTime() : 0.0) * kFramesPerSecond / 1000.0;
    if (span > 0.0 && frames > span)
    {
        frames = std::fmod(frames, span);
    }
    return float(double(m_startFrame) + frames);
}

void Model::setKeyframe(int jointIndex, int keyframeIndex, float time, const float* value,
                        bool isRotation)
{
    assert(jointIndex >= 0 && jointIndex < countOf(m_joints));
    Joint& joint = m_joints[size_t(jointIndex)];
    std::vector<Keyframe>& keys =
        isRotation ? joint.m_rotationKeyframes : joint.m_translationKeyframes;
    assert(keyframeIndex >= 0 && keyframeIndex < countOf(keys));
    Keyframe& key = keys[size_t(keyframeIndex)];
    key.m_jointIndex = jointIndex;
    key.m_time = time;
    copy3(key.m_value, value);
}

bool Model::findJointOrder(std::vector<int>& order, int& badJoint) const
{
    // Each joint is placed after walking up to the nearest placed ancestor (or a root) and
    // placing the chain from the top down. A joint met twice on one walk closes a cycle.
    enum State : char
    {
        Unvisited,
        OnWalk,
        Placed
    };
    const int jointCount = countOf(m_joints);
    std::vector<char> state(m_joints.size(), Unvisited);
    std::vector<int> walk;
    order.clear();
    order.reserve(m_joints.size());
    for (int start = 0; start < jointCount; ++start)
    {
        walk.clear();
        int joint = start;
        while (joint != -1 && state[size_t(joint)] != Placed)
        {
            if (state[size_t(joint)] == OnWalk)
            {
                badJoint = joint;
                return false;
            }
            state[size_t(joint)] = OnWalk;
            walk.push_back(joint);
            const int parent = m_joints[size_t(joint)].m_parentIndex;
            if (parent < -1 || parent >= jointCount)
            {
                badJoint = joint;
                return false;
            }
            joint = parent;
        }
        for (auto it = walk.rbegin(); it != walk.rend(); ++it)
        {
            state[size_t(*it)] = Placed;
            order.push_back(*it);
        }
    }
    return true;
}

bool Model::checkStructure(const char* name)
{
    std::string problem;
    // The meshes first: with a bad index there nothing is safe to draw, while a bad skeleton
    // still leaves the meshes to draw unposed.
    if (!checkMeshIndices(problem))
    {
        reportLoadFailure(name, problem, kModelNotDrawn);
        clear();
        return false;
    }
    if (!checkSkeletonIndices(problem))
    {
        reportLoadFailure(name, problem, kModelDrawnStill);
        removeSkeleton();
        return false;
    }
    return true;
}

bool Model::checkMeshIndices(std::string& problem)
{
    const int vertexCount = countOf(m_vertices);
    const int triangleCount = countOf(m_triangles);
    for (int i = 0; i < triangleCount; ++i)
    {
        for (int vertex : m_triangles[size_t(i)].m_cornerVertices)
        {
            if (vertex < 0 || vertex >= vertexCount)
            {
                return refuse(problem, "triangle %d uses vertex %d, but there are %d vertices", i,
                              vertex, vertexCount);
            }
        }
    }
    for (int i = 0; i < countOf(m_meshes); ++i)
    {
        Mesh& mesh = m_meshes[size_t(i)];
        for (int triangle : mesh.m_triangleList)
        {
            if (triangle < 0 || triangle >= triangleCount)
            {
                return refuse(problem, "group %d lists triangle %d, but there are %d triangles", i,
                              triangle, triangleCount);
            }
        }
        // A material that does not exist only loses the mesh its (unused) material.
        if (mesh.m_material < -1 || mesh.m_material >= countOf(m_materials))
        {
            mesh.m_material = -1;
        }
    }
    return true;
}

bool Model::checkSkeletonIndices(std::string& problem)
{
    const int jointCount = countOf(m_joints);
    for (int i = 0; i < countOf(m_vertices); ++i)
    {
        const int joint = m_vertices[size_t(i)].m_joint;
        if (joint < -1 || joint >= jointCount)
        {
            return refuse(problem, "vertex %d follows joint %d, but there are %d joints", i, joint,
                          jointCount);
        }
    }
    std::vector<int> order;
    int badJoint = -1;
    if (!findJointOrder(order, badJoint))
    {
        return refuse(problem, "joint %d has parent %d: the parents do not form a tree", badJoint,
                      m_joints[size_t(badJoint)].m_parentIndex);
    }
    m_jointOrder.swap(order);
    return true;
}

int Model::jointAtStep(int step) const
{
    return m_jointOrder.size() == m_joints.size() ? m_jointOrder[size_t(step)] : step;
}

const Matrix4* Model::parentFinal(const Joint& joint) const
{
    const int parent = joint.m_parentIndex;
    if (parent < 0 || parent >= countOf(m_joints))
    {
        return nullptr;
    }
    return &m_joints[size_t(parent)].m_final;
}

void Model::prepareSkeleton()
{
    if (m_jointOrder.size() != m_joints.size())
    {
        int badJoint = -1;
        if (!findJointOrder(m_jointOrder, badJoint))
        {
            m_jointOrder.clear();
        }
    }
    const int jointCount = countOf(m_joints);
    for (int step = 0; step < jointCount; ++step)
    {
        Joint& joint = m_joints[size_t(jointAtStep(step))];
        joint.m_relative.setRotationXYZ(joint.m_bindRotation);
        joint.m_relative.setTranslation(joint.m_bindTranslation);
        const int parent = joint.m_parentIndex;
        if (parent < 0 || parent >= jointCount)
        {
            joint.m_absolute.assign(joint.m_relative);
        }
        else
        {
            joint.m_absolute.assign(m_joints[size_t(parent)].m_absolute);
            joint.m_absolute.multiplyAffine(joint.m_relative);
        }
        joint.m_final.assign(joint.m_absolute);
    }

    for (Vertex& vertex : m_vertices)
    {
        if (vertex.m_joint >= 0 && vertex.m_joint < jointCount)
        {
            const Matrix4& bind = m_joints[size_t(vertex.m_joint)].m_absolute;
            bind.untranslate(vertex.m_position);
            bind.unrotate(vertex.m_position);
        }
    }

    for (Triangle& triangle : m_triangles)
    {
        for (int k = 0; k < 3; ++k)
        {
            const int vertex = triangle.m_cornerVertices[k];
            if (vertex < 0 || vertex >= countOf(m_vertices))
            {
                continue;
            }
            const int joint = m_vertices[size_t(vertex)].m_joint;
            if (joint >= 0 && joint < jointCount)
            {
                m_joints[size_t(joint)].m_absolute.unrotate(triangle.m_normals[k]);
            }
        }
    }
    shareCorners();
}

void Model::rewind()
{
    for (Joint& joint : m_joints)
    {
        joint.m_rotationCursor = 0;
        joint.m_translationCursor = 0;
        joint.m_final.assign(joint.m_absolute);
    }
    m_lastPoseTime = -DBL_MAX;
    if (m_timer)
    {
        m_timer->reset();
    }
}

void Model::poseJoint(Joint* pJoint, double time)
{
    const Matrix4* pParentFinal = parentFinal(*pJoint);
    Matrix4 relativeFinal;
    relativeFinal.assign(pJoint->m_relative);

    if (!pJoint->m_rotationKeyframes.empty() || !pJoint->m_translationKeyframes.empty())
    {
        // An empty channel contributes nothing: zero offset, zero rotation.
        float transVec[3] = {0.0f, 0.0f, 0.0f};
        if (!pJoint->m_translationKeyframes.empty())
        {
            channelValue(pJoint->m_translationKeyframes, pJoint->m_translationCursor, time,
                         transVec);
        }

        float rotVec[3] = {0.0f, 0.0f, 0.0f};
        if (!pJoint->m_rotationKeyframes.empty())
        {
            channelValue(pJoint->m_rotationKeyframes, pJoint->m_rotationCursor, time, rotVec);
        }

        Matrix4 transform;
        transform.setRotationXYZ(rotVec);
        transform.setTranslation(transVec);
        relativeFinal.multiplyAffine(transform);
    }

    if (pParentFinal)
    {
        pJoint->m_final.assign(*pParentFinal);
        pJoint->m_final.multiplyAffine(relativeFinal);
    }
    else
    {
        pJoint->m_final.assign(relativeFinal);
    }
}

void Model::updatePose()
{
    double time = (m_timer ? m_timer->getElapsedTime() : 0.0) + frameTime(m_startFrame);
    if (frameTime(m_endFrame) < time)
    {
        rewind();
        time = frameTime(m_startFrame);
    }
    // The key searches only move forward; a caller that moved the range back without a rewind
    // must not leave them past the keys of the new time.
    if (time < m_lastPoseTime)
    {
        for (Joint& joint : m_joints)
        {
            joint.m_rotationCursor = 0;
            joint.m_translationCursor = 0;
        }
    }
    m_lastPoseTime = time;
    const int jointCount = countOf(m_joints);
    for (int step = 0; step < jointCount; ++step)
    {
        poseJoint(&m_joints[size_t(jointAtStep(step))], time);
    }
}

void Model::shareCorners()
{
    m_sharedCorners.clear();
    m_cornerIndices.clear();
    // Compared bit for bit: corners alike to the bit are drawn alike.
    using CornerKey = std::array<uint32_t, 5>;
    std::map<std::pair<int, CornerKey>, unsigned> indexOf;
    for (const Mesh& mesh : m_meshes)
    {
        for (int triangleIndex : mesh.m_triangleList)
        {
            const Triangle& triangle = m_triangles[size_t(triangleIndex)];
            for (int k = 0; k < 3; ++k)
            {
                SharedCorner corner;
                corner.m_vertex = triangle.m_cornerVertices[k];
                std::copy(triangle.m_normals[k], triangle.m_normals[k] + 3, corner.m_normal);
                corner.m_texCoord[0] = triangle.m_texS[k];
                corner.m_texCoord[1] = triangle.m_texT[k];
                CornerKey key;
                std::memcpy(key.data(), corner.m_normal, sizeof corner.m_normal);
                std::memcpy(key.data() + 3, corner.m_texCoord, sizeof corner.m_texCoord);
                const auto found = indexOf.emplace(std::make_pair(corner.m_vertex, key),
                                                   unsigned(m_sharedCorners.size()));
                if (found.second)
                {
                    m_sharedCorners.push_back(corner);
                }
                m_cornerIndices.push_back(found.first->second);
            }
        }
    }
}

void Model::skinCorners()
{
    size_t corners = 0;
    for (const Mesh& mesh : m_meshes)
    {
        corners += mesh.m_triangleList.size() * 3;
    }
    if (corners != m_cornerIndices.size())
    {
        shareCorners();
    }
    // Grown on the first draw after a load only; every later frame writes over the same arrays.
    const size_t shared = m_sharedCorners.size();
    m_cornerPositions.resize(shared * 3);
    m_cornerNormals.resize(shared * 3);
    m_cornerTexCoords.resize(shared * 2);
    for (size_t i = 0; i < shared; ++i)
    {
        const SharedCorner& corner = m_sharedCorners[i];
        const Vertex& vertex = m_vertices[size_t(corner.m_vertex)];
        Vector3 normal(corner.m_normal);
        Vector3 position(vertex.m_position);
        if (vertex.m_joint != -1)
        {
            const float* pose = m_joints[size_t(vertex.m_joint)].m_final.m;
            normal.rotate(pose);
            normal.normalize();
            position.transform(pose);
        }
        for (int axis = 0; axis < 3; ++axis)
        {
            m_cornerNormals[i * 3 + size_t(axis)] = normal[axis];
            m_cornerPositions[i * 3 + size_t(axis)] = position[axis];
        }
        m_cornerTexCoords[i * 2] = corner.m_texCoord[0];
        m_cornerTexCoords[i * 2 + 1] = corner.m_texCoord[1];
    }
}

void Model::draw()
{
    updatePose();
    skinCorners();
    if (m_cornerPositions.empty())
    {
        return;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, m_cornerPositions.data());
    glNormalPointer(GL_FLOAT, 0, m_cornerNormals.data());
    glTexCoordPointer(2, GL_FLOAT, 0, m_cornerTexCoords.data());
    // The meshes share one texture and one state: their triangles, in order, are one draw.
    glDrawElements(GL_TRIANGLES, GLsizei(m_cornerIndices.size()), GL_UNSIGNED_INT,
                   m_cornerIndices.data());
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void Model::releaseMaterialTextures()
{
    for (Material& material : m_materials)
    {
        if (material.m_textureName != 0)
        {
            glDeleteTextures(1, &material.m_textureName);
            material.m_textureName = 0;
        }
    }
}

void Model::readMaterialImages()
{
    m_readSkins.assign(m_materials.size(), ReadSkin());
    for (size_t i = 0; i < m_materials.size(); ++i)
    {
        const std::string& path = m_materials[i].m_texturePath;
        ReadSkin& skin = m_readSkins[i];
        skin.read = !path.empty() && readTgaFile(&skin.image, path.c_str(), skin.reason);
    }
}

void Model::loadMaterialTextures()
{
    releaseMaterialTextures();
    if (m_readSkins.size() != m_materials.size())
    {
        readMaterialImages();
    }
    for (size_t i = 0; i < m_materials.size(); ++i)
    {
        Material& material = m_materials[i];
        const ReadSkin& skin = m_readSkins[i];
        const std::string& path = material.m_texturePath;
        material.m_textureName = skin.read ? textureFromTga(skin.image) : 0;
        std::vector<std::string>& reported = m_reportedTextureFailures;
        if (!path.empty() && material.m_textureName == 0 &&
            std::find(reported.begin(), reported.end(), path) == reported.end())
        {
            reported.push_back(path);
            reportLoadFailure(path.c_str(), skin.reason);
        }
    }
    m_readSkins = std::vector<ReadSkin>();
}

unsigned loadTgaTexture(const char* path)
{
    std::string reason;
    const unsigned name = loadTgaTexture(path, reason);
    if (name == 0)
    {
        reportLoadFailure(path, reason);
    }
    return name;
}

unsigned loadTgaTexture(const char* path, std::string& reason)
{
    TgaImage texture;
    if (!readTgaFile(&texture, path, reason))
    {
        return 0;
    }
    return textureFromTga(texture);
}

unsigned textureFromTga(const TgaImage& texture)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    // The skins are drawn opaque: a 32-bit file's alpha has never reached the picture.
    uploadTexture(int(texture.width), int(texture.height), texture.channels(),
                  texture.pixels.data(), TextureAlpha::Dropped);
    return name;
}
