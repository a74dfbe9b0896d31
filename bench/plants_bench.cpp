// plants_bench: frame cost of the plant pass over a scattered field of 3,030 plants, for eye
// positions and headings across the walkable area. Prints the culling-and-sorting cost alone,
// then (given a display, e.g. under scripts/with-xvfb) the whole draw pass with the GL work
// finished. Run from the park folder so that the plant images load; without them the plants are
// drawn untextured.
#include "math/frustum.h"
#include "math/random.h"
#include "world/plants.h"
#include "world/terrain.h"

#include <GL/glu.h>
#include <GL/glut.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace
{
struct View
{
    Vector3 eye;
    Vector3 direction; // unit, horizontal
};

const int kViewCount = 64;

// Rolling hills, so that plants stand at varied heights as on a generated terrain.
void shapeTerrain(Terrain& terrain)
{
    terrain.allocateArrays();
    for (int z = 0; z < terrain.size; ++z)
    {
        for (int x = 0; x < terrain.size; ++x)
        {
            const float h = 0.5f + 0.25f * std::sin(float(x) * 0.05f) * std::cos(float(z) * 0.07f);
            terrain.setHeight(x, z, h);
        }
    }
}

void makeViews(const Terrain& terrain, View* views)
{
    for (int i = 0; i < kViewCount; ++i)
    {
        const float x = randomRange(-1200.0f, 1200.0f);
        const float z = randomRange(-1200.0f, 1200.0f);
        const float yaw = randomRange(0.0f, 6.2831853f);
        views[i].eye = Vector3(x, terrain.groundHeight(x, z) + 10.0f, z);
        views[i].direction = Vector3(-std::sin(yaw), 0.0f, -std::cos(yaw));
    }
}

Frustum frustumFor(const View& view)
{
    Frustum frustum;
    frustum.setPerspective(45.0f, 800.0f / 600.0f, 3.0f, 600.0f);
    // The camera hands the frustum a vector pointing back toward the eye.
    frustum.setCamera(view.eye, view.direction * -1.0f, Vector3(0, 1, 0));
    return frustum;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void benchCullingAndSorting(PlantField& field, const View* views)
{
    const int rounds = 200;
    long visibleTotal = 0;
    int visibleMost = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; ++round)
    {
        for (int i = 0; i < kViewCount; ++i)
        {
            field.collectVisible(views[i].eye, frustumFor(views[i]));
            visibleTotal += field.m_visibleCount;
            visibleMost = field.m_visibleCount > visibleMost ? field.m_visibleCount : visibleMost;
        }
    }
    const double frames = double(rounds) * kViewCount;
    std::printf("cull + sort: %.1f us per frame; visible plants %.0f on average, %d at most\n",
                secondsSince(start) / frames * 1e6, double(visibleTotal) / frames, visibleMost);
}

void benchDrawing(PlantField& field, const View* views)
{
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 800.0 / 600.0, 3.0, 600.0);
    glMatrixMode(GL_MODELVIEW);
    const int rounds = 4;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; ++round)
    {
        for (int i = 0; i < kViewCount; ++i)
        {
            const View& view = views[i];
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glLoadIdentity();
            const Vector3 target = view.eye + view.direction;
            gluLookAt(view.eye.x, view.eye.y, view.eye.z, target.x, target.y, target.z, 0, 1, 0);
            field.draw(view.eye, frustumFor(view));
            glFinish();
        }
    }
    std::printf("whole plant pass (800 x 600, finished): %.2f ms per frame\n",
                secondsSince(start) / (double(rounds) * kViewCount) * 1e3);
}
} // namespace

int main(int argc, char** argv)
{
    auto terrain = std::make_unique<Terrain>();
    shapeTerrain(*terrain);
    seedRandom(2024);
    auto field = std::make_unique<PlantField>();
    field->scatter(*terrain);
    field->setBladeCentres();
    View views[kViewCount];
    makeViews(*terrain, views);

    benchCullingAndSorting(*field, views);

    if (!std::getenv("DISPLAY"))
    {
        std::printf("no display: drawing not measured\n");
        return 0;
    }
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(800, 600);
    glutCreateWindow("plants bench");
    field->loadTextures();
    benchDrawing(*field, views);
    return 0;
}
