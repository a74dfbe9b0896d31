// Building skinned surfaces from shaped primitives: tubes swept along a path with elliptical
// cross-sections (bodies, tails, necks, limbs, horns), closed at the ends by poles, and
// ellipsoids. Every vertex belongs to one joint; normals are smooth within a part; outward faces
// wind counter-clockwise.
#pragma once

#include "geometry.h"

#include <string>
#include <vector>

struct SkinnedVertex
{
    Vec position;
    Vec normal;
    int joint = -1;
};

struct MeshCorner
{
    int vertex = 0;
    double s = 0.0;
    double t = 0.0; // OpenGL convention: 0 = the image's first stored (bottom) row
};

struct MeshTriangle
{
    MeshCorner corners[3];
    int group = 0;
};

// How a part takes its texture coordinates. Around the cross-section the coordinate runs from
// `topT` on the ring's upper side to `bottomT` on its lower side (the same on both flanks, so
// there is no seam); along the part s grows by one per `sPerUnit` inverse units of length.
struct SkinMapping
{
    double topT = 0.59;
    double bottomT = 0.01;
    double sPerUnit = 1.0 / 40.0;
    double sOffset = 0.0;
    // When set, s runs around the ring between these instead (for swatches of a fixed colour)
    // and t runs along the part from topT to bottomT.
    bool swatch = false;
    double swatchS0 = 0.0;
    double swatchS1 = 0.0;
};

// One cross-section of a tube. `up` is where the ring's upper side points (the skin's back);
// it need not be perpendicular to the path.
struct Ring
{
    Vec centre;
    Vec up = Vec(0, 1, 0);
    double upRadius = 1.0;   // half-height along up
    double sideRadius = 1.0; // half-width across
    int joint = -1;
};

// A control point of a path; rings are spread between stations with a smooth curve.
struct Station
{
    Vec centre;
    double upRadius = 1.0;
    double sideRadius = 1.0;
    Vec up = Vec(0, 1, 0);
};

class SkinnedMesh
{
public:
    // Adds a closed tube. With `startCap`/`endCap` > 0 the ends close at a pole that far beyond
    // the end ring along the path; with 0 the pole lies at the ring's centre (a flat end).
    void addTube(const std::string& group, const std::vector<Ring>& rings, int segments,
                 double startCap, double endCap, const SkinMapping& mapping);
    // An ellipsoid about `centre` with half-axis `axisRadius` along `axis`, `upRadius` along up
    // and `sideRadius` across; `rings` cross-sections.
    void addEllipsoid(const std::string& group, const Vec& centre, const Vec& axis,
                      double axisRadius, const Vec& up, double upRadius, double sideRadius,
                      int rings, int segments, int joint, const SkinMapping& mapping);

    const std::vector<SkinnedVertex>& vertices() const { return m_vertices; }
    const std::vector<MeshTriangle>& triangles() const { return m_triangles; }
    const std::vector<std::string>& groups() const { return m_groups; }

    size_t vertexCount() const { return m_vertices.size(); }
    size_t triangleCount() const { return m_triangles.size(); }
    // Adds the mirror image of everything added since the given counts, through the plane where
    // coordinate `axis` (0 = x, 2 = z) is 0; windings stay counter-clockwise and joints are
    // renamed through jointMap.
    void mirrorSince(size_t firstVertex, size_t firstTriangle, int axis,
                     const std::vector<int>& jointMap);
    // Re-binds the vertices added since `firstVertex` that lie on the given side of a plane.
    void rebindSince(size_t firstVertex, const Vec& planePoint, const Vec& planeNormal, int joint);
    // Front to back: x and z change sign.
    void turnHalfway();

private:
    int groupIndex(const std::string& name);
    void smoothNormals(size_t firstVertex, size_t firstTriangle);

    std::vector<SkinnedVertex> m_vertices;
    std::vector<MeshTriangle> m_triangles;
    std::vector<std::string> m_groups;
};

// Rings along a Catmull-Rom curve through the stations, `perSegment` rings from each station
// towards the next (and one at the last). Ring joints come from `segmentJoints`, one per
// segment between stations; the last station takes the last segment's joint.
std::vector<Ring> ringsAlong(const std::vector<Station>& stations, int perSegment,
                             const std::vector<int>& segmentJoints);
