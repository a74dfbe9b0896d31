// The whole park's figures: start-up time of every set-up step, the cost of a frame and of each
// subsystem within it, and a regeneration soak (the `r` key many times) watching resident memory.
//
// Usage: bench_frame_bench <park directory> [frames] [regenerations]. Needs a display
// (scripts/with-xvfb). Times come from a shared machine: read them as orders of magnitude.
#include "camera.h"
#include "dinosaurs.h"
#include "frustum.h"
#include "plants.h"
#include "shell.h"
#include "sky.h"
#include "terrain.h"
#include "trees.h"

#include <GL/glut.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace
{
using BenchClock = std::chrono::steady_clock;

double timeMilliseconds(const std::function<void()>& work)
{
    const BenchClock::time_point start = BenchClock::now();
    work();
    glFinish();
    return std::chrono::duration<double, std::milli>(BenchClock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
    {
        if (line.rfind("VmRSS:", 0) == 0)
        {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

void reportStartUp()
{
    std::printf("start-up (ms)\n");
    std::printf("  camera reset   %8.1f\n", timeMilliseconds([] { g_camera.reset(); }));
    std::printf("  terrain init   %8.1f\n", timeMilliseconds([] { g_terrain.init(); }));
    std::printf("  plant place    %8.1f\n", timeMilliseconds([] { g_plants.place(g_terrain); }));
    std::printf("  sky            %8.1f\n", timeMilliseconds([] { initSky(); }));
    std::printf("  trees          %8.1f\n", timeMilliseconds([] { initTrees(); }));
    std::printf("  dinosaurs      %8.1f\n", timeMilliseconds([] { g_dinosaurs.setUp(); }));
    scatterTrees();
}

// Puts the view transform of the current camera on the matrix, as the frame does.
void applyView()
{
    glLoadIdentity();
    g_camera.update(g_terrain, g_frustum);
    g_camera.applyTranslation();
}

void reportFrames(int frames)
{
    std::vector<double> whole;
    std::vector<double> sky;
    std::vector<double> terrain;
    std::vector<double> trees;
    std::vector<double> dinosaurs;
    std::vector<double> plants;
    for (int i = 0; i < frames; ++i)
    {
        whole.push_back(timeMilliseconds(display));
        // Turn a little each frame so the visible set changes.
        g_camera.m_yaw = float((i * 7) % 360);
        applyView();
        sky.push_back(timeMilliseconds(drawSky));
        terrain.push_back(timeMilliseconds([] { g_terrain.draw(g_frustum); }));
        trees.push_back(timeMilliseconds(
            []
            {
                for (int t = 0; t < 20; ++t)
                {
                    drawTree();
                }
            }));
        dinosaurs.push_back(
            timeMilliseconds([] { g_dinosaurs.updateAndDraw(g_terrain, g_frustum); }));
        plants.push_back(timeMilliseconds([] { g_plants.draw(g_camera.m_position, g_frustum); }));
    }
    std::printf("frame, median of %d (ms)\n", frames);
    std::printf("  whole frame    %8.2f  (%.1f frames per second)\n", median(whole),
                1000.0 / median(whole));
    std::printf("  sky            %8.2f\n", median(sky));
    std::printf("  terrain        %8.2f\n", median(terrain));
    std::printf("  20 trees       %8.2f\n", median(trees));
    std::printf("  dinosaurs      %8.2f\n", median(dinosaurs));
    std::printf("  plants         %8.2f\n", median(plants));
}

// Live GL objects: names in use among the first `range` (Mesa never hands a deleted name out
// again soon, so the next free name says nothing).
void liveGlObjects(int& textures, int& lists, unsigned range = 20000)
{
    textures = 0;
    lists = 0;
    for (unsigned name = 1; name < range; ++name)
    {
        textures += glIsTexture(name) ? 1 : 0;
        lists += glIsList(name) ? 1 : 0;
    }
}

// Repeats one set-up step and prints how resident memory and live GL objects moved.
void soakStep(const char* label, int repeats, const std::function<void()>& step)
{
    step(); // first-use allocations (library caches, GL driver pools) are not growth
    int texturesBefore = 0, listsBefore = 0;
    liveGlObjects(texturesBefore, listsBefore);
    const long before = residentKilobytes();
    for (int i = 0; i < repeats; ++i)
    {
        step();
    }
    int texturesAfter = 0, listsAfter = 0;
    liveGlObjects(texturesAfter, listsAfter);
    std::printf("  %-14s x%d: resident %+ld kB, live textures %d -> %d, lists %d -> %d\n", label,
                repeats, residentKilobytes() - before, texturesBefore, texturesAfter, listsBefore,
                listsAfter);
}

void reportSoak(int regenerations)
{
    std::printf("regeneration   %8.1f ms (the r key)\n", timeMilliseconds(regenerateScene));
    std::printf("soak\n");
    soakStep("terrain init", 20, [] { g_terrain.init(); });
    soakStep("plant place", 20, [] { g_plants.place(g_terrain); });
    soakStep("dinosaurs", 20, [] { g_dinosaurs.setUp(); });
    soakStep("r key", regenerations, regenerateScene);
}
} // namespace

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    if (argc < 2 || chdir(argv[1]) != 0)
    {
        std::fprintf(stderr,
                     "usage: bench_frame_bench <park directory> [frames] [regenerations]\n");
        return 2;
    }
    const int frames = argc > 2 ? std::atoi(argv[2]) : 100;
    const int regenerations = argc > 3 ? std::atoi(argv[3]) : 20;
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(kWindowWidth, kWindowHeight);
    glutCreateWindow("Quillmere");
    std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    setFixedGlState();
    reshape(kWindowWidth, kWindowHeight);
    reportStartUp();
    reportFrames(frames);
    reportSoak(regenerations);
    return 0;
}
