// The ground's one image: the colour map interpolated the GL's way onto the detail's finer grid,
// a row at a time from the two coarse rows either side, already stretched across.
#include "world/groundimage.h"

#include <algorithm>
#include <cmath>

namespace
{
const size_t kTexelBytes = 4;

bool holdsItsRgbPixels(const DecodedImage& image)
{
    return image.channels == 3 && image.width > 0 && image.height > 0 &&
           image.pixels.size() >= image.rowBytes() * size_t(image.height);
}

inline unsigned char blendedByte(float below, float above, float weight, float detail)
{
    const float value = (below + weight * (above - below)) * detail + 0.5f;
    return static_cast<unsigned char>(static_cast<int>(std::min(value, 255.0f)));
}

// out = below + weight * (above - below), times the detail factors repeated across, rounded and
// clamped to a byte. Blocks of fixed length (and no aliasing) let the compiler vectorise it at
// any level that vectorises at all: it is most of the image's making.
void multiplyRow(const float* __restrict below, const float* __restrict above, float weight,
                 const float* __restrict detail, size_t detailCount, size_t count,
                 unsigned char* __restrict out)
{
    const size_t kBlock = 16;
    for (size_t start = 0; start < count; start += detailCount)
    {
        size_t i = 0;
        for (; i + kBlock <= detailCount; i += kBlock)
        {
            for (size_t k = 0; k < kBlock; ++k)
            {
                out[start + i + k] =
                    blendedByte(below[start + i + k], above[start + i + k], weight, detail[i + k]);
            }
        }
        for (; i < detailCount; ++i)
        {
            out[start + i] = blendedByte(below[start + i], above[start + i], weight, detail[i]);
        }
    }
}
} // namespace

std::vector<DetailedColourMap::CoarseSample> DetailedColourMap::coarseSamples(int fineCount,
                                                                              int coarseCount)
{
    std::vector<CoarseSample> samples(static_cast<size_t>(fineCount));
    for (int i = 0; i < fineCount; ++i)
    {
        const double position = (double(i) + 0.5) * coarseCount / fineCount - 0.5;
        const double below = std::floor(position);
        const int first = (int(below) % coarseCount + coarseCount) % coarseCount;
        samples[size_t(i)] = {first, (first + 1) % coarseCount, float(position - below)};
    }
    return samples;
}

bool DetailedColourMap::begin(const DecodedImage& colourMap, const DecodedImage& detail, int repeat)
{
    *this = DetailedColourMap();
    if (!holdsItsRgbPixels(colourMap) || !holdsItsRgbPixels(detail) || repeat < 1 ||
        detail.width > kMaxDetailedMapSide / repeat || detail.height > kMaxDetailedMapSide / repeat)
    {
        return false;
    }
    m_pColourMap = &colourMap;
    m_pDetail = &detail;
    m_width = detail.width * repeat;
    m_height = detail.height * repeat;
    m_columns = coarseSamples(m_width, colourMap.width);
    m_rows = coarseSamples(m_height, colourMap.height);
    m_detailFactors.resize(size_t(detail.width) * size_t(detail.height) * kTexelBytes);
    for (size_t texel = 0; texel < size_t(detail.width) * size_t(detail.height); ++texel)
    {
        for (size_t c = 0; c < 3; ++c)
        {
            m_detailFactors[texel * kTexelBytes + c] =
                float(detail.pixels[texel * 3 + c]) * (2.0f / 255.0f);
        }
        m_detailFactors[texel * kTexelBytes + 3] = 1.0f;
    }
    m_below.resize(size_t(m_width) * kTexelBytes);
    m_above.resize(m_below.size());
    return true;
}

