// model_bench: cost of the skeletal models. For each MS3D file named on the command line (for
// example the motion-captured character of the shared corpora, or the park's data/*.ms3d):
// the load from memory, one pose update across its animation, and (given a display, e.g. under
// scripts/with-xvfb) one skinned draw with the GL work finished and every face culled, as the
// park draws about 19 animals a frame.
#include "creatures/ms3dreader.h"
#include "formats/bytecursor.h"

#include <GL/glut.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void benchFile(const char* path, bool withGl)
{
    std::vector<unsigned char> bytes;
    if (!readWholeFile(path, bytes))
    {
        std::printf("%s: cannot be read\n", path);
        return;
    }
    const int loads = 20;
    Clock::time_point start = Clock::now();
    for (int i = 0; i < loads; ++i)
    {
        MilkshapeModel model;
        model.loadFromMemory(bytes.data(), bytes.size(), path, false);
    }
    const double loadMs = millisecondsSince(start) / loads;

    MilkshapeModel model;
    if (!model.loadFromMemory(bytes.data(), bytes.size(), path, false))
    {
        return;
    }
    size_t keys = 0;
    for (const Joint& joint : model.m_joints)
    {
        keys += joint.m_rotationKeyframes.size() + joint.m_translationKeyframes.size();
    }
    std::printf("%s: %zu vertices, %zu triangles, %zu joints, %zu keys, %zu bytes\n", path,
                model.m_vertices.size(), model.m_triangles.size(), model.m_joints.size(), keys,
                bytes.size());
    std::printf("  load (no textures): %.3f ms\n", loadMs);

    // Poses as the frames of a run: the clock moves on while the cursors walk the keys.
    model.setFrameRange(0.0f, 1e6f);
    model.rewind();
    const int poses = 20000;
    start = Clock::now();
    for (int i = 0; i < poses; ++i)
    {
        model.updatePose();
    }
    std::printf("  pose update: %.2f us\n", millisecondsSince(start) * 1000.0 / poses);

    if (withGl)
    {
        const int draws = 190;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFinish();
        start = Clock::now();
        for (int i = 0; i < draws; ++i)
        {
            model.draw();
        }
        glFinish();
        std::printf("  skinned draw (pose included): %.3f ms, 19 per frame: %.2f ms\n",
                    millisecondsSince(start) / draws, millisecondsSince(start) / draws * 19);
    }
}
} // namespace

int main(int argc, char** argv)
{
    const bool withGl = std::getenv("DISPLAY") != nullptr;
    if (withGl)
    {
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowSize(800, 600);
        glutCreateWindow("model bench");
        // Every face culled: the figures are the CPU side (pose, skinning, submission), not
        // the rasterizer's fill of whatever the model covers.
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT_AND_BACK);
    }
    else
    {
        std::printf("no display: drawing not measured\n");
    }
    if (argc < 2)
    {
        std::printf("usage: bench_model_bench file.ms3d...\n");
        return 1;
    }
    for (int i = 1; i < argc; ++i)
    {
        benchFile(argv[i], withGl);
    }
    return 0;
}
