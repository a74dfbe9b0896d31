// The soundscape's cost in the frame: Soundscape::update, as the shell calls it once a displayed
// frame, timed along a minute's worth of a lively park at 60 frames a second in real time (the
// animals switching behaviours, walking, roaring, the herd taking fright, the pterosaurs
// circling, the day going round), with the heap allocations of a steady frame counted on the
// frame's thread (C++ and C alike; OpenAL's own thread mixes and is not counted).
//
// Usage: bench_sound_bench <park directory> [--frames N]
// Without a sound card, OpenAL Soft's null output (ALSOFT_DRIVERS=null, unless ALSOFT_DRIVERS is
// set) mixes on its own thread as a card's output would, and throws the mix away. Prints a
// table and, as its last line, one JSON object.
#include "app/soundscape.h"
#include "creatures/dinosaurs.h"
#include "creatures/ms3dreader.h"
#include "math/random.h"
#include "world/camera.h"
#include "world/daycycle.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace
{
std::atomic<long> g_allocations{0};
thread_local bool t_counting = false;
} // namespace

// Every heap allocation of the frame's thread is counted through glibc's own allocator entry
// points, which C++'s new calls too. The sanitizers bring an allocator of their own, which is
// left alone: their build counts nothing.
#if !defined(__SANITIZE_ADDRESS__)
extern "C"
{
    void* __libc_malloc(size_t size);
    void* __libc_calloc(size_t count, size_t size);
    void* __libc_realloc(void* p, size_t size);

    void* malloc(size_t size)
    {
        if (t_counting)
        {
            g_allocations.fetch_add(1, std::memory_order_relaxed);
        }
        return __libc_malloc(size);
    }

    void* calloc(size_t count, size_t size)
    {
        if (t_counting)
        {
            g_allocations.fetch_add(1, std::memory_order_relaxed);
        }
        return __libc_calloc(count, size);
    }

    void* realloc(void* p, size_t size)
    {
        if (t_counting)
        {
            g_allocations.fetch_add(1, std::memory_order_relaxed);
        }
        return __libc_realloc(p, size);
    }
}
const bool kCountsAllocations = true;
#else
const bool kCountsAllocations = false;
#endif

namespace
{
using BenchClock = std::chrono::steady_clock;

// Counts what the director decides, beside the timed path.
class CountingSink : public SoundSink
{
public:
    void setListener(const Vector3&, const Vector3&, const Vector3&) override {}
    void play(ParkSound, const Vector3&, float, float) override { ++played; }
    void setBedGain(ParkSound, float) override {}
    long played = 0;
};

// Ten triceratops, a herd of four, four pterosaurs and the tyrannosaur, from 20 to 400 units
// about the listener's path; empty models, for their clocks.
void setUpPark(DinosaurSet& park)
{
    park.m_pTriceratopsModel = std::make_unique<MilkshapeModel>();
    park.m_pStegocerasModel = std::make_unique<MilkshapeModel>();
    park.m_pPterosaurModel = std::make_unique<MilkshapeModel>();
    park.m_pTyrannosaurModel = std::make_unique<MilkshapeModel>();
    park.m_numTriceratops = 10;
    park.m_numStegoceras = 4;
    park.m_numPterosaurs = 4;
    for (int i = 0; i < 10; ++i)
    {
        const float angle = 0.628f * float(i);
        const float distance = 40.0f + 36.0f * float(i);
        park.m_triceratops[i].m_position.set(distance * std::cos(angle), 10.0f,
                                             distance * std::sin(angle));
    }
    for (int i = 0; i < 4; ++i)
    {
        park.m_stegoceras[i].m_position.set(80.0f + 25.0f * float(i), 10.0f,
                                            -60.0f - 25.0f * float(i));
        park.m_pterosaurs[i].reset();
        park.m_pterosaurs[i].m_position.set(-150.0f + 100.0f * float(i), 90.0f, 200.0f);
    }
    park.m_tyrannosaur.m_position.set(-60.0f, 10.0f, 30.0f);
}

void startClips(DinosaurSet& park)
{
    const Clip clips[3] = {kTriceratopsClips[park.m_triceratopsMode],
                           kStegocerasClips[park.m_stegocerasMode],
                           kTyrannosaurClips[park.m_tyrannosaurMode]};
    Model* models[3] = {park.m_pTriceratopsModel.get(), park.m_pStegocerasModel.get(),
                        park.m_pTyrannosaurModel.get()};
    for (int i = 0; i < 3; ++i)
    {
        models[i]->setFrameRange(clips[i].start, clips[i].end);
        models[i]->rewind();
    }
}

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const size_t rank = size_t(std::ceil(fraction * double(values.size())));
    return values.empty() ? 0.0 : values[std::min(values.size() - 1, rank > 0 ? rank - 1 : 0)];
}
} // namespace

