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
#include <cassert>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// First key at or after `time`, searching forward from the cursor, which is left there.
int advanceCursor(const Keyframe* keys, int count, int& cursor, double time)
{
    int frame = cursor;
    while (frame < count && keys[frame].m_time < time)
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
} // namespace

Model::Model() : m_pTimer(createTimer())
{
    rewind();
}

Model::~Model()
{
    clear();
    delete m_pTimer;
    m_pTimer = nullptr;
}

void Model::clear()
{
    releaseMaterialTextures();
    for (int i = 0; i < m_numMeshes; ++i)
    {
        delete[] m_pMeshes[i].m_pTriangleList;
    }
    for (int i = 0; i < m_numMaterials; ++i)
    {
        delete[] m_pMaterials[i].m_pTexturePath;
    }
    delete[] m_pMeshes;
    delete[] m_pMaterials;
    delete[] m_pTriangles;
    delete[] m_pVertices;
    m_numMeshes = m_numMaterials = m_numTriangles = m_numVertices = 0;
    m_pMeshes = nullptr;
    m_pMaterials = nullptr;
    m_pTriangles = nullptr;
    m_pVertices = nullptr;
    removeSkeleton();
    m_reportedTextureFailures.clear();
}

void Model::removeSkeleton()
{
    for (int i = 0; i < m_numJoints; ++i)
    {
        delete[] m_pJoints[i].m_pRotationKeyframes;
        delete[] m_pJoints[i].m_pTranslationKeyframes;
    }
    delete[] m_pJoints;
    m_pJoints = nullptr;
    m_numJoints = 0;
    m_jointOrder.clear();
    for (int i = 0; i < m_numVertices; ++i)
    {
        m_pVertices[i].m_joint = -1;
    }
}

void Model::setFrameRange(float start, float end)
{
    m_startFrame = start;
    m_endFrame = end;
}

float Model::clockFrame() const
{
    const double span = double(m_endFrame) - double(m_startFrame);
    double frames = (m_pTimer ? m_pTimer->getElapsedTime() : 0.0) * kFramesPerSecond / 1000.0;
    if (span > 0.0 && frames > span)
    {
        frames = std::fmod(frames, span);
    }
    return float(double(m_startFrame) + frames);
}

void Model::setKeyframe(int jointIndex, int keyframeIndex, float time, const float* value,
                        bool isRotation)
{
    assert(m_numJoints > jointIndex);
    Joint& joint = m_pJoints[jointIndex];
    Keyframe& key = isRotation ? joint.m_pRotationKeyframes[keyframeIndex]
                               : joint.m_pTranslationKeyframes[keyframeIndex];
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
    std::vector<char> state(size_t(m_numJoints), Unvisited);
    std::vector<int> walk;
    order.clear();
    order.reserve(size_t(m_numJoints));
    for (int start = 0; start < m_numJoints; ++start)
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
            const int parent = m_pJoints[joint].m_parentIndex;
            if (parent < -1 || parent >= m_numJoints)
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
    for (int i = 0; i < m_numVertices; ++i)
    {
        const int joint = m_pVertices[i].m_joint;
        if (joint < -1 || joint >= m_numJoints)
        {
            std::fprintf(stderr, "%s: vertex %d follows joint %d, but there are %d joints\n", name,
                         i, joint, m_numJoints);
            return false;
        }
    }
    for (int i = 0; i < m_numTriangles; ++i)
    {
        for (int k = 0; k < 3; ++k)
        {
            const int vertex = m_pTriangles[i].m_cornerVertices[k];
            if (vertex < 0 || vertex >= m_numVertices)
            {
                std::fprintf(stderr, "%s: triangle %d uses vertex %d, but there are %d vertices\n",
                             name, i, vertex, m_numVertices);
                return false;
            }
        }
    }
    for (int i = 0; i < m_numMeshes; ++i)
    {
        Mesh& mesh = m_pMeshes[i];
        for (int t = 0; t < mesh.m_numTriangles; ++t)
        {
            const int triangle = mesh.m_pTriangleList[t];
            if (triangle < 0 || triangle >= m_numTriangles)
            {
                std::fprintf(stderr, "%s: group %d lists triangle %d, but there are %d triangles\n",
                             name, i, triangle, m_numTriangles);
                return false;
            }
        }
        // A material that does not exist only loses the mesh its (unused) material.
        if (mesh.m_material < -1 || mesh.m_material >= m_numMaterials)
        {
            mesh.m_material = -1;
        }
    }
    std::vector<int> order;
    int badJoint = -1;
    if (!findJointOrder(order, badJoint))
    {
        std::fprintf(stderr, "%s: joint %d has parent %d: the parents do not form a tree\n", name,
                     badJoint, m_pJoints[badJoint].m_parentIndex);
        return false;
    }
    m_jointOrder.swap(order);
    return true;
}

