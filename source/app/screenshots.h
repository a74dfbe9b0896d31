// Numbered JPEG screenshots in the "screenshots" directory, numbered past files already there so
// that nothing from an earlier run is overwritten.
#pragma once

#include <string>

// What became of a screenshot: the file's name, and why it was not saved when it was not.
struct ScreenshotOutcome
{
    bool saved = false;
    std::string name;
    std::string reason;
};

// The screenshots of one run, numbered from 1 at each start.
class Screenshots
{
public:
    // Saves the lower-left width x height pixels of the back buffer as the next free name in
    // "screenshots" (made when missing), printing one "<name>-filename" line per name tried.
    // Call before the swap, which leaves the back buffer undefined. A failed save is named on
    // stderr and still uses up its number.
    ScreenshotOutcome take(int width, int height);

    // The next name in the sequence img001.jpg, img002.jpg, ... img999.jpg, img1000.jpg, ...
    std::string nextName();
    // Advances past every name that already exists and returns the first free one.
    std::string findFreeName();

private:
    int m_number = 0;
};

// 1 when path opens as a file, 0 when the directory was created, -1 when that failed.
int makeDirectory(const char* path);
