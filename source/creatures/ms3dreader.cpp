// MS3D reading. Every count, record and name is checked against the bytes left before it is read
// or anything is allocated for it; a file that does not fit is refused with one line
// "<file>: <what is wrong>; <what becomes of the model>". Sections after the joints (comments,
// vertex weights and the like) are not read.
#include "creatures/ms3dreader.h"

#include "formats/bytecursor.h"
#include "formats/loadreport.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

namespace
{
const size_t kHeaderSize = 14;
const size_t kVertexSize = 15;
const size_t kTriangleSize = 70;
const size_t kGroupHeaderSize = 35; // flags, name, triangle count
const size_t kMaterialSize = 361;
const size_t kAnimationHeaderSize = 12;
const size_t kJointHeaderSize = 93;
const size_t kKeySize = 16;
const size_t kNameSize = 32;
const size_t kTextureNameSize = 128;
const size_t kPathSize = 1028;

// Directory of the model file with a trailing slash, or "" when it has none past position 0.
std::string directoryPrefix(const char* fileName)
{
    int index = int(std::strlen(fileName)) - 1;
    while (index > 0 && fileName[index] != '/' && fileName[index] != '\\')
    {
        --index;
    }
    if (index <= 0)
    {
        return std::string();
    }
    return std::string(fileName, size_t(index)) + '/';
}

// A NUL-terminated name in a fixed field; a name that fills the field ends with it.
std::string fieldString(const unsigned char* field, size_t size)
{
    const void* end = std::memchr(field, '\0', size);
    const size_t length = end ? size_t(static_cast<const unsigned char*>(end) - field) : size;
    return std::string(reinterpret_cast<const char*>(field), length);
}

// ".\name" is relative to the model's directory; anything else is used as it stands. The path
// keeps at most kPathSize - 1 characters, the park's limit on a texture path.
std::string texturePath(const std::string& prefix, const std::string& storedName)
{
    std::string path = storedName;
    if (storedName.size() >= 2 && storedName[0] == '.' && storedName[1] == '\\')
    {
        path = prefix + storedName.substr(2);
    }
    if (path.size() > kPathSize - 1)
    {
        path.resize(kPathSize - 1);
    }
    return path;
}

struct JointRecord
{
    size_t offset;
    std::string name;
    std::string parentName;
    unsigned rotationKeys;
    unsigned translationKeys;
};

class Ms3dParser
{
public:
    Ms3dParser(Model& model, const unsigned char* data, size_t size, const char* fileName)
        : m_model(model), m_cursor(data, size), m_fileName(fileName)
    {
    }