int Model::jointAtStep(int step) const
{
    return m_jointOrder.size() == size_t(m_numJoints) ? m_jointOrder[size_t(step)] : step;
}

const Matrix4* Model::parentFinal(const Joint& joint) const
{
    const int parent = joint.m_parentIndex;
    if (parent < 0 || parent >= m_numJoints)
    {
        return nullptr;
    }
    return &m_pJoints[parent].m_final;
}

void Model::prepareSkeleton()
{
    if (m_jointOrder.size() != size_t(m_numJoints))
    {
        int badJoint = -1;
        if (!findJointOrder(m_jointOrder, badJoint))
        {
            m_jointOrder.clear();
        }
    }
    for (int step = 0; step < m_numJoints; ++step)
    {
        Joint& joint = m_pJoints[jointAtStep(step)];
        joint.m_relative.setRotationXYZ(joint.m_bindRotation);
        joint.m_relative.setTranslation(joint.m_bindTranslation);
        const int parent = joint.m_parentIndex;
        if (parent < 0 || parent >= m_numJoints)
        {
            joint.m_absolute.assign(joint.m_relative);
        }
        else
        {
            joint.m_absolute.assign(m_pJoints[parent].m_absolute);
            joint.m_absolute.multiplyAffine(joint.m_relative);
        }
        joint.m_final.assign(joint.m_absolute);
    }

    for (int i = 0; i < m_numVertices; ++i)
    {
        Vertex& vertex = m_pVertices[i];
        if (vertex.m_joint >= 0 && vertex.m_joint < m_numJoints)
        {
            const Matrix4& bind = m_pJoints[vertex.m_joint].m_absolute;
            bind.untranslate(vertex.m_position);
            bind.unrotate(vertex.m_position);
        }
    }

    for (int i = 0; i < m_numTriangles; ++i)
    {
        Triangle& triangle = m_pTriangles[i];
        for (int k = 0; k < 3; ++k)
        {
            const int vertex = triangle.m_cornerVertices[k];
            if (vertex < 0 || vertex >= m_numVertices)
            {
                continue;
            }
            const int joint = m_pVertices[vertex].m_joint;
            if (joint >= 0 && joint < m_numJoints)
            {
                m_pJoints[joint].m_absolute.unrotate(triangle.m_normals[k]);
            }
        }
    }
}

void Model::rewind()
{
    for (int i = 0; i < m_numJoints; ++i)
    {
        Joint& joint = m_pJoints[i];
        joint.m_rotationCursor = 0;
        joint.m_translationCursor = 0;
        joint.m_final.assign(joint.m_absolute);
    }
    m_lastPoseTime = -DBL_MAX;
    if (m_pTimer)
    {
        m_pTimer->reset();
    }
}

