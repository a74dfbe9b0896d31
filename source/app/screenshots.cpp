// Screenshots: the finished frame read from the back buffer before its swap, written as JPEG
// through the image library's pixel interface, which leaves the library as it found it.
#include "app/screenshots.h"

#include "formats/imagelibrary.h"
#include "formats/loadreport.h"
#include "platform/platform.h"

#include <GL/gl.h>

#include <cstdio>
#include <vector>

namespace
{
char g_screenshotDir[100] = "screenshots";
const char g_screenshotPrefix[] = "img";
const char g_screenshotExtension[] = "jpg";
int g_shotOnes = 0;
int g_shotTens = 0;
int g_shotHundreds = 0;

bool fileExists(const char* path)
{
    if (FILE* file = std::fopen(path, "r"))
    {
        std::fclose(file);
        return true;
    }
    return false;
}
} // namespace

int makeDirectory(const char* path)
{
    if (fileExists(path))
    {
        return 1;
    }
    return createDirectory(path) ? 0 : -1;
}

void createScreenshotDirectory()
{
    std::snprintf(g_screenshotDir, sizeof g_screenshotDir, "%s", "screenshots");
    makeDirectory(g_screenshotDir);
}

void resetScreenshotNumbering()
{
    g_shotOnes = 0;
    g_shotTens = 0;
    g_shotHundreds = 0;
}

std::string nextScreenshotName()
{
    g_shotOnes += 1;
    if (g_shotOnes == 10)
    {
        g_shotOnes = 0;
        g_shotTens += 1;
        if (g_shotTens == 10)
        {
            g_shotTens = 0;
            g_shotHundreds += 1;
        }
    }
    char name[160];
    std::snprintf(name, sizeof name, "%s/%s%d%d%d.%s", g_screenshotDir, g_screenshotPrefix,
                  g_shotHundreds, g_shotTens, g_shotOnes, g_screenshotExtension);
    return name;
}

std::string findFreeScreenshotName()
{
    for (;;)
    {
        std::string name = nextScreenshotName();
        std::printf("%s-filename\n", name.c_str());
        std::fflush(stdout);
        if (!fileExists(name.c_str()))
        {
            return name;
        }
    }
}

ScreenshotOutcome takeScreenshot(int width, int height)
{
    DecodedImage frame;
    frame.width = width;
    frame.height = height;
    frame.channels = 4;
    frame.pixels.resize(frame.rowBytes() * size_t(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frame.pixels.data());

    ScreenshotOutcome outcome;
    outcome.name = findFreeScreenshotName();
    outcome.saved = saveImageFile(outcome.name.c_str(), frame, false, outcome.reason);
    if (!outcome.saved)
    {
        reportLoadFailure(outcome.name.c_str(), "screenshot not saved (" + outcome.reason + ")");
    }
    return outcome;
}
