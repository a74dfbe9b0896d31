// The four plant cut-outs: a grass tuft, a small flowering tree, a low shrub and a fern. Each
// stands on the bottom edge, centred, on a transparent background.
#include "canvas.h"
#include "images.h"
#include "noise.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
const float kPi = 3.14159265f;

struct Blob
{
    Point centre;
    float radius;
};

// A random point inside one of the blobs (chosen by area), and that blob.
Point pointInBlobs(Scatter& scatter, const std::vector<Blob>& blobs, const Blob*& chosen)
{
    float total = 0.0f;
    for (const Blob& blob : blobs)
    {
        total += blob.radius * blob.radius;
    }
    float pick = scatter.range(0.0f, total);
    chosen = &blobs.back();
    for (const Blob& blob : blobs)
    {
        pick -= blob.radius * blob.radius;
        if (pick <= 0.0f)
        {
            chosen = &blob;
            break;
        }
    }
    const float angle = scatter.range(0.0f, 2.0f * kPi);
    const float distance = chosen->radius * std::sqrt(scatter.range(0.0f, 1.0f));
    return {chosen->centre.x + distance * std::cos(angle),
            chosen->centre.y + distance * std::sin(angle)};
}

// How much a point of a rounded mass faces the light (upper left): 0 in shadow, 1 lit.
float facingLight(Point p, const Blob& blob)
{
    const float nx = (p.x - blob.centre.x) / blob.radius;
    const float ny = (p.y - blob.centre.y) / blob.radius;
    return clamp01(0.5f + 0.5f * (-0.55f * nx + 0.83f * ny));
}

Point tangentOf(Point a, Point control, Point b, float t)
{
    const float dx = 2.0f * (1.0f - t) * (control.x - a.x) + 2.0f * t * (b.x - control.x);
    const float dy = 2.0f * (1.0f - t) * (control.y - a.y) + 2.0f * t * (b.y - control.y);
    const float length = std::max(std::hypot(dx, dy), 1e-4f);
    return {dx / length, dy / length};
}
} // namespace

RgbaImage paintGrassTuft()
{
    const int size = 128;
    ShapeCanvas canvas(size, size);
    Scatter scatter(1201);
    const int bladeCount = 36;
    for (int i = 0; i < bladeCount; ++i)
    {
        const float baseX = 64.0f + scatter.range(-10.0f, 10.0f);
        const float height = scatter.range(50.0f, 122.0f);
        const float lean = scatter.range(-0.7f, 0.7f) * (1.35f - height / 130.0f);
        const Point base = {baseX, -2.0f};
        Point tip = {baseX + height * std::sin(lean) * 1.3f, height * std::cos(lean)};
        tip.x = std::clamp(tip.x, 4.0f, 124.0f);
        tip.y = std::min(tip.y, 124.0f);
        const Point control = {baseX + (tip.x - baseX) * 0.15f, tip.y * 0.75f};
        const bool dry = scatter.range(0.0f, 1.0f) < 0.15f;
        // Blades drawn later are in front and lighter.
        const float depth = 0.7f + 0.45f * float(i) / float(bladeCount);
        const Colour root = Colour{0.12f, 0.24f, 0.06f} * depth;
        const Colour top =
            (dry ? Colour{0.64f, 0.60f, 0.30f} : Colour{0.42f, 0.62f, 0.18f}) * depth;
        canvas.fillCurve(base, control, tip, scatter.range(2.2f, 3.2f), 0.3f, 14,
                         [=](float along, float across)
                         {
                             const float side = across > 0.0f ? 1.0f : 0.82f;
                             return blend(root, top, std::pow(along, 0.7f)) * side;
                         });
    }
    return canvas.resolve();
}

