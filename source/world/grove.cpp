// The trees of the park: their places, their culling and order, and the one compiled tree.
#include "world/grove.h"

#include "formats/loadreport.h"
#include "math/frustum.h"
#include "math/random.h"
#include "world/terrain.h"
#include "world/texture.h"
#include "world/treemesh.h"
#include "world/trees.h"

#include <GL/gl.h>

#include <algorithm>
#include <utility>

namespace
{
// Trees stand with their base this far below the ground query (which itself adds 7).
const float kTreeSink = 10.0f;
const float kTreeRadius = 15.0f;
const float kTreeDrawDistance = 500.0f;
const int kScatterRange = 500;

const GLfloat kLeafColor[4] = {0.4f, 1.0f, 0.4f, 0.7f};
const GLfloat kBarkColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const int kBark = 0;
const int kLeaves = 1;

// +1 when the draw is even, -1 when odd.
float randomSign()
{
    return (nextRandom() % 2) == 0 ? 1.0f : -1.0f;
}

struct VisibleTree
{
    Vector3 base;
    float squaredDistance;
    int index;

    // Nearest first; at one distance, in the order the trees were scattered.
    bool operator<(const VisibleTree& other) const
    {
        return squaredDistance < other.squaredDistance ||
               (squaredDistance == other.squaredDistance && index < other.index);
    }
};

// The arrays of the mesh, which a list being compiled copies when it draws from them.
void pointArraysAt(const TreeMesh& mesh)
{
    const GLsizei stride = sizeof(TreeVertex);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, mesh.vertices[0].position);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, stride, mesh.vertices[0].normal);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, stride, mesh.vertices[0].texCoord);
}

void releaseArrays()
{
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void drawBatch(const GLfloat* colour, unsigned texture, const std::vector<unsigned short>& indices)
{
    glColor4fv(colour);
    glBindTexture(GL_TEXTURE_2D, texture);
    glDrawElements(GL_TRIANGLES, GLsizei(indices.size()), GL_UNSIGNED_SHORT, indices.data());
}
} // namespace

Grove::~Grove()
{
    // A grove that was never built holds no names and makes no GL call.
    if (m_list != 0)
    {
        glDeleteLists(m_list, 1);
    }
    if (m_textures[kBark] != 0)
    {
        glDeleteTextures(2, m_textures);
    }
}

void Grove::build()
{
    loadTextures();
    buildTreeList(kTreeAngularStep);
}

void Grove::readImages()
{
    const char* const fileNames[2] = {"textures/lsystemstree/bark2.bmp",
                                      "textures/lsystemstree/leafytile.bmp"};
    m_images = readRgbImageSet(fileNames, 2, "the trees are drawn untextured");
}

bool Grove::loadTextures()
{
    if (!m_images.read)
    {
        readImages();
    }
    const bool loaded = uploadRgbTextureSet(m_images, m_textures);
    m_images = RgbImageSet();
    return loaded;
}

void Grove::prepare()
{
    readImages();
    growAhead(kTreeAngularStep);
}

void Grove::growAhead(float angularStep)
{
    const TreeShape shape = growTree(angularStep);
    m_grown.angularStep = angularStep;
    m_grown.sides = shape.sides;
    m_grown.maxDepth = shape.maxDepth;
    m_grown.mesh = buildTreeMesh(shape);
    m_grown.ready = true;
}

bool Grove::buildTreeList(float angularStep)
{
    if (!m_grown.ready || m_grown.angularStep != angularStep)
    {
        growAhead(angularStep);
    }
    const GrownTree grown = std::move(m_grown);
    m_grown = GrownTree();
    if (grown.sides == 0)
    {
        reportProblem("angular step %g gives the tree fewer than 3 sides; no tree is drawn",
                      double(angularStep));
        return false;
    }
    m_maxDepth = grown.maxDepth;
    if (m_list == 0)
    {
        m_list = glGenLists(1);
    }
    if (m_list == 0)
    {
        return false;
    }
    // One draw of all bark, one of all leaves: the list leaves the leaves' texture bound and
    // their colour current, as drawing branch after branch did.
    const TreeMesh& mesh = grown.mesh;
    pointArraysAt(mesh);
    glNewList(m_list, GL_COMPILE);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
    drawBatch(kBarkColor, m_textures[kBark], mesh.barkIndices);
    drawBatch(kLeafColor, m_textures[kLeaves], mesh.leafIndices);
    glEndList();
    releaseArrays();
    return true;
}

void Grove::scatter()
{
    for (Vector3& place : m_places)
    {
        const int xMagnitude = nextRandom() % kScatterRange;
        place.x = float(xMagnitude) * randomSign();
        const int zMagnitude = nextRandom() % kScatterRange;
        place.z = float(zMagnitude) * randomSign();
    }
}

Vector3 Grove::base(int index, const Terrain& ground) const
{
    const Vector3& place = m_places[size_t(index)];
    return Vector3(place.x, ground.groundHeight(place.x, place.z) - kTreeSink, place.z);
}

void Grove::draw(const Terrain& ground, const Frustum& frustum, const Vector3& eye) const
{
    std::array<VisibleTree, kTreeCount> visible;
    int count = 0;
    for (int index = 0; index < kTreeCount; ++index)
    {
        const Vector3 treeBase = base(index, ground);
        if (frustum.isSphereVisible(treeBase, kTreeRadius, kTreeDrawDistance))
        {
            const Vector3 offset = treeBase - eye;
            visible[size_t(count)] = {treeBase, offset.dot(offset, offset), count};
            ++count;
        }
    }
    // std::sort, not stable_sort: the latter takes a buffer from the heap every frame.
    std::sort(visible.begin(), visible.begin() + count);
    for (int i = 0; i < count; ++i)
    {
        const Vector3& treeBase = visible[size_t(i)].base;
        glTranslatef(treeBase.x, treeBase.y, treeBase.z);
        drawTree();
        glTranslatef(-treeBase.x, -treeBase.y, -treeBase.z);
    }
}

void Grove::drawTree() const
{
    if (m_list != 0)
    {
        glCallList(m_list);
    }
}
