// The outline of what can show of a blade: the hull of the texels with alpha, grown by a texel.
#include "world/bladeoutline.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
// In texels: x from the image's left edge, y from its bottom row. Halves of odd widths fall on
// half texels, which doubles hold exactly.
struct Point
{
    double x;
    double y;
    bool operator<(const Point& other) const
    {
        return x < other.x || (x == other.x && y < other.y);
    }
    bool operator==(const Point& other) const { return x == other.x && y == other.y; }
};

// Linear filtering reads a texel for samples up to half a texel beyond it; a whole texel covers
// the renderer's rounding too.
const int kReach = 1;

double turn(const Point& o, const Point& a, const Point& b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Andrew's monotone chain: the counter-clockwise hull without collinear corners.
std::vector<Point> convexHull(std::vector<Point> points)
{
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() < 3)
    {
        return points;
    }
    std::vector<Point> hull(2 * points.size());
    size_t count = 0;
    for (const Point& p : points)
    {
        while (count >= 2 && turn(hull[count - 2], hull[count - 1], p) <= 0.0)
        {
            --count;
        }
        hull[count++] = p;
    }
    const size_t lowerCount = count + 1;
    for (size_t i = points.size() - 1; i-- > 0;)
    {
        while (count >= lowerCount && turn(hull[count - 2], hull[count - 1], points[i]) <= 0.0)
        {
            --count;
        }
        hull[count++] = points[i];
    }
    hull.resize(count - 1); // the last repeats the first
    return hull;
}

// Where the line through a and b meets the line through c and d, if they meet ahead of b and
// behind c: what joining edges a-b and c-d directly makes of the corners between them.
bool joinEdges(const Point& a, const Point& b, const Point& c, const Point& d, Point& meeting)
{
    const double ux = b.x - a.x;
    const double uy = b.y - a.y;
    const double vx = d.x - c.x;
    const double vy = d.y - c.y;
    const double denominator = ux * vy - uy * vx;
    if (denominator <= 0.0)
    {
        return false; // parallel, or turning away: they meet behind, or never
    }
    const double along = ((c.x - a.x) * vy - (c.y - a.y) * vx) / denominator;
    const double back = ((c.x - a.x) * uy - (c.y - a.y) * ux) / denominator;
    meeting = {a.x + along * ux, a.y + along * uy};
    return along >= 1.0 && back <= 0.0;
}

double triangleArea(const Point& a, const Point& b, const Point& c)
{
    return std::abs(turn(a, b, c)) / 2.0;
}

// Drops edges of the convex `hull` until it has at most `most` corners, each time the one whose
// neighbours, extended to meet, add the least area outside it; the hull only grows, so it still
// holds everything it held. A meeting outside [left, right] x [0, top] is not taken.
void loosenHull(std::vector<Point>& hull, size_t most, double left, double right, double top)
{
    while (hull.size() > most)
    {
        const size_t n = hull.size();
        size_t best = n;
        double bestArea = 0.0;
        Point bestMeeting = {};
        for (size_t i = 0; i < n; ++i)
        {
            const Point& a = hull[(i + n - 1) % n];
            const Point& b = hull[i];
            const Point& c = hull[(i + 1) % n];
            const Point& d = hull[(i + 2) % n];
            Point meeting;
            if (!joinEdges(a, b, c, d, meeting) || meeting.x < left || meeting.x > right ||
                meeting.y < 0.0 || meeting.y > top)
            {
                continue;
            }
            const double added = triangleArea(b, meeting, c);
            if (best == n || added < bestArea)
            {
                best = i;
                bestArea = added;
                bestMeeting = meeting;
            }
        }
        if (best == n)
        {
            return;
        }
        hull[best] = bestMeeting;
        hull.erase(hull.begin() + long((best + 1) % n));
    }
}

// The texels of row y with alpha whose reach meets columns [left, right): the first and the last.
bool rowExtent(const DecodedImage& image, int y, double left, double right, int& first, int& last)
{
    first = -1;
    for (int x = 0; x < image.width; ++x)
    {
        const bool reachesHalf = x + 1 + kReach > left && x - kReach < right;
        if (reachesHalf && image.at(x, y)[3] != 0)
        {
            first = first < 0 ? x : first;
            last = x;
        }
    }
    return first >= 0;
}
} // namespace

BladeOutline wholeHalf(bool left)
{
    const float s0 = left ? 0.0f : 0.5f;
    BladeOutline outline;
    outline.cornerCount = 4;
    const float corners[4][2] = {{s0, 0.0f}, {s0 + 0.5f, 0.0f}, {s0 + 0.5f, 1.0f}, {s0, 1.0f}};
    std::copy(&corners[0][0], &corners[0][0] + 8, &outline.corners[0][0]);
    return outline;
}

BladeOutline outlineVisibleTexels(const DecodedImage& image, bool left)
{
    if (image.channels != 4 || image.width <= 0 || image.height <= 0)
    {
        return wholeHalf(left);
    }
    const double middle = image.width / 2.0;
    const double halfLeft = left ? 0.0 : middle;
    const double halfRight = left ? middle : double(image.width);
    std::vector<Point> points;
    for (int y = 0; y < image.height; ++y)
    {
        int first = 0;
        int last = 0;
        if (!rowExtent(image, y, halfLeft, halfRight, first, last))
        {
            continue;
        }
        const double x0 = std::max(halfLeft, double(first - kReach));
        const double x1 = std::min(halfRight, double(last + 1 + kReach));
        const double y0 = std::max(0.0, double(y - kReach));
        const double y1 = std::min(double(image.height), double(y + 1 + kReach));
        points.insert(points.end(), {{x0, y0}, {x1, y0}, {x0, y1}, {x1, y1}});
    }
    std::vector<Point> hull = convexHull(points);
    loosenHull(hull, kBladeOutlineCorners, halfLeft, halfRight, double(image.height));
    if (hull.size() > size_t(kBladeOutlineCapacity))
    {
        return wholeHalf(left);
    }
    BladeOutline outline;
    outline.cornerCount = hull.size() < 3 ? 0 : int(hull.size());
    for (int i = 0; i < outline.cornerCount; ++i)
    {
        outline.corners[i][0] = float(hull[size_t(i)].x / image.width);
        outline.corners[i][1] = float(hull[size_t(i)].y / image.height);
    }
    return outline;
}
