// The park's figures: the whole frame along a fixed flight through a park of fixed seed, each
// pass of that frame, the floor of the renderer (the cheapest full-screen frame it can draw),
// the start of the real program to its first frame and its steps, the `r` key, peak memory, and
// heap allocations in a steady frame; at 800 x 600 and again at full screen, where the flight is
// flown again at render scales 0.75 and 0.5 and paced at 60 frames a second with the automatic
// scale. Prints tables, and as its last line one JSON object with every figure.
//
// Usage: bench_frame_bench <park directory> [--frames N] [--regenerations N] [--starts N]
//                          [--soak N] [--no-fullscreen]
// A soak of many `r` watches resident memory and the live GL objects for growth.
// Needs a display (scripts/bench runs it on a private Xvfb). The machines are shared: read the
// figures as medians of a noisy run, and compare runs made back to back.
#include "app/park.h"
#include "app/scaledframe.h"
#include "app/shell.h"
#include "app/softwarecopyup.h"
#include "app/soundscape.h"
#include "app/startsteps.h"
#include "platform/glapi.h"
#include "platform/platform.h"

#include <GL/freeglut.h>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <string>
#include <vector>

namespace
{
std::atomic<long> g_allocations{0};
} // namespace

// Every C++ allocation of the process is counted: a steady frame should make none.
void* operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
    {
        return p;
    }
    throw std::bad_alloc();
}

