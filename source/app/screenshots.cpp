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
const char kScreenshotFolder[] = "screenshots";

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

std::string Screenshots::nextName()
{
    m_number += 1;
    char name[64];
    std::snprintf(name, sizeof name, "%s/img%03d.jpg", kScreenshotFolder, m_number);
    return name;
}

std::string Screenshots::findFreeName()
{
    for (;;)
    {
        std::string name = nextName();
        std::printf("%s-filename\n", name.c_str());
        std::fflush(stdout);
        if (!fileExists(name.c_str()))
        {
            return name;
        }
    }
}

ScreenshotOutcome Screenshots::take(int width, int height)
{
    makeDirectory(kScreenshotFolder);
    DecodedImage frame;
    frame.width = width;
    frame.height = height;
    frame.channels = 4;
    frame.pixels.resize(frame.rowBytes() * size_t(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frame.pixels.data());

    ScreenshotOutcome outcome;
    outcome.name = findFreeName();
    outcome.saved = saveImageFile(outcome.name.c_str(), frame, false, outcome.reason);
    if (!outcome.saved)
    {
        reportLoadFailure(outcome.name.c_str(), "screenshot not saved (" + outcome.reason + ")");
    }
    return outcome;
}
