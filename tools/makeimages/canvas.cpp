// Per-pixel painting and the supersampled shape canvas.
#include "canvas.h"

#include <algorithm>
#include <cmath>

unsigned char toByte(float value)
{
    const float scaled = value * 255.0f + 0.5f;
    return scaled <= 0.0f ? 0 : (scaled >= 255.0f ? 255 : (unsigned char)(scaled));
}

RgbImage paintImage(int width, int height, const std::function<Colour(float u, float v)>& painter)
{
    RgbImage image(width, height);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const Colour c =
                painter((float(x) + 0.5f) / float(width), (float(y) + 0.5f) / float(height));
            unsigned char* p = image.at(x, y);
            p[0] = toByte(c.r);
            p[1] = toByte(c.g);
            p[2] = toByte(c.b);
        }
    }
    return image;
}

Point bezier(Point a, Point control, Point b, float t)
{
    const float s = 1.0f - t;
    return {s * s * a.x + 2.0f * s * t * control.x + t * t * b.x,
            s * s * a.y + 2.0f * s * t * control.y + t * t * b.y};
}

ShapeCanvas::ShapeCanvas(int width, int height, int factor)
    : m_width(width), m_height(height), m_factor(factor),
      m_colour(size_t(width) * size_t(height) * size_t(factor * factor)),
      m_covered(m_colour.size(), 0)
{
}

void ShapeCanvas::fillShape(float minX, float minY, float maxX, float maxY, const Test& inside,
                            const Shader& shader)
{
    if (!m_wrapping)
    {
        fillShapeOnce(minX, minY, maxX, maxY, 0.0f, 0.0f, inside, shader);
        return;
    }
    for (int dy = -1; dy <= 1; ++dy)
    {
        for (int dx = -1; dx <= 1; ++dx)
        {
            fillShapeOnce(minX, minY, maxX, maxY, float(dx * m_width), float(dy * m_height), inside,
                          shader);
        }
    }
}

// Samples the shape moved by (offsetX, offsetY) wherever it overlaps the canvas.
void ShapeCanvas::fillShapeOnce(float minX, float minY, float maxX, float maxY, float offsetX,
                                float offsetY, const Test& inside, const Shader& shader)
{
    const int samplesWide = m_width * m_factor;
    const int samplesHigh = m_height * m_factor;
    const float k = float(m_factor);
    const int x0 = std::max(0, int(std::floor((minX + offsetX) * k)));
    const int y0 = std::max(0, int(std::floor((minY + offsetY) * k)));
    const int x1 = std::min(samplesWide - 1, int(std::ceil((maxX + offsetX) * k)));
    const int y1 = std::min(samplesHigh - 1, int(std::ceil((maxY + offsetY) * k)));
    for (int sy = y0; sy <= y1; ++sy)
    {
        for (int sx = x0; sx <= x1; ++sx)
        {
            const float x = (float(sx) + 0.5f) / k - offsetX;
            const float y = (float(sy) + 0.5f) / k - offsetY;
            float along = 0.0f;
            float across = 0.0f;
            if (inside(x, y, along, across))
            {
                const size_t index = size_t(sy) * size_t(samplesWide) + size_t(sx);
                m_colour[index] = shader(along, across);
                m_covered[index] = 1;
            }
        }
    }
}

void ShapeCanvas::fillTaperedSegment(Point a, float radiusA, Point b, float radiusB,
                                     const Shader& shader)
{
    const float dx = b.x - a.x;
    const float dy = b.y - a.y;
    const float lengthSquared = std::max(dx * dx + dy * dy, 1e-6f);
    const float radius = std::max(radiusA, radiusB);
    auto inside = [=](float x, float y, float& along, float& across)
    {
        const float t = std::clamp(((x - a.x) * dx + (y - a.y) * dy) / lengthSquared, 0.0f, 1.0f);
        const float px = a.x + dx * t;
        const float py = a.y + dy * t;
        const float r = radiusA + (radiusB - radiusA) * t;
        const float side = ((x - a.x) * dy - (y - a.y) * dx) / std::sqrt(lengthSquared);
        const float distance = std::hypot(x - px, y - py);
        if (distance > r)
        {
            return false;
        }
        along = t;
        across = r > 0.0f ? std::clamp(side / r, -1.0f, 1.0f) : 0.0f;
        return true;
    };
    fillShape(std::min(a.x, b.x) - radius, std::min(a.y, b.y) - radius, std::max(a.x, b.x) + radius,
              std::max(a.y, b.y) + radius, inside, shader);
}

