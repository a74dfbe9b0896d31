// The sky's boxes, and the cloud box cut into pieces that each lie on one star face.
#include "world/skyboxes.h"

#include <algorithm>
#include <cmath>
#include <utility>

const BoxFace kSkyCubeFaces[6] = {
    {{0, 0, 0},
     {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, 0, 0}, {{1, -1, -1}, {1, -1, 1}, {1, 1, 1}, {1, 1, -1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, 0, 0}, {{1, -1, 1}, {-1, -1, 1}, {-1, 1, 1}, {1, 1, 1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, 0, 0},
     {{-1, -1, 1}, {-1, -1, -1}, {-1, 1, -1}, {-1, 1, 1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, 0, 0},
     {{1, -1, 1}, {1, -1, -1}, {-1, -1, -1}, {-1, -1, 1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, 0, 0}, {{-1, 1, -1}, {1, 1, -1}, {1, 1, 1}, {-1, 1, 1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
};

const BoxFace kCloudBoxFaces[6] = {
    {{0, 0, 1},
     {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{-1, 0, 0},
     {{1, -1, -1}, {1, -1, 1}, {1, 1, 1}, {1, 1, -1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, 0, -1},
     {{1, -1, 1}, {-1, -1, 1}, {-1, 1, 1}, {1, 1, 1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{1, 0, 0},
     {{-1, -1, 1}, {-1, -1, -1}, {-1, 1, -1}, {-1, 1, 1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, 1, 0},
     {{-1, -1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, -1, -1}},
     {{0, 0}, {0, 1}, {1, 1}, {1, 0}}},
    {{0, -1, 0},
     {{-1, 1, 1}, {-1, 1, -1}, {1, 1, -1}, {1, 1, 1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
};

namespace
{
// The axis (0 x, 1 y, 2 z) a face lies across and the side of the eye it lies on.
void faceAxis(const BoxFace& face, int& axis, float& side)
{
    for (axis = 0; axis < 2; ++axis)
    {
        if (face.corners[0][axis] == face.corners[2][axis])
        {
            break;
        }
    }
    side = face.corners[0][axis];
}

// The rotation glRotatef makes of `degrees` about the unit axis a, row by row:
// c I + (1 - c) a a^T + s [a]x.
void rotationAbout(const double* a, float degrees, float rotation[3][3])
{
    const double radians = double(degrees) * 3.14159265358979323846 / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const double cross[3][3] = {{0.0, -a[2], a[1]}, {a[2], 0.0, -a[0]}, {-a[1], a[0], 0.0}};
    for (int row = 0; row < 3; ++row)
    {
        for (int column = 0; column < 3; ++column)
        {
            const double diagonal = row == column ? c : 0.0;
            rotation[row][column] =
                float(diagonal + (1.0 - c) * a[row] * a[column] + s * cross[row][column]);
        }
    }
}

void rotate(const float rotation[3][3], const float* in, float scale, float* out)
{
    for (int row = 0; row < 3; ++row)
    {
        out[row] =
            (rotation[row][0] * in[0] + rotation[row][1] * in[1] + rotation[row][2] * in[2]) *
            scale;
    }
}

float planeValue(const float* normal, const float* p)
{
    return normal[0] * p[0] + normal[1] * p[1] + normal[2] * p[2];
}

// Strictly before in the order of positions: both pieces beside a cut then take its corner from
// the same end, and so reach the same bits.
bool precedes(const SkyPieceCorner& a, const SkyPieceCorner& b)
{
    for (int i = 0; i < 3; ++i)
    {
        if (a.position[i] != b.position[i])
        {
            return a.position[i] < b.position[i];
        }
    }
    return false;
}

// Where the edge from a to b meets a plane, given the plane's values at both ends. Every
// coordinate a corner carries is linear along the edge (the projected ones are homogeneous).
SkyPieceCorner cornerOnCut(SkyPieceCorner a, SkyPieceCorner b, float valueA, float valueB)
{
    if (precedes(b, a))
    {
        std::swap(a, b);
        std::swap(valueA, valueB);
    }
    const float t = valueA / (valueA - valueB);
    SkyPieceCorner corner;
    for (int i = 0; i < 3; ++i)
    {
        corner.position[i] = a.position[i] + (b.position[i] - a.position[i]) * t;
    }
    for (int i = 0; i < 4; ++i)
    {
        corner.projected[i] = a.projected[i] + (b.projected[i] - a.projected[i]) * t;
    }
    for (int i = 0; i < 2; ++i)
    {
        corner.cloudCoords[i] = a.cloudCoords[i] + (b.cloudCoords[i] - a.cloudCoords[i]) * t;
    }
    return corner;
}

// The part of `in` on the side of the plane through the eye that `normal` points to.
void keepSide(const SkyPiece& in, const float* normal, SkyPiece& out)
{
    std::copy(in.normal, in.normal + 3, out.normal);
    out.cornerCount = 0;
    for (int i = 0; i < in.cornerCount; ++i)
    {
        const SkyPieceCorner& a = in.corners[i];
        const SkyPieceCorner& b = in.corners[(i + 1) % in.cornerCount];
        const float valueA = planeValue(normal, a.position);
        const float valueB = planeValue(normal, b.position);
        if (valueA >= 0.0f && out.cornerCount < kSkyPieceCornerCapacity)
        {
            out.corners[out.cornerCount++] = a;
        }
        if ((valueA >= 0.0f) != (valueB >= 0.0f) && out.cornerCount < kSkyPieceCornerCapacity)
        {
            out.corners[out.cornerCount++] = cornerOnCut(a, b, valueA, valueB);
        }
    }
}

// The four planes through the eye round star face `face`, each facing into it.
void starFacePlanes(const BoxFace& face, float planes[4][3])
{
    int axis = 0;
    float side = 0.0f;
    faceAxis(face, axis, side);
    int count = 0;
    for (int other = 0; other < 3; ++other)
    {
        for (float otherSign : {1.0f, -1.0f})
        {
            if (other != axis)
            {
                float* plane = planes[count++];
                plane[0] = plane[1] = plane[2] = 0.0f;
                plane[axis] = side;
                plane[other] = otherSign;
            }
        }
    }
}

// Adds the corner unless one within `tolerance` is there already.
void addCorner(SkyPiece& piece, const SkyPieceCorner& corner, float tolerance)
{
    for (int i = 0; i < piece.cornerCount; ++i)
    {
        const float* p = piece.corners[i].position;
        if (std::fabs(p[0] - corner.position[0]) <= tolerance &&
            std::fabs(p[1] - corner.position[1]) <= tolerance &&
            std::fabs(p[2] - corner.position[2]) <= tolerance)
        {
            return;
        }
    }
    if (piece.cornerCount < kSkyPieceCornerCapacity)
    {
        piece.corners[piece.cornerCount++] = corner;
    }
}

// (s, t) of a box face at a point of its unit-cube square.
void faceCoordsAt(const BoxFace& face, const float* point, float* coords)
{
    float along[2] = {0.0f, 0.0f};
    for (int i = 0; i < 3; ++i)
    {
        const float fromCorner = point[i] - face.corners[0][i];
        along[0] += fromCorner * (face.corners[1][i] - face.corners[0][i]) * 0.25f;
        along[1] += fromCorner * (face.corners[3][i] - face.corners[0][i]) * 0.25f;
    }
    for (int i = 0; i < 2; ++i)
    {
        coords[i] = face.texCoords[0][i] +
                    along[0] * (face.texCoords[1][i] - face.texCoords[0][i]) +
                    along[1] * (face.texCoords[3][i] - face.texCoords[0][i]);
    }
}

// The star texture seen through `position`, homogeneous in its distance along the face's axis:
// linear in the position over a piece, so the GL's interpolation and divide project it exactly.
void starCoordsAt(const BoxFace& face, const float* position, float repeat, float* coords)
{
    int axis = 0;
    float side = 0.0f;
    faceAxis(face, axis, side);
    const float q = side * position[axis];
    const float onCube[3] = {position[0] / q, position[1] / q, position[2] / q};
    float st[2];
    faceCoordsAt(face, onCube, st);
    coords[0] = repeat * st[0] * q;
    coords[1] = repeat * st[1] * q;
    coords[2] = 0.0f;
    coords[3] = q;
}

// Puts the corners of a convex piece in order round it, counter-clockwise seen from the side its
// normal points to (the eye's).
void orderRound(SkyPiece& piece)
{
    float middle[3] = {0.0f, 0.0f, 0.0f};
    for (int i = 0; i < piece.cornerCount; ++i)
    {
        for (int k = 0; k < 3; ++k)
        {
            middle[k] += piece.corners[i].position[k] / float(piece.cornerCount);
        }
    }
    const float* first = piece.corners[0].position;
    const float* n = piece.normal;
    const float u[3] = {first[0] - middle[0], first[1] - middle[1], first[2] - middle[2]};
    const float v[3] = {n[1] * u[2] - n[2] * u[1], n[2] * u[0] - n[0] * u[2],
                        n[0] * u[1] - n[1] * u[0]};
    float angles[kSkyPieceCornerCapacity];
    for (int i = 0; i < piece.cornerCount; ++i)
    {
        const float* p = piece.corners[i].position;
        const float d[3] = {p[0] - middle[0], p[1] - middle[1], p[2] - middle[2]};
        angles[i] = std::atan2(planeValue(v, d), planeValue(u, d));
    }
    for (int i = 1; i < piece.cornerCount; ++i)
    {
        for (int j = i; j > 0 && angles[j] < angles[j - 1]; --j)
        {
            std::swap(angles[j], angles[j - 1]);
            std::swap(piece.corners[j], piece.corners[j - 1]);
        }
    }
}

// Whether the piece spans any area: a face touching a star face's edge leaves a sliver of corners
// in a line, which is not drawn.
bool spansArea(const SkyPiece& piece)
{
    if (piece.cornerCount < 3)
    {
        return false;
    }
    const float* origin = piece.corners[0].position;
    float twiceArea[3] = {0.0f, 0.0f, 0.0f};
    float largest = 0.0f;
    for (int i = 1; i + 1 < piece.cornerCount; ++i)
    {
        const float* b = piece.corners[i].position;
        const float* c = piece.corners[i + 1].position;
        const float u[3] = {b[0] - origin[0], b[1] - origin[1], b[2] - origin[2]};
        const float v[3] = {c[0] - origin[0], c[1] - origin[1], c[2] - origin[2]};
        twiceArea[0] += u[1] * v[2] - u[2] * v[1];
        twiceArea[1] += u[2] * v[0] - u[0] * v[2];
        twiceArea[2] += u[0] * v[1] - u[1] * v[0];
        for (int k = 0; k < 3; ++k)
        {
            largest = std::max(largest, std::max(std::fabs(u[k]), std::fabs(v[k])));
        }
    }
    const float area = std::sqrt(planeValue(twiceArea, twiceArea));
    return area > 1e-5f * largest * largest;
}

void addPiece(const SkyPiece& piece, SkyPieces& out)
{
    if (spansArea(piece) && out.count < kSkyPieceCapacity)
    {
        out.pieces[out.count++] = piece;
    }
}

// One face of the cloud box, turned into the star box's frame.
struct CloudFace
{
    const BoxFace* face;
    SkyPiece quad; // its corners and inward normal in the star box's frame
    float rotation[3][3];
    float halfSize;
};

// The part of a cloud face seen through a star face. Its corners are made only from values a
// neighbouring piece shares (the face's own corners, its edges' crossings with the star face's
// planes, the star box's edges' crossings with the face), never from one another, so pieces on
// either side of a cut agree on its corners to the bit.
void starFacePart(const CloudFace& cloud, const BoxFace& starFace, float starRepeat, SkyPiece& out)
{
    float planes[4][3];
    starFacePlanes(starFace, planes);
    const float tolerance = 1e-4f * cloud.halfSize;
    const auto withinPlanes = [&](const float* p)
    {
        for (const float* plane : planes)
        {
            if (planeValue(plane, p) < -tolerance)
            {
                return false;
            }
        }
        return true;
    };

    std::copy(cloud.quad.normal, cloud.quad.normal + 3, out.normal);
    out.cornerCount = 0;
    for (int i = 0; i < 4; ++i)
    {
        const SkyPieceCorner& a = cloud.quad.corners[i];
        const SkyPieceCorner& b = cloud.quad.corners[(i + 1) % 4];
        if (withinPlanes(a.position))
        {
            addCorner(out, a, tolerance);
        }
        for (const float* plane : planes)
        {
            const float valueA = planeValue(plane, a.position);
            const float valueB = planeValue(plane, b.position);
            if ((valueA < 0.0f && valueB > 0.0f) || (valueA > 0.0f && valueB < 0.0f))
            {
                const SkyPieceCorner crossing = cornerOnCut(a, b, valueA, valueB);
                if (withinPlanes(crossing.position))
                {
                    addCorner(out, crossing, tolerance);
                }
            }
        }
    }
    // The star box's edges run from the eye through its corners.
    for (const float* edge : starFace.corners)
    {
        const float facing = planeValue(cloud.quad.normal, edge);
        if (facing >= 0.0f)
        {
            continue;
        }
        const float reach = -cloud.halfSize / facing;
        SkyPieceCorner crossing;
        float onCube[3];
        for (int k = 0; k < 3; ++k)
        {
            crossing.position[k] = edge[k] * reach;
        }
        for (int k = 0; k < 3; ++k)
        {
            onCube[k] = (cloud.rotation[0][k] * crossing.position[0] +
                         cloud.rotation[1][k] * crossing.position[1] +
                         cloud.rotation[2][k] * crossing.position[2]) /
                        cloud.halfSize;
        }
        if (std::fabs(onCube[0]) <= 1.0001f && std::fabs(onCube[1]) <= 1.0001f &&
            std::fabs(onCube[2]) <= 1.0001f)
        {
            faceCoordsAt(*cloud.face, onCube, crossing.cloudCoords);
            addCorner(out, crossing, tolerance);
        }
    }
    for (int i = 0; i < out.cornerCount; ++i)
    {
        starCoordsAt(starFace, out.corners[i].position, starRepeat, out.corners[i].projected);
    }
    if (out.cornerCount >= 3)
    {
        orderRound(out);
    }
}

// The square's corners in turn and its middle, turned as glRotatef turns them.
void squareCornersAndMiddle(const SkySquare& square, float corners[4][3], float centre[3])
{
    const double xAxis[3] = {1.0, 0.0, 0.0};
    float rotation[3][3];
    rotationAbout(xAxis, square.turnDegrees, rotation);
    const float signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int i = 0; i < 4; ++i)
    {
        const float corner[3] = {signs[i][0] * square.halfSize, signs[i][1] * square.halfSize,
                                 square.z};
        rotate(rotation, corner, 1.0f, corners[i]);
    }
    const float middle[3] = {0.0f, 0.0f, square.z};
    rotate(rotation, middle, 1.0f, centre);
}

// The four planes through the eye and the square's edges, each facing its middle.
void squarePlanes(const SkySquare& square, float planes[4][3])
{
    float corners[4][3];
    float centre[3];
    squareCornersAndMiddle(square, corners, centre);
    for (int i = 0; i < 4; ++i)
    {
        const float* a = corners[i];
        const float* b = corners[(i + 1) % 4];
        float* plane = planes[i];
        plane[0] = a[1] * b[2] - a[2] * b[1];
        plane[1] = a[2] * b[0] - a[0] * b[2];
        plane[2] = a[0] * b[1] - a[1] * b[0];
        if (planeValue(plane, centre) < 0.0f)
        {
            for (int k = 0; k < 3; ++k)
            {
                plane[k] = -plane[k];
            }
        }
    }
}
} // namespace

void cutCloudBoxAlongStars(float cloudHalfSize, float cloudAngleDegrees, float starRepeat,
                           SkyPieces& out)
{
    const double cloudAxis[3] = {std::sqrt(0.5), std::sqrt(0.5), 0.0};
    CloudFace cloud;
    cloud.halfSize = cloudHalfSize;
    rotationAbout(cloudAxis, cloudAngleDegrees, cloud.rotation);
    out.count = 0;
    for (const BoxFace& cloudFace : kCloudBoxFaces)
    {
        cloud.face = &cloudFace;
        cloud.quad.cornerCount = 4;
        for (int i = 0; i < 4; ++i)
        {
            SkyPieceCorner& corner = cloud.quad.corners[i];
            rotate(cloud.rotation, cloudFace.corners[i], cloudHalfSize, corner.position);
            corner.cloudCoords[0] = cloudFace.texCoords[i][0];
            corner.cloudCoords[1] = cloudFace.texCoords[i][1];
        }
        rotate(cloud.rotation, cloudFace.normal, 1.0f, cloud.quad.normal);
        for (const BoxFace& starFace : kSkyCubeFaces)
        {
            SkyPiece piece;
            starFacePart(cloud, starFace, starRepeat, piece);
            addPiece(piece, out);
        }
    }
}

namespace
{
// The part of `piece` inside all four of the square's planes, cut in their order.
void keepInsideSquare(const SkyPiece& piece, const float planes[4][3], SkyPiece& inside)
{
    inside = piece;
    SkyPiece kept;
    for (int k = 0; k < 4; ++k)
    {
        keepSide(inside, planes[k], kept);
        inside = kept;
    }
}
} // namespace

void cutPiecesToSquare(const SkyPieces& pieces, const SkySquare& square, SkyPieces& out)
{
    float planes[4][3];
    squarePlanes(square, planes);
    out.count = 0;
    for (int p = 0; p < pieces.count; ++p)
    {
        SkyPiece inside;
        keepInsideSquare(pieces.pieces[p], planes, inside);
        addPiece(inside, out);
    }
}

void cutPiecesAroundSquare(const SkyPieces& pieces, const SkySquare& square, SkyPieces& out)
{
    float planes[4][3];
    squarePlanes(square, planes);
    out.count = 0;
    for (int p = 0; p < pieces.count; ++p)
    {
        const SkyPiece& piece = pieces.pieces[p];
        SkyPiece inside;
        keepInsideSquare(piece, planes, inside);
        if (!spansArea(inside))
        {
            addPiece(piece, out);
            continue;
        }
        // Outside the first plane; inside it but outside the second; and so on: the same cuts,
        // in the same order, as the part inside all four was made with, so the parts meet it on
        // its own corners.
        inside = piece;
        for (const float* plane : planes)
        {
            const float outwards[3] = {-plane[0], -plane[1], -plane[2]};
            SkyPiece outside;
            keepSide(inside, outwards, outside);
            addPiece(outside, out);
            SkyPiece kept;
            keepSide(inside, plane, kept);
            inside = kept;
        }
    }
}

void squareCorners(const SkySquare& square, float corners[4][3])
{
    float centre[3];
    squareCornersAndMiddle(square, corners, centre);
}
