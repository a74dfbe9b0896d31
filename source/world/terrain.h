// The park's ground: a square grid of generated heights with normals and texture coordinates,
// drawn as four multitextured quadrant display lists, and the ground-height query everything
// standing on the ground uses.
//
// Vertex (x, z) of the grid, 0 <= x, z < size, lives at index x + z * size and is drawn at world
// (x * cellSize - size * cellSize / 2, height * heightScale, z * cellSize - size * cellSize / 2).
#pragma once

#include "math/vector.h"
#include "platform/glapi.h"
#include "world/groundimage.h"
#include "world/skycover.h"
#include "world/terrainmesh.h"
#include "world/terraintexture.h"

#include <vector>

class Frustum;

// The side of the square the eye and the animals keep to, centred on the ground's middle.
const float kParkSize = 1280.0f;

// One vertex of the mesh as the display lists emit it, in the lists' translated frame.
struct MeshVertex
{
    float colourS;
    float colourT;
    float detailS;
    float detailT;
    Vector3 normal;
    Vector3 position;
};

// Cells (x, z) with xBegin <= x < xEnd and zBegin <= z < zEnd; cell (x, z) spans vertices
// x .. x + 1 and z .. z + 1.
struct CellRange
{
    int xBegin;
    int xEnd;
    int zBegin;
    int zEnd;
};

class Terrain
{
public:
    Terrain() = default;
    // Releases the textures, lists and buffers it made (none, and no GL call, if it made none).
    ~Terrain();
    Terrain(const Terrain&) = delete;
    Terrain& operator=(const Terrain&) = delete;

    unsigned listBase = 0;
    int size = 256;
    float cellSize = 20.0f;
    float heightScale = 200.0f;
    float minHillRadius = 1.0f;
    float maxHillRadius = 10.0f;
    int hillCount = 1000;
    int flattenPower = 1;
    // The six per-vertex arrays, size * size each once allocated, empty before.
    std::vector<float> heightMap;
    std::vector<Vector3> normals;
    MaterialBand materialBands[kMaterialCount] = {};
    DecodedImage sourceImages[kMaterialCount]; // the ground images, while the map is made
    std::vector<float> colourU;
    std::vector<float> colourV;
    std::vector<float> detailU;
    std::vector<float> detailV;
    DecodedImage canvasImage; // the colour map, size x size, until it is uploaded
    DecodedImage detailImage; // while it is uploaded
    unsigned colourMapTexture = 0;
    unsigned detailTexture = 0;
    int detailRepeat = 8;

    // --- Set-up (needs the GL context) ---

    // Builds the ground of `seed` (one seed, one ground): releases what an earlier call created,
    // allocates, loads the ground images, generates, uploads both textures and builds the
    // geometry. An empty set of entry points draws the ground single-textured.
    // Uses the ground prepare made for `seed`, if it did.
    // With `mergeLater`, the ground samples its two textures apart until mergeDetail is called.
    void init(const MultitextureApi& multitexture, unsigned seed, bool mergeLater = false);
    // The part of init that needs no GL, ahead of it (on another thread if need be, while nothing
    // draws the ground): allocates, loads the ground images, generates the heights, the colour
    // map and the mesh of `seed`, drawing from the park's sequence as init would.
    void prepare(unsigned seed);
    // Frees the textures, display lists and buffers of the last init. Needs the GL context.
    void releaseGlObjects();

    // The stages of init, in this order, for the benchmark, which times them:
    // startInit, loadGroundImages, generateHeights, synthesiseColourMap,
    // uploadTextures, mergeDetail, buildGeometry.
    void startInit(const MultitextureApi& multitexture); // releases, allocates, keeps the API
    void loadGroundImages(); // the material and detail images: pixels only, no GL
    void uploadTextures();   // the canvas and the detail image, kept for mergeDetail
    // With two texture units, the colour map times the repeated detail as one texture, which
    // the ground's tiles then sample instead of the two wherever the light on them cannot make
    // the picture differ (one texture read a pixel instead of two); then lets the ground images
    // go. After uploadTextures.
    void mergeDetail();
    // The same a few rows at a time: startMergingDetail, then mergeDetailRows until it returns
    // true; the ground samples the two textures until the last row is in.
    void startMergingDetail();
    bool mergeDetailRows(int rows);
    void releaseGroundImages();
    // The ground's triangles in buffer objects when the driver has them (and, with two texture
    // units, a client-side unit switch), else compiled into four display lists as before
    // buffer objects existed. Replaces the geometry of an earlier call.
    void buildGeometry(const BufferObjectApi& bufferObjects);
    void buildLists();
    void releaseGeometry();
    // The tiles the last draw drew, and how many of them from the detailed map.
    int tilesDrawn() const { return m_tilesDrawn; }
    int tilesDrawnDetailed() const { return m_tilesDrawnDetailed; }
    // True while the ground is drawn from buffer objects.
    bool drawsFromBuffers() const { return m_vertexBuffer != 0; }

    // --- Drawing ---

    // Draws the quadrants the frustum lets through (from buffers, only their tiles that can
    // reach the view of the current matrices), their back faces culled. Leaves unit 0 active in
    // combine mode at scale 2 with no texture bound, face culling as it was. Does nothing before
    // init.
    void draw(const Frustum& frustum);

