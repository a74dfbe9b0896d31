// Terrain storage and the ground-height query.
#include "terrain.h"

#include <cmath>

Terrain::~Terrain()
{
    releaseArrays();
}

void Terrain::releaseArrays()
{
    delete[] heightMap;
    delete[] normals;
    delete[] colourU;
    delete[] colourV;
    delete[] detailU;
    delete[] detailV;
    heightMap = nullptr;
    normals = nullptr;
    colourU = nullptr;
    colourV = nullptr;
    detailU = nullptr;
    detailV = nullptr;
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
    const int count = size * size;
    heightMap = new float[count]();
    normals = new Vector3[count];
    colourU = new float[count]();
    colourV = new float[count]();
    detailU = new float[count]();
    detailV = new float[count]();
}

float Terrain::groundHeight(float x, float z) const
{
    if (!heightMap)
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
    return h * heightScale + 7.0f;
}
