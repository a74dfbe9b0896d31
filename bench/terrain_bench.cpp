// Start-up cost of the terrain split by stage, the frame cost of drawing it, and a regeneration
// soak (many inits in one process) watching resident memory and GL object counts.
//
// Usage: bench_terrain_bench [park directory] — the directory holding terrainTexs/ (default: the
// working directory). Without ground images there, it makes noise images of its own in a
// temporary directory. Needs a display (scripts/with-xvfb).
#include "app/park.h"
#include "formats/imagelibrary.h"
#include "math/frustum.h"
#include "platform/platform.h"
#include "world/camera.h"
#include "world/terrain.h"
#include "world/terraintexture.h"

#include <GL/glut.h>
#include <IL/il.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace
{
using BenchClock = std::chrono::steady_clock;

double millisecondsSince(BenchClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(BenchClock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool fileExists(const char* path)
{
    return std::ifstream(path).good();
}

// Noise images standing in for the park's ground images.
void makeGroundImages()
{
    const char* names[] = {"dirt", "terr1", "grass-patchy", "grass2", "grass", "detail"};
    std::mt19937 generator(1);
    std::uniform_int_distribution<int> channel(0, 255);
    DecodedImage image;
    image.width = 256;
    image.height = 256;
    image.channels = 3;
    image.pixels.resize(256 * 256 * 3);
    for (const char* name : names)
    {
        for (unsigned char& value : image.pixels)
        {
            value = static_cast<unsigned char>(channel(generator));
        }
        saveImageReplacing(image, ("terrainTexs/" + std::string(name) + ".bmp").c_str());
    }
}

long residentKilobytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int countNames(bool lists)
{
    int count = 0;
    for (GLuint name = 1; name < 5000; ++name)
    {
        count += (lists ? glIsList(name) : glIsTexture(name)) ? 1 : 0;
    }
    return count;
}

struct StageTimes
{
    std::vector<double> load, generation, synthesis, upload, lists, whole;
};

void timeStages(Terrain& terrain, StageTimes& times)
{
    const MultitextureApi api = detectMultitextureApi();
    const auto wholeStart = BenchClock::now();
    terrain.startInit(api);
    auto start = BenchClock::now();
    terrain.loadGroundImages();
    times.load.push_back(millisecondsSince(start));
    start = BenchClock::now();
    terrain.generateHeights(unsigned(time(nullptr)));
    times.generation.push_back(millisecondsSince(start));
    start = BenchClock::now();
    terrain.synthesiseColourMap();
    times.synthesis.push_back(millisecondsSince(start));
    start = BenchClock::now();
    terrain.uploadTextures();
    terrain.mergeDetail();
    glFinish();
    times.upload.push_back(millisecondsSince(start));
    start = BenchClock::now();
    terrain.buildGeometry(detectBufferObjectApi());
    glFinish();
    times.lists.push_back(millisecondsSince(start));
    times.whole.push_back(millisecondsSince(wholeStart));
}

// The same blend through one image-library call per pixel, for comparison.
double timePixelByPixelSynthesis(Terrain& terrain)
{
    terrain.startInit(detectMultitextureApi());
    terrain.loadGroundImages();
    terrain.generateHeights(1u);
    terrain.setMaterialBands();
    initImageLibrary();
    ILuint sources[kMaterialCount] = {};
    ilGenImages(kMaterialCount, sources);
    for (int k = 0; k < kMaterialCount; ++k)
    {
        const DecodedImage& image = terrain.sourceImages[k];
        ilBindImage(sources[k]);
        ilTexImage(ILuint(image.width), ILuint(image.height), 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
                   const_cast<unsigned char*>(image.pixels.data()));
    }
    ILuint canvas = 0;
    ilGenImages(1, &canvas);
    ilBindImage(canvas);
    ilTexImage(ILuint(terrain.size), ILuint(terrain.size), 1, 3, IL_RGB, IL_UNSIGNED_BYTE, nullptr);
    const auto start = BenchClock::now();
    for (int x = 0; x < terrain.size; ++x)
    {
        for (int z = 0; z < terrain.size; ++z)
        {
            float sums[3] = {0.0f, 0.0f, 0.0f};
            for (int k = 0; k < kMaterialCount; ++k)
            {
                ilBindImage(sources[k]);
                unsigned char pixel[3];
                ilCopyPixels(x, z, 0, 1, 1, 1, IL_RGB, IL_UNSIGNED_BYTE, pixel);
                const float w = terrain.bandWeight(k, terrain.getHeight(x, z));
                for (int c = 0; c < 3; ++c)
                {
                    sums[c] += w * pixel[c];
                }
            }
            unsigned char out[3];
            for (int c = 0; c < 3; ++c)
            {
                out[c] = static_cast<unsigned char>(int(sums[c]) & 0xFF);
            }
            ilBindImage(canvas);
            ilSetPixels(x, z, 0, 1, 1, 1, IL_RGB, IL_UNSIGNED_BYTE, out);
        }
    }
    const double elapsed = millisecondsSince(start);
    ilDeleteImages(kMaterialCount, sources);
    ilDeleteImages(1, &canvas);
    terrain.releaseGroundImages();
    return elapsed;
}

// Mean milliseconds of one draw (finished) from the given eye x/z and yaw.
double timeDraw(Terrain& terrain, float x, float z, float yaw, unsigned& visible)
{
    Frustum frustum;
    setViewProjection(800, 600, kDefaultFieldOfView, frustum);
    Camera camera;
    camera.m_position.set(x, 0.0f, z);
    camera.m_yaw = yaw;
    camera.m_pitch = 5.0f;
    camera.settle(terrain);
    const Vector3 eye = camera.m_position;
    camera.aimFrustum(frustum, eye);
    visible = terrain.visibleQuadrants(frustum);
    const int frames = 100;
    double total = 0.0;
    for (int i = 0; i < frames + 5; ++i)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        camera.applyRotation();
        glTranslatef(-eye.x, -eye.y, -eye.z);
        const auto start = BenchClock::now();
        terrain.draw(frustum);
        glFinish();
        if (i >= 5)
        {
            total += millisecondsSince(start);
        }
        glutSwapBuffers();
    }
    return total / frames;
}
} // namespace

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(800, 600);
    glutCreateWindow("terrain bench");
    setFixedGlState();

    std::string scratch;
    if (argc > 1 && chdir(argv[1]) != 0)
    {
        std::fprintf(stderr, "%s: cannot change to this directory\n", argv[1]);
        return 1;
    }
    if (!fileExists("terrainTexs/dirt.bmp"))
    {
        char pattern[] = "/tmp/terrain-bench-XXXXXX";
        scratch = mkdtemp(pattern);
        if (chdir(scratch.c_str()) != 0)
        {
            return 1;
        }
        std::filesystem::create_directory("terrainTexs");
        makeGroundImages();
        std::printf("ground images: generated noise (no terrainTexs/ here)\n");
    }
    std::printf("GL: %s | %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)));

    Terrain terrain;
    StageTimes times;
    for (int run = 0; run < 7; ++run)
    {
        timeStages(terrain, times);
    }
    std::printf("Terrain::init, median of 7 (ms): load images %.1f | generation %.1f | "
                "synthesis %.1f | upload and merge %.1f | lists %.1f | whole %.1f\n",
                median(times.load), median(times.generation), median(times.synthesis),
                median(times.upload), median(times.lists), median(times.whole));
    std::printf("synthesis one pixel per library call, for comparison: %.1f ms\n",
                timePixelByPixelSynthesis(terrain));

    terrain.init(detectMultitextureApi(), 20261209u);
    const struct
    {
        const char* name;
        float x, z, yaw;
    } poses[] = {{"centre, yaw 0", 0.0f, 0.0f, 0.0f},
                 {"centre, yaw 135", 0.0f, 0.0f, 135.0f},
                 {"corner (-1200, -1200), yaw 0", -1200.0f, -1200.0f, 0.0f}};
    for (const auto& pose : poses)
    {
        unsigned visible = 0;
        const double ms = timeDraw(terrain, pose.x, pose.z, pose.yaw, visible);
        std::printf("Terrain::draw from the %s (%d quadrants): %.2f ms a frame\n", pose.name,
                    __builtin_popcount(visible), ms);
    }

    const int listsBefore = countNames(true);
    const int texturesBefore = countNames(false);
    std::printf("soak: resident kB after 0 inits: %ld", residentKilobytes());
    const auto soakStart = BenchClock::now();
    const int soakRuns = 100;
    const long residentBefore = residentKilobytes();
    for (int i = 1; i <= soakRuns; ++i)
    {
        terrain.init(detectMultitextureApi(), 20261209u + unsigned(i));
        if (i % 20 == 0)
        {
            std::printf(", %d: %ld", i, residentKilobytes());
        }
    }
    const double soakMs = millisecondsSince(soakStart);
    std::printf("\nsoak: %d x Terrain::init in %.1f s (%.0f ms each); resident %+ld kB\n", soakRuns,
                soakMs / 1000.0, soakMs / soakRuns, residentKilobytes() - residentBefore);
    std::printf("soak: display lists %d before, %d after; textures %d before, %d after\n",
                listsBefore, countNames(true), texturesBefore, countNames(false));

    if (!scratch.empty())
    {
        std::filesystem::remove_all(scratch);
    }
    return 0;
}
