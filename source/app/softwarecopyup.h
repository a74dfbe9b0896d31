// Where the GL itself draws on the processor, a scaled scene reaches the window without another
// pass of the renderer: it is read back, scaled up by the processor on two threads, and put into
// the window by the X server. The renderer's copy up shades every window pixel again, which costs
// that renderer about as much as a frame's cheapest full-screen pass; this costs a few
// milliseconds. Where text is drawn over the frame the GL copies up what lies under it, so that
// the text is drawn sharp at the window's resolution (the shell decides where).
#pragma once

#include "app/upscale.h"
#include "platform/windowimage.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// True for the renderers that draw on the processor (Mesa's llvmpipe and softpipe, the old
// software rasteriser).
bool rendersOnProcessor(const char* rendererName);

class SoftwareCopyUp
{
public:
    SoftwareCopyUp() = default;
    ~SoftwareCopyUp();
    SoftwareCopyUp(const SoftwareCopyUp&) = delete;
    SoftwareCopyUp& operator=(const SoftwareCopyUp&) = delete;

    // Whether scaled frames may go this way; off by default.
    void enable(bool enabled) { m_enabled = enabled; }
    bool enabled() const { return m_enabled && !m_refused; }

    // The scene of `sceneWidth` x `sceneHeight` in the framebuffer bound for reading, scaled up
    // to `windowWidth` x `windowHeight` and ready to show. False when this way is off or the
    // window cannot take the pixels; the first refusal is said with its reason and turns it off.
    bool copy(int sceneWidth, int sceneHeight, int windowWidth, int windowHeight);
    // Puts what copy() made into the window, in place of the GL's swap.
    void show() { m_window.show(); }

private:
    // The window's lower half of rows is scaled by the helper while the caller does the rest.
    void scaleOnTwoThreads();
    void helpLoop();
    void stopHelper();

    WindowImage m_window;
    Upscale m_upscale;
    std::vector<uint32_t> m_scene;
    std::vector<uint32_t> m_scratch[2];
    bool m_enabled = false;
    bool m_refused = false;

    std::thread m_helper;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    unsigned m_asked = 0;
    unsigned m_finished = 0;
    bool m_stopping = false;
};
