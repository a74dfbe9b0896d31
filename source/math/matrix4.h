// The skeleton's matrix: rigid transforms of joints and of the trees' branch frames, free of GL
// but laid out as OpenGL lays out its matrices, so a pose can be handed to it as it stands.
#pragma once

// 4 x 4 matrix stored column by column as OpenGL stores it: row r, column c is m[4c + r].
class Matrix4
{
public:
    float m[16];

    Matrix4() { identity(); }

    void identity();
    void assign(const Matrix4& other);
    // this = this x b, both taken as affine (bottom rows (0, 0, 0, 1)); products in double.
    void multiplyAffine(const Matrix4& b);
    // Sets m[12..14] only.
    void setTranslation(const float* v);
    // Rz * Ry * Rx of the angles in radians (X first); writes the 3 x 3 part only.
    void setRotationXYZ(const float* angles);
    // v -= translation.
    void untranslate(float* v) const;
    // v = transpose(rotation part) * v: the inverse of a pure rotation.
    void unrotate(float* v) const;
};