// The no-throw form too, which the GL driver's compiler uses: every block this file's delete
// frees must come from malloc, or a sanitized build reports the mismatch.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace
{
using BenchClock = std::chrono::steady_clock;

const unsigned kFlightSeed = 1013u;
// The pace of the automatic scale's flight: a common screen's.
const int kAutomaticFlightPace = 60;
const char* const kPassNames[kFramePassCount] = {"sky",       "terrain", "trees",
                                                 "dinosaurs", "plants",  "tick"};

double millisecondsSince(BenchClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(BenchClock::now() - start).count();
}

// The value below which `fraction` of the values lie (nearest rank).
double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
    {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const size_t rank = size_t(std::ceil(fraction * double(values.size())));
    return values[std::min(values.size() - 1, rank > 0 ? rank - 1 : 0)];
}

double median(const std::vector<double>& values)
{
    return percentile(values, 0.5);
}

// Where the eye is on frame i of the flight: one slow loop round the park's middle, over hills
// and past trees and animals, turning to look along the way and a little to the side, the pitch
// rising and falling.
void placeCameraOnFlight(Park& park, int frame, int frames)
{
    Camera& camera = park.camera();
    const float turn = 6.2831853f * float(frame) / float(frames);
    const float radius = 420.0f + 180.0f * std::sin(3.0f * turn);
    const float x = radius * std::cos(turn);
    const float z = radius * std::sin(turn);
    // Standing where a tick would put the eye, and drawn there whatever part of a tick has passed.
    camera.m_position.set(x, park.ground().groundHeight(x, z) + 3.0f, z);
    camera.m_previousPosition = camera.m_position;
    camera.m_yaw = std::fmod(turn * 57.29578f + 200.0f, 360.0f);
    camera.m_pitch = -6.0f + 9.0f * std::sin(5.0f * turn);
    camera.m_velocity.set(0.0f, 0.0f, 0.0f);
}

// When frame i of the flight is: the flight is one whole day, held between frames (the flight's
// park holds it). Left to the world's clock, a run's flight would fall at whatever time of day
// the runs before it reached, and cover more of the day on a slower machine: the skies, and with
// them the figures, would differ from run to run. A day runs only forward, so frame 0 starts it
// again.
void placeDayOnFlight(Park& park, int frame, int frames)
{
    if (frame == 0)
    {
        park.sky().restartDay();
    }
    park.sky().startDayAt(double(frame) / double(frames));
}

// The eye and the day on frame i of the flight.
void placeOnFlight(Park& park, int frame, int frames)
{
    placeCameraOnFlight(park, frame, frames);
    placeDayOnFlight(park, frame, frames);
}

// The park, its (silent) sound and the shell, as the program puts them together.
struct Program
{
    Park park;
    Soundscape sound;
    Shell shell{park, sound};
};

// The flight's park, and after it (the `r` key's figures) the parks of the numbers after its seed.
void buildFlightPark(Park& park)
{
    park.camera() = Camera();
    park.startSeedsAt(kFlightSeed);
    park.regenerate();
    park.holdDay(true);
}

struct FrameFigures
{
    int width = 0;
    int height = 0;
    std::vector<double> frames;
    std::vector<double> passes[kFramePassCount];
    std::vector<double> floor;
    double allocationsPerFrame = 0.0;
    // Each whole-frame flight's median, the kept one among them.
    std::vector<double> flightMedians;
};

// The whole frame as the program draws it (pacing off), swap included.
void flyWholeFrames(Program& program, FrameFigures& figures, int frames)
{
    for (int i = 0; i < 10; ++i)
    {
        placeOnFlight(program.park, i, frames);
        program.shell.display();
    }
    glFinish();
    figures.frames.reserve(size_t(frames));
    for (int i = 0; i < frames; ++i)
    {
        placeOnFlight(program.park, i, frames);
        const BenchClock::time_point start = BenchClock::now();
        program.shell.display();
        glFinish();
        figures.frames.push_back(millisecondsSince(start));
    }
}

// The machines are shared, and another's load only ever slows a flight down: every timed flight
// (whole frames, passes, the floor) is flown this many times and the lowest median kept, the
// whole frames' medians printed beside it.
const int kFlights = 2;

// `kept` becomes `flown` when it is empty or has the higher median.
void keepLowerMedian(std::vector<double>& kept, std::vector<double>& flown)
{
    if (kept.empty() || median(flown) < median(kept))
    {
        kept.swap(flown);
    }
}

void flyWholeFrameFlights(Program& program, FrameFigures& figures, int frames)
{
    for (int flight = 0; flight < kFlights; ++flight)
    {
        FrameFigures flown;
        flyWholeFrames(program, flown, frames);
        figures.flightMedians.push_back(median(flown.frames));
        keepLowerMedian(figures.frames, flown.frames);
    }
}

// Allocations along the flight once more: by then the renderer has compiled what the flight's
// whole day needs (its compiler allocates too, on the first frames of every new state), so what
// is left is the park's own.
void countSteadyAllocations(Program& program, FrameFigures& figures, int frames)
{
    const int counted = std::min(frames, 200);
    const long allocationsBefore = g_allocations.load();
    for (int i = 0; i < counted; ++i)
    {
        placeOnFlight(program.park, i, frames);
        program.shell.display();
    }
    glFinish();
    figures.allocationsPerFrame = double(g_allocations.load() - allocationsBefore) / counted;
}

struct PassTiming
{
    BenchClock::time_point mark;
    FrameFigures* pFigures = nullptr;
};

void timePass(FramePass pass, void* pContext)
{
    PassTiming& timing = *static_cast<PassTiming*>(pContext);
    glFinish();
    const BenchClock::time_point now = BenchClock::now();
    timing.pFigures->passes[int(pass)].push_back(
        std::chrono::duration<double, std::milli>(now - timing.mark).count());
    timing.mark = now;
}

// Each pass alone, with the renderer made to finish between passes.
void flyTimingPasses(Park& park, FrameFigures& figures, int frames)
{
    PassTiming timing;
    timing.pFigures = &figures;
    park.setPassHook(timePass, &timing);
    for (int i = 0; i < frames; ++i)
    {
        placeOnFlight(park, i, frames);
        glFinish();
        timing.mark = BenchClock::now();
        park.drawFrame();
        glutSwapBuffers();
    }
    park.setPassHook(nullptr, nullptr);
}

// One textured quad over the whole viewport, in front of the depth range's middle; the caller
// sets identity matrices.
void drawScreenQuad()
{
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-1.0f, -1.0f, 0.5f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(1.0f, -1.0f, 0.5f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(1.0f, 1.0f, 0.5f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-1.0f, 1.0f, 0.5f);
    glEnd();
}

// The cheapest frame of the same size: clear, one full-screen textured, fogged, depth-tested
// quad, swap.
void drawFloorFrames(const Park& park, FrameFigures& figures, int frames)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_FOG);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, park.ground().colourMapTexture);
    glColor3f(1.0f, 1.0f, 1.0f);
    for (int i = 0; i < frames + 10; ++i)
    {
        const BenchClock::time_point start = BenchClock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawScreenQuad();
        glutSwapBuffers();
        glFinish();
        if (i >= 10)
        {
            figures.floor.push_back(millisecondsSince(start));
        }
    }
    glPopAttrib();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

FrameFigures measureFrames(Program& program, int frames)
{
    FrameFigures figures;
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    figures.width = viewport[2];
    figures.height = viewport[3];
    buildFlightPark(program.park);
    flyWholeFrameFlights(program, figures, frames);
    countSteadyAllocations(program, figures, frames);
    for (int flight = 0; flight < kFlights; ++flight)
    {
        FrameFigures flown;
        buildFlightPark(program.park);
        flyTimingPasses(program.park, flown, frames);
        for (int pass = 0; pass < kFramePassCount; ++pass)
        {
            keepLowerMedian(figures.passes[pass], flown.passes[pass]);
        }
    }
    for (int flight = 0; flight < kFlights; ++flight)
    {
        FrameFigures flown;
        drawFloorFrames(program.park, flown, std::max(100, frames / 3));
        keepLowerMedian(figures.floor, flown.floor);
    }
    return figures;
}

