// Building the ground's tiles: vertex blocks, indices and bounding boxes.
#include "world/terrainmesh.h"

#include "world/terrain.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

namespace
{
void setVertex(const MeshVertex& source, TerrainVertex& vertex)
{
    vertex.colour[0] = source.colourS;
    vertex.colour[1] = source.colourT;
    vertex.detail[0] = source.detailS;
    vertex.detail[1] = source.detailT;
    vertex.normal[0] = source.normal.x;
    vertex.normal[1] = source.normal.y;
    vertex.normal[2] = source.normal.z;
    vertex.position[0] = source.position.x;
    vertex.position[1] = source.position.y;
    vertex.position[2] = source.position.z;
}

// The tile's vertices (x0 .. x1, z0 .. z1), each as the tile's cells see it, from `vertices`
// on; and the box round them in world coordinates. Returns the count written.
// The colour map's texels the tile's vertices sample (vertex x lies between texels x - 1 and x,
// wrapped as the texture wraps), and its vertices' normals.
void describeTileLight(const Terrain& terrain, const CellRange& cells, TerrainTile& tile)
{
    const DecodedImage& map = terrain.canvasImage;
    if (map.channels == 3 && map.width > 0 && map.height > 0 &&
        map.pixels.size() >= map.rowBytes() * size_t(map.height))
    {
        std::fill(std::begin(tile.mostColour), std::end(tile.mostColour), 0.0f);
        for (int z = cells.zBegin - 1; z <= cells.zEnd; ++z)
        {
            for (int x = cells.xBegin - 1; x <= cells.xEnd; ++x)
            {
                const unsigned char* texel =
                    map.at((x + map.width) % map.width, (z + map.height) % map.height);
                for (int c = 0; c < 3; ++c)
                {
                    tile.mostColour[c] = std::max(tile.mostColour[c], float(texel[c]) / 255.0f);
                }
            }
        }
    }
    std::array<Vector3, (kTerrainTileCells + 1) * (kTerrainTileCells + 1)> normals;
    int count = 0;
    for (int vx = cells.xBegin; vx <= cells.xEnd; ++vx)
    {
        for (int vz = cells.zBegin; vz <= cells.zEnd; ++vz)
        {
            normals[size_t(count++)] = terrain.getNormal(vx, vz);
        }
    }
    tile.normals = coneAround(normals.data(), count);
}

unsigned writeTileVertices(const Terrain& terrain, const CellRange& cells, TerrainTile& tile,
                           TerrainVertex* vertices)
{
    unsigned written = 0;
    const float halfExtent = float(terrain.size) * terrain.cellSize / 2.0f;
    float lowest = terrain.getHeight(cells.xBegin, cells.zBegin);
    float highest = lowest;
    for (int vx = cells.xBegin; vx <= cells.xEnd; ++vx)
    {
        for (int vz = cells.zBegin; vz <= cells.zEnd; ++vz)
        {
            // Inside a tile a vertex is a far corner only of the tile's last column or row.
            const int cellX = std::min(vx, cells.xEnd - 1);
            const int cellZ = std::min(vz, cells.zEnd - 1);
            setVertex(terrain.meshVertex(vx, vz, cellX, cellZ), vertices[written++]);
            lowest = std::min(lowest, terrain.getHeight(vx, vz));
            highest = std::max(highest, terrain.getHeight(vx, vz));
        }
    }
    tile.boxMin[0] = float(cells.xBegin) * terrain.cellSize - halfExtent;
    tile.boxMax[0] = float(cells.xEnd) * terrain.cellSize - halfExtent;
    tile.boxMin[1] = lowest * terrain.heightScale;
    tile.boxMax[1] = highest * terrain.heightScale;
    tile.boxMin[2] = float(cells.zBegin) * terrain.cellSize - halfExtent;
    tile.boxMax[2] = float(cells.zEnd) * terrain.cellSize - halfExtent;
    describeTileLight(terrain, cells, tile);
    return written;
}

// Every tile of every quadrant, quadrant by quadrant.
template <class Visit> void forEachTile(const Terrain& terrain, Visit visit)
{
    for (int quadrant = 0; quadrant < 4; ++quadrant)
    {
        const CellRange quadrantCells = terrain.quadrantCells(quadrant);
        for (int x = quadrantCells.xBegin; x < quadrantCells.xEnd; x += kTerrainTileCells)
        {
            for (int z = quadrantCells.zBegin; z < quadrantCells.zEnd; z += kTerrainTileCells)
            {
                visit(quadrant, CellRange{x, std::min(x + kTerrainTileCells, quadrantCells.xEnd), z,
                                          std::min(z + kTerrainTileCells, quadrantCells.zEnd)});
            }
        }
    }
}

void addIndexPattern(int cellsAcross, int cellsDeep, std::vector<unsigned short>& indices)
{
    const int columnLength = cellsDeep + 1;
    auto vertexAt = [&](int x, int z) { return static_cast<unsigned short>(x * columnLength + z); };
    for (int x = 0; x < cellsAcross; ++x)
    {
        for (int z = 0; z < cellsDeep; ++z)
        {
            const unsigned short corners[6] = {
                vertexAt(x + 1, z), vertexAt(x, z),     vertexAt(x + 1, z + 1),
                vertexAt(x, z),     vertexAt(x, z + 1), vertexAt(x + 1, z + 1),
            };
            indices.insert(indices.end(), corners, corners + 6);
        }
    }
}

struct TileShape
{
    int cellsAcross;
    int cellsDeep;
    unsigned firstIndex;
};

// Where the pattern for tiles of this shape starts, made on first use.
unsigned patternFor(int cellsAcross, int cellsDeep, std::vector<TileShape>& shapes,
                    std::vector<unsigned short>& indices)
{
    for (const TileShape& shape : shapes)
    {
        if (shape.cellsAcross == cellsAcross && shape.cellsDeep == cellsDeep)
        {
            return shape.firstIndex;
        }
    }
    const unsigned first = unsigned(indices.size());
    addIndexPattern(cellsAcross, cellsDeep, indices);
    shapes.push_back({cellsAcross, cellsDeep, first});
    return first;
}
} // namespace

