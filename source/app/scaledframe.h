// The scene drawn smaller than the window and scaled up to it: an offscreen colour and depth
// image of the scaled size, and the copy onto the window with linear filtering. At scale 1 the
// scene is drawn straight into the window, as if this did not exist.
#pragma once

#include "platform/glapi.h"

#include <string>

class ScaledFrame
{
public:
    ScaledFrame() = default;
    ScaledFrame(const ScaledFrame&) = delete;
    ScaledFrame& operator=(const ScaledFrame&) = delete;
    ~ScaledFrame();

    // Looks up the GL's framebuffer objects (needs the context); false, with `reason`, without
    // them: every frame is then drawn at scale 1.
    bool start(std::string& reason);
    bool available() const { return m_api.available(); }

    // The scene of a `width` x `height` window is about to be drawn at `scale`: below 1 (and with
    // framebuffer objects) into the offscreen image, its viewport the scaled size; else into the
    // window. False when the image cannot be made (the scene then goes to the window).
    bool begin(int width, int height, float scale);
    // Scales what begin() sent offscreen up onto the whole window and draws into the window
    // again, its viewport the window's; nothing after a frame drawn into the window.
    void finish();
    // The same without the copy, for a scene taken from the offscreen image some other way.
    void finishWithoutCopy();
    // The copy of the strip of the window `height` pixels high at its foot alone.
    void finishFoot(int height);
    // Whether the scene since the last begin() is being drawn offscreen.
    bool isOffscreen() const { return m_offscreen; }
    // The size the scene was drawn at since the last begin().
    int drawnWidth() const { return m_drawnWidth; }
    int drawnHeight() const { return m_drawnHeight; }

private:
    bool makeImages(int width, int height);
    void releaseImages();

    FramebufferApi m_api;
    unsigned m_framebuffer = 0;
    unsigned m_colour = 0;
    unsigned m_depth = 0;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    int m_windowWidth = 0;
    int m_windowHeight = 0;
    int m_drawnWidth = 0;
    int m_drawnHeight = 0;
    bool m_offscreen = false;
};