int main(int argc, char** argv)
{
    int frames = 3600;
    if (argc < 2 || chdir(argv[1]) != 0)
    {
        std::fprintf(stderr, "usage: bench_sound_bench <park directory> [--frames N]\n");
        return 2;
    }
    for (int i = 2; i + 1 < argc; i += 2)
    {
        if (std::strcmp(argv[i], "--frames") == 0)
        {
            frames = std::max(120, std::atoi(argv[i + 1]));
        }
    }
    setenv("ALSOFT_DRIVERS", "null", 0);

    DinosaurSet park;
    setUpPark(park);
    startClips(park);
    DayCycle day;
    Camera camera;
    SoundDirector shadow;
    CountingSink counted;
    RandomSequence random(7);
    int switchIn = 10;

    const BenchClock::time_point started = BenchClock::now();
    t_counting = true;
    Soundscape soundscape;
    soundscape.start(SoundSettings());
    t_counting = false;
    const double startMs =
        std::chrono::duration<double, std::milli>(BenchClock::now() - started).count();
    const std::string state = soundscape.state();
    std::printf("%s; started in %.1f ms with %ld allocations\n", state.c_str(), startMs,
                g_allocations.load());

    const int warmUp = 60;
    std::vector<double> costs;
    long allocations = 0;
    const auto frameTime = std::chrono::microseconds(16667);
    BenchClock::time_point next = BenchClock::now();
    for (int frame = 0; frame < frames; ++frame)
    {
        // The park's own frame: behaviour switches, steps, flight, the day, the walking eye.
        if (--switchIn <= 0)
        {
            switchIn = 10 + random.next() % 91;
            park.m_triceratopsMode =
                (park.m_triceratopsMode + 1) % int(std::size(kTriceratopsClips));
            park.m_stegocerasMode = (park.m_stegocerasMode + 1) % int(std::size(kStegocerasClips));
            park.m_tyrannosaurMode =
                (park.m_tyrannosaurMode + 1) % int(std::size(kTyrannosaurClips));
            startClips(park);
            for (Pterosaur& pterosaur : park.m_pterosaurs)
            {
                pterosaur.startCircling();
            }
        }
        park.m_herdStartled = frame > frames / 2 ? 1 : 0;
        for (Pterosaur& pterosaur : park.m_pterosaurs)
        {
            pterosaur.step();
        }
        day.advanceFrame();
        camera.m_position.set(30.0f * std::sin(0.01f * float(frame)), 12.0f, float(frame) * -0.05f);
        camera.m_yaw = std::fmod(0.3f * float(frame), 360.0f);
        shadow.update(park, day.m_sunAngle, ListenerPose{camera.m_position, camera.m_yaw, 0.0f},
                      1.0f / 60.0f, counted);

        const long allocationsBefore = g_allocations.load();
        t_counting = true;
        const BenchClock::time_point begin = BenchClock::now();
        soundscape.update(park, day, camera, 1.0f / 60.0f);
        const double ms =
            std::chrono::duration<double, std::milli>(BenchClock::now() - begin).count();
        t_counting = false;
        if (frame >= warmUp)
        {
            costs.push_back(ms);
            allocations += g_allocations.load() - allocationsBefore;
        }
        next += frameTime;
        std::this_thread::sleep_until(next);
    }
    soundscape.stop();

    const double steady = double(costs.size());
    const double mean = [&]
    {
        double sum = 0.0;
        for (double c : costs)
        {
            sum += c;
        }
        return sum / steady;
    }();
    std::printf("%d frames at 60 a second, %ld sounds started, the sun round %.1f times\n", frames,
                counted.played, double(frames) * day.m_dayRate / 360.0);
    std::printf("  %-34s %8.4f\n", "update ms, median", percentile(costs, 0.5));
    std::printf("  %-34s %8.4f\n", "update ms, mean", mean);
    std::printf("  %-34s %8.4f\n", "update ms, 99th percentile", percentile(costs, 0.99));
    std::printf("  %-34s %8.4f\n", "update ms, largest", percentile(costs, 1.0));
    const long over = std::count_if(costs.begin(), costs.end(), [](double c) { return c > 0.05; });
    std::printf("  %-34s %8ld\n", "frames over 0.05 ms", over);
    if (kCountsAllocations)
    {
        std::printf("  %-34s %8.3f\n", "allocations a steady frame", double(allocations) / steady);
    }
    std::printf("{\"device\": \"%s\", \"frames\": %d, \"sounds\": %ld, \"update_ms_median\": %.4f, "
                "\"update_ms_mean\": %.4f, \"update_ms_p99\": %.4f, \"update_ms_max\": %.4f, "
                "\"allocations_per_frame\": %s}\n",
                state.c_str(), frames, counted.played, percentile(costs, 0.5), mean,
                percentile(costs, 0.99), percentile(costs, 1.0),
                kCountsAllocations ? std::to_string(double(allocations) / steady).c_str() : "null");
    return 0;
}
