// The sky's two boxes round the eye, the stars' and the clouds', and the clouds' box cut along the
// edges of the stars' so that both can be drawn in one pass: each piece lies on one face of each
// box, so both textures follow from its corners. Free of GL.
#pragma once

// One quad of a box: corner signs (x, y, z) and texture coordinates in units of the repeat; the
// normal points inwards (zero on a box that is not lit).
struct BoxFace
{
    float normal[3];
    float corners[4][3];
    float texCoords[4][2];
};

// The star box, wound so that each face's inner side is its front (back faces are culled).
extern const BoxFace kSkyCubeFaces[6];
// The cloud box: the four sides first, then bottom and top.
extern const BoxFace kCloudBoxFaces[6];

// Each of the six cloud faces meets at most the six star faces, and the pieces a small square
// crosses are cut into up to four round it; a quad cut by four planes has at most eight corners.
const int kSkyPieceCapacity = 64;
const int kSkyPieceCornerCapacity = 8;

struct SkyPieceCorner
{
    float position[3] = {}; // on the cloud box, in the frame the star box is drawn in
    // (s q, t q, 0, q): the star box's texture seen through this point.
    float projected[4] = {};
    float cloudCoords[2] = {};
};

struct SkyPiece
{
    float normal[3] = {}; // its cloud face's, inwards, in the star box's frame
    int cornerCount = 0;
    SkyPieceCorner corners[kSkyPieceCornerCapacity];
};

struct SkyPieces
{
    int count = 0;
    SkyPiece pieces[kSkyPieceCapacity];
};

// The cloud box of half size `cloudHalfSize`, turned `cloudAngleDegrees` about (1, 1, 0) as
// glRotatef turns it, cut where the star box's faces meet; the stars repeat `starRepeat` times
// along a face. Neighbouring pieces meet on the same corners, so the pieces cover every line of
// sight once, without seams.
void cutCloudBoxAlongStars(float cloudHalfSize, float cloudAngleDegrees, float starRepeat,
                           SkyPieces& out);

// A square of half size `halfSize` in the plane z = `z`, turned `turnDegrees` about x as
// glRotatef turns it: where the sun or the moon is drawn.
struct SkySquare
{
    float halfSize;
    float z;
    float turnDegrees;
};

// The parts of `pieces` seen through `square`, and the parts seen beside it: together the pieces
// again, meeting on the same corners. Every corner keeps the coordinates of the piece it was cut
// from.
void cutPiecesToSquare(const SkyPieces& pieces, const SkySquare& square, SkyPieces& out);
void cutPiecesAroundSquare(const SkyPieces& pieces, const SkySquare& square, SkyPieces& out);

// The square's corners in turn, in the frame it is drawn in.
void squareCorners(const SkySquare& square, float corners[4][3]);
