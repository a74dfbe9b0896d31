// The program's command line and its settings file. GLUT takes its own X options (-display,
// -geometry, ...) out of the arguments, but glutInit needs an X display and opens it at once; so
// the park steps over GLUT's options as GLUT would and reads the rest with the C library's
// getopt_long (so that "--", abbreviations of long options and joined short options behave as
// in every other command), answering --help, --version and every mistake without a display or a
// window. The settings file holds long options one a line and is read under the command line,
// which wins. Nothing here touches GL, GLUT or the platform.
#pragma once

#include "app/keytable.h"
#include "app/padlayout.h"
#include "app/renderscale.h"
#include "audio/soundoutput.h"
#include "platform/framepacing.h"
#include "world/camera.h"

#include <cstdint>
#include <string>
#include <vector>

const int kDefaultVolume = 80;
const double kDefaultPixelsPerDegree = 7.0;

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
    double pixelsPerDegree = kDefaultPixelsPerDegree; // mouse movement for a degree of turn
    bool invertMouse = false;                         // moving the mouse up looks down
    bool mute = false;
    int volume = kDefaultVolume; // 0 ... 100
    HrtfChoice hrtf = HrtfChoice::Auto;
    bool captions = false; // the sounds written at the foot of the window
    double fieldOfView = kDefaultFieldOfView;   // vertical, degrees
    double padLookSpeed = kDefaultPadLookSpeed; // degrees a second at full tilt
    RenderScaleChoice renderScale;               // automatic unless a scale is named
    // The keys in use: today's, and each action a key-<action> setting names has the keys it
    // names (taken from any action that had them by default).
    KeyTable keys = defaultKeyTable();
    unsigned keysSetByUser = 0; // a bit for each action a setting named
    // The settings file: read unless --no-config; --config names another than the usual one.
    bool readSettings = true;
    std::string settingsFile;
    // GLUT's -display, where the window is to open; empty: DISPLAY.
    std::string displayName;
};

// Reads argv[1 ... argc - 1] into options. False with a one-line reason in error (no trailing
// full stop, no program name) when an option or value is wrong; options then holds what was read
// before it.
bool parseProgramOptions(int argc, const char* const* argv, ProgramOptions& options,
                         std::string& error);

// One line of a settings file ("fps = 144", "mute", a comment after '#', or nothing) applied to
// options. False with a one-line reason when the line is not a setting the park understands.
bool applySettingsLine(const std::string& line, ProgramOptions& options, std::string& error);

// The text of --help: usage, the options, the settings file, and the keys in use (the park's
// default keys unless given others) and the mouse.
std::string usageText(const KeyTable& keys);
