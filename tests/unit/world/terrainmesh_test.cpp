#include "world/terrainmesh.h"

#include "math/clipvolume.h"
#include "world/terrain.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <vector>

namespace
{
using Corner = std::array<float, 10>;

Corner cornerOf(const MeshVertex& v)
{
    return {v.colourS,  v.colourT,  v.detailS,    v.detailT,    v.normal.x,
            v.normal.y, v.normal.z, v.position.x, v.position.y, v.position.z};
}

Corner cornerOf(const TerrainVertex& v)
{
    return {v.colour[0], v.colour[1], v.detail[0],   v.detail[1],   v.normal[0],
            v.normal[1], v.normal[2], v.position[0], v.position[1], v.position[2]};
}

// The cell a triangle pair belongs to, from its second corner (x, z).
std::pair<int, int> cellOf(const TerrainVertex& second)
{
    return {int(std::lround(second.position[0] / 20.0f)),
            int(std::lround(second.position[2] / 20.0f))};
}
} // namespace

// The buffers hold exactly what the display lists hold: every cell once, its six corners in the
// same order with the same attributes, seams of the detail tiles included; and each cell in the
// tile of the quadrant whose list held it.
TEST(TerrainMesh, HoldsEveryCellOfTheListsOnceWithTheSameCorners)
{
    Terrain terrain;
    terrain.allocateArrays();
    terrain.generateHeights(90210u);
    TerrainMesh mesh;
    mesh.build(terrain);
    // Four shapes of tile (whole, or a cell short at the ground's far edges) share four patterns.
    const int n = kTerrainTileCells;
    EXPECT_EQ(mesh.m_indices.size(),
              size_t(6 * (n * n + (n - 1) * n + n * (n - 1) + (n - 1) * (n - 1))));
    auto vertexOf = [&](const TerrainTile& tile, unsigned i)
    { return mesh.m_vertices[tile.firstVertex + mesh.m_indices[i]]; };

    std::map<std::pair<int, int>, int> seen;
    for (const TerrainTile& tile : mesh.m_tiles)
    {
        const CellRange quadrant = terrain.quadrantCells(tile.quadrant);
        for (unsigned i = tile.firstIndex; i < tile.firstIndex + tile.indexCount; i += 6)
        {
            const std::pair<int, int> cell = cellOf(vertexOf(tile, i + 1));
            ++seen[cell];
            ASSERT_GE(cell.first, quadrant.xBegin);
            ASSERT_LT(cell.first, quadrant.xEnd);
            ASSERT_GE(cell.second, quadrant.zBegin);
            ASSERT_LT(cell.second, quadrant.zEnd);
            MeshVertex corners[6];
            terrain.cellVertices(cell.first, cell.second, corners);
            for (int k = 0; k < 6; ++k)
            {
                ASSERT_EQ(cornerOf(vertexOf(tile, i + k)), cornerOf(corners[k]))
                    << "cell " << cell.first << ", " << cell.second << " corner " << k;
            }
        }
    }
    EXPECT_EQ(seen.size(), size_t(255 * 255));
    for (const auto& cell : seen)
    {
        ASSERT_EQ(cell.second, 1) << cell.first.first << ", " << cell.first.second;
    }
    // Quadrant by quadrant, as the lists are called.
    for (size_t t = 1; t < mesh.m_tiles.size(); ++t)
    {
        EXPECT_GE(mesh.m_tiles[t].quadrant, mesh.m_tiles[t - 1].quadrant);
    }
}

// Written into memory of its own (a mapped buffer, in the park), the mesh is the same.
TEST(TerrainMesh, BuiltIntoOuterMemoryHoldsTheSameVertices)
{
    Terrain terrain;
    terrain.allocateArrays();
    terrain.generateHeights(31337u);
    TerrainMesh own;
    own.build(terrain);
    ASSERT_EQ(own.m_vertices.size(), TerrainMesh::vertexCount(terrain));
    std::vector<TerrainVertex> outer(TerrainMesh::vertexCount(terrain));
    TerrainMesh written;
    written.build(terrain, outer.data());
    EXPECT_TRUE(written.m_vertices.empty());
    EXPECT_EQ(written.m_indices, own.m_indices);
    ASSERT_EQ(written.m_tiles.size(), own.m_tiles.size());
    for (size_t i = 0; i < outer.size(); ++i)
    {
        ASSERT_EQ(cornerOf(outer[i]), cornerOf(own.m_vertices[i])) << "vertex " << i;
    }
}

