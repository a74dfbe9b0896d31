// Quillmere: a first-person walk through a generated prehistoric park. Reads the command line,
// opens the window, builds the park once and hands the thread to GLUT for good.
#include "app/keytable.h"
#include "app/options.h"
#include "app/park.h"
#include "app/settings.h"
#include "app/shell.h"
#include "app/soundscape.h"
#include "app/startsteps.h"
#include "formats/loadreport.h"
#include "platform/platform.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <string>
#include <thread>
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
        reportProblem("%s; try --help", error.c_str());
        return kStatusUsageError;
    }
    for (const std::string& complaint : complaints)
    {
        reportProblem("%s; the line is skipped", complaint.c_str());
    }
    if (options.showHelp)
    {
        std::fputs(usageText(options.keys).c_str(), stdout);
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
            reportProblem("cannot open an X display: DISPLAY is not set");
        }
        else
        {
            reportProblem("cannot open the X display '%s' (is DISPLAY set?)", name.c_str());
        }
        return kStatusNoDisplay;
    }
    return -1;
}

void applyParkOptions(const ProgramOptions& options, Park& park)
{
    if (options.hasSeed)
    {
        park.startSeedsAt(options.seed);
    }
    park.setLook(float(options.pixelsPerDegree), float(options.padLookSpeed), options.invertMouse);
    park.setFieldOfView(float(options.fieldOfView));
    if (options.dayLengthSeconds > 0.0)
    {
        park.setDayLength(options.dayLengthSeconds);
    }
}
} // namespace

int main(int argc, char** argv)
{
    const StartSteps steps;
    steps.mark("main");
    ProgramOptions options;
    const int status = answerCommandLine(argc, argv, options);
    if (status >= 0)
    {
        return status;
    }

    // Lives until the process leaves, which it does from the shell (Esc, or the last frame of
    // --frames) without returning here; so do the sound and the shell.
    Park park;
    applyParkOptions(options, park);
    // The park's ground and files need no window: they are made while GLUT opens it, which keeps
    // this thread waiting on the X server and the GL driver.
    std::thread preparing([&park] { park.prepareNext(); });

    // Before glutInit, so that a size given with -geometry wins over the usual one.
    glutInitWindowSize(kWindowWidth, kWindowHeight);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Quillmere");
    steps.mark("window");
    preparing.join();
    steps.mark("prepared");

    Soundscape sound;
    Shell shell(park, sound);
    shell.registerCallbacks();

    if (options.fullScreen)
    {
        shell.setFullScreen(true);
    }
    // The screen's own rate, unless the user named one: frames drawn faster are never shown.
    if (options.hasFramesPerSecond)
    {
        shell.setFramesPerSecond(options.framesPerSecond);
    }
    else
    {
        shell.followDisplayRefreshRate();
    }
    shell.setRenderScale(options.renderScale);
    shell.setFrameLimit(options.frameLimit, options.screenshotOnLastFrame);
    shell.setKeys(options.keys);
    // Where the driver can wait for the screen's retrace, frames are not drawn only to be thrown
    // away; the pacer holds the rate on screens faster than its target.
    if (shell.framesPerSecond() > 0)
    {
        requestSwapInterval(1);
    }

    park.mergeGroundDetailLater();
    shell.makePark();
    steps.mark("park");
    if (options.hasTimeOfDay)
    {
        park.startDayAt(options.timeOfDay);
    }
    shell.setCaptions(options.captions);
    // The park is seen before it is heard: the ground's one texture, opening the device and
    // reading the sounds, and starting the pads wait until the first frame is on the screen.
    shell.afterFirstFrame(
        [&]
        {
            steps.mark("first-frame");
            park.finishStart();
            steps.mark("ground");
            shell.announce("F1: keys and help");
            SoundSettings settings;
            settings.m_muted = options.mute;
            settings.m_volume = options.volume;
            settings.m_hrtf = options.hrtf;
            sound.start(settings);
            shell.setCaptions(options.captions);
            steps.mark("sound");
            const std::string configFolder = usualConfigFolder();
            shell.startGamepads(configFolder.empty() ? "" : configFolder + "/gamecontrollerdb.txt");
            steps.mark("gamepads");
        });
    glutMainLoop();
    return 0;
}