void DetailedColourMap::stretchRow(int coarseRow, float* fine) const
{
    const unsigned char* coarse = m_pColourMap->at(0, coarseRow);
    for (size_t x = 0; x < m_columns.size(); ++x)
    {
        const CoarseSample& column = m_columns[x];
        const unsigned char* left = coarse + size_t(column.first) * 3;
        const unsigned char* right = coarse + size_t(column.second) * 3;
        for (size_t c = 0; c < 3; ++c)
        {
            fine[x * kTexelBytes + c] =
                float(left[c]) + column.weight * (float(right[c]) - float(left[c]));
        }
        fine[x * kTexelBytes + 3] = 255.0f;
    }
}

void DetailedColourMap::makeRows(int first, int count, unsigned char* out)
{
    const size_t rowBytes = size_t(m_width) * kTexelBytes;
    const size_t detailRowBytes = size_t(m_pDetail ? m_pDetail->width : 0) * kTexelBytes;
    for (int y = std::max(first, 0); y < std::min(first + count, m_height); ++y)
    {
        const CoarseSample& row = m_rows[size_t(y)];
        if (row.first != m_stretchedBelow)
        {
            // Moving up one coarse row, the row above becomes the one below.
            if (row.first == m_stretchedAbove)
            {
                m_below.swap(m_above);
            }
            else
            {
                stretchRow(row.first, m_below.data());
            }
            stretchRow(row.second, m_above.data());
            m_stretchedBelow = row.first;
            m_stretchedAbove = row.second;
        }
        const float* detailRow = &m_detailFactors[size_t(y % m_pDetail->height) * detailRowBytes];
        multiplyRow(m_below.data(), m_above.data(), row.weight, detailRow, detailRowBytes, rowBytes,
                    out + size_t(y - first) * rowBytes);
    }
}

NormalCone coneAround(const Vector3* normals, int count)
{
    NormalCone cone;
    Vector3 sum;
    for (int i = 0; i < count; ++i)
    {
        sum += normals[i];
    }
    const float length = sum.length();
    if (count == 0 || length <= 0.0f)
    {
        return cone;
    }
    cone.axis = sum / length;
    cone.cosSpread = 1.0f;
    for (int i = 0; i < count; ++i)
    {
        const float normalLength = normals[i].length();
        const float cosine =
            normalLength > 0.0f ? cone.axis.dot(cone.axis, normals[i]) / normalLength : -1.0f;
        cone.cosSpread = std::min(cone.cosSpread, cosine);
    }
    return cone;
}

float mostFacing(const NormalCone& cone, Vector3 light)
{
    const float cosToAxis = std::clamp(light.dot(cone.axis, light), -1.0f, 1.0f);
    if (cone.cosSpread <= -1.0f || cosToAxis >= cone.cosSpread)
    {
        return 1.0f; // the light's own direction lies in the cone
    }
    // Nearest the light, a normal of the cone's rim turned towards it: cos(angle - spread).
    const float sinToAxis = std::sqrt(std::max(0.0f, 1.0f - cosToAxis * cosToAxis));
    const float sinSpread = std::sqrt(std::max(0.0f, 1.0f - cone.cosSpread * cone.cosSpread));
    return std::max(0.0f, cosToAxis * cone.cosSpread + sinToAxis * sinSpread);
}

void brightestLit(const GroundLighting& lighting, const NormalCone& cone, float out[3])
{
    float facing[GroundLighting::kMostLights];
    for (int l = 0; l < lighting.directionalCount; ++l)
    {
        facing[l] = mostFacing(cone, lighting.directions[l]);
    }
    for (int c = 0; c < 3; ++c)
    {
        float lit = lighting.base[c] + lighting.nearbyDiffuse[c];
        for (int l = 0; l < lighting.directionalCount; ++l)
        {
            lit += lighting.diffuse[l][c] * facing[l];
        }
        out[c] = std::min(lit, 1.0f);
    }
}

bool detailedMapStandsIn(const float mostColour[3], const float brightestLight[3],
                         const float mostDetail[3])
{
    for (int c = 0; c < 3; ++c)
    {
        if (2.0f * mostColour[c] * brightestLight[c] > 1.0f ||
            2.0f * mostColour[c] * mostDetail[c] > 1.0f)
        {
            return false;
        }
    }
    return true;
}