void Model::poseJoint(Joint* pJoint, double time)
{
    const Matrix4* pParentFinal = parentFinal(*pJoint);
    Matrix4 relativeFinal;
    relativeFinal.assign(pJoint->m_relative);

    if (pJoint->m_numRotationKeyframes > 0 || pJoint->m_numTranslationKeyframes > 0)
    {
        // An empty channel contributes nothing: zero offset, zero rotation.
        float transVec[3] = {0.0f, 0.0f, 0.0f};
        if (pJoint->m_numTranslationKeyframes > 0)
        {
            const Keyframe* pKeys = pJoint->m_pTranslationKeyframes;
            const int frame = advanceCursor(pKeys, pJoint->m_numTranslationKeyframes,
                                            pJoint->m_translationCursor, time);
            if (frame == 0)
            {
                copy3(transVec, pKeys[0].m_value);
            }
            else if (frame == pJoint->m_numTranslationKeyframes)
            {
                copy3(transVec, pKeys[frame - 1].m_value);
            }
            else
            {
                assert(frame > 0 && frame < pJoint->m_numTranslationKeyframes);
                interpolate(pKeys[frame - 1], pKeys[frame], time, transVec);
            }
        }

        float rotVec[3] = {0.0f, 0.0f, 0.0f};
        if (pJoint->m_numRotationKeyframes > 0)
        {
            const Keyframe* pKeys = pJoint->m_pRotationKeyframes;
            const int frame = advanceCursor(pKeys, pJoint->m_numRotationKeyframes,
                                            pJoint->m_rotationCursor, time);
            if (frame == 0)
            {
                copy3(rotVec, pKeys[0].m_value);
            }
            else if (frame == pJoint->m_numRotationKeyframes)
            {
                copy3(rotVec, pKeys[frame - 1].m_value);
            }
            else
            {
                assert(frame > 0 && frame < pJoint->m_numRotationKeyframes);
                interpolate(pKeys[frame - 1], pKeys[frame], time, rotVec);
            }
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
    double time = (m_pTimer ? m_pTimer->getElapsedTime() : 0.0) + frameTime(m_startFrame);
    if (frameTime(m_endFrame) < time)
    {
        rewind();
        time = frameTime(m_startFrame);
    }
    // The key searches only move forward; a caller that moved the range back without a rewind
    // must not leave them past the keys of the new time.
    if (time < m_lastPoseTime)
    {
        for (int i = 0; i < m_numJoints; ++i)
        {
            m_pJoints[i].m_rotationCursor = 0;
            m_pJoints[i].m_translationCursor = 0;
        }
    }
    m_lastPoseTime = time;
    for (int step = 0; step < m_numJoints; ++step)
    {
        poseJoint(&m_pJoints[jointAtStep(step)], time);
    }
}

void Model::skinCorners()
{
    size_t corners = 0;
    for (int i = 0; i < m_numMeshes; ++i)
    {
        corners += size_t(m_pMeshes[i].m_numTriangles) * 3;
    }
    // Grown on the first draw after a load only; every later frame writes over the same arrays.
    m_cornerPositions.resize(corners * 3);
    m_cornerNormals.resize(corners * 3);
    m_cornerTexCoords.resize(corners * 2);
    size_t corner = 0;
    for (int i = 0; i < m_numMeshes; ++i)
    {
        const Mesh& mesh = m_pMeshes[i];
        for (int t = 0; t < mesh.m_numTriangles; ++t)
        {
            const Triangle& triangle = m_pTriangles[mesh.m_pTriangleList[t]];
            for (int k = 0; k < 3; ++k, ++corner)
            {
                const Vertex& vertex = m_pVertices[triangle.m_cornerVertices[k]];
                m_cornerTexCoords[corner * 2] = triangle.m_texS[k];
                m_cornerTexCoords[corner * 2 + 1] = triangle.m_texT[k];
                Vector3 normal(triangle.m_normals[k]);
                Vector3 position(vertex.m_position);
                if (vertex.m_joint != -1)
                {
                    const float* pose = m_pJoints[vertex.m_joint].m_final.m;
                    normal.rotate(pose);
                    normal.normalize();
                    position.transform(pose);
                }
                for (int axis = 0; axis < 3; ++axis)
                {
                    m_cornerNormals[corner * 3 + size_t(axis)] = normal[axis];
                    m_cornerPositions[corner * 3 + size_t(axis)] = position[axis];
                }
            }
        }
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
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(m_cornerPositions.size() / 3));
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void Model::releaseMaterialTextures()
{
    for (int i = 0; i < m_numMaterials; ++i)
    {
        Material& material = m_pMaterials[i];
        if (material.m_textureName != 0)
        {
            glDeleteTextures(1, &material.m_textureName);
            material.m_textureName = 0;
        }
    }
}

void Model::loadMaterialTextures()
{
    releaseMaterialTextures();
    for (int i = 0; i < m_numMaterials; ++i)
    {
        Material& material = m_pMaterials[i];
        const bool hasPath = material.m_pTexturePath && material.m_pTexturePath[0] != '\0';
        if (!hasPath)
        {
            material.m_textureName = 0;
            continue;
        }
        std::string reason;
        material.m_textureName = loadTgaTexture(material.m_pTexturePath, reason);
        const std::string path = material.m_pTexturePath;
        std::vector<std::string>& reported = m_reportedTextureFailures;
        if (material.m_textureName == 0 &&
            std::find(reported.begin(), reported.end(), path) == reported.end())
        {
            reported.push_back(path);
            reportLoadFailure(path.c_str(), reason);
        }
    }
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
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    // The skins are drawn opaque: a 32-bit file's alpha has never reached the picture.
    uploadTexture(int(texture.width), int(texture.height), texture.channels(),
                  texture.pixels.data(), TextureAlpha::Dropped);
    return name;
}
