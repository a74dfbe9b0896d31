// Quillmere: a first-person walk through a generated prehistoric park. Reads the command line,
// opens the window, builds the scene once and hands the thread to GLUT for good.
#include "app/options.h"
#include "app/settings.h"
#include "app/shell.h"
#include "app/soundscape.h"
#include "platform/framepacing.h"
#include "platform/platform.h"
#include "platform/tickclock.h"
#include "world/sky.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <string>
#include <vector>

#ifndef QUILLMERE_VERSION
#define QUILLMERE_VERSION "unknown"
#endif

namespace
{
const int kStatusNoDisplay = 1;
const int kStatusUsageError = 2;

// Help, the version and every mistake in the options are answered before GLUT opens the X
// display, so they need neither a display nor a window; so is a display that cannot be opened,
// in the park's words rather than GLUT's. Returns the status to leave with, or -1 to go on.
int answerCommandLine(int argc, char** argv, ProgramOptions& options)
{
    std::string error;
    std::vector<std::string> complaints;
    if (!loadProgramOptions(argc, argv, options, complaints, error))
    {
        std::fprintf(stderr, "quillmere: %s; try --help\n", error.c_str());
        return kStatusUsageError;
    }
    for (const std::string& complaint : complaints)
    {
        std::fprintf(stderr, "quillmere: %s; the line is skipped\n", complaint.c_str());
    }
    if (options.showHelp)
    {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (options.showVersion)
    {
        std::printf("quillmere %s\n", QUILLMERE_VERSION);
        return 0;
    }
    if (!canOpenXDisplay(options.displayName))
    {
        const std::string name = xDisplayName(options.displayName);
        if (name.empty())
        {
            std::fprintf(stderr, "quillmere: cannot open an X display: DISPLAY is not set\n");
        }
        else
        {
            std::fprintf(stderr, "quillmere: cannot open the X display '%s' (is DISPLAY set?)\n",
                         name.c_str());
        }
        return kStatusNoDisplay;
    }
    return -1;
}
} // namespace

int main(int argc, char** argv)
{
    ProgramOptions options;
    const int status = answerCommandLine(argc, argv, options);
    if (status >= 0)
    {
        return status;
    }

    // Before glutInit, so that a size given with -geometry wins over the usual one.
    glutInitWindowSize(kWindowWidth, kWindowHeight);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Quillmere");

    registerCallbacks();

    if (options.fullScreen)
    {
        glutFullScreen();
        g_fullScreen = 1;
    }
    // The screen's own rate, unless the user named one: frames drawn faster are never shown.
    if (options.hasFramesPerSecond)
    {
        setTargetFramesPerSecond(options.framesPerSecond);
    }
    else
    {
        followDisplayRefreshRate();
    }
    setFrameLimit(options.frameLimit, options.screenshotOnLastFrame);
    if (options.hasSeed)
    {
        g_terrain.startSeedsAt(options.seed);
    }
    g_camera.m_pixelsPerDegree = float(options.pixelsPerDegree);
    g_camera.m_invertMouse = options.invertMouse;

    // Where the driver can wait for the screen's retrace, frames are not drawn only to be thrown
    // away; the pacer holds the rate on screens faster than its target.
    if (targetFramesPerSecond() > 0)
    {
        requestSwapInterval(1);
    }
    if (options.dayLengthSeconds > 0.0)
    {
        g_dayClock.setTicksPerDay(options.dayLengthSeconds * kTicksPerSecond);
    }
    setFixedGlState();
    setUpScene();
    scatterTrees();
    SoundSettings sound;
    sound.m_muted = options.mute;
    sound.m_volume = options.volume;
    startSoundscape(sound);
    if (options.hasTimeOfDay)
    {
        startDayAt(options.timeOfDay);
    }
    announce("F1: keys and help");
    glutMainLoop();
    return 0;
}
