// Tubes, ellipsoids and their smooth normals.
#include "meshbuilder.h"

#include <cassert>

namespace
{
// The path's direction at ring i.
Vec tangentAt(const std::vector<Ring>& rings, size_t i)
{
    const size_t before = i == 0 ? 0 : i - 1;
    const size_t after = i + 1 < rings.size() ? i + 1 : i;
    return normalized(rings[after].centre - rings[before].centre);
}

// Upper and side directions of a ring, perpendicular to the path; side = tangent x upper, the
// orientation that makes the tube's faces wind counter-clockwise outwards.
void ringAxes(const Ring& ring, const Vec& tangent, Vec& upper, Vec& side)
{
    upper = ring.up - tangent * dot(ring.up, tangent);
    if (length(upper) < 1e-6)
    {
        upper = std::fabs(tangent.y) < 0.9 ? Vec(0, 1, 0) : Vec(1, 0, 0);
        upper = upper - tangent * dot(upper, tangent);
    }
    upper = normalized(upper);
    side = cross(tangent, upper);
}

// Texture coordinates of a corner at angle phi around the ring, `along` units down the part.
void mapCorner(const SkinMapping& mapping, double phi, double along, double alongFraction,
               MeshCorner& corner)
{
    const double aroundFraction = 0.5 - 0.5 * std::cos(phi); // 0 on top, 1 underneath
    if (mapping.swatch)
    {
        corner.s = lerp(mapping.swatchS0, mapping.swatchS1, aroundFraction);
        corner.t = lerp(mapping.topT, mapping.bottomT, alongFraction);
        return;
    }
    corner.s = mapping.sOffset + along * mapping.sPerUnit;
    corner.t = lerp(mapping.topT, mapping.bottomT, aroundFraction);
}

double cubicCatmullRom(double p0, double p1, double p2, double p3, double u)
{
    return 0.5 * ((2.0 * p1) + (-p0 + p2) * u + (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3) * u * u +
                  (-p0 + 3.0 * p1 - 3.0 * p2 + p3) * u * u * u);
}

Vec catmullRom(const Vec& p0, const Vec& p1, const Vec& p2, const Vec& p3, double u)
{
    return Vec(cubicCatmullRom(p0.x, p1.x, p2.x, p3.x, u),
               cubicCatmullRom(p0.y, p1.y, p2.y, p3.y, u),
               cubicCatmullRom(p0.z, p1.z, p2.z, p3.z, u));
}
} // namespace

int SkinnedMesh::groupIndex(const std::string& name)
{
    for (size_t i = 0; i < m_groups.size(); ++i)
    {
        if (m_groups[i] == name)
        {
            return int(i);
        }
    }
    m_groups.push_back(name);
    return int(m_groups.size()) - 1;
}

void SkinnedMesh::addTube(const std::string& group, const std::vector<Ring>& rings, int segments,
                          double startCap, double endCap, const SkinMapping& mapping)
{
    assert(rings.size() >= 2 && segments >= 3);
    const int groupId = groupIndex(group);
    const size_t firstVertex = m_vertices.size();
    const size_t firstTriangle = m_triangles.size();

    std::vector<double> along(rings.size(), 0.0);
    for (size_t i = 1; i < rings.size(); ++i)
    {
        along[i] = along[i - 1] + length(rings[i].centre - rings[i - 1].centre);
    }
    const double startAlong = -startCap;
    const double total = along.back() + endCap - startAlong;
    auto fractionOf = [&](double a) { return total > 0.0 ? (a - startAlong) / total : 0.0; };

    for (size_t i = 0; i < rings.size(); ++i)
    {
        Vec upper, side;
        ringAxes(rings[i], tangentAt(rings, i), upper, side);
        for (int j = 0; j < segments; ++j)
        {
            const double phi = 2.0 * kPi * j / segments;
            SkinnedVertex vertex;
            vertex.position = rings[i].centre + upper * (rings[i].upRadius * std::cos(phi)) +
                              side * (rings[i].sideRadius * std::sin(phi));
            vertex.joint = rings[i].joint;
            m_vertices.push_back(vertex);
        }
    }
    auto ringVertex = [&](size_t ring, int j)
    { return int(firstVertex + ring * size_t(segments) + size_t(j % segments)); };
    auto corner = [&](size_t ring, int j)
    {
        MeshCorner c;
        c.vertex = ringVertex(ring, j);
        mapCorner(mapping, 2.0 * kPi * j / segments, along[ring], fractionOf(along[ring]), c);
        return c;
    };
    for (size_t i = 0; i + 1 < rings.size(); ++i)
    {
        for (int j = 0; j < segments; ++j)
        {
            m_triangles.push_back(
                {{corner(i, j), corner(i, j + 1), corner(i + 1, j + 1)}, groupId});
            m_triangles.push_back(
                {{corner(i, j), corner(i + 1, j + 1), corner(i + 1, j)}, groupId});
        }
    }

    const Vec startPole = rings.front().centre - tangentAt(rings, 0) * startCap;
    const Vec endPole = rings.back().centre + tangentAt(rings, rings.size() - 1) * endCap;
    const int startIndex = int(m_vertices.size());
    m_vertices.push_back(SkinnedVertex{startPole, Vec(), rings.front().joint});
    const int endIndex = int(m_vertices.size());
    m_vertices.push_back(SkinnedVertex{endPole, Vec(), rings.back().joint});
    const size_t last = rings.size() - 1;
    for (int j = 0; j < segments; ++j)
    {
        MeshCorner pole;
        pole.vertex = startIndex;
        mapCorner(mapping, 2.0 * kPi * (j + 0.5) / segments, startAlong, 0.0, pole);
        m_triangles.push_back({{pole, corner(0, j + 1), corner(0, j)}, groupId});
        pole.vertex = endIndex;
        mapCorner(mapping, 2.0 * kPi * (j + 0.5) / segments, along[last] + endCap, 1.0, pole);
        m_triangles.push_back({{pole, corner(last, j), corner(last, j + 1)}, groupId});
    }
    smoothNormals(firstVertex, firstTriangle);
}

