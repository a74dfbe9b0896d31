// The scene drawn at half the window's size and scaled up: the same park, softer; the help drawn
// over it at the window's own resolution; a screenshot drawn whole at the window's size.
// Google Test before X11, whose macros (None, Bool) would otherwise rename its types.
#include <gtest/gtest.h>

#include "fakeplatform.h"
#include "glsupport.h"
#include "runningpark.h"
#include "scratchdirectory.h"

#include <GL/freeglut.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
// The picture's brightness averaged over `block` x `block` squares.
std::vector<double> blockMeans(const Pixels& pixels, int block)
{
    std::vector<double> means;
    for (int by = 0; by + block <= pixels.height; by += block)
    {
        for (int bx = 0; bx + block <= pixels.width; bx += block)
        {
            double sum = 0.0;
            for (int y = by; y < by + block; ++y)
            {
                for (int x = bx; x < bx + block; ++x)
                {
                    const unsigned char* p = pixels.at(x, y);
                    sum += p[0] + p[1] + p[2];
                }
            }
            means.push_back(sum / double(block * block));
        }
    }
    return means;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b)
{
    double meanA = 0.0;
    double meanB = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
    {
        meanA += a[i];
        meanB += b[i];
    }
    meanA /= double(a.size());
    meanB /= double(b.size());
    double ab = 0.0;
    double aa = 0.0;
    double bb = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
    {
        ab += (a[i] - meanA) * (b[i] - meanB);
        aa += (a[i] - meanA) * (a[i] - meanA);
        bb += (b[i] - meanB) * (b[i] - meanB);
    }
    return ab / std::sqrt(aa * bb);
}

// Mean difference between horizontal neighbours inside a rectangle: fine detail.
double detail(const Pixels& pixels, int left, int bottom, int right, int top)
{
    double sum = 0.0;
    for (int y = bottom; y < top; ++y)
    {
        for (int x = left + 1; x < right; ++x)
        {
            const unsigned char* a = pixels.at(x - 1, y);
            const unsigned char* b = pixels.at(x, y);
            sum += std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
        }
    }
    return sum / double((right - left - 1) * (top - bottom));
}

// The bright pixels of the panel's letters, where they are.
std::vector<bool> letterMask(const Pixels& shown, int left, int bottom, int right, int top)
{
    std::vector<bool> mask;
    for (int y = bottom; y < top; ++y)
    {
        for (int x = left; x < right; ++x)
        {
            const unsigned char* p = shown.at(x, y);
            mask.push_back(p[0] + p[1] + p[2] > 480);
        }
    }
    return mask;
}

// The frame as the window shows it, however it got there.
Pixels drawn(Shell& shell, int width = 800, int height = 600)
{
    shell.display();
    glFinish();
    return readWindow(width, height);
}

// The same `width` x `height` piece of each picture, side by side.
Pixels sideBySide(const std::vector<Pixels>& pictures, int left, int bottom, int width, int height)
{
    Pixels strip;
    strip.width = width * int(pictures.size());
    strip.height = height;
    strip.rgb.resize(size_t(strip.width) * size_t(height) * 3);
    for (size_t i = 0; i < pictures.size(); ++i)
    {
        for (int y = 0; y < height; ++y)
        {
            for (int x = 0; x < width; ++x)
            {
                const unsigned char* from = pictures[i].at(left + x, bottom + y);
                unsigned char* to = &strip.rgb[(size_t(y) * strip.width + i * width + x) * 3];
                to[0] = from[0];
                to[1] = from[1];
                to[2] = from[2];
            }
        }
    }
    return strip;
}
} // namespace

TEST(RenderScale, AtAHalfTheSceneIsUpscaledTheHelpSharpAndAScreenshotDrawnWhole)
{
    ScratchDirectory directory("quillmere-render-scale");
    directory.copyFromPark({"data", "textures", "terrainTexs"});
    FakeInput input;
    FakeClock clock; // no tick between the frames compared: the same park each time
    RunningPark running;
    running.build(31337u);
    Shell& shell = running.shell;
    running.park.camera().m_pitch = 10.0f; // the ground, the horizon and a strip of sky
    running.park.sky().restartDay();
    running.park.startDayAt(dayShareAtClockHours(10.5));
    shell.display(); // the first frame of a process starts from the fixed state alone

    const Pixels whole = drawn(shell);
    shell.toggleHelpPanel();
    const Pixels wholeWithHelp = drawn(shell);
    shell.toggleHelpPanel();

    shell.setRenderScale({false, 0.5f});
    ASSERT_EQ(shell.renderScale(), 0.5f);
    const Pixels half = drawn(shell);
    shell.toggleHelpPanel();
    const Pixels halfWithHelp = drawn(shell);
    shell.toggleHelpPanel();
    EXPECT_TRUE(savePixelsPng(whole, directory.previous() + "/render-scale-1.png"));
    EXPECT_TRUE(savePixelsPng(halfWithHelp, directory.previous() + "/render-scale-0.5-help.png"));

    EXPECT_GT(half.contrast(), 10.0) << "a picture, not a flat fill";
    EXPECT_GT(correlation(blockMeans(whole, 8), blockMeans(half, 8)), 0.95)
        << "the same scene, seen in 100 x 75 squares";
    EXPECT_LT(detail(half, 0, 0, 800, 600), 0.9 * detail(whole, 0, 0, 800, 600))
        << "drawn at half the size and scaled up, the scene is softer";
    // The panel's letters stand where they stand at scale 1, pixel for pixel: drawn at the
    // window's resolution, not scaled up with the scene.
    const std::vector<bool> lettersWhole = letterMask(wholeWithHelp, 267, 200, 533, 400);
    const std::vector<bool> lettersHalf = letterMask(halfWithHelp, 267, 200, 533, 400);
    int letters = 0;
    int same = 0;
    for (size_t i = 0; i < lettersWhole.size(); ++i)
    {
        letters += lettersWhole[i];
        same += lettersWhole[i] && lettersHalf[i];
    }
    ASSERT_GT(letters, 300);
    EXPECT_GT(double(same) / double(letters), 0.97);

    // p at a half saves what p at 1 saves: the window's size, drawn at scale 1.
    shell.keyboard('p');
    shell.display();
    EXPECT_EQ(shell.renderScale(), 0.5f) << "a screenshot leaves the scale in use";
    shell.setRenderScale({false, 1.0f});
    shell.keyboard('p');
    shell.display();
    const std::vector<char> atHalf = fileBytes("screenshots/img001.jpg");
    const std::vector<char> atOne = fileBytes("screenshots/img002.jpg");
    ASSERT_FALSE(atHalf.empty());
    EXPECT_TRUE(atHalf == atOne);
}