TEST(TerrainMesh, EachTileBoxHoldsItsTrianglesInWorldCoordinates)
{
    Terrain terrain;
    terrain.allocateArrays();
    terrain.generateHeights(4711u);
    TerrainMesh mesh;
    mesh.build(terrain);
    for (const TerrainTile& tile : mesh.m_tiles)
    {
        for (unsigned i = tile.firstIndex; i < tile.firstIndex + tile.indexCount; ++i)
        {
            const TerrainVertex& v = mesh.m_vertices[tile.firstVertex + mesh.m_indices[i]];
            // The lists draw in a frame moved by minus half the extent (2560).
            const float world[3] = {v.position[0] - 2560.0f, v.position[1],
                                    v.position[2] - 2560.0f};
            for (int axis = 0; axis < 3; ++axis)
            {
                ASSERT_GE(world[axis], tile.boxMin[axis]);
                ASSERT_LE(world[axis], tile.boxMax[axis]);
            }
        }
    }
}

namespace
{
// gluPerspective and a camera at `eye` turned by yaw about y, as the park sets them.
void viewMatrices(float yawDegrees, const float eye[3], float projection[16], float modelView[16])
{
    const double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
    const double aspect = 800.0 / 600.0;
    const double nearDistance = 3.0;
    const double farDistance = 600.0;
    for (int i = 0; i < 16; ++i)
    {
        projection[i] = 0.0f;
        modelView[i] = 0.0f;
    }
    projection[0] = float(f / aspect);
    projection[5] = float(f);
    projection[10] = float((farDistance + nearDistance) / (nearDistance - farDistance));
    projection[11] = -1.0f;
    projection[14] = float(2.0 * farDistance * nearDistance / (nearDistance - farDistance));
    // Rotation about y by yaw, then translation by -eye.
    const double c = std::cos(yawDegrees * M_PI / 180.0);
    const double s = std::sin(yawDegrees * M_PI / 180.0);
    modelView[0] = float(c);
    modelView[2] = float(-s);
    modelView[5] = 1.0f;
    modelView[8] = float(s);
    modelView[10] = float(c);
    modelView[15] = 1.0f;
    modelView[12] = float(-(c * eye[0] + s * eye[2]));
    modelView[13] = -eye[1];
    modelView[14] = float(-(-s * eye[0] + c * eye[2]));
}

bool mayTouchPoint(const ClipVolume& view, float x, float y, float z)
{
    const float point[3] = {x, y, z};
    return view.mayTouchBox(point, point);
}
} // namespace

// The clip volume keeps what the projection can show and drops what it surely cannot: behind
// the eye, past the far plane, beyond the sides, above and below.
TEST(ClipVolume, KeepsWhatIsSeenAndDropsWhatCannotBe)
{
    const float eye[3] = {103.0f, 11.0f, -47.0f};
    float projection[16];
    float modelView[16];
    viewMatrices(0.0f, eye, projection, modelView); // looking along -z
    ClipVolume view;
    view.set(projection, modelView);

    EXPECT_TRUE(mayTouchPoint(view, 103.0f, 11.0f, -147.0f)) << "straight ahead";
    EXPECT_TRUE(mayTouchPoint(view, 103.0f, 11.0f, -47.0f - 599.0f)) << "just inside far";
    EXPECT_FALSE(mayTouchPoint(view, 103.0f, 11.0f, -47.0f - 601.0f)) << "past far";
    EXPECT_FALSE(mayTouchPoint(view, 103.0f, 11.0f, 53.0f)) << "behind";
    // The sides at 100 ahead: half width 100 tan(22.5) 4/3 = 55.2, half height 41.4.
    EXPECT_TRUE(mayTouchPoint(view, 103.0f + 54.0f, 11.0f, -147.0f));
    EXPECT_FALSE(mayTouchPoint(view, 103.0f + 57.0f, 11.0f, -147.0f));
    EXPECT_TRUE(mayTouchPoint(view, 103.0f, 11.0f - 40.0f, -147.0f));
    EXPECT_FALSE(mayTouchPoint(view, 103.0f, 11.0f - 43.0f, -147.0f));

    // A box reaching into the view from outside is kept, though every corner lies outside.
    const float across[2][3] = {{0.0f, -500.0f, -160.0f}, {400.0f, 500.0f, -150.0f}};
    EXPECT_TRUE(view.mayTouchBox(across[0], across[1]));
    const float beside[2][3] = {{300.0f, -500.0f, -160.0f}, {400.0f, 500.0f, -150.0f}};
    EXPECT_FALSE(view.mayTouchBox(beside[0], beside[1]));

    // Turned a third of the way round (yaw 120 looks along (sin 120, 0, -cos 120)).
    viewMatrices(120.0f, eye, projection, modelView);
    view.set(projection, modelView);
    EXPECT_TRUE(mayTouchPoint(view, 103.0f + 86.6f, 11.0f, -47.0f + 50.0f));
    EXPECT_FALSE(mayTouchPoint(view, 103.0f - 86.6f, 11.0f, -47.0f - 50.0f));
}