// The flight drawn at a fixed render scale, and its steady allocations.
struct ScaledFlight
{
    float scale = 1.0f;
    std::vector<double> frames;
    std::vector<double> flightMedians;
    double allocationsPerFrame = 0.0;
};

ScaledFlight flyAtScale(Program& program, float scale, int frames)
{
    program.shell.setRenderScale({false, scale});
    FrameFigures figures;
    buildFlightPark(program.park);
    flyWholeFrameFlights(program, figures, frames);
    countSteadyAllocations(program, figures, frames);
    ScaledFlight flight;
    flight.scale = scale;
    flight.frames = figures.frames;
    flight.flightMedians = figures.flightMedians;
    flight.allocationsPerFrame = figures.allocationsPerFrame;
    return flight;
}

// What a frame at `scale` costs before any scene: the clear (of the offscreen image below 1), the
// copy up to the window, the swap.
// With `processor`, the copy up is the processor's, read back and put into the window, as the
// shell makes it on a renderer that draws on the processor.
std::vector<double> timeEmptyFrames(int width, int height, float scale, int frames,
                                    bool processor = false)
{
    ScaledFrame target;
    std::string reason;
    target.start(reason);
    SoftwareCopyUp copyUp;
    copyUp.enable(processor);
    std::vector<double> times;
    for (int i = 0; i < frames + 10; ++i)
    {
        const BenchClock::time_point start = BenchClock::now();
        target.begin(width, height, scale);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (copyUp.copy(target.drawnWidth(), target.drawnHeight(), width, height))
        {
            target.finishWithoutCopy();
            copyUp.show();
        }
        else
        {
            target.finish();
            glutSwapBuffers();
        }
        glFinish();
        if (i >= 10)
        {
            times.push_back(millisecondsSince(start));
        }
    }
    return times;
}

// The flight as the program runs by default: paced to the screen's rate, the automatic scale
// searching. The time from one frame's start to the next, and the scale each frame was drawn at.
struct AutomaticFlight
{
    int framesPerSecond = 0;
    std::vector<double> intervals;
    std::vector<double> scales;
    int stepsDown = 0;
    int stepsUp = 0;
};

