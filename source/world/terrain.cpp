// Terrain generation, the ground-height query, and the terrain's textures, display lists and
// drawing.
#include "world/terrain.h"

#include "formats/loadreport.h"
#include "math/clipvolume.h"
#include "math/frustum.h"
#include "math/matrix4.h"
#include "math/random.h"
#include "platform/glapi.h"
#include "platform/platform.h"
#include "world/groundimage.h"
#include "world/texture.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace
{
const char* const kGroundImageFiles[kMaterialCount] = {
    "terrainTexs/dirt.bmp",   "terrainTexs/terr1.bmp", "terrainTexs/grass-patchy.bmp",
    "terrainTexs/grass2.bmp", "terrainTexs/grass.bmp",
};
const char kDetailImageFile[] = "terrainTexs/detail.bmp";
const char kColourMapFile[] = "terrainTexs/finalMapTexture.bmp";

// Stand-ins for ground images that fail to load: a plain colour per material keeps the bands
// readable, and mid grey leaves the doubled detail blend at its usual brightness.
const unsigned char kPlainGroundColours[kMaterialCount][3] = {
    {120, 92, 60}, {138, 118, 82}, {104, 122, 62}, {76, 112, 52}, {62, 128, 50},
};
const unsigned char kPlainDetailColour[3] = {128, 128, 128};

const float kGroundClearance = 7.0f;
const float kQuadrantMaxDistance = 10000.0f;

float fraction(float v)
{
    return v - std::trunc(v);
}

unsigned textureFromImage(const DecodedImage& image)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    uploadTexture(image);
    return texture;
}

// A tile in the drawing order: those the detailed map stands in for first, then the nearest.
struct TileDistance
{
    bool apart;
    float squaredDistance;
    int tile;

    bool operator<(const TileDistance& other) const
    {
        if (apart != other.apart)
        {
            return !apart;
        }
        return squaredDistance < other.squaredDistance ||
               (squaredDistance == other.squaredDistance && tile < other.tile);
    }
};

// The material's colour for `parameter` as the GL lights with it: the current colour where the
// colour material tracks it.
void materialColour(GLenum parameter, float out[3])
{
    GLfloat colour[4];
    GLint tracked = 0;
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &tracked);
    const bool tracks =
        glIsEnabled(GL_COLOR_MATERIAL) == GL_TRUE &&
        (GLenum(tracked) == parameter || (tracked == GL_AMBIENT_AND_DIFFUSE &&
                                          (parameter == GL_AMBIENT || parameter == GL_DIFFUSE)));
    if (tracks)
    {
        glGetFloatv(GL_CURRENT_COLOR, colour);
    }
    else
    {
        glGetMaterialfv(GL_FRONT, parameter, colour);
    }
    std::copy(colour, colour + 3, out);
}

// The material's colours as the GL lights with them, per red, green and blue.
struct GroundMaterial
{
    float ambient[3];
    float diffuse[3];
    float specular[3];
    float emission[3];
};

// What one enabled light adds: its ambient and specular (whatever the normal) to the base, its
// diffuse by its direction (turned back from the eye's axes by `turn`), or, for a light at a
// point, to the diffuse that may meet a vertex head on, as bright as its constant fade allows.
void addLight(GLenum light, const GroundMaterial& material, const Matrix4& turn,
              GroundLighting& lighting)
{
    GLfloat ambient[4];
    GLfloat diffuse[4];
    GLfloat specular[4];
    GLfloat position[4];
    GLfloat constantFade = 1.0f;
    glGetLightfv(light, GL_AMBIENT, ambient);
    glGetLightfv(light, GL_DIFFUSE, diffuse);
    glGetLightfv(light, GL_SPECULAR, specular);
    glGetLightfv(light, GL_POSITION, position);
    glGetLightfv(light, GL_CONSTANT_ATTENUATION, &constantFade);
    const bool fromDirection = position[3] == 0.0f;
    const float fade = fromDirection ? 1.0f : constantFade > 0.0f ? 1.0f / constantFade : 1e9f;
    const int d = lighting.directionalCount;
    for (int c = 0; c < 3; ++c)
    {
        lighting.base[c] +=
            fade * (ambient[c] * material.ambient[c] + specular[c] * material.specular[c]);
        if (fromDirection)
        {
            lighting.diffuse[d][c] = diffuse[c] * material.diffuse[c];
        }
        else
        {
            lighting.nearbyDiffuse[c] += fade * diffuse[c] * material.diffuse[c];
        }
    }
    if (fromDirection)
    {
        float direction[3] = {position[0], position[1], position[2]};
        turn.unrotate(direction);
        const Vector3 world(direction);
        const float length = world.length();
        lighting.directions[d] = length > 0.0f ? world / length : Vector3(0.0f, 1.0f, 0.0f);
        lighting.directionalCount = d + 1;
    }
}