    bool readHeader();
    bool readVertices();
    bool readTriangles();
    bool readGroups();
    bool readMaterials();
    bool skipAnimationHeader();
    bool scanJoints();
    // Parents by name and the keys. False, after one line naming the joint, when a parent name
    // matches no joint.
    bool readJoints();
    // False, after one line naming a joint of the ring, when parents form a cycle.
    bool checkJointTree();

private:
    bool fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool failSkeleton(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void report(const char* instead, const char* format, va_list arguments)
        __attribute__((format(printf, 3, 0)));
    bool readCount(const char* what, unsigned& count);
    bool needRecords(unsigned count, size_t recordSize, const char* what);
    bool checkKeyTimes(ByteCursor keys, unsigned count, unsigned jointIndex, const char* channel);
    void readFloats(float* values, int count);
    void readKeys(int jointIndex, unsigned count, bool isRotation);

    Model& m_model;
    ByteCursor m_cursor;
    const char* m_fileName;
    std::vector<JointRecord> m_joints;
};

void Ms3dParser::report(const char* instead, const char* format, va_list arguments)
{
    char message[512];
    std::vsnprintf(message, sizeof message, format, arguments);
    reportLoadFailure(m_fileName, message, instead);
}

bool Ms3dParser::fail(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    report(kModelNotDrawn, format, arguments);
    va_end(arguments);
    return false;
}

bool Ms3dParser::failSkeleton(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    report(kModelDrawnStill, format, arguments);
    va_end(arguments);
    return false;
}

bool Ms3dParser::readCount(const char* what, unsigned& count)
{
    uint16_t value = 0;
    if (!m_cursor.readU16(value))
    {
        return fail("the file ends before the %s count (2 bytes needed, %zu left)", what,
                    m_cursor.remaining());
    }
    count = value;
    return true;
}

bool Ms3dParser::needRecords(unsigned count, size_t recordSize, const char* what)
{
    if (m_cursor.hasRecords(count, recordSize))
    {
        return true;
    }
    return fail("%u %s need %zu bytes, %zu left", count, what, count * recordSize,
                m_cursor.remaining());
}

void Ms3dParser::readFloats(float* values, int count)
{
    for (int i = 0; i < count; ++i)
    {
        m_cursor.readFloat(values[i]);
    }
}

bool Ms3dParser::readHeader()
{
    const unsigned char* identifier = m_cursor.peek(10);
    if (!identifier || std::memcmp(identifier, "MS3D000000", 10) != 0)
    {
        return fail("Not an MS3D file.");
    }
    m_cursor.skip(10);
    int32_t version = 0;
    if (!m_cursor.readS32(version))
    {
        return fail("the file ends in its header (%zu bytes needed, %zu in the file)", kHeaderSize,
                    m_cursor.size());
    }
    if (version < 3)
    {
        return fail("I know nothing about MS3D v1.2");
    }
    return true;
}

bool Ms3dParser::readVertices()
{
    unsigned count = 0;
    if (!readCount("vertex", count) || !needRecords(count, kVertexSize, "vertices"))
    {
        return false;
    }
    m_model.m_vertices.resize(count);
    for (Vertex& vertex : m_model.m_vertices)
    {
        m_cursor.skip(1);
        readFloats(vertex.m_position, 3);
        m_cursor.readS8(vertex.m_joint);
        m_cursor.skip(1);
    }
    return true;
}

bool Ms3dParser::readTriangles()
{
    unsigned count = 0;
    if (!readCount("triangle", count) || !needRecords(count, kTriangleSize, "triangles"))
    {
        return false;
    }
    m_model.m_triangles.resize(count);
    const int vertexCount = int(m_model.m_vertices.size());
    for (unsigned i = 0; i < count; ++i)
    {
        Triangle& triangle = m_model.m_triangles[i];
        m_cursor.skip(2);
        int vertexIndices[3];
        for (int k = 0; k < 3; ++k)
        {
            uint16_t index = 0;
            m_cursor.readU16(index);
            vertexIndices[k] = index;
            if (vertexIndices[k] >= vertexCount)
            {
                return fail("triangle %u uses vertex %d, but there are %d vertices", i,
                            vertexIndices[k], vertexCount);
            }
            triangle.m_cornerVertices[k] = vertexIndices[k];
        }
        readFloats(&triangle.m_normals[0][0], 9);
        readFloats(triangle.m_texS, 3);
        readFloats(triangle.m_texT, 3);
        for (float& t : triangle.m_texT)
        {
            t = 1.0f - t;
        }
        m_cursor.skip(2);
    }
    return true;
}

bool Ms3dParser::readGroups()
{
    unsigned count = 0;
    if (!readCount("group", count) || !needRecords(count, kGroupHeaderSize + 1, "groups"))
    {
        return false;
    }
    m_model.m_meshes.resize(count);
    const int triangleCount = int(m_model.m_triangles.size());
    for (unsigned i = 0; i < count; ++i)
    {
        Mesh& mesh = m_model.m_meshes[i];
        uint16_t listLength = 0;
        if (!m_cursor.skip(kGroupHeaderSize - 2) || !m_cursor.readU16(listLength))
        {
            return fail("group %u of %u: the file ends in its header (%zu bytes left)", i, count,
                        m_cursor.remaining());
        }
        const size_t needed = size_t(listLength) * 2 + 1;
        if (m_cursor.remaining() < needed)
        {
            return fail("group %u lists %u triangles and needs %zu bytes, %zu left", i,
                        unsigned(listLength), needed, m_cursor.remaining());
        }
        mesh.m_triangleList.resize(listLength);
        for (int& triangle : mesh.m_triangleList)
        {
            uint16_t index = 0;
            m_cursor.readU16(index);
            if (index >= triangleCount)
            {
                return fail("group %u lists triangle %u, but there are %d triangles", i,
                            unsigned(index), triangleCount);
            }
            triangle = index;
        }
        int8_t material = -1;
        m_cursor.readS8(material);
        mesh.m_material = material;
    }
    return true;
}

bool Ms3dParser::readMaterials()
{
    unsigned count = 0;
    if (!readCount("material", count) || !needRecords(count, kMaterialSize, "materials"))
    {
        return false;
    }
    m_model.m_materials.resize(count);
    const std::string prefix = directoryPrefix(m_fileName);
    for (Material& material : m_model.m_materials)
    {
        m_cursor.skip(kNameSize);
        readFloats(material.m_ambient, 4);
        readFloats(material.m_diffuse, 4);
        readFloats(material.m_specular, 4);
        readFloats(material.m_emissive, 4);
        readFloats(&material.m_shininess, 1);
        m_cursor.skip(5);
        const std::string name = fieldString(m_cursor.peek(kTextureNameSize), kTextureNameSize);
        material.m_texturePath = texturePath(prefix, name);
        m_cursor.skip(2 * kTextureNameSize);
    }
    // A mesh naming a material that is not there is drawn the same, without a material.
    for (Mesh& mesh : m_model.m_meshes)
    {
        int& material = mesh.m_material;
        if (material >= int(count) || material < -1)
        {
            material = -1;
        }
    }
    return true;
}

bool Ms3dParser::skipAnimationHeader()
{
    if (!m_cursor.skip(kAnimationHeaderSize))
    {
        return fail("the file ends in the animation header (%zu bytes needed, %zu left)",
                    kAnimationHeaderSize, m_cursor.remaining());
    }
    return true;
}

// Key times are stored in milliseconds: each must stay a finite number after the conversion.
bool Ms3dParser::checkKeyTimes(ByteCursor keys, unsigned count, unsigned jointIndex,
                               const char* channel)
{
    for (unsigned k = 0; k < count; ++k)
    {
        float time = 0.0f;
        keys.readFloat(time);
        keys.skip(kKeySize - 4);
        if (!std::isfinite(time * 1000.0f))
        {
            return fail("joint %u %s key %u has time %g", jointIndex, channel, k, double(time));
        }
    }
    return true;
}

// First pass over the raw joint records: sizes, names and key times, before anything is built.
bool Ms3dParser::scanJoints()
{
    unsigned count = 0;
    if (!readCount("joint", count) || !needRecords(count, kJointHeaderSize, "joints"))
    {
        return false;
    }
    const size_t start = m_cursor.offset();
    ByteCursor scan = m_cursor;
    for (unsigned i = 0; i < count; ++i)
    {
        const unsigned char* header = scan.peek(kJointHeaderSize);
        if (!header)
        {
            return fail("joint %u of %u needs %zu bytes, %zu left", i, count, kJointHeaderSize,
                        scan.remaining());
        }
        JointRecord record;
        record.offset = scan.offset();
        record.name = fieldString(header + 1, kNameSize);
        record.parentName = fieldString(header + 1 + kNameSize, kNameSize);
        record.rotationKeys = header[89] | (header[90] << 8);
        record.translationKeys = header[91] | (header[92] << 8);
        scan.skip(kJointHeaderSize);
        const size_t keyCount = size_t(record.rotationKeys) + record.translationKeys;
        if (!scan.hasRecords(keyCount, kKeySize))
        {
            return fail("joint %u has %u rotation and %u translation keys that need %zu bytes, "
                        "%zu left",
                        i, record.rotationKeys, record.translationKeys, keyCount * kKeySize,
                        scan.remaining());
        }
        if (!checkKeyTimes(scan, record.rotationKeys, i, "rotation"))
        {
            return false;
        }
        scan.skip(record.rotationKeys * kKeySize);
        if (!checkKeyTimes(scan, record.translationKeys, i, "translation"))
        {
            return false;
        }
        scan.skip(record.translationKeys * kKeySize);
        m_joints.push_back(record);
    }
    for (size_t i = 0; i < m_model.m_vertices.size(); ++i)
    {
        const int joint = m_model.m_vertices[i].m_joint;
        if (joint < -1 || joint >= int(count))
        {
            return fail("vertex %zu follows joint %d, but there are %u joints", i, joint, count);
        }
    }
    m_cursor.seek(start);
    return true;
}

void Ms3dParser::readKeys(int jointIndex, unsigned count, bool isRotation)
{
    for (unsigned k = 0; k < count; ++k)
    {
        float time = 0.0f;
        float value[3];
        m_cursor.readFloat(time);
        readFloats(value, 3);
        m_model.setKeyframe(jointIndex, int(k), time * 1000.0f, value, isRotation);
    }
}

// Second pass: parents by name (first match, any letter case), bind pose and keys.
bool Ms3dParser::readJoints()
{
    // Every count here was checked against the file's bytes by scanJoints.
    const int count = int(m_joints.size());
    m_model.m_joints.resize(m_joints.size());
    for (int i = 0; i < count; ++i)
    {
        const JointRecord& record = m_joints[size_t(i)];
        int parentIndex = -1;
        if (!record.parentName.empty())
        {
            for (int j = 0; j < count && parentIndex == -1; ++j)
            {
                if (strcasecmp(m_joints[size_t(j)].name.c_str(), record.parentName.c_str()) == 0)
                {
                    parentIndex = j;
                }
            }
            if (parentIndex == -1)
            {
                return failSkeleton("Unable to find parent bone \"%s\" of joint %d \"%s\"",
                                    record.parentName.c_str(), i, record.name.c_str());
            }
        }
        Joint& joint = m_model.m_joints[size_t(i)];
        m_cursor.seek(record.offset + 1 + 2 * kNameSize);
        readFloats(joint.m_bindRotation, 3);
        readFloats(joint.m_bindTranslation, 3);
        m_cursor.skip(4);
        joint.m_parentIndex = parentIndex;
        joint.m_rotationKeyframes.resize(record.rotationKeys);
        joint.m_translationKeyframes.resize(record.translationKeys);
        readKeys(i, record.rotationKeys, true);
        readKeys(i, record.translationKeys, false);
    }
    return true;
}

bool Ms3dParser::checkJointTree()
{
    std::vector<int> order;
    int badJoint = -1;
    if (m_model.findJointOrder(order, badJoint))
    {
        return true;
    }
    const int parent = m_model.m_joints[size_t(badJoint)].m_parentIndex;
    return failSkeleton("joint %d \"%s\" has parent %d \"%s\": the parents do not form a tree",
                        badJoint, m_joints[size_t(badJoint)].name.c_str(), parent,
                        m_joints[size_t(parent)].name.c_str());
}
} // namespace

MilkshapeModel::~MilkshapeModel() = default;

bool MilkshapeModel::loadFromMemory(const unsigned char* data, size_t size, const char* fileName,
                                    bool loadTextures)
{
    clear();
    Ms3dParser parser(*this, data, size, fileName);
    if (!parser.readHeader())
    {
        return false;
    }
    if (!parser.readVertices() || !parser.readTriangles() || !parser.readGroups() ||
        !parser.readMaterials() || !parser.skipAnimationHeader() || !parser.scanJoints())
    {
        clear();
        return false;
    }
    if (loadTextures)
    {
        loadMaterialTextures();
    }
    // A parent that is not there, or parents in a ring: rather than animate vertices from a
    // skeleton that was never prepared, the model keeps its meshes and stands still.
    // checkStructure finds nothing the reader has not refused already; should it, it leaves the
    // model as its line says.
    if (!parser.readJoints() || !parser.checkJointTree() || !checkStructure(fileName))
    {
        removeSkeleton();
        rewind();
        return false;
    }
    prepareSkeleton();
    rewind();
    return true;
}

bool MilkshapeModel::loadFile(const char* fileName)
{
    return loadFile(fileName, true);
}

bool MilkshapeModel::readFile(const char* fileName)
{
    return loadFile(fileName, false);
}

bool MilkshapeModel::loadFile(const char* fileName, bool loadTextures)
{
    std::vector<unsigned char> bytes;
    if (!readWholeFile(fileName, bytes))
    {
        clear();
        reportLoadFailure(fileName, "Couldn't open the model file.", kModelNotDrawn);
        return false;
    }
    return loadFromMemory(bytes.data(), bytes.size(), fileName, loadTextures);
}
