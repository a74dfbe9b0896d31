// Screenshots: the finished frame read from the back buffer before its swap, written as JPEG
// through DevIL.
#include "app/screenshots.h"

#include "formats/imagelibrary.h"
#include "platform/platform.h"

#include <GL/gl.h>
#include <IL/il.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
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

// Names the reason a save failed, on stderr and to the caller: the file system's when the file
// cannot be created at all, otherwise the image library's error code.
std::string reportSaveFailure(const char* name, ILenum libraryError)
{
    char reason[96];
    if (FILE* probe = std::fopen(name, "wb"))
    {
        std::fclose(probe);
        std::remove(name);
        std::snprintf(reason, sizeof reason, "image library error 0x%04x", unsigned(libraryError));
    }
    else
    {
        std::snprintf(reason, sizeof reason, "%s", std::strerror(errno));
    }
    std::fprintf(stderr, "%s: screenshot not saved: %s\n", name, reason);
    std::fflush(stderr);
    return reason;
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
    initImageLibrary();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);

    std::vector<unsigned char> pixels(size_t(width) * size_t(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());

    clearImageLibraryErrors();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    // The image's first (and only) sub-image.
    ilActiveImage(0);
    ilTexImage(ILuint(width), ILuint(height), 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, pixels.data());

    ScreenshotOutcome outcome;
    outcome.name = findFreeScreenshotName();
    outcome.saved = ilSaveImage(outcome.name.c_str());
    if (!outcome.saved)
    {
        outcome.reason = reportSaveFailure(outcome.name.c_str(), ilGetError());
    }
    ilDeleteImages(1, &image);
    return outcome;
}