// The lighting the GL will give the ground, in world axes: `modelView` turns them into the
// eye's axes, in which the GL keeps its lights.
void readGroundLighting(const GLfloat* modelView, GroundLighting& lighting)
{
    lighting = GroundLighting();
    if (glIsEnabled(GL_LIGHTING) != GL_TRUE)
    {
        GLfloat current[4];
        glGetFloatv(GL_CURRENT_COLOR, current);
        std::copy(current, current + 3, lighting.base);
        return;
    }
    GroundMaterial material;
    materialColour(GL_AMBIENT, material.ambient);
    materialColour(GL_DIFFUSE, material.diffuse);
    materialColour(GL_SPECULAR, material.specular);
    materialColour(GL_EMISSION, material.emission);
    GLfloat sceneAmbient[4];
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, sceneAmbient);
    for (int c = 0; c < 3; ++c)
    {
        lighting.base[c] = material.emission[c] + sceneAmbient[c] * material.ambient[c];
    }
    Matrix4 turn;
    std::copy(modelView, modelView + 16, turn.m);
    for (int l = 0; l < GroundLighting::kMostLights; ++l)
    {
        if (glIsEnabled(GLenum(GL_LIGHT0 + l)) == GL_TRUE)
        {
            addLight(GLenum(GL_LIGHT0 + l), material, turn, lighting);
        }
    }
}

float squaredDistanceToCentre(const TerrainTile& tile, const float* eye)
{
    float sum = 0.0f;
    for (int axis = 0; axis < 3; ++axis)
    {
        const float d = (tile.boxMin[axis] + tile.boxMax[axis]) / 2.0f - eye[axis];
        sum += d * d;
    }
    return sum;
}

void setCombineScaledByTwo()
{
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, 2);
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Storage

Terrain::~Terrain()
{
    releaseGlObjects();
}

void Terrain::releaseArrays()
{
    heightMap = std::vector<float>();
    normals = std::vector<Vector3>();
    colourU = std::vector<float>();
    colourV = std::vector<float>();
    detailU = std::vector<float>();
    detailV = std::vector<float>();
}

void Terrain::allocateArrays()
{
    releaseArrays();
    size = 256;
    minHillRadius = 1.0f;
    maxHillRadius = 10.0f;
    hillCount = 1000;
    flattenPower = 1;
    cellSize = 20.0f;
    heightScale = 200.0f;
    detailRepeat = 8;
    const size_t count = size_t(size) * size_t(size);
    heightMap.assign(count, 0.0f);
    normals.assign(count, Vector3());
    colourU.assign(count, 0.0f);
    colourV.assign(count, 0.0f);
    detailU.assign(count, 0.0f);
    detailV.assign(count, 0.0f);
}

// ---------------------------------------------------------------------------------------------
// Generation

void Terrain::generateHeights(unsigned seed)
{
    clear();
    seedRandom(seed);
    for (int i = 0; i < hillCount; ++i)
    {
        addHill();
    }
    normalise();
    flatten();
    computeNormals();
    computeTexCoords();
}

void Terrain::clear()
{
    std::fill(heightMap.begin(), heightMap.end(), 0.0f);
    for (Vector3& normal : normals)
    {
        normal.set(0.0f, 0.0f, 0.0f);
    }
    std::fill(colourU.begin(), colourU.end(), 0.0f);
    std::fill(colourV.begin(), colourV.end(), 0.0f);
    std::fill(detailU.begin(), detailU.end(), 0.0f);
    std::fill(detailV.begin(), detailV.end(), 0.0f);
}

void Terrain::addHill()
{
    const float r = randomRange(minHillRadius, maxHillRadius);
    const float theta = randomRange(0.0f, 6.28f);
    const float half = float(size / 2);
    const float d = randomRange(r / 2.0f, half - r);
    raiseHill(half + std::cos(theta) * d, half + std::sin(theta) * d, r);
}

void Terrain::raiseHill(float cx, float cz, float r)
{
    const float rSquared = r * r;
    int xMin = int(cx - r - 1.0f);
    int xMax = int(cx + r + 1.0f);
    int zMin = int(cz - r - 1.0f);
    int zMax = int(cz + r + 1.0f);
    // The box reaches one cell past the hill, and so past the grid on its far side.
    xMin = xMin < 0 ? 0 : xMin;
    zMin = zMin < 0 ? 0 : zMin;
    xMax = xMax > size - 1 ? size - 1 : xMax;
    zMax = zMax > size - 1 ? size - 1 : zMax;
    for (int x = xMin; x <= xMax; ++x)
    {
        for (int z = zMin; z <= zMax; ++z)
        {
            const float dx = cx - float(x);
            const float dz = cz - float(z);
            const float h = rSquared - (dx * dx + dz * dz);
            if (h > 0.0f)
            {
                addHeight(x, z, h);
            }
        }
    }
}