// On a renderer that draws on the processor, a scaled frame with nothing over it is scaled up by
// the processor and put into the window: the picture the GL's own copy up shows, within the
// rounding of the two filters' weights.
TEST(RenderScale, TheProcessorScalesTheSceneUpAsTheGlDoes)
{
    FakeInput input;
    FakeClock clock;
    RunningPark running;
    running.build(31337u);
    Shell& shell = running.shell;
    running.park.camera().m_pitch = 10.0f;
    running.park.camera().m_yaw = 23.0f;
    running.park.sky().restartDay();
    running.park.startDayAt(dayShareAtClockHours(10.5));
    shell.display();
    for (float scale : {0.5f, 0.625f})
    {
        shell.setRenderScale({false, scale});
        shell.allowCopyUpByProcessor(false);
        const Pixels byGl = drawn(shell);
        EXPECT_FALSE(shell.wasCopiedByProcessor());
        shell.allowCopyUpByProcessor(true);
        const Pixels byProcessor = drawn(shell);
        ASSERT_TRUE(shell.wasCopiedByProcessor()) << "the tests' renderer draws on the processor";
        EXPECT_GT(byProcessor.contrast(), 10.0);
        EXPECT_LE(byProcessor.differingFraction(byGl, 2), 0.001) << "at " << scale;

        shell.toggleHelpPanel();
        drawn(shell);
        EXPECT_FALSE(shell.wasCopiedByProcessor()) << "the panel is drawn over the GL's copy";
        shell.toggleHelpPanel();
    }

    // The news line at the foot: the GL copies up that strip and writes over it, the processor
    // the rest; the window shows what the GL alone shows.
    shell.setRenderScale({false, 0.5f});
    shell.keyboard('c');
    ASSERT_STREQ(shell.newsText(), "captions on");
    shell.allowCopyUpByProcessor(false);
    const Pixels newsByGl = drawn(shell);
    shell.allowCopyUpByProcessor(true);
    const Pixels newsByBoth = drawn(shell);
    ASSERT_TRUE(shell.wasCopiedByProcessor());
    EXPECT_GT(brightPixels(newsByBoth, 0, 0, 800, 60), 100) << "the news line's letters";
    EXPECT_LE(newsByBoth.differingFraction(newsByGl, 2), 0.001) << "with the news line";

    // A window of a new size: the image put into it follows.
    running.goFullScreen();
    shell.setRenderScale({false, 0.5f});
    shell.allowCopyUpByProcessor(false);
    const Pixels byGl = drawn(shell, 1920, 1080);
    shell.allowCopyUpByProcessor(true);
    const Pixels byProcessor = drawn(shell, 1920, 1080);
    ASSERT_TRUE(shell.wasCopiedByProcessor());
    EXPECT_LE(byProcessor.differingFraction(byGl, 2), 0.001) << "at full screen";
}

// Full screen, where the scale is meant to serve: the same frame at 1, 0.75 and 0.5 shows the
// same scene, each step a little softer.
TEST(RenderScale, AtFullScreenEachScaleShowsTheSameSceneSofter)
{
    ScratchDirectory directory("quillmere-render-scales");
    directory.copyFromPark({"data", "textures", "terrainTexs"});
    FakeInput input;
    FakeClock clock;
    RunningPark running;
    running.build(31337u);
    Shell& shell = running.shell;
    running.park.camera().m_pitch = 10.0f; // a tree near, hills and the sky behind it
    running.park.sky().restartDay();
    running.park.startDayAt(dayShareAtClockHours(10.5));
    running.goFullScreen();
    ASSERT_EQ(glutGet(GLUT_WINDOW_WIDTH), 1920);

    std::vector<Pixels> pictures;
    for (float scale : {1.0f, 0.75f, 0.5f})
    {
        shell.setRenderScale({false, scale});
        pictures.push_back(drawn(shell, 1920, 1080));
    }
    EXPECT_TRUE(savePixelsPng(sideBySide(pictures, 330, 260, 560, 560),
                              directory.previous() + "/render-scales.png"));
    EXPECT_GT(pictures[0].contrast(), 20.0);
    for (size_t i = 1; i < pictures.size(); ++i)
    {
        EXPECT_GT(correlation(blockMeans(pictures[0], 16), blockMeans(pictures[i], 16)), 0.95);
        EXPECT_LT(detail(pictures[i], 0, 0, 1920, 1080), detail(pictures[i - 1], 0, 0, 1920, 1080));
    }
}
