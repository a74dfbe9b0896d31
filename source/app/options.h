// The program's command line. GLUT takes its own X options (-display, -geometry, ...) out of the
// arguments, but glutInit needs an X display and opens it at once; so the park reads its whole
// command line first, stepping over GLUT's options as GLUT would, and can answer --help, --version
// and every mistake without a display or a window. Nothing here touches GL, GLUT or the platform.
#pragma once

#include "platform/framepacing.h"

#include <cstdint>
#include <string>

struct ProgramOptions
{
    bool showHelp = false;
    bool showVersion = false;
    bool hasSeed = false;
    uint32_t seed = 0; // the first park's; each regeneration takes the next
    bool fullScreen = false;
    // Without --fps the pace follows the screen's refresh rate, read once the window exists.
    bool hasFramesPerSecond = false;
    int framesPerSecond = kTargetFramesPerSecond; // 0: no limit
    double dayLengthSeconds = 0.0;                // 0: the park's own, 401 ticks
    bool hasTimeOfDay = false;
    double timeOfDay = 0.0; // share of a day from the park's start, 0 <= timeOfDay < 1
    int frameLimit = 0;     // leave after this many frames; 0: run until Esc
    bool screenshotOnLastFrame = false;
};

// Reads argv[1 ... argc - 1] into options. False with a one-line reason in error (no trailing
// full stop, no program name) when an option or value is wrong; options then holds what was read
// before it.
bool parseProgramOptions(int argc, const char* const* argv, ProgramOptions& options,
                         std::string& error);

// The text of --help: usage, the options, the keys and the mouse.
std::string usageText();