RgbaImage paintTree()
{
    const int size = 256;
    ShapeCanvas canvas(size, size);
    Scatter scatter(1301);
    auto bark = [](float along, float across)
    {
        const float round = 0.55f + 0.45f * std::sqrt(std::max(0.0f, 1.0f - across * across));
        const float lit = across < 0.0f ? 1.0f : 0.8f;
        return Colour{0.36f, 0.28f, 0.21f} * (round * lit * (1.0f - 0.15f * along));
    };
    // Trunk and the main limbs.
    canvas.fillCurve({128.0f, -3.0f}, {120.0f, 60.0f}, {131.0f, 112.0f}, 9.0f, 5.5f, 16, bark);
    const Point fork = {131.0f, 108.0f};
    const Point limbEnds[] = {
        {76.0f, 152.0f}, {184.0f, 158.0f}, {104.0f, 182.0f}, {156.0f, 190.0f}, {128.0f, 200.0f}};
    for (const Point& end : limbEnds)
    {
        const Point control = {fork.x + (end.x - fork.x) * 0.3f, fork.y + (end.y - fork.y) * 0.7f};
        canvas.fillCurve(fork, control, end, 4.5f, 1.5f, 10, bark);
    }

    const std::vector<Blob> crown = {{{128.0f, 184.0f}, 58.0f},
                                     {{82.0f, 162.0f}, 40.0f},
                                     {{176.0f, 166.0f}, 42.0f},
                                     {{104.0f, 208.0f}, 38.0f},
                                     {{154.0f, 210.0f}, 38.0f}};
    // Shadowed inner foliage first, then lit leaf clusters on top, then blossoms.
    for (const Blob& blob : crown)
    {
        canvas.fillEllipse(blob.centre, blob.radius * 0.78f, blob.radius * 0.72f, 0.0f,
                           [](float, float) {
                               return Colour{0.07f, 0.17f, 0.06f};
                           });
    }
    const int clusterCount = 900;
    for (int i = 0; i < clusterCount; ++i)
    {
        const Blob* blob = nullptr;
        const Point p = pointInBlobs(scatter, crown, blob);
        const float light = facingLight(p, *blob);
        const float depth = 0.55f + 0.5f * float(i) / float(clusterCount);
        const Colour dark = {0.08f, 0.22f, 0.07f};
        const Colour lit = {0.34f, 0.56f, 0.17f};
        const Colour colour = blend(dark, lit, light * depth) * scatter.range(0.9f, 1.1f);
        canvas.fillEllipse(p, scatter.range(3.0f, 6.5f), scatter.range(2.0f, 4.0f),
                           scatter.range(0.0f, kPi),
                           [=](float along, float across) {
                               return colour * (1.05f - 0.15f * (along * along + across * across));
                           });
    }
    for (int i = 0; i < 40; ++i)
    {
        const Blob* blob = nullptr;
        const Point p = pointInBlobs(scatter, crown, blob);
        if (facingLight(p, *blob) < 0.45f)
        {
            continue;
        }
        const float radius = scatter.range(1.2f, 2.2f);
        canvas.fillEllipse(
            p, radius, radius, 0.0f,
            [](float along, float across)
            {
                const float centre = 1.0f - std::min(1.0f, along * along + across * across);
                return blend(Colour{0.70f, 0.07f, 0.07f}, Colour{0.95f, 0.30f, 0.22f}, centre);
            });
    }
    return canvas.resolve();
}

RgbaImage paintShrub()
{
    const int size = 128;
    ShapeCanvas canvas(size, size);
    Scatter scatter(1401);
    const std::vector<Blob> lobes = {{{64.0f, 30.0f}, 32.0f}, {{38.0f, 18.0f}, 26.0f},
                                     {{90.0f, 20.0f}, 28.0f}, {{20.0f, 8.0f}, 16.0f},
                                     {{108.0f, 8.0f}, 16.0f}, {{60.0f, 52.0f}, 20.0f}};
    for (const Blob& blob : lobes)
    {
        canvas.fillEllipse(blob.centre, blob.radius * 0.85f, blob.radius * 0.8f, 0.0f,
                           [](float, float) {
                               return Colour{0.06f, 0.13f, 0.05f};
                           });
    }
    // A few woody stems show at the foot.
    for (float x : {48.0f, 60.0f, 72.0f, 84.0f})
    {
        canvas.fillTaperedSegment({64.0f, -2.0f}, 2.0f, {x, 16.0f}, 1.0f,
                                  [](float, float across) {
                                      return Colour{0.30f, 0.22f, 0.15f} * (1.0f - 0.3f * across);
                                  });
    }
    const int leafCount = 950;
    for (int i = 0; i < leafCount; ++i)
    {
        const Blob* blob = nullptr;
        const Point p = pointInBlobs(scatter, lobes, blob);
        if (p.y < 2.0f)
        {
            continue;
        }
        const float light = facingLight(p, *blob);
        const float depth = 0.6f + 0.5f * float(i) / float(leafCount);
        // Leaves point away from the lobe's centre, mostly upwards.
        const float outward = std::atan2(p.y - blob->centre.y, p.x - blob->centre.x);
        const float angle = 0.5f * outward + 0.5f * (kPi / 2.0f) + scatter.range(-0.6f, 0.6f);
        const float length = scatter.range(5.0f, 9.0f);
        const Point tip = {p.x + length * std::cos(angle), p.y + length * std::sin(angle)};
        const Colour colour =
            blend(Colour{0.12f, 0.22f, 0.07f}, Colour{0.46f, 0.54f, 0.20f}, light * depth) *
            scatter.range(0.9f, 1.1f);
        canvas.fillLeaf(
            p, tip, length * 0.3f,
            [=](float along, float across)
            { return colour * ((across > 0.0f ? 1.05f : 0.9f) * (0.9f + 0.2f * along)); });
    }
    return canvas.resolve();
}