AutomaticFlight flyAutomatic(Program& program, int framesPerSecond, int frames)
{
    AutomaticFlight flight;
    flight.framesPerSecond = framesPerSecond;
    program.shell.setFramesPerSecond(framesPerSecond);
    program.shell.setRenderScale({true, 1.0f});
    buildFlightPark(program.park);
    BenchClock::time_point last = BenchClock::now();
    for (int i = 0; i < frames; ++i)
    {
        placeOnFlight(program.park, i % 600, 600);
        flight.scales.push_back(program.shell.renderScale());
        program.shell.display();
        glFinish();
        const BenchClock::time_point now = BenchClock::now();
        flight.intervals.push_back(std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
    }
    flight.stepsDown = program.shell.automaticScale().stepsDown();
    flight.stepsUp = program.shell.automaticScale().stepsUp();
    program.shell.setFramesPerSecond(0);
    program.shell.setRenderScale({false, 1.0f});
    return flight;
}

// Share of the frames drawn at each eighth from a half to 1.
std::string scaleShares(const std::vector<double>& scales)
{
    std::string text;
    for (double scale = 0.5; scale <= 1.0; scale += 0.125)
    {
        const long count = std::count(scales.begin(), scales.end(), scale);
        char part[48];
        std::snprintf(part, sizeof part, "%s\"%g\": %.3f", text.empty() ? "" : ", ", scale,
                      scales.empty() ? 0.0 : double(count) / double(scales.size()));
        text += part;
    }
    return text;
}

std::vector<double> measureRegenerations(Park& park, int count)
{
    std::vector<double> times;
    park.regenerate();
    glFinish();
    for (int i = 0; i < count; ++i)
    {
        const BenchClock::time_point start = BenchClock::now();
        park.regenerate();
        glFinish();
        times.push_back(millisecondsSince(start));
    }
    return times;
}

struct Stage
{
    const char* name;
    void (*run)(Park& park, const MultitextureApi& multitexture);
    std::vector<double> times;
};

// The parts of `r`, each timed alone (the key itself is timed whole above), to show where its
// time goes.
std::vector<Stage> measureRegenerationStages(Park& park, int count)
{
    const MultitextureApi multitexture = detectMultitextureApi();
    std::vector<Stage> stages = {
        {"dinosaur set-up", [](Park& p, const MultitextureApi&) { p.animals().setUp(); }, {}},
        {"terrain: release, allocate",
         [](Park& p, const MultitextureApi& m) { p.ground().startInit(m); },
         {}},
        {"terrain: ground images",
         [](Park& p, const MultitextureApi&) { p.ground().loadGroundImages(); },
         {}},
        {"terrain: heights",
         [](Park& p, const MultitextureApi&) { p.ground().generateHeights(kFlightSeed); },
         {}},
        {"terrain: colour map",
         [](Park& p, const MultitextureApi&) { p.ground().synthesiseColourMap(); },
         {}},
        {"terrain: upload textures",
         [](Park& p, const MultitextureApi&) { p.ground().uploadTextures(); },
         {}},
        {"terrain: detail merged",
         [](Park& p, const MultitextureApi&) { p.ground().mergeDetail(); },
         {}},
        {"terrain: geometry",
         [](Park& p, const MultitextureApi&) { p.ground().buildGeometry(detectBufferObjectApi()); },
         {}},
        {"plant placement",
         [](Park& p, const MultitextureApi&) { p.plants().place(p.ground()); },
         {}},
        {"tree scattering", [](Park& p, const MultitextureApi&) { p.grove().scatter(); }, {}},
    };
    for (int i = 0; i < count; ++i)
    {
        for (Stage& stage : stages)
        {
            const BenchClock::time_point start = BenchClock::now();
            stage.run(park, multitexture);
            glFinish();
            stage.times.push_back(millisecondsSince(start));
        }
    }
    return stages;
}

struct GlObjects
{
    int textures = 0;
    int lists = 0;
    int buffers = 0;
};

// Names in use among the first few thousand (Mesa does not hand a deleted name out again soon,
// so the next free name says nothing).
GlObjects liveGlObjects()
{
    using IsBuffer = GLboolean (*)(GLuint);
    const IsBuffer isBuffer = reinterpret_cast<IsBuffer>(
        detectBufferObjectApi().available() ? getGlProcAddress("glIsBuffer") : nullptr);
    GlObjects objects;
    for (GLuint name = 1; name < 20000; ++name)
    {
        objects.textures += glIsTexture(name) ? 1 : 0;
        objects.lists += glIsList(name) ? 1 : 0;
        objects.buffers += isBuffer && isBuffer(name) ? 1 : 0;
    }
    return objects;
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
    return 0;
}

// Many `r` in a row: resident memory and the GL objects alive should not grow with them.
struct Soak
{
    int regenerations = 0;
    long residentGrowthKilobytes = 0;
    GlObjects before;
    GlObjects after;
};

Soak soakRegenerations(Park& park, int count)
{
    Soak soak;
    soak.regenerations = count;
    park.regenerate(); // first-use allocations (library caches, driver pools) are not growth
    soak.before = liveGlObjects();
    const long before = residentKilobytes();
    for (int i = 0; i < count; ++i)
    {
        park.regenerate();
    }
    glFinish();
    soak.residentGrowthKilobytes = residentKilobytes() - before;
    soak.after = liveGlObjects();
    return soak;
}

// The least any program of this machine pays for its first frame: this benchmark's own process
// (the park's libraries linked in) opening the window and showing one textured, fogged,
// depth-tested quad, then leaving. Marks the frame shown as the park does.
void drawTheFloorFrameAndLeave()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const GLubyte texels[4 * 3] = {200, 40, 40, 40, 200, 40, 40, 40, 200, 200, 200, 40};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_FOG);
    glEnable(GL_DEPTH_TEST);
    drawScreenQuad();
    glutSwapBuffers();
    StartSteps().mark("first-frame");
    glFinish();
    std::exit(0);
}

int runFirstFrameFloor(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(kWindowWidth, kWindowHeight);
    glutCreateWindow("Quillmere floor");
    glutDisplayFunc(drawTheFloorFrameAndLeave);
    glutMainLoop();
    return 0;
}

struct ProgramRun
{
    bool ran = false;
    double milliseconds = 0.0;
    double peakResidentMegabytes = 0.0;
    // With steps asked for: each step the program marked, in milliseconds from its start.
    std::vector<std::pair<std::string, double>> steps;
};

const char kStepsFile[] = "/tmp/quillmere-bench-start-steps";

int64_t monotonicMicroseconds(BenchClock::time_point time)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(time.time_since_epoch()).count();
}

// The "start <step> <microseconds>" lines the program wrote, set beside its start.
std::vector<std::pair<std::string, double>> readStartSteps(BenchClock::time_point start)
{
    std::vector<std::pair<std::string, double>> steps;
    std::ifstream file(kStepsFile);
    std::string word;
    std::string step;
    long long microseconds = 0;
    while (file >> word)
    {
        if (word == "start" && file >> step >> microseconds)
        {
            steps.emplace_back(step, double(microseconds - monotonicMicroseconds(start)) / 1000.0);
        }
    }
    return steps;
}

