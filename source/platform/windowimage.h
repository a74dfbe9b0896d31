// Pixels the processor writes and the X server puts into the GL's window through shared memory:
// a picture made on the processor shown without a pass of the renderer and without the GL's
// swap. Only for a window whose pixels are 32 bits, blue in the lowest byte (as the GL reads
// back GL_BGRA), on a server with the shared-memory extension.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class WindowImage
{
public:
    WindowImage();
    ~WindowImage();
    WindowImage(const WindowImage&) = delete;
    WindowImage& operator=(const WindowImage&) = delete;

    // An image of `width` x `height` for the GL's current window, kept while the size stays;
    // false, with `reason`, where the window or the server cannot take one.
    bool make(int width, int height, std::string& reason);
    void release();
    bool ready() const;

    // Top row first, `stride` pixels from one row to the next.
    uint32_t* pixels();
    int stride() const;
    int width() const;
    int height() const;

    // Puts the whole image into the window; the server copies it while the park goes on.
    void show();
    // Waits until the server has taken what show() put, so that the pixels may be written again.
    void awaitShown();

private:
    struct Shared;
    std::unique_ptr<Shared> m_shared;
};
