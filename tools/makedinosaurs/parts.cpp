// Shared shapes of the animals.
#include "parts.h"

SkinMapping bodySkin(double sPerUnit, double sOffset)
{
    SkinMapping mapping;
    mapping.topT = kBodyTopT;
    mapping.bottomT = kBodyBottomT;
    mapping.sPerUnit = sPerUnit;
    mapping.sOffset = sOffset;
    return mapping;
}

SkinMapping swatchSkin(Swatch swatch)
{
    SkinMapping mapping;
    mapping.swatch = true;
    mapping.swatchS0 = swatchLeft(swatch);
    mapping.swatchS1 = swatchRight(swatch);
    mapping.topT = kSwatchBottomT;
    mapping.bottomT = kSwatchTopT;
    return mapping;
}

void bindByX(std::vector<Ring>& rings, const std::vector<std::pair<double, int>>& bounds)
{
    for (Ring& ring : rings)
    {
        ring.joint = bounds.front().second;
        for (const auto& bound : bounds)
        {
            if (ring.centre.x >= bound.first)
            {
                ring.joint = bound.second;
            }
        }
    }
}

void addHorn(Mesh& mesh, const std::string& group, const Vec& base, const Vec& direction,
             double hornLength, double baseRadius, const Vec& bend, int joint, Swatch swatch,
             int segments, int rings)
{
    const Vec forward = normalized(direction);
    const Vec up = std::fabs(forward.y) < 0.9 ? Vec(0, 1, 0) : Vec(1, 0, 0);
    std::vector<Ring> list;
    for (int k = 0; k < rings; ++k)
    {
        const double u = double(k) / rings;
        Ring ring;
        ring.centre = base + forward * (hornLength * u) + bend * (hornLength * u * u);
        ring.up = up;
        ring.upRadius = ring.sideRadius = baseRadius * (1.0 - u) * (1.0 - 0.15 * u);
        ring.joint = joint;
        list.push_back(ring);
    }
    const Vec tip = base + forward * hornLength + bend * hornLength;
    const double cap = length(tip - list.back().centre);
    mesh.addTube(group, list, segments, baseRadius * 0.3, cap, swatchSkin(swatch));
}

void addEye(Mesh& mesh, const Vec& centre, double radius, int joint)
{
    mesh.addEllipsoid("eyes", centre, Vec(1, 0, 0), radius, Vec(0, 1, 0), radius, radius, 4, 8,
                      joint, swatchSkin(SwatchDark));
}
