// Every reference frame drawn now matches the committed picture made before the drawing code was
// last changed: at most 0.5 % of the pixels may differ, each by more than 2 levels in some
// channel (an edge rasterised from matrices multiplied in another order may move by a pixel;
// nothing may appear, vanish or change colour). The pictures are remade only by
// scripts/make-reference-pictures, never by this test.
#include "referencescene.h"

#include "pngwriter.h"
#include "scratchdirectory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
Pixels readReference(const std::string& path)
{
    Pixels pixels;
    RgbImage image;
    if (readImageRgb(path, image))
    {
        pixels.width = image.width;
        pixels.height = image.height;
        pixels.rgb = image.pixels;
    }
    return pixels;
}

class ReferencePictures : public testing::TestWithParam<unsigned>
{
};
} // namespace

TEST_P(ReferencePictures, FramesMatchTheCommittedPictures)
{
    const unsigned seed = GetParam();
    ScratchDirectory directory("quillmere-reference");
    directory.copyFromPark({"data", "textures", "terrainTexs"});
    const char* keep = std::getenv("QUILLMERE_SHOTS");
    for (int pose = 0; pose < kReferencePoseCount; ++pose)
    {
        for (float sunAngle : kReferenceSunAngles)
        {
            const std::string name = referencePictureName(seed, pose, sunAngle);
            const Pixels reference = readReference(referencePicturePath(seed, pose, sunAngle));
            ASSERT_EQ(reference.width, 800) << name << ": no reference picture";
            const Pixels frame = renderReferenceFrame(seed, pose, sunAngle);
            ASSERT_GT(frame.contrast(), 3.0) << name << ": a flat frame";
            const double differing = frame.differingFraction(reference, 2);
            std::printf("%s: %.4f %% of the pixels differ\n", name.c_str(), differing * 100.0);
            EXPECT_LE(differing, 0.005) << name << ": " << differing * 100.0 << " % differ";
            if (keep || differing > 0.005)
            {
                const std::string saved = std::string(keep ? keep : "/tmp") + "/now-" + name;
                savePixelsPng(frame, saved);
                std::printf("frame drawn now: %s\n", saved.c_str());
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, ReferencePictures, testing::ValuesIn(kReferenceSeeds),
                         [](const testing::TestParamInfo<unsigned>& info)
                         { return "seed" + std::to_string(info.param); });