size_t TerrainMesh::vertexCount(const Terrain& terrain)
{
    size_t count = 0;
    forEachTile(
        terrain, [&](int, const CellRange& cells)
        { count += size_t(cells.xEnd - cells.xBegin + 1) * (cells.zEnd - cells.zBegin + 1); });
    return count;
}

void TerrainMesh::build(const Terrain& terrain)
{
    m_vertices.resize(vertexCount(terrain));
    buildTiles(terrain, m_vertices.data());
}

void TerrainMesh::build(const Terrain& terrain, TerrainVertex* vertices)
{
    std::vector<TerrainVertex>().swap(m_vertices);
    buildTiles(terrain, vertices);
}

void TerrainMesh::buildTiles(const Terrain& terrain, TerrainVertex* vertices)
{
    m_indices.clear();
    m_tiles.clear();
    m_tiles.reserve(kMaxTerrainTiles);
    std::vector<TileShape> shapes;
    unsigned vertexCount = 0;
    forEachTile(terrain,
                [&](int quadrant, const CellRange& cells)
                {
                    TerrainTile tile;
                    tile.quadrant = quadrant;
                    tile.firstVertex = vertexCount;
                    vertexCount += writeTileVertices(terrain, cells, tile, vertices + vertexCount);
                    const int cellsAcross = cells.xEnd - cells.xBegin;
                    const int cellsDeep = cells.zEnd - cells.zBegin;
                    tile.firstIndex = patternFor(cellsAcross, cellsDeep, shapes, m_indices);
                    tile.indexCount = unsigned(6 * cellsAcross * cellsDeep);
                    m_tiles.push_back(tile);
                });
}
