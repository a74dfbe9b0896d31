// The game pad's cost in the frame: the shell's reading of it (SDL's events, the pad's sticks and
// buttons, the dead zone, the camera's sticks), once every sixtieth of a second for a minute with
// a pad plugged in (SDL's virtual pad, its sticks moving) and for a while without one. Prints the
// median and the 99th percentile of each, and what starting SDL's game-controller input costs.
//   bench_pad_bench [--seconds N]
#include "app/padinput.h"
#include "world/camera.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace
{
using BenchClock = std::chrono::steady_clock;

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const size_t rank = size_t(std::ceil(fraction * double(values.size())));
    return values.empty() ? 0.0 : values[std::min(values.size() - 1, rank > 0 ? rank - 1 : 0)];
}

// Readings a sixtieth of a second apart for `seconds`, the reading alone timed; `move` runs
// before each, outside the timing.
template <class Move> std::vector<double> readFor(PadInput& pad, Camera& camera, double seconds, Move move)
{
    std::vector<double> costs;
    const auto frame = std::chrono::microseconds(16667);
    BenchClock::time_point next = BenchClock::now();
    for (int i = 0; i < int(seconds * 60.0); ++i)
    {
        move(i);
        PadReading reading;
        const BenchClock::time_point start = BenchClock::now();
        pad.read(camera, reading);
        costs.push_back(std::chrono::duration<double, std::milli>(BenchClock::now() - start).count());
        next += frame;
        std::this_thread::sleep_until(next);
    }
    return costs;
}

void print(const char* what, const std::vector<double>& costs)
{
    std::printf("%-28s median %.4f ms, 99th percentile %.4f ms, most %.4f ms (%zu readings)\n",
                what, percentile(costs, 0.5), percentile(costs, 0.99), percentile(costs, 1.0),
                costs.size());
}
} // namespace

int main(int argc, char** argv)
{
    double seconds = 60.0;
    if (argc == 3 && std::strcmp(argv[1], "--seconds") == 0)
    {
        seconds = std::max(1.0, std::atof(argv[2]));
    }
    PadInput pad;
    Camera camera;
    const BenchClock::time_point started = BenchClock::now();
    pad.start("");
    std::printf("starting the pads' input: %.1f ms\n",
                std::chrono::duration<double, std::milli>(BenchClock::now() - started).count());

    print("no pad", readFor(pad, camera, seconds / 3.0, [](int) {}));

    SDL_VirtualJoystickDesc description;
    SDL_zero(description);
    description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    description.naxes = SDL_CONTROLLER_AXIS_MAX;
    description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    description.name = "Bench pad";
    const int index = SDL_JoystickAttachVirtualEx(&description);
    SDL_Joystick* joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
    if (!joystick)
    {
        std::printf("no virtual pad: %s\n", SDL_GetError());
        return 1;
    }
    const std::vector<double> withPad = readFor(
        pad, camera, seconds,
        [joystick](int i)
        {
            // The sticks circle and a button goes up and down, as a hand would move them.
            SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_RIGHTX,
                                       Sint16(30000.0 * std::sin(0.05 * i)));
            SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY,
                                       Sint16(30000.0 * std::cos(0.03 * i)));
            SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_Y, (i / 30) % 2);
        });
    print("a pad, moving", withPad);
    std::printf("{\"pad_read_ms_median\": %.4f, \"pad_read_ms_p99\": %.4f}\n",
                percentile(withPad, 0.5), percentile(withPad, 0.99));
    SDL_JoystickClose(joystick);
    return 0;
}