void SkinnedMesh::addEllipsoid(const std::string& group, const Vec& centre, const Vec& axis,
                               double axisRadius, const Vec& up, double upRadius, double sideRadius,
                               int rings, int segments, int joint, const SkinMapping& mapping)
{
    const Vec direction = normalized(axis);
    std::vector<Ring> list;
    for (int k = 1; k < rings + 1; ++k)
    {
        const double angle = kPi * k / (rings + 1);
        Ring ring;
        ring.centre = centre + direction * (-axisRadius * std::cos(angle));
        ring.up = up;
        ring.upRadius = upRadius * std::sin(angle);
        ring.sideRadius = sideRadius * std::sin(angle);
        ring.joint = joint;
        list.push_back(ring);
    }
    const double cap = axisRadius * (1.0 - std::cos(kPi / (rings + 1)));
    addTube(group, list, segments, cap, cap, mapping);
}

void SkinnedMesh::smoothNormals(size_t firstVertex, size_t firstTriangle)
{
    for (size_t v = firstVertex; v < m_vertices.size(); ++v)
    {
        m_vertices[v].normal = Vec();
    }
    for (size_t t = firstTriangle; t < m_triangles.size(); ++t)
    {
        const MeshTriangle& triangle = m_triangles[t];
        const Vec a = m_vertices[size_t(triangle.corners[0].vertex)].position;
        const Vec b = m_vertices[size_t(triangle.corners[1].vertex)].position;
        const Vec c = m_vertices[size_t(triangle.corners[2].vertex)].position;
        const Vec areaNormal = cross(b - a, c - a); // length = twice the area
        for (const MeshCorner& corner : triangle.corners)
        {
            m_vertices[size_t(corner.vertex)].normal += areaNormal;
        }
    }
    for (size_t v = firstVertex; v < m_vertices.size(); ++v)
    {
        m_vertices[v].normal = normalized(m_vertices[v].normal);
    }
}

void SkinnedMesh::mirrorSince(size_t firstVertex, size_t firstTriangle, int axis,
                              const std::vector<int>& jointMap)
{
    const size_t vertexEnd = m_vertices.size();
    const size_t triangleEnd = m_triangles.size();
    const int offset = int(vertexEnd - firstVertex);
    for (size_t v = firstVertex; v < vertexEnd; ++v)
    {
        SkinnedVertex vertex = m_vertices[v];
        double* position[3] = {&vertex.position.x, &vertex.position.y, &vertex.position.z};
        double* normal[3] = {&vertex.normal.x, &vertex.normal.y, &vertex.normal.z};
        *position[axis] = -*position[axis];
        *normal[axis] = -*normal[axis];
        vertex.joint = vertex.joint < 0 ? -1 : jointMap[size_t(vertex.joint)];
        m_vertices.push_back(vertex);
    }
    for (size_t t = firstTriangle; t < triangleEnd; ++t)
    {
        MeshTriangle triangle = m_triangles[t];
        std::swap(triangle.corners[1], triangle.corners[2]);
        for (MeshCorner& corner : triangle.corners)
        {
            corner.vertex += offset;
        }
        m_triangles.push_back(triangle);
    }
}

void SkinnedMesh::rebindSince(size_t firstVertex, const Vec& planePoint, const Vec& planeNormal,
                              int joint)
{
    for (size_t v = firstVertex; v < m_vertices.size(); ++v)
    {
        if (dot(m_vertices[v].position - planePoint, planeNormal) > 0.0)
        {
            m_vertices[v].joint = joint;
        }
    }
}

void SkinnedMesh::turnHalfway()
{
    for (SkinnedVertex& vertex : m_vertices)
    {
        vertex.position = Vec(-vertex.position.x, vertex.position.y, -vertex.position.z);
        vertex.normal = Vec(-vertex.normal.x, vertex.normal.y, -vertex.normal.z);
    }
}

std::vector<Ring> ringsAlong(const std::vector<Station>& stations, int perSegment,
                             const std::vector<int>& segmentJoints)
{
    assert(stations.size() >= 2 && segmentJoints.size() + 1 == stations.size());
    std::vector<Ring> rings;
    const size_t count = stations.size();
    for (size_t i = 0; i + 1 < count; ++i)
    {
        const Station& a = stations[i];
        const Station& b = stations[i + 1];
        const Vec before = i == 0 ? a.centre * 2.0 - b.centre : stations[i - 1].centre;
        const Vec after = i + 2 < count ? stations[i + 2].centre : b.centre * 2.0 - a.centre;
        for (int k = 0; k < perSegment; ++k)
        {
            const double u = double(k) / perSegment;
            const double blend = smoothstep(u) * 0.5 + u * 0.5;
            Ring ring;
            ring.centre = catmullRom(before, a.centre, b.centre, after, u);
            ring.up = normalized(lerp(a.up, b.up, blend));
            ring.upRadius = lerp(a.upRadius, b.upRadius, blend);
            ring.sideRadius = lerp(a.sideRadius, b.sideRadius, blend);
            ring.joint = segmentJoints[i];
            rings.push_back(ring);
        }
    }
    Ring last;
    last.centre = stations.back().centre;
    last.up = stations.back().up;
    last.upRadius = stations.back().upRadius;
    last.sideRadius = stations.back().sideRadius;
    last.joint = segmentJoints.back();
    rings.push_back(last);
    return rings;
}
