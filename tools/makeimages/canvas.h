// Painting helpers of the image generator: per-pixel painting for textures, and a supersampled
// canvas of filled shapes for the cut-out plant sprites and the leaf tile.
#pragma once

#include "bmpwriter.h"
#include "pngwriter.h"

#include <functional>
#include <vector>

struct Colour
{
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

inline Colour operator*(Colour c, float k)
{
    return {c.r * k, c.g * k, c.b * k};
}
inline Colour operator+(Colour a, Colour b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Colour blend(Colour a, Colour b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// 0..1 to 0..255, clamped and rounded.
unsigned char toByte(float value);

// Paints every pixel from its centre's texture coordinates u, v in (0, 1); v = 0 is the bottom.
// A painter built from tileable noise therefore gives a tileable image.
RgbImage paintImage(int width, int height, const std::function<Colour(float u, float v)>& painter);

struct Point
{
    float x;
    float y;
};

// Shapes are given in output pixels, y up, and resolved with `factor` x `factor` samples per
// pixel: a pixel's alpha is the share of its samples a shape covers, its colour the mean of the
// covered samples. Later shapes cover earlier ones.
class ShapeCanvas
{
public:
    // Colour of a shape at shape-local coordinates: along in [0, 1] from base to tip, across in
    // [-1, 1] (ellipses: both in [-1, 1]).
    using Shader = std::function<Colour(float along, float across)>;

    ShapeCanvas(int width, int height, int factor = 4);

    // Shapes reaching past an edge come back in at the opposite one (for tileable images).
    void setWrapping(bool wrapping) { m_wrapping = wrapping; }

    // A segment whose radius runs from radiusA at a to radiusB at b, with round ends.
    void fillTaperedSegment(Point a, float radiusA, Point b, float radiusB, const Shader& shader);
    // A pointed leaf from base to tip, widest (halfWidth) a little below the middle.
    void fillLeaf(Point base, Point tip, float halfWidth, const Shader& shader);
    // An ellipse with radii rx, ry turned by angle (radians).
    void fillEllipse(Point centre, float rx, float ry, float angle, const Shader& shader);
    // A curve through a quadratic Bezier (a, control, b) as tapered segments.
    void fillCurve(Point a, Point control, Point b, float radiusA, float radiusB, int pieces,
                   const Shader& shader);

    // Pixels with their coverage as alpha; colours of uncovered pixels are spread in from the
    // nearest covered ones, so filtering never blends in a foreign colour.
    RgbaImage resolve() const;

private:
    using Test = std::function<bool(float x, float y, float& along, float& across)>;
    void fillShape(float minX, float minY, float maxX, float maxY, const Test& inside,
                   const Shader& shader);
    void fillShapeOnce(float minX, float minY, float maxX, float maxY, float offsetX, float offsetY,
                       const Test& inside, const Shader& shader);

    int m_width;
    int m_height;
    int m_factor;
    bool m_wrapping = false;
    std::vector<Colour> m_colour;
    std::vector<unsigned char> m_covered;
};

// Gives every fully transparent pixel the colour of its nearest non-transparent neighbours.
void spreadColourIntoTransparency(RgbaImage& image);

// Evaluates a quadratic Bezier.
Point bezier(Point a, Point control, Point b, float t);
