// The cloud box cut along the star box: the pieces cover every line of sight once and carry both
// boxes' textures as the boxes themselves, drawn whole, would show them.
#include "math/clipvolume.h"
#include "math/random.h"
#include "world/skyboxes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{
const float kCloudHalfSize = 100.0f;
const float kStarRepeat = 2.0f;
const double kPi = 3.14159265358979323846;
// Off right angles: at a multiple of 90 degrees the boxes would be alike.
const float kCloudAngles[] = {0.0f, 37.3f, 123.7f, 301.1f};

struct Dir
{
    double x, y, z;
};

Dir operator-(Dir a, Dir b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Dir operator+(Dir a, Dir b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Dir operator*(Dir a, double s)
{
    return {a.x * s, a.y * s, a.z * s};
}
double dot(Dir a, Dir b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Dir cross(Dir a, Dir b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(Dir a)
{
    return std::sqrt(dot(a, a));
}
Dir unit(Dir a)
{
    return a * (1.0 / length(a));
}
Dir fromFloats(const float* v)
{
    return {v[0], v[1], v[2]};
}

// Rodrigues' formula: v turned by `degrees` about the unit axis k.
Dir turned(Dir v, Dir k, double degrees)
{
    const double a = degrees * kPi / 180.0;
    return v * std::cos(a) - (cross(v, k) * std::sin(a)) + k * (dot(k, v) * (1.0 - std::cos(a)));
}

const Dir kCloudAxis = {std::sqrt(0.5), std::sqrt(0.5), 0.0};

// Where the ray along d meets a box drawn as GL draws its quads (two triangles each), and the
// texture coordinates interpolated there; false when it meets no face.
bool boxTextureAlong(const BoxFace* faces, Dir d, double* coords)
{
    for (int f = 0; f < 6; ++f)
    {
        const BoxFace& face = faces[f];
        const Dir c[4] = {fromFloats(face.corners[0]), fromFloats(face.corners[1]),
                          fromFloats(face.corners[2]), fromFloats(face.corners[3])};
        const Dir normal = cross(c[1] - c[0], c[3] - c[0]);
        const double along = dot(d, normal);
        if (along == 0.0 || dot(c[0], normal) / along <= 0.0)
        {
            continue;
        }
        const Dir hit = d * (dot(c[0], normal) / along);
        for (int t = 0; t < 2; ++t)
        {
            const int i0 = 0, i1 = t == 0 ? 1 : 2, i2 = t == 0 ? 2 : 3;
            const double whole = dot(cross(c[i1] - c[i0], c[i2] - c[i0]), normal);
            const double w1 = dot(cross(hit - c[i0], c[i2] - c[i0]), normal) / whole;
            const double w2 = dot(cross(c[i1] - c[i0], hit - c[i0]), normal) / whole;
            const double w0 = 1.0 - w1 - w2;
            if (w0 >= -1e-9 && w1 >= -1e-9 && w2 >= -1e-9)
            {
                for (int k = 0; k < 2; ++k)
                {
                    coords[k] = w0 * face.texCoords[i0][k] + w1 * face.texCoords[i1][k] +
                                w2 * face.texCoords[i2][k];
                }
                return true;
            }
        }
    }
    return false;
}

// The solid angle a triangle seen from the eye spans (Van Oosterom and Strackee).
double solidAngle(Dir a, Dir b, Dir c)
{
    const double la = length(a), lb = length(b), lc = length(c);
    const double numerator = dot(a, cross(b, c));
    const double denominator = la * lb * lc + dot(a, b) * lc + dot(a, c) * lb + dot(b, c) * la;
    return 2.0 * std::atan2(std::fabs(numerator), denominator);
}

double pieceSolidAngle(const SkyPiece& piece)
{
    double sum = 0.0;
    for (int i = 1; i + 1 < piece.cornerCount; ++i)
    {
        sum +=
            solidAngle(fromFloats(piece.corners[0].position), fromFloats(piece.corners[i].position),
                       fromFloats(piece.corners[i + 1].position));
    }
    return sum;
}

// How far inside the piece's cone the ray along d runs: the least of its edges' margins.
double insideMargin(const SkyPiece& piece, Dir d)
{
    Dir middle = {0.0, 0.0, 0.0};
    for (int i = 0; i < piece.cornerCount; ++i)
    {
        middle = middle + fromFloats(piece.corners[i].position);
    }
    double margin = 1e9;
    for (int i = 0; i < piece.cornerCount; ++i)
    {
        const Dir a = fromFloats(piece.corners[i].position);
        const Dir b = fromFloats(piece.corners[(i + 1) % piece.cornerCount].position);
        Dir normal = unit(cross(a, b));
        if (dot(normal, middle) < 0.0)
        {
            normal = normal * -1.0;
        }
        margin = std::min(margin, dot(normal, unit(d)));
    }
    return margin;
}

Dir pieceMiddle(const SkyPiece& piece, double* projected, double* cloud)
{
    Dir middle = {0.0, 0.0, 0.0};
    for (int k = 0; k < 4; ++k)
    {
        projected[k] = 0.0;
    }
    cloud[0] = cloud[1] = 0.0;
    for (int i = 0; i < piece.cornerCount; ++i)
    {
        const SkyPieceCorner& corner = piece.corners[i];
        middle = middle + fromFloats(corner.position) * (1.0 / piece.cornerCount);
        for (int k = 0; k < 4; ++k)
        {
            projected[k] += corner.projected[k] / piece.cornerCount;
        }
        cloud[0] += corner.cloudCoords[0] / piece.cornerCount;
        cloud[1] += corner.cloudCoords[1] / piece.cornerCount;
    }
    return middle;
}
} // namespace

TEST(SkyBoxes, PiecesCoverEveryLineOfSightOnce)
{
    RandomSequence random(20261209u);
    for (float angle : kCloudAngles)
    {
        SkyPieces pieces;
        cutCloudBoxAlongStars(kCloudHalfSize, angle, kStarRepeat, pieces);
        ASSERT_GE(pieces.count, 6);
        double sphere = 0.0;
        for (int p = 0; p < pieces.count; ++p)
        {
            sphere += pieceSolidAngle(pieces.pieces[p]);
        }
        EXPECT_NEAR(sphere, 4.0 * kPi, 1e-4) << "cloud angle " << angle;

        for (int i = 0; i < 500; ++i)
        {
            const Dir d = {random.range(-1.0f, 1.0f), random.range(-1.0f, 1.0f),
                           random.range(-1.0f, 1.0f)};
            int within = 0;
            int clearlyWithin = 0;
            for (int p = 0; p < pieces.count; ++p)
            {
                const double margin = insideMargin(pieces.pieces[p], d);
                within += margin > -1e-6 ? 1 : 0;
                clearlyWithin += margin > 1e-6 ? 1 : 0;
            }
            EXPECT_GE(within, 1) << "a gap at cloud angle " << angle;
            EXPECT_LE(clearlyWithin, 1) << "an overlap at cloud angle " << angle;
        }
    }
}

TEST(SkyBoxes, EachPieceShowsTheStarsAndCloudsTheWholeBoxesShowThere)
{
    for (float angle : kCloudAngles)
    {
        SkyPieces pieces;
        cutCloudBoxAlongStars(kCloudHalfSize, angle, kStarRepeat, pieces);
        for (int p = 0; p < pieces.count; ++p)
        {
            const SkyPiece& piece = pieces.pieces[p];
            double projected[4];
            double cloud[2];
            const Dir middle = pieceMiddle(piece, projected, cloud);
            double stars[2];
            ASSERT_TRUE(boxTextureAlong(kSkyCubeFaces, middle, stars));
            EXPECT_NEAR(projected[0] / projected[3], kStarRepeat * stars[0], 1e-4);
            EXPECT_NEAR(projected[1] / projected[3], kStarRepeat * stars[1], 1e-4);

            // The cloud box is turned; the ray is turned back into its frame.
            const Dir local = turned(middle, kCloudAxis, -double(angle));
            double clouds[2];
            ASSERT_TRUE(boxTextureAlong(kCloudBoxFaces, local, clouds));
            EXPECT_NEAR(cloud[0], clouds[0], 1e-4) << "cloud angle " << angle;
            EXPECT_NEAR(cloud[1], clouds[1], 1e-4) << "cloud angle " << angle;
            // On the cloud box itself, lit by the normal of the face it lies on, turned with it.
            const double component[3] = {local.x, local.y, local.z};
            int axis = 0;
            for (int k = 1; k < 3; ++k)
            {
                axis = std::fabs(component[k]) > std::fabs(component[axis]) ? k : axis;
            }
            EXPECT_NEAR(std::fabs(component[axis]), kCloudHalfSize, 1e-3);
            const Dir normal = turned(fromFloats(piece.normal), kCloudAxis, -double(angle));
            const double inwards[3] = {normal.x, normal.y, normal.z};
            EXPECT_NEAR(inwards[axis] * (component[axis] > 0.0 ? 1.0 : -1.0), -1.0, 1e-5);
        }
    }
}

// A cut meets the pieces on both of its sides at the same corners, to the bit: the rasteriser
// then leaves no pixel between them. Every corner is some other piece's corner too.
TEST(SkyBoxes, PiecesMeetOnTheSameCornersBitForBit)
{
    for (float angle : kCloudAngles)
    {
        SkyPieces pieces;
        cutCloudBoxAlongStars(kCloudHalfSize, angle, kStarRepeat, pieces);
        for (int p = 0; p < pieces.count; ++p)
        {
            for (int i = 0; i < pieces.pieces[p].cornerCount; ++i)
            {
                const float* corner = pieces.pieces[p].corners[i].position;
                int shared = 0;
                for (int q = 0; q < pieces.count; ++q)
                {
                    for (int j = 0; q != p && j < pieces.pieces[q].cornerCount; ++j)
                    {
                        const float* other = pieces.pieces[q].corners[j].position;
                        shared +=
                            corner[0] == other[0] && corner[1] == other[1] && corner[2] == other[2];
                    }
                }
                EXPECT_GE(shared, 1) << "cloud angle " << angle << ", piece " << p;
            }
        }
    }
}

// The sun's square, turned part of the way through its day, and the moon's opposite it: the
// pieces cut to it cover exactly the square, those cut around it the rest of the sky, and both
// keep the stars the whole box shows there.
TEST(SkyBoxes, PiecesCutToAndAroundTheSunOrMoonCoverTheSkyOnce)
{
    SkyPieces pieces;
    cutCloudBoxAlongStars(kCloudHalfSize, 123.7f, kStarRepeat, pieces);
    const SkySquare squares[] = {
        {15.0f, -258.0f, 41.3f}, {10.0f, 258.0f, 41.3f}, {15.0f, -258.0f, 197.9f}};
    for (const SkySquare& square : squares)
    {
        SkyPieces inside;
        SkyPieces around;
        cutPiecesToSquare(pieces, square, inside);
        cutPiecesAroundSquare(pieces, square, around);
        ASSERT_GE(inside.count, 1);
        const Dir xAxis = {1.0, 0.0, 0.0};
        Dir corners[4];
        const double signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (int i = 0; i < 4; ++i)
        {
            corners[i] =
                turned({signs[i][0] * square.halfSize, signs[i][1] * square.halfSize, square.z},
                       xAxis, square.turnDegrees);
        }
        const double whole = solidAngle(corners[0], corners[1], corners[2]) +
                             solidAngle(corners[0], corners[2], corners[3]);
        double covered = 0.0;
        for (int p = 0; p < inside.count; ++p)
        {
            covered += pieceSolidAngle(inside.pieces[p]);
            double projected[4];
            double cloud[2];
            const Dir middle = pieceMiddle(inside.pieces[p], projected, cloud);
            // Within the square: its plane's crossing lies inside its edges.
            const Dir local = turned(middle, xAxis, -double(square.turnDegrees));
            const Dir onSquare = local * (square.z / local.z);
            EXPECT_GT(local.z * square.z, 0.0);
            EXPECT_LE(std::fabs(onSquare.x), square.halfSize * 1.0001);
            EXPECT_LE(std::fabs(onSquare.y), square.halfSize * 1.0001);
            double stars[2];
            ASSERT_TRUE(boxTextureAlong(kSkyCubeFaces, middle, stars));
            EXPECT_NEAR(projected[0] / projected[3], kStarRepeat * stars[0], 1e-4);
            EXPECT_NEAR(projected[1] / projected[3], kStarRepeat * stars[1], 1e-4);
        }
        EXPECT_NEAR(covered, whole, 1e-4 * whole);
        double rest = 0.0;
        for (int p = 0; p < around.count; ++p)
        {
            rest += pieceSolidAngle(around.pieces[p]);
        }
        EXPECT_NEAR(rest + covered, 4.0 * kPi, 1e-4);
        EXPECT_LE(around.count, pieces.count + 9)
            << "a small square splits only the pieces it meets";
    }
}

namespace
{
// gluPerspective's matrix and a turn of `yawDegrees` about y, column by column.
void viewMatrices(double yawDegrees, float projection[16], float modelView[16])
{
    const double f = 1.0 / std::tan(30.0 * kPi / 180.0);
    const double nearDistance = 1.0;
    const double farDistance = 600.0;
    const double c = std::cos(yawDegrees * kPi / 180.0);
    const double s = std::sin(yawDegrees * kPi / 180.0);
    const double p[16] = {f * 9.0 / 16.0,
                          0,
                          0,
                          0,
                          0,
                          f,
                          0,
                          0,
                          0,
                          0,
                          (farDistance + nearDistance) / (nearDistance - farDistance),
                          -1,
                          0,
                          0,
                          2.0 * farDistance * nearDistance / (nearDistance - farDistance),
                          0};
    const double m[16] = {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i)
    {
        projection[i] = float(p[i]);
        modelView[i] = float(m[i]);
    }
}

// How far the deepest of a fine grid of the square's points lies inside the view, in units of
// its w: negative when none is seen.
double deepestSampleInView(const SkySquare& square, const float projection[16],
                           const float modelView[16])
{
    const Dir xAxis = {1.0, 0.0, 0.0};
    double deepest = -1e9;
    for (int i = 0; i <= 40; ++i)
    {
        for (int j = 0; j <= 40; ++j)
        {
            const Dir p = turned(
                {(i / 20.0 - 1.0) * square.halfSize, (j / 20.0 - 1.0) * square.halfSize, square.z},
                xAxis, square.turnDegrees);
            double eye[4];
            double at[4];
            for (int row = 0; row < 4; ++row)
            {
                eye[row] = modelView[row] * p.x + modelView[4 + row] * p.y +
                           modelView[8 + row] * p.z + modelView[12 + row];
            }
            for (int row = 0; row < 4; ++row)
            {
                at[row] = projection[row] * eye[0] + projection[4 + row] * eye[1] +
                          projection[8 + row] * eye[2] + projection[12 + row] * eye[3];
            }
            const double w = at[3];
            const double margin =
                std::min({w - at[0], w + at[0], w - at[1], w + at[1], w + at[2], w - at[2]}) /
                std::fabs(w);
            deepest = std::max(deepest, w > 0.0 ? margin : -1.0);
        }
    }
    return deepest;
}
} // namespace

TEST(SkyBoxes, ASunOrMoonIsDroppedOnlyWhenNoPartOfItIsSeen)
{
    int dropped = 0;
    int kept = 0;
    for (double yaw : {0.0, 23.9, 151.3})
    {
        float projection[16];
        float modelView[16];
        viewMatrices(yaw, projection, modelView);
        ClipVolume view;
        view.set(projection, modelView);
        for (float turn = 0.0f; turn < 360.0f; turn += 7.3f)
        {
            for (const SkySquare& square :
                 {SkySquare{15.0f, -258.0f, turn}, SkySquare{10.0f, 258.0f, turn}})
            {
                float corners[4][3];
                squareCorners(square, corners);
                const double deepest = deepestSampleInView(square, projection, modelView);
                if (!view.mayTouchPoints(corners, 4))
                {
                    ++dropped;
                    EXPECT_LT(deepest, 0.0) << "turn " << turn << ", yaw " << yaw;
                }
                else
                {
                    ++kept;
                    // Only squares near the view's edge may be kept without a point in view.
                    EXPECT_GT(deepest, -0.15) << "turn " << turn << ", yaw " << yaw;
                }
            }
        }
    }
    EXPECT_GT(dropped, 100);
    EXPECT_GT(kept, 5);
}