void Terrain::normalise()
{
    assert(!heightMap.empty());
    float lowest = heightMap[0];
    float highest = heightMap[0];
    for (float height : heightMap)
    {
        lowest = height < lowest ? height : lowest;
        highest = height > highest ? height : highest;
    }
    if (lowest == highest)
    {
        clear();
        return;
    }
    for (float& height : heightMap)
    {
        height = (height - lowest) / (highest - lowest);
    }
}

void Terrain::flatten()
{
    assert(!heightMap.empty());
    if (flattenPower < 2)
    {
        return;
    }
    for (float& height : heightMap)
    {
        float raised = 1.0f;
        for (int p = 0; p < flattenPower; ++p)
        {
            raised *= height;
        }
        height = raised;
    }
}

void Terrain::computeNormals()
{
    for (int z = 0; z < size; ++z)
    {
        for (int x = 0; x < size; ++x)
        {
            const bool border = x == 0 || z == 0 || x == size - 1 || z == size - 1;
            if (border)
            {
                setNormal(x, z, Vector3(0.0f, 1.0f, 0.0f));
                continue;
            }
            const float centre = getHeight(x, z);
            auto edge = [&](int dx, int dz)
            {
                return Vector3(float(dx) * cellSize,
                               (getHeight(x + dx, z + dz) - centre) * heightScale,
                               float(dz) * cellSize);
            };
            auto unitCross = [](Vector3 a, Vector3 b)
            {
                Vector3 n = a.cross(a, b);
                return n.normalize();
            };
            // Six triangles meet here; a cell cut in two counts by the mean of its halves.
            const Vector3 t1 = unitCross(edge(-1, 0), edge(0, 1));
            const Vector3 t2 = unitCross(edge(0, 1), edge(1, 1));
            const Vector3 t3 = unitCross(edge(1, 1), edge(1, 0));
            const Vector3 t4 = unitCross(edge(1, 0), edge(0, -1));
            const Vector3 t5 = unitCross(edge(0, -1), edge(-1, -1));
            const Vector3 t6 = unitCross(edge(-1, -1), edge(-1, 0));
            const Vector3 sum = t1 + (t2 + t3) / 2.0f + t4 + (t5 + t6) / 2.0f;
            setNormal(x, z, sum / 4.0f);
        }
    }
}