// The real program from its start to its exit after `frames` frames, in its own process; with
// `steps`, the steps of its start too.
ProgramRun runProgram(const std::vector<std::string>& command, bool steps = false)
{
    ProgramRun run;
    std::vector<char*> arguments;
    for (const std::string& argument : command)
    {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    const BenchClock::time_point start = BenchClock::now();
    const pid_t child = fork();
    if (child == 0)
    {
        if (!std::freopen("/dev/null", "w", stdout))
        {
            _exit(127);
        }
        if (steps && (setenv("QUILLMERE_START_STEPS", "1", 1) != 0 ||
                      !std::freopen(kStepsFile, "w", stderr)))
        {
            _exit(127);
        }
        execv(arguments[0], arguments.data());
        _exit(127);
    }
    if (child < 0)
    {
        return run;
    }
    // A program that does not know --frames would run for ever.
    int status = 0;
    rusage usage{};
    pid_t ended = 0;
    while ((ended = wait4(child, &status, WNOHANG, &usage)) == 0)
    {
        if (millisecondsSince(start) > 60000.0)
        {
            kill(child, SIGKILL);
            wait4(child, &status, 0, &usage);
            return run;
        }
        usleep(500);
    }
    if (ended != child)
    {
        return run;
    }
    run.milliseconds = millisecondsSince(start);
    run.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (steps)
    {
        run.steps = readStartSteps(start);
    }
    run.peakResidentMegabytes = double(usage.ru_maxrss) / 1024.0;
    return run;
}

double residentPeakMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
    {
        if (line.rfind("VmHWM:", 0) == 0)
        {
            return double(std::atol(line.c_str() + 6)) / 1024.0;
        }
    }
    return 0.0;
}

void drawNothing() {}