void ShapeCanvas::fillLeaf(Point base, Point tip, float halfWidth, const Shader& shader)
{
    const float dx = tip.x - base.x;
    const float dy = tip.y - base.y;
    const float length = std::max(std::hypot(dx, dy), 1e-3f);
    const float ux = dx / length;
    const float uy = dy / length;
    auto inside = [=](float x, float y, float& along, float& across)
    {
        const float rx = x - base.x;
        const float ry = y - base.y;
        const float t = (rx * ux + ry * uy) / length;
        if (t < 0.0f || t > 1.0f)
        {
            return false;
        }
        const float side = rx * uy - ry * ux;
        // Widest at 40 % of the length, pointed at both ends.
        const float profile = std::pow(std::sin(3.14159265f * std::pow(t, 0.75f)), 0.8f);
        const float width = halfWidth * profile;
        if (std::fabs(side) > width)
        {
            return false;
        }
        along = t;
        across = width > 0.0f ? side / width : 0.0f;
        return true;
    };
    fillShape(std::min(base.x, tip.x) - halfWidth, std::min(base.y, tip.y) - halfWidth,
              std::max(base.x, tip.x) + halfWidth, std::max(base.y, tip.y) + halfWidth, inside,
              shader);
}

void ShapeCanvas::fillEllipse(Point centre, float rx, float ry, float angle, const Shader& shader)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    auto inside = [=](float x, float y, float& along, float& across)
    {
        const float lx = ((x - centre.x) * c + (y - centre.y) * s) / rx;
        const float ly = (-(x - centre.x) * s + (y - centre.y) * c) / ry;
        if (lx * lx + ly * ly > 1.0f)
        {
            return false;
        }
        along = lx;
        across = ly;
        return true;
    };
    const float radius = std::max(rx, ry);
    fillShape(centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius, inside,
              shader);
}

void ShapeCanvas::fillCurve(Point a, Point control, Point b, float radiusA, float radiusB,
                            int pieces, const Shader& shader)
{
    for (int i = 0; i < pieces; ++i)
    {
        const float t0 = float(i) / float(pieces);
        const float t1 = float(i + 1) / float(pieces);
        const float r0 = radiusA + (radiusB - radiusA) * t0;
        const float r1 = radiusA + (radiusB - radiusA) * t1;
        // The shader sees the position along the whole curve.
        auto pieceShader = [&](float along, float across)
        { return shader(t0 + (t1 - t0) * along, across); };
        fillTaperedSegment(bezier(a, control, b, t0), r0, bezier(a, control, b, t1), r1,
                           pieceShader);
    }
}

RgbaImage ShapeCanvas::resolve() const
{
    RgbaImage image(m_width, m_height);
    const int samplesWide = m_width * m_factor;
    const float samples = float(m_factor * m_factor);
    for (int y = 0; y < m_height; ++y)
    {
        for (int x = 0; x < m_width; ++x)
        {
            Colour sum;
            int covered = 0;
            for (int sy = 0; sy < m_factor; ++sy)
            {
                for (int sx = 0; sx < m_factor; ++sx)
                {
                    const size_t index =
                        size_t(y * m_factor + sy) * size_t(samplesWide) + size_t(x * m_factor + sx);
                    if (m_covered[index])
                    {
                        sum = sum + m_colour[index];
                        ++covered;
                    }
                }
            }
            unsigned char* p = image.at(x, y);
            if (covered > 0)
            {
                const Colour mean = sum * (1.0f / float(covered));
                p[0] = toByte(mean.r);
                p[1] = toByte(mean.g);
                p[2] = toByte(mean.b);
            }
            p[3] = toByte(float(covered) / samples);
        }
    }
    spreadColourIntoTransparency(image);
    return image;
}

void spreadColourIntoTransparency(RgbaImage& image)
{
    const int width = image.width;
    const int height = image.height;
    std::vector<unsigned char> known(size_t(width) * size_t(height));
    bool anyKnown = false;
    for (size_t i = 0; i < known.size(); ++i)
    {
        known[i] = image.pixels[i * 4 + 3] > 0;
        anyKnown = anyKnown || known[i];
    }
    if (!anyKnown)
    {
        return;
    }
    // Grow the known region one ring at a time, each new pixel the mean of its known neighbours.
    for (bool grew = true; grew;)
    {
        grew = false;
        std::vector<unsigned char> next = known;
        for (int y = 0; y < height; ++y)
        {
            for (int x = 0; x < width; ++x)
            {
                if (known[size_t(y) * size_t(width) + size_t(x)])
                {
                    continue;
                }
                int sum[3] = {0, 0, 0};
                int count = 0;
                for (int dy = -1; dy <= 1; ++dy)
                {
                    for (int dx = -1; dx <= 1; ++dx)
                    {
                        const int nx = x + dx;
                        const int ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= width || ny >= height ||
                            !known[size_t(ny) * size_t(width) + size_t(nx)])
                        {
                            continue;
                        }
                        const unsigned char* n = image.at(nx, ny);
                        sum[0] += n[0];
                        sum[1] += n[1];
                        sum[2] += n[2];
                        ++count;
                    }
                }
                if (count > 0)
                {
                    unsigned char* p = image.at(x, y);
                    for (int c = 0; c < 3; ++c)
                    {
                        p[c] = (unsigned char)((sum[c] + count / 2) / count);
                    }
                    next[size_t(y) * size_t(width) + size_t(x)] = 1;
                    grew = true;
                }
            }
        }
        known.swap(next);
    }
}