void Terrain::computeTexCoords()
{
    const float tileVertices = float(size) / float(detailRepeat);
    for (int z = 0; z < size; ++z)
    {
        for (int x = 0; x < size; ++x)
        {
            setColourU(x, z, fraction(float(x) / float(size)));
            setColourV(x, z, fraction(float(z) / float(size)));
            setDetailU(x, z, fraction(float(x) / tileVertices));
            setDetailV(x, z, fraction(float(z) / tileVertices));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Colour map

void Terrain::setMaterialBands()
{
    const MaterialBand bands[kMaterialCount] = {
        {0.0f, 0.05f, 0.1f}, {0.05f, 0.1f, 0.15f}, {0.1f, 0.15f, 0.2f},
        {0.15f, 0.2f, 0.8f}, {0.2f, 0.8f, 1.1f},
    };
    for (int k = 0; k < kMaterialCount; ++k)
    {
        materialBands[k] = bands[k];
    }
}

void Terrain::synthesiseColourMap()
{
    setMaterialBands();
    std::vector<unsigned char> blocks[kMaterialCount];
    const unsigned char* sources[kMaterialCount] = {};
    for (int k = 0; k < kMaterialCount; ++k)
    {
        blocks[k] = readImageBlock(sourceImages[k], size, kGroundImageFiles[k]);
        sources[k] = blocks[k].data();
    }
    canvasImage.width = size;
    canvasImage.height = size;
    canvasImage.channels = 3;
    canvasImage.pixels.resize(canvasImage.rowBytes() * size_t(size));
    blendColourMap(heightMap.data(), size, materialBands, sources, canvasImage.pixels.data());
    saveImageReplacing(canvasImage, kColourMapFile);
}

// ---------------------------------------------------------------------------------------------
// Ground-height query

float Terrain::groundHeight(float x, float z) const
{
    if (heightMap.empty())
    {
        return 0.0f;
    }
    const float halfExtent = float(size) * cellSize / 2.0f;
    const float gx = (x + halfExtent) / cellSize;
    const float gz = (z + halfExtent) / cellSize;
    if (gx < 0.0f || gz < 0.0f || gx >= float(size - 1) || gz >= float(size - 1))
    {
        return 0.0f;
    }
    const int x0 = int(gx);
    const int z0 = int(gz);
    const float fx = gx - float(x0);
    const float fz = gz - float(z0);
    const float h00 = getHeight(x0, z0);
    const float h10 = getHeight(x0 + 1, z0);
    const float h01 = getHeight(x0, z0 + 1);
    const float h11 = getHeight(x0 + 1, z0 + 1);
    // The query splits the cell along the diagonal from (x0, z1) to (x1, z0), the other one
    // from the mesh's; the two agree at the vertices and along the cell edges.
    float h = 0.0f;
    if (fx + fz > 1.0f)
    {
        h = h11 + (1.0f - fx) * (h01 - h11) + (1.0f - fz) * (h10 - h11);
    }
    else
    {
        h = h00 + fx * (h10 - h00) + fz * (h01 - h00);
    }
    return h * heightScale + kGroundClearance;
}

namespace
{
// The vertices (xBegin .. xEnd, zBegin .. zEnd) of the cells that meet the square of half side
// `radius` (world units) round grid point (gx, gz).
CellRange cellsNear(const Terrain& terrain, float gx, float gz, float radius)
{
    const float cells = radius / terrain.cellSize;
    const int last = terrain.size - 1;
    return CellRange{
        std::max(0, int(std::floor(gx - cells))), std::min(last, int(std::ceil(gx + cells))),
        std::max(0, int(std::floor(gz - cells))), std::min(last, int(std::ceil(gz + cells)))};
}

// The lowest vertex of those, in world units: no triangle there goes lower. With a sector, only
// the vertices of cells it may cross, which lie within a cell's diagonal of it.
float lowestVertex(const Terrain& terrain, const CellRange& vertices, Vector3 eye,
                   const ViewSector* pSector)
{
    const float halfExtent = float(terrain.size) * terrain.cellSize / 2.0f;
    const float margin = terrain.cellSize * 1.4143f;
    float lowest = std::numeric_limits<float>::max();
    for (int z = vertices.zBegin; z <= vertices.zEnd; ++z)
    {
        for (int x = vertices.xBegin; x <= vertices.xEnd; ++x)
        {
            if (pSector == nullptr ||
                nearSector(*pSector, float(x) * terrain.cellSize - halfExtent - eye.x,
                           float(z) * terrain.cellSize - halfExtent - eye.z, margin))
            {
                lowest = std::min(lowest, terrain.getHeight(x, z));
            }
        }
    }
    return lowest * terrain.heightScale;
}

// The steepest of the mesh's triangles in the cells between those vertices: world height per
// world unit across. Each cell is split from (x, z) to (x + 1, z + 1), as the mesh draws it.
float steepestRise(const Terrain& terrain, const CellRange& vertices)
{
    float steepest = 0.0f;
    for (int z = vertices.zBegin; z < vertices.zEnd; ++z)
    {
        for (int x = vertices.xBegin; x < vertices.xEnd; ++x)
        {
            const float h00 = terrain.getHeight(x, z);
            const float h10 = terrain.getHeight(x + 1, z);
            const float h01 = terrain.getHeight(x, z + 1);
            const float h11 = terrain.getHeight(x + 1, z + 1);
            steepest = std::max(steepest, std::hypot(h10 - h00, h11 - h10));
            steepest = std::max(steepest, std::hypot(h11 - h01, h01 - h00));
        }
    }
    return steepest * terrain.heightScale / terrain.cellSize;
}

// The mesh's height, in world units, at grid point (gx, gz) inside the grid.
float meshHeight(const Terrain& terrain, float gx, float gz)
{
    const int x = std::min(int(gx), terrain.size - 2);
    const int z = std::min(int(gz), terrain.size - 2);
    const float fx = gx - float(x);
    const float fz = gz - float(z);
    const float h00 = terrain.getHeight(x, z);
    const float h11 = terrain.getHeight(x + 1, z + 1);
    const float height = fx >= fz ? h00 + fx * (terrain.getHeight(x + 1, z) - h00) +
                                        fz * (h11 - terrain.getHeight(x + 1, z))
                                  : h00 + fz * (terrain.getHeight(x, z + 1) - h00) +
                                        fx * (h11 - terrain.getHeight(x, z + 1));
    return height * terrain.heightScale;
}
} // namespace

bool Terrain::groundAround(Vector3 eye, float farDistance, float nearReach, GroundAround& around,
                           const ViewSector* pSector) const
{
    if (heightMap.empty())
    {
        return false;
    }
    const float halfExtent = float(size) * cellSize / 2.0f;
    const float gx = (eye.x + halfExtent) / cellSize;
    const float gz = (eye.z + halfExtent) / cellSize;
    const float last = float(size - 1);
    const float cellsToEdge = std::min(std::min(gx, last - gx), std::min(gz, last - gz));
    if (!(cellsToEdge > 0.0f))
    {
        return false;
    }
    around.reach = std::min(farDistance, cellsToEdge * cellSize);
    around.lowest = lowestVertex(*this, cellsNear(*this, gx, gz, around.reach), eye, pSector);
    // Across the near reach the ground rises no faster than its steepest triangle there.
    around.highestNear = meshHeight(*this, gx, gz) +
                         nearReach * steepestRise(*this, cellsNear(*this, gx, gz, nearReach));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Mesh

CellRange Terrain::quadrantCells(int k) const
{
    const int half = size / 2;
    const bool highX = (k & 1) != 0;
    const bool highZ = (k & 2) != 0;
    CellRange range;
    range.xBegin = highX ? half : 0;
    range.xEnd = highX ? size - 1 : half;
    range.zBegin = highZ ? half : 0;
    range.zEnd = highZ ? size - 1 : half;
    return range;
}

Vector3 Terrain::quadrantCentre(int k) const
{
    const int gx = (k & 1) ? 3 * size / 4 : size / 4;
    const int gz = (k & 2) ? 3 * size / 4 : size / 4;
    const float halfExtent = float(size) * cellSize / 2.0f;
    return Vector3(float(gx) * cellSize - halfExtent, getHeight(gx, gz) * heightScale,
                   float(gz) * cellSize - halfExtent);
}

float Terrain::quadrantRadius() const
{
    return float(size / 4) * cellSize * 1.4142f;
}

unsigned Terrain::visibleQuadrants(const Frustum& frustum) const
{
    unsigned visible = 0;
    for (int k = 0; k < 4; ++k)
    {
        if (frustum.isSphereVisible(quadrantCentre(k), quadrantRadius(), kQuadrantMaxDistance))
        {
            visible |= 1u << k;
        }
    }
    return visible;
}

void Terrain::cellVertices(int x, int z, MeshVertex vertices[6]) const
{
    const int corners[6][2] = {
        {x + 1, z}, {x, z}, {x + 1, z + 1}, {x, z}, {x, z + 1}, {x + 1, z + 1},
    };
    for (int i = 0; i < 6; ++i)
    {
        vertices[i] = meshVertex(corners[i][0], corners[i][1], x, z);
    }
}

MeshVertex Terrain::meshVertex(int vx, int vz, int cellX, int cellZ) const
{
    // The far vertex of a tile's last cell stores the next tile's 0; running on to 1.0 keeps the
    // detail image going forward across that cell instead of squeezing it backwards.
    const int tileVertices = size / detailRepeat;
    const bool lastColumnOfTile = cellX % tileVertices == tileVertices - 1;
    const bool lastRowOfTile = cellZ % tileVertices == tileVertices - 1;
    MeshVertex vertex;
    vertex.colourS = getColourU(vx, vz);
    vertex.colourT = getColourV(vx, vz);
    vertex.detailS = (vx == cellX + 1 && lastColumnOfTile) ? 1.0f : getDetailU(vx, vz);
    vertex.detailT = (vz == cellZ + 1 && lastRowOfTile) ? 1.0f : getDetailV(vx, vz);
    vertex.normal = getNormal(vx, vz);
    vertex.position =
        Vector3(float(vx) * cellSize, getHeight(vx, vz) * heightScale, float(vz) * cellSize);
    return vertex;
}

// ---------------------------------------------------------------------------------------------
// GL side

void Terrain::prepare(unsigned seed)
{
    releaseGroundImages();
    allocateArrays();
    loadGroundImages();
    generateHeights(seed);
    synthesiseColourMap();
    m_mesh.build(*this);
    m_preparedSeed = seed;
    m_prepared = true;
}

void Terrain::init(const MultitextureApi& multitexture, unsigned seed, bool mergeLater)
{
    if (!m_prepared || m_preparedSeed != seed)
    {
        prepare(seed);
    }
    m_prepared = false;
    // A regeneration replaces everything the previous ground held.
    releaseGlObjects();
    useMultitexture(multitexture);
    uploadTextures();
    if (!mergeLater)
    {
        mergeDetail();
    }
    buildGeometry(detectBufferObjectApi());
}

void Terrain::startInit(const MultitextureApi& multitexture)
{
    releaseGroundImages();
    releaseGlObjects();
    allocateArrays();
    useMultitexture(multitexture);
}

void Terrain::useMultitexture(const MultitextureApi& multitexture)
{
    m_multitexture = multitexture;
    // Said once: every new park meets the same GL.
    if (!m_multitexture.available() && !m_reportedSingleTexturing)
    {
        reportProblem("this OpenGL offers no multitexturing (neither GL_ARB_multitexture nor "
                      "version 1.3); the ground is drawn without its detail texture");
        m_reportedSingleTexturing = true;
    }
}

void Terrain::releaseGlObjects()
{
    releaseGeometry();
    const GLuint textures[4] = {colourMapTexture, detailTexture, m_detailedTexture,
                                m_mergingTexture};
    for (GLuint texture : textures)
    {
        if (texture != 0)
        {
            glDeleteTextures(1, &texture);
        }
    }
    colourMapTexture = 0;
    detailTexture = 0;
    m_detailedTexture = 0;
    m_mergingTexture = 0;
    m_merging = DetailedColourMap();
}

void Terrain::loadGroundImages()
{
    for (int k = 0; k < kMaterialCount; ++k)
    {
        sourceImages[k] = loadRgbImageOrPlain(kGroundImageFiles[k], size, kPlainGroundColours[k]);
    }
    detailImage = loadRgbImageOrPlain(kDetailImageFile, size, kPlainDetailColour);
}

void Terrain::uploadTextures()
{
    colourMapTexture = textureFromImage(canvasImage);
    detailTexture = textureFromImage(detailImage);
}

void Terrain::mergeDetail()
{
    startMergingDetail();
    while (!mergeDetailRows(kMaxDetailedMapSide))
    {
    }
}

void Terrain::startMergingDetail()
{
    std::fill(std::begin(m_mostDetail), std::end(m_mostDetail), 0.0f);
    for (size_t i = 0; i < detailImage.pixels.size(); ++i)
    {
        m_mostDetail[i % 3] = std::max(m_mostDetail[i % 3], float(detailImage.pixels[i]) / 255.0f);
    }
    m_mergedRows = 0;
    if (m_multitexture.available() && m_detailedTexture == 0 && m_mergingTexture == 0 &&
        colourMapTexture != 0 && m_merging.begin(canvasImage, detailImage, detailRepeat))
    {
        glGenTextures(1, &m_mergingTexture);
        glBindTexture(GL_TEXTURE_2D, m_mergingTexture);
        allocateRgbaTexture(m_merging.width(), m_merging.height());
        glBindTexture(GL_TEXTURE_2D, 0);
        // Bands of rows small enough to stay in the cache between their making and their copy.
        m_band.resize(size_t(m_merging.width()) * 4 * kMergeBandRows);
        return;
    }
    releaseGroundImages();
}

bool Terrain::mergeDetailRows(int rows)
{
    if (m_mergingTexture == 0 || m_merging.height() == 0)
    {
        return true;
    }
    const int end = std::min(m_merging.height(), m_mergedRows + std::max(rows, 1));
    glBindTexture(GL_TEXTURE_2D, m_mergingTexture);
    while (m_mergedRows < end)
    {
        const int bandRows = std::min(kMergeBandRows, end - m_mergedRows);
        m_merging.makeRows(m_mergedRows, bandRows, m_band.data());
        uploadTextureRows(m_merging.width(), m_mergedRows, bandRows, m_band.data());
        m_mergedRows += bandRows;
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    if (m_mergedRows < m_merging.height())
    {
        return false;
    }
    m_detailedTexture = m_mergingTexture;
    m_mergingTexture = 0;
    m_band = std::vector<unsigned char>();
    releaseGroundImages();
    return true;
}

void Terrain::releaseGroundImages()
{
    for (DecodedImage& image : sourceImages)
    {
        image = DecodedImage();
    }
    canvasImage = DecodedImage();
    detailImage = DecodedImage();
    // A merge under way reads them.
    m_merging = DetailedColourMap();
}

void Terrain::emitVertex(const MeshVertex& vertex) const
{
    if (m_multitexture.available())
    {
        m_multitexture.multiTexCoord2f(GL_TEXTURE0_ARB, vertex.colourS, vertex.colourT);
        m_multitexture.multiTexCoord2f(GL_TEXTURE1_ARB, vertex.detailS, vertex.detailT);
    }
    else
    {
        glTexCoord2f(vertex.colourS, vertex.colourT);
    }
    glNormal3f(vertex.normal.x, vertex.normal.y, vertex.normal.z);
    glVertex3f(vertex.position.x, vertex.position.y, vertex.position.z);
}

void Terrain::releaseGeometry()
{
    if (listBase != 0)
    {
        glDeleteLists(listBase, 4);
        listBase = 0;
    }
    for (unsigned* buffer : {&m_vertexBuffer, &m_indexBuffer})
    {
        if (*buffer != 0)
        {
            m_bufferObjects.deleteBuffers(1, buffer);
            *buffer = 0;
        }
    }
}

void Terrain::buildGeometry(const BufferObjectApi& bufferObjects)
{
    releaseGeometry();
    // Two texture units need the client-side switch to give each its coordinates.
    const bool unitsReachable =
        !m_multitexture.available() || m_multitexture.clientActiveTexture != nullptr;
    if (!heightMap.empty() && bufferObjects.available() && unitsReachable &&
        uploadMesh(bufferObjects))
    {
        return;
    }
    m_mesh.m_vertices = std::vector<TerrainVertex>();
    buildLists();
}

bool Terrain::uploadMesh(const BufferObjectApi& bufferObjects)
{
    m_bufferObjects = bufferObjects;
    unsigned buffers[2] = {0, 0};
    m_bufferObjects.genBuffers(2, buffers);
    m_vertexBuffer = buffers[0];
    m_indexBuffer = buffers[1];
    if (m_vertexBuffer == 0 || m_indexBuffer == 0)
    {
        releaseGeometry();
        return false;
    }
    // The vertices are written straight into the buffer: a copy of 3 MB made only to be copied
    // again costs more in fresh pages than in arithmetic.
    const long vertexBytes = long(TerrainMesh::vertexCount(*this) * sizeof(TerrainVertex));
    m_bufferObjects.bindBuffer(GL_ARRAY_BUFFER_ARB, m_vertexBuffer);
    if (m_mesh.m_vertices.empty())
    {
        m_bufferObjects.bufferData(GL_ARRAY_BUFFER_ARB, vertexBytes, nullptr, GL_STATIC_DRAW_ARB);
        void* mapped = m_bufferObjects.mapBuffer(GL_ARRAY_BUFFER_ARB, GL_WRITE_ONLY_ARB);
        if (mapped)
        {
            m_mesh.build(*this, static_cast<TerrainVertex*>(mapped));
        }
        if (!mapped || !m_bufferObjects.unmapBuffer(GL_ARRAY_BUFFER_ARB))
        {
            m_mesh.build(*this);
        }
    }
    // Built by prepare, or after a mapping that failed.
    if (!m_mesh.m_vertices.empty())
    {
        m_bufferObjects.bufferData(GL_ARRAY_BUFFER_ARB, vertexBytes, m_mesh.m_vertices.data(),
                                   GL_STATIC_DRAW_ARB);
        m_mesh.m_vertices = std::vector<TerrainVertex>();
    }
    m_bufferObjects.bindBuffer(GL_ELEMENT_ARRAY_BUFFER_ARB, m_indexBuffer);
    m_bufferObjects.bufferData(GL_ELEMENT_ARRAY_BUFFER_ARB,
                               long(m_mesh.m_indices.size() * sizeof(unsigned short)),
                               m_mesh.m_indices.data(), GL_STATIC_DRAW_ARB);
    m_bufferObjects.bindBuffer(GL_ARRAY_BUFFER_ARB, 0);
    m_bufferObjects.bindBuffer(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    return true;
}

void Terrain::buildLists()
{
    listBase = glGenLists(4);
    const float halfExtent = cellSize * float(size) / 2.0f;
    MeshVertex vertices[6];
    for (int k = 0; k < 4; ++k)
    {
        glNewList(listBase + unsigned(k), GL_COMPILE);
        glPushMatrix();
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        glTranslatef(-halfExtent, 0.0f, -halfExtent);
        const CellRange cells = quadrantCells(k);
        for (int x = cells.xBegin; x < cells.xEnd; ++x)
        {
            for (int z = cells.zBegin; z < cells.zEnd; ++z)
            {
                cellVertices(x, z, vertices);
                glBegin(GL_TRIANGLES);
                for (const MeshVertex& vertex : vertices)
                {
                    emitVertex(vertex);
                }
                glEnd();
            }
        }
        glPopMatrix();
        glEndList();
    }
}

void Terrain::draw(const Frustum& frustum)
{
    if (listBase == 0 && m_vertexBuffer == 0)
    {
        return;
    }
    // The eye stays above the ground, so a slope that faces away from it lies behind one that
    // faces it: culled, it is not rasterised only to fail the depth test.
    const bool wasCulling = glIsEnabled(GL_CULL_FACE) == GL_TRUE;
    glEnable(GL_CULL_FACE);
    const unsigned visible = visibleQuadrants(frustum);
    if (m_vertexBuffer != 0)
    {
        drawTiles(visible);
    }
    else
    {
        useTextures(false);
        drawLists(visible);
    }
    if (!wasCulling)
    {
        glDisable(GL_CULL_FACE);
    }

    // Later drawing expects unit 0 active, in the doubled combine, with no texture bound.
    if (m_multitexture.available())
    {
        m_multitexture.activeTexture(GL_TEXTURE1_ARB);
        glBindTexture(GL_TEXTURE_2D, 0);
        m_multitexture.activeTexture(GL_TEXTURE0_ARB);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    setCombineScaledByTwo();
}

void Terrain::useTextures(bool detailed) const
{
    if (m_multitexture.available())
    {
        m_multitexture.activeTexture(GL_TEXTURE0_ARB);
    }
    glEnable(GL_TEXTURE_2D);
    if (detailed)
    {
        glBindTexture(GL_TEXTURE_2D, m_detailedTexture);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        m_multitexture.activeTexture(GL_TEXTURE1_ARB);
        glDisable(GL_TEXTURE_2D);
        m_multitexture.activeTexture(GL_TEXTURE0_ARB);
        return;
    }
    glBindTexture(GL_TEXTURE_2D, colourMapTexture);
    setCombineScaledByTwo();
    if (m_multitexture.available())
    {
        m_multitexture.activeTexture(GL_TEXTURE1_ARB);
        glBindTexture(GL_TEXTURE_2D, detailTexture);
        glEnable(GL_TEXTURE_2D);
    }
    // The last unit multiplies plainly: the colour map's doubling happens once. The display
    // lists set the same themselves.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void Terrain::drawLists(unsigned visible) const
{
    for (int k = 0; k < 4; ++k)
    {
        if (visible & (1u << k))
        {
            glCallList(listBase + unsigned(k));
        }
    }
}

void Terrain::drawTiles(unsigned visible)
{
    m_tilesDrawn = 0;
    m_tilesDrawnDetailed = 0;
    if (visible == 0)
    {
        return;
    }
    GLfloat modelView[16];
    GLfloat projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    ClipVolume view;
    view.set(projection, modelView);

    const float halfExtent = cellSize * float(size) / 2.0f;
    glPushMatrix();
    glEnable(GL_DEPTH_TEST);
    glTranslatef(-halfExtent, 0.0f, -halfExtent);
    setTileArrays(true);

    // Nearest first: the hills in front then hide those behind them from the depth test before
    // any of their fragments is shaded. A height field has no two triangles at one depth, so
    // neither the order nor drawing the tiles the detailed map stands in for first changes a
    // pixel.
    float eye[3];
    eyePosition(modelView, eye);
    GroundLighting lighting;
    const bool detailedMap = m_detailedTexture != 0;
    if (detailedMap)
    {
        readGroundLighting(modelView, lighting);
    }
    std::array<TileDistance, kMaxTerrainTiles> order;
    int count = 0;
    for (size_t i = 0; i < m_mesh.m_tiles.size() && count < kMaxTerrainTiles; ++i)
    {
        const TerrainTile& tile = m_mesh.m_tiles[i];
        if ((visible & (1u << tile.quadrant)) != 0 && view.mayTouchBox(tile.boxMin, tile.boxMax))
        {
            float brightest[3];
            brightestLit(lighting, tile.normals, brightest);
            const bool detailed =
                detailedMap && detailedMapStandsIn(tile.mostColour, brightest, m_mostDetail);
            order[size_t(count++)] = {!detailed, squaredDistanceToCentre(tile, eye), int(i)};
        }
    }
    std::sort(order.begin(), order.begin() + count);
    m_tilesDrawn = count;
    m_tilesDrawnDetailed = 0;
    for (int k = 0; k < count; ++k)
    {
        const TileDistance& next = order[size_t(k)];
        m_tilesDrawnDetailed += next.apart ? 0 : 1;
        if (k == 0 || next.apart != order[size_t(k - 1)].apart)
        {
            useTextures(!next.apart);
        }
        drawTile(m_mesh.m_tiles[size_t(next.tile)]);
    }

    setTileArrays(false);
    glPopMatrix();
}

void Terrain::drawTile(const TerrainTile& tile) const
{
    // The arrays start at the tile's own block; the index pattern counts from there. With
    // buffers bound, the "pointers" are offsets into them.
    const char* base = nullptr;
    const size_t firstByte = size_t(tile.firstVertex) * sizeof(TerrainVertex);
    const GLsizei stride = sizeof(TerrainVertex);
    glVertexPointer(3, GL_FLOAT, stride, base + firstByte + offsetof(TerrainVertex, position));
    glNormalPointer(GL_FLOAT, stride, base + firstByte + offsetof(TerrainVertex, normal));
    if (m_multitexture.available())
    {
        m_multitexture.clientActiveTexture(GL_TEXTURE1_ARB);
        glTexCoordPointer(2, GL_FLOAT, stride, base + firstByte + offsetof(TerrainVertex, detail));
        m_multitexture.clientActiveTexture(GL_TEXTURE0_ARB);
    }
    glTexCoordPointer(2, GL_FLOAT, stride, base + firstByte + offsetof(TerrainVertex, colour));
    glDrawElements(GL_TRIANGLES, GLsizei(tile.indexCount), GL_UNSIGNED_SHORT,
                   base + size_t(tile.firstIndex) * sizeof(unsigned short));
}

void Terrain::setTileArrays(bool enable) const
{
    if (!enable)
    {
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        if (m_multitexture.available())
        {
            m_multitexture.clientActiveTexture(GL_TEXTURE1_ARB);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            m_multitexture.clientActiveTexture(GL_TEXTURE0_ARB);
        }
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        m_bufferObjects.bindBuffer(GL_ARRAY_BUFFER_ARB, 0);
        m_bufferObjects.bindBuffer(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
        return;
    }
    m_bufferObjects.bindBuffer(GL_ARRAY_BUFFER_ARB, m_vertexBuffer);
    m_bufferObjects.bindBuffer(GL_ELEMENT_ARRAY_BUFFER_ARB, m_indexBuffer);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    if (m_multitexture.available())
    {
        m_multitexture.clientActiveTexture(GL_TEXTURE1_ARB);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        m_multitexture.clientActiveTexture(GL_TEXTURE0_ARB);
    }
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
}