void goFullScreen(Shell& shell)
{
    // GLUT resizes the window from its loop, which wants callbacks; frames are drawn here.
    shell.registerCallbacks();
    glutDisplayFunc(drawNothing);
    glutFullScreen();
    const int screenWidth = glutGet(GLUT_SCREEN_WIDTH);
    for (int i = 0; i < 200 && glutGet(GLUT_WINDOW_WIDTH) != screenWidth; ++i)
    {
        glutMainLoopEvent();
        usleep(5000);
    }
    glutMainLoopEvent();
    shell.reshape(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
}

// "a, b" for each flight's median, in milliseconds.
std::string flightMediansText(const std::vector<double>& medians)
{
    std::string text;
    for (double value : medians)
    {
        char number[32];
        std::snprintf(number, sizeof number, "%s%.2f", text.empty() ? "" : ", ", value);
        text += number;
    }
    return text;
}

void printFrameTable(const char* title, const FrameFigures& figures)
{
    const double frame = median(figures.frames);
    const double floor = median(figures.floor);
    std::printf("\n%s: %d x %d, %zu frames\n", title, figures.width, figures.height,
                figures.frames.size());
    std::printf("  %-26s %8.2f ms  (%.0f frames a second; the flights' medians %s)\n",
                "frame, median", frame, frame > 0.0 ? 1000.0 / frame : 0.0,
                flightMediansText(figures.flightMedians).c_str());
    std::printf("  %-26s %8.2f ms\n", "frame, 95th percentile", percentile(figures.frames, 0.95));
    std::printf("  passes, each finished before the next (medians):\n");
    for (int pass = 0; pass < kFramePassCount; ++pass)
    {
        std::printf("    %-24s %8.2f ms\n", kPassNames[pass], median(figures.passes[pass]));
    }
    std::printf("  %-26s %8.2f ms\n", "floor (one textured quad)", floor);
    std::printf("  %-26s %8.2f\n", "frame / floor", floor > 0.0 ? frame / floor : 0.0);
    std::printf("  %-26s %8.2f\n", "allocations a steady frame", figures.allocationsPerFrame);
}

std::string jsonFrameFigures(const FrameFigures& figures)
{
    const double frame = median(figures.frames);
    const double floor = median(figures.floor);
    char text[1024];
    int length = std::snprintf(
        text, sizeof text,
        "\"width\": %d, \"height\": %d, \"frame_ms_median\": %.3f, \"frame_ms_p95\": %.3f",
        figures.width, figures.height, frame, percentile(figures.frames, 0.95));
    for (int pass = 0; pass < kFramePassCount; ++pass)
    {
        length += std::snprintf(text + length, sizeof text - size_t(length), ", \"%s_ms\": %.3f",
                                kPassNames[pass], median(figures.passes[pass]));
    }
    std::snprintf(text + length, sizeof text - size_t(length),
                  ", \"floor_ms\": %.3f, \"frame_to_floor\": %.3f, \"allocations_per_frame\": %.2f",
                  floor, floor > 0.0 ? frame / floor : 0.0, figures.allocationsPerFrame);
    return text;
}

std::string jsonNumberOrNull(bool known, double value)
{
    if (!known)
    {
        return "null";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// Each step's median over the runs that marked it, in the order of the first run.
// The time of `name` among the steps; 0 when it is not there.
double stepTime(const std::vector<std::pair<std::string, double>>& steps, const char* name)
{
    for (const auto& step : steps)
    {
        if (step.first == name)
        {
            return step.second;
        }
    }
    return 0.0;
}

std::vector<std::pair<std::string, double>> medianSteps(const std::vector<ProgramRun>& runs)
{
    std::vector<std::pair<std::string, double>> steps;
    if (runs.empty())
    {
        return steps;
    }
    for (const auto& step : runs.front().steps)
    {
        std::vector<double> times;
        for (const ProgramRun& run : runs)
        {
            for (const auto& other : run.steps)
            {
                if (other.first == step.first)
                {
                    times.push_back(other.second);
                }
            }
        }
        steps.emplace_back(step.first, median(times));
    }
    return steps;
}

// The frames after the scale's last change: where the search has settled, what it holds.
std::vector<double> settledIntervals(const AutomaticFlight& flight)
{
    size_t first = 0;
    for (size_t i = 1; i < flight.scales.size(); ++i)
    {
        if (flight.scales[i] != flight.scales[i - 1])
        {
            first = i;
        }
    }
    return std::vector<double>(flight.intervals.begin() + std::ptrdiff_t(first),
                               flight.intervals.end());
}

void printAutomaticFlight(const AutomaticFlight& flight)
{
    const double interval = median(flight.intervals);
    std::printf("  %-26s %8.2f ms  (%.1f frames a second at a pace of %d; scale median %g, "
                "%d steps down, %d up)\n",
                "auto, frame to frame", interval, interval > 0.0 ? 1000.0 / interval : 0.0,
                flight.framesPerSecond, median(flight.scales), flight.stepsDown, flight.stepsUp);
    const std::vector<double> settled = settledIntervals(flight);
    double total = 0.0;
    for (double milliseconds : settled)
    {
        total += milliseconds;
    }
    std::printf("  %-26s %8.2f ms  (the last %zu frames, at scale %g: %.1f frames a second)\n",
                "auto, once settled", median(settled), settled.size(),
                flight.scales.empty() ? 1.0 : flight.scales.back(),
                total > 0.0 ? 1000.0 * double(settled.size()) / total : 0.0);
    std::printf("  auto, share of frames at each scale: {%s}\n",
                scaleShares(flight.scales).c_str());
}

struct Options
{
    int frames = 600;
    int regenerations = 20;
    int starts = 5;
    int soak = 100;
    bool fullScreen = true;
};

bool parseOptions(int argc, char** argv, Options& options)
{
    for (int i = 2; i < argc; ++i)
    {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--frames" && hasValue)
        {
            options.frames = std::max(20, std::atoi(argv[++i]));
        }
        else if (option == "--regenerations" && hasValue)
        {
            options.regenerations = std::max(1, std::atoi(argv[++i]));
        }
        else if (option == "--starts" && hasValue)
        {
            options.starts = std::max(0, std::atoi(argv[++i]));
        }
        else if (option == "--soak" && hasValue)
        {
            options.soak = std::max(1, std::atoi(argv[++i]));
        }
        else if (option == "--no-fullscreen")
        {
            options.fullScreen = false;
        }
        else
        {
            return false;
        }
    }
    return true;
}
} // namespace

// The park announces every seed it makes on stdout, which holds this benchmark's tables: its
// lines go to /dev/null while the park runs here. Returns the table's own descriptor.
int silenceStdout()
{
    std::fflush(stdout);
    const int tables = dup(STDOUT_FILENO);
    const int nowhere = open("/dev/null", O_WRONLY);
    if (tables >= 0 && nowhere >= 0)
    {
        dup2(nowhere, STDOUT_FILENO);
    }
    if (nowhere >= 0)
    {
        close(nowhere);
    }
    return tables;
}

void restoreStdout(int tables)
{
    if (tables >= 0)
    {
        std::fflush(stdout);
        dup2(tables, STDOUT_FILENO);
        close(tables);
    }
}

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--first-frame-floor") == 0)
    {
        return runFirstFrameFloor(argc, argv);
    }
    glutInit(&argc, argv);
    Options options;
    if (argc < 2 || !parseOptions(argc, argv, options) || chdir(argv[1]) != 0)
    {
        std::fprintf(stderr, "usage: bench_frame_bench <park directory> [--frames N] "
                             "[--regenerations N] [--starts N] [--soak N] [--no-fullscreen]\n");
        return 2;
    }
    char* directory = getcwd(nullptr, 0);
    const std::string program = std::string(directory ? directory : ".") + "/quillmere";
    std::free(directory);
    char* benchmarkPath = realpath("/proc/self/exe", nullptr);
    const std::string benchmark = benchmarkPath ? benchmarkPath : argv[0];
    std::free(benchmarkPath);

    // The park and the floor in turn, so that both see the machine alike.
    std::vector<ProgramRun> starts;
    std::vector<double> floorStarts;
    std::vector<ProgramRun> stepRuns;
    std::vector<ProgramRun> floorStepRuns;
    for (int i = 0; i < options.starts; ++i)
    {
        starts.push_back(runProgram({program, "--frames", "1"}));
        // Two frames: what waits for the first frame to be shown is done before the second.
        stepRuns.push_back(runProgram({program, "--frames", "2"}, true));
        const ProgramRun floorRun = runProgram({benchmark, "--first-frame-floor"}, true);
        if (floorRun.ran)
        {
            floorStarts.push_back(floorRun.milliseconds);
            floorStepRuns.push_back(floorRun);
        }
    }
    const ProgramRun longRun =
        options.starts > 0 ? runProgram({program, "--frames", "300"}) : ProgramRun();

    const int tables = silenceStdout();
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(kWindowWidth, kWindowHeight);
    glutCreateWindow("Quillmere");
    const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    Program running;
    running.shell.setFramesPerSecond(0);
    buildFlightPark(running.park);
    running.shell.reshape(kWindowWidth, kWindowHeight);

    const FrameFigures windowed = measureFrames(running, options.frames);
    const AutomaticFlight automaticWindowed =
        flyAutomatic(running, kAutomaticFlightPace, options.frames);
    const std::vector<double> regenerations =
        measureRegenerations(running.park, options.regenerations);
    const std::vector<Stage> stages =
        measureRegenerationStages(running.park, options.regenerations);
    const Soak soak = soakRegenerations(running.park, options.soak);
    FrameFigures fullScreen;
    std::vector<ScaledFlight> scaledFlights;
    AutomaticFlight automatic;
    std::vector<double> emptyAtOne;
    std::vector<double> emptyAtHalf;
    std::vector<double> emptyAtHalfByProcessor;
    if (options.fullScreen)
    {
        goFullScreen(running.shell);
        fullScreen = measureFrames(running, options.frames);
        for (float scale : {0.75f, 0.5f})
        {
            scaledFlights.push_back(flyAtScale(running, scale, options.frames));
        }
        automatic = flyAutomatic(running, kAutomaticFlightPace, options.frames);
        emptyAtOne = timeEmptyFrames(fullScreen.width, fullScreen.height, 1.0f, 100);
        emptyAtHalf = timeEmptyFrames(fullScreen.width, fullScreen.height, 0.5f, 100);
        emptyAtHalfByProcessor =
            timeEmptyFrames(fullScreen.width, fullScreen.height, 0.5f, 100, true);
    }

    std::vector<double> startTimes;
    for (const ProgramRun& run : starts)
    {
        if (run.ran)
        {
            startTimes.push_back(run.milliseconds);
        }
    }
    const bool started = !startTimes.empty();
    const double firstFrame = median(startTimes);
    const bool floorStarted = !floorStarts.empty();
    const double firstFrameFloor = median(floorStarts);
    const double regenerate = median(regenerations);

    restoreStdout(tables);
    std::printf("renderer: %s\n", renderer.c_str());
    printFrameTable("window", windowed);
    printAutomaticFlight(automaticWindowed);
    if (options.fullScreen)
    {
        printFrameTable("full screen", fullScreen);
    }
    if (options.fullScreen)
    {
        std::printf("\nfull screen, render scale (the same flight, whole frames)\n");
        std::printf("  %-26s %8.2f ms\n", "scale 1", median(fullScreen.frames));
        for (const ScaledFlight& flight : scaledFlights)
        {
            std::printf("  scale %-20g %8.2f ms  (%.2f of scale 1; the flights' medians %s; %.2f "
                        "allocations a frame)\n",
                        double(flight.scale), median(flight.frames),
                        median(flight.frames) / median(fullScreen.frames),
                        flightMediansText(flight.flightMedians).c_str(),
                        flight.allocationsPerFrame);
        }
        printAutomaticFlight(automatic);
        std::printf("  %-26s %8.2f ms\n", "no scene: clear, swap", median(emptyAtOne));
        std::printf("  %-26s %8.2f ms  (the clear offscreen, the GL's copy up)\n",
                    "no scene at 0.5", median(emptyAtHalf));
        std::printf("  %-26s %8.2f ms  (read back, scaled up and put by the processor)\n",
                    "no scene at 0.5, processor", median(emptyAtHalfByProcessor));
    }
    const std::vector<std::pair<std::string, double>> steps = medianSteps(stepRuns);
    const double shown = stepTime(steps, "first-frame");
    const double floorShown = stepTime(medianSteps(floorStepRuns), "first-frame");
    std::printf("\nthe program\n");
    if (shown > 0.0 && floorShown > 0.0)
    {
        std::printf("  %-26s %8.1f ms  (start to its first frame shown; the floor's %.1f, %+.1f)\n",
                    "first frame shown", shown, floorShown, shown - floorShown);
    }
    if (started)
    {
        std::printf("  %-26s %8.1f ms  (start to exit after its first frame, median of %zu)\n",
                    "first frame", firstFrame, startTimes.size());
    }
    if (floorStarted)
    {
        std::printf("  %-26s %8.1f ms  (a window and one textured quad, the same libraries)\n",
                    "first frame, floor", firstFrameFloor);
    }
    if (!steps.empty())
    {
        std::printf("  start's steps, from the start (medians of %zu runs of two frames):\n",
                    stepRuns.size());
        for (const auto& step : steps)
        {
            std::printf("    %-24s %8.1f ms\n", step.first.c_str(), step.second);
        }
    }
    else
    {
        std::printf("  first frame: the program did not run (%s --frames 1)\n", program.c_str());
    }
    if (longRun.ran)
    {
        std::printf("  %-26s %8.1f MB  (a run of 300 frames)\n", "peak resident memory",
                    longRun.peakResidentMegabytes);
    }
    std::printf("  %-26s %8.1f ms  (median of %zu)\n", "r key", regenerate, regenerations.size());
    for (const Stage& stage : stages)
    {
        std::printf("    %-24s %8.2f ms\n", stage.name, median(stage.times));
    }
    std::printf("  %-26s %8.1f MB\n", "peak resident, benchmark", residentPeakMegabytes());
    std::printf("  soak of %d r: resident %+ld kB; live textures %d -> %d, lists %d -> %d, "
                "buffers %d -> %d\n",
                soak.regenerations, soak.residentGrowthKilobytes, soak.before.textures,
                soak.after.textures, soak.before.lists, soak.after.lists, soak.before.buffers,
                soak.after.buffers);

    std::printf(
        "{\"renderer\": \"%s\", %s, \"auto_scale_median\": %g, \"first_frame_ms\": %s, "
        "\"first_frame_floor_ms\": %s, \"first_frame_shown_ms\": %s, "
        "\"first_frame_shown_floor_ms\": %s, \"regenerate_ms\": %.3f, "
        "\"peak_rss_mb\": %s, \"benchmark_peak_rss_mb\": %.1f, \"soak_resident_growth_kb\": %ld",
        renderer.c_str(), jsonFrameFigures(windowed).c_str(), median(automaticWindowed.scales),
        jsonNumberOrNull(started, firstFrame).c_str(),
        jsonNumberOrNull(floorStarted, firstFrameFloor).c_str(),
        jsonNumberOrNull(shown > 0.0, shown).c_str(),
        jsonNumberOrNull(floorShown > 0.0, floorShown).c_str(), regenerate,
        jsonNumberOrNull(longRun.ran, longRun.peakResidentMegabytes).c_str(),
        residentPeakMegabytes(), soak.residentGrowthKilobytes);
    if (options.fullScreen)
    {
        std::printf(", \"fullscreen\": {%s", jsonFrameFigures(fullScreen).c_str());
        for (const ScaledFlight& flight : scaledFlights)
        {
            std::printf(", \"scale_%g_frame_ms_median\": %.3f, \"scale_%g_allocations_per_frame\": "
                        "%.2f",
                        double(flight.scale), median(flight.frames), double(flight.scale),
                        flight.allocationsPerFrame);
        }
        std::printf(", \"empty_frame_ms\": %.3f, \"empty_frame_at_half_ms\": %.3f, "
                    "\"empty_frame_at_half_by_processor_ms\": %.3f",
                    median(emptyAtOne), median(emptyAtHalf), median(emptyAtHalfByProcessor));
        std::printf(", \"auto_pace\": %d, \"auto_interval_ms_median\": %.3f, "
                    "\"auto_settled_interval_ms_median\": %.3f, "
                    "\"auto_scale_median\": %g, \"auto_scale_shares\": {%s}}",
                    automatic.framesPerSecond, median(automatic.intervals),
                    median(settledIntervals(automatic)), median(automatic.scales),
                    scaleShares(automatic.scales).c_str());
    }
    std::printf(", \"start_steps_ms\": {");
    for (size_t i = 0; i < steps.size(); ++i)
    {
        std::printf("%s\"%s\": %.1f", i == 0 ? "" : ", ", steps[i].first.c_str(), steps[i].second);
    }
    std::printf("}}\n");
    return 0;
}