    // Bit k set when quadrant k's bounding sphere passes the frustum.
    unsigned visibleQuadrants(const Frustum& frustum) const;
    CellRange quadrantCells(int k) const;
    Vector3 quadrantCentre(int k) const;
    float quadrantRadius() const;
    // The six vertices of cell (x, z), two counter-clockwise triangles split along the diagonal
    // from (x, z) to (x + 1, z + 1). Needs 0 <= x, z < size - 1.
    void cellVertices(int x, int z, MeshVertex vertices[6]) const;
    // Vertex (vx, vz) as cell (cellX, cellZ), one of the cells it is a corner of, draws it.
    MeshVertex meshVertex(int vx, int vz, int cellX, int cellZ) const;

    // --- Generation (no GL; the colour map needs the ground images loaded) ---

    // Sets the grid constants and sizes the six per-vertex arrays anew, zeroed. Needs no GL
    // context; tests use it to build a terrain by hand.
    void allocateArrays();
    // Empties the six arrays and gives their memory back.
    void releaseArrays();

    // Clears, seeds the park's generator with seed, raises the hills, then normalises, flattens
    // and computes normals and texture coordinates. Needs allocated arrays.
    void generateHeights(unsigned seed);
    void clear();
    // One hill at a random place: three draws (radius, angle, distance from the centre).
    void addHill();
    // Adds the paraboloid of radius r (in cells) centred on grid (cx, cz), clipped to the grid.
    void raiseHill(float cx, float cz, float r);
    void normalise();
    void flatten();
    void computeNormals();
    void computeTexCoords();

    // Blends the five ground images into the canvas by height and saves it as
    // "terrainTexs/finalMapTexture.bmp". Needs loadGroundImages and generated heights.
    void synthesiseColourMap();
    // The material band table the synthesis uses.
    void setMaterialBands();
    float bandWeight(int k, float h) const { return ::bandWeight(materialBands[k], h); }

    // Grid accessors; no bounds checks (callers keep 0 <= x, z < size).
    float getHeight(int x, int z) const { return heightMap[x + z * size]; }
    void setHeight(int x, int z, float h) { heightMap[x + z * size] = h; }
    void addHeight(int x, int z, float dh) { heightMap[x + z * size] += dh; }
    Vector3 getNormal(int x, int z) const { return normals[x + z * size]; }
    void setNormal(int x, int z, Vector3 n) { normals[x + z * size] = n; }
    float getColourU(int x, int z) const { return colourU[x + z * size]; }
    void setColourU(int x, int z, float u) { colourU[x + z * size] = u; }
    float getColourV(int x, int z) const { return colourV[x + z * size]; }
    void setColourV(int x, int z, float v) { colourV[x + z * size] = v; }
    float getDetailU(int x, int z) const { return detailU[x + z * size]; }
    void setDetailU(int x, int z, float u) { detailU[x + z * size] = u; }
    float getDetailV(int x, int z) const { return detailV[x + z * size]; }
    void setDetailV(int x, int z, float v) { detailV[x + z * size] = v; }

    // World height of the ground at world (x, z) plus 7 units; 0.0 off the terrain (and before
    // any heights exist).
    float groundHeight(float x, float z) const;
    // The drawn ground around world `eye`: the lowest within `farDistance` of it (where a line
    // of sight in `pSector` can pass, if given), the highest within `nearReach`, how far it goes
    // on (at most `farDistance`). False off the ground or before any heights exist.
    bool groundAround(Vector3 eye, float farDistance, float nearReach, GroundAround& around,
                      const ViewSector* pSector = nullptr) const;

    // The entry points the last init chose; empty before init or without multitexturing.
    MultitextureApi m_multitexture;

private:
    // Keeps the entry points; says once in the program's life that there are none.
    void useMultitexture(const MultitextureApi& multitexture);
    void emitVertex(const MeshVertex& vertex) const;
    bool uploadMesh(const BufferObjectApi& bufferObjects);
    void drawLists(unsigned visible) const;
    void drawTiles(unsigned visible);
    void setTileArrays(bool enable) const;
    void drawTile(const TerrainTile& tile) const;
    // The texture stages for the tiles drawn next: the colour map doubled on the first unit and
    // the detail multiplied in on the second, or the detailed map alone.
    void useTextures(bool detailed) const;

    TerrainMesh m_mesh;
    // The colour map times the detail in one texture, once mergeDetail made it; else 0.
    unsigned m_detailedTexture = 0;
    // A merge under way: its texture, the image it reads from, the rows in and a band's room.
    static constexpr int kMergeBandRows = 32;
    unsigned m_mergingTexture = 0;
    DetailedColourMap m_merging;
    int m_mergedRows = 0;
    std::vector<unsigned char> m_band;
    float m_mostDetail[3] = {1.0f, 1.0f, 1.0f}; // each channel's largest in the detail
    int m_tilesDrawn = 0;
    int m_tilesDrawnDetailed = 0;

    bool m_reportedSingleTexturing = false;
    bool m_prepared = false;
    unsigned m_preparedSeed = 0;
    BufferObjectApi m_bufferObjects;
    unsigned m_vertexBuffer = 0;
    unsigned m_indexBuffer = 0;
};