RgbaImage paintFern()
{
    const int size = 128;
    ShapeCanvas canvas(size, size);
    Scatter scatter(1501);
    const int frondCount = 9;
    // Outer fronds first, so the upright ones lie in front.
    std::vector<float> angles;
    for (int i = 0; i < frondCount; ++i)
    {
        angles.push_back(-1.2f + 2.4f * float(i) / float(frondCount - 1) +
                         scatter.range(-0.08f, 0.08f));
    }
    std::sort(angles.begin(), angles.end(),
              [](float a, float b) { return std::fabs(a) > std::fabs(b); });
    for (float angle : angles)
    {
        const float spread = std::fabs(angle) / 1.2f;
        const float length = 118.0f * (1.0f - 0.3f * spread) * scatter.range(0.9f, 1.0f);
        const Point base = {64.0f + 3.0f * angle, -1.0f};
        const float s = std::sin(angle);
        const float c = std::cos(angle);
        // Outer fronds rise and then arch over.
        const Point control = {base.x + s * length * 0.45f, base.y + c * length * 0.75f + 10.0f};
        Point tip = {base.x + s * length * (0.75f + 0.15f * spread),
                     base.y + c * length * 0.8f - 0.42f * length * spread};
        tip.x = std::clamp(tip.x, 6.0f, 122.0f);
        tip.y = std::clamp(tip.y, 6.0f, 122.0f);
        const Colour rachis = {0.20f, 0.33f, 0.10f};
        canvas.fillCurve(base, control, tip, 1.4f, 0.5f, 16, [=](float, float) { return rachis; });
        const float maxPinna = length * 0.17f;
        for (float t = 0.07f; t < 0.97f; t += 0.04f)
        {
            const Point p = bezier(base, control, tip, t);
            const Point d = tangentOf(base, control, tip, t);
            const float pinna =
                maxPinna * std::pow(std::sin(kPi * std::pow(t, 0.8f)), 0.8f) * (1.0f - 0.35f * t);
            const float youth = t; // fresher, lighter green towards the tip
            for (float side : {-1.0f, 1.0f})
            {
                const Point normal = {-d.y * side, d.x * side};
                const Point end = {p.x + (normal.x * 0.85f + d.x * 0.45f) * pinna,
                                   p.y + (normal.y * 0.85f + d.y * 0.45f) * pinna};
                const float upper = normal.y > 0.0f ? 1.08f : 0.85f;
                const Colour colour =
                    blend(Colour{0.17f, 0.42f, 0.10f}, Colour{0.40f, 0.64f, 0.20f}, youth) *
                    (upper * (0.75f + 0.25f * (1.0f - spread)));
                canvas.fillLeaf(p, end, pinna * 0.24f,
                                [=](float along, float across) {
                                    return colour * ((across * side > 0.0f ? 1.0f : 0.88f) *
                                                     (0.9f + 0.15f * along));
                                });
            }
        }
    }
    return canvas.resolve();
}
