// Reading the scaled scene back, scaling it up on two threads, putting it into the window.
#include "app/softwarecopyup.h"

#include "formats/loadreport.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

bool rendersOnProcessor(const char* rendererName)
{
    if (!rendererName)
    {
        return false;
    }
    for (const char* name : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast"})
    {
        if (std::strstr(rendererName, name))
        {
            return true;
        }
    }
    return false;
}

SoftwareCopyUp::~SoftwareCopyUp()
{
    stopHelper();
}

void SoftwareCopyUp::stopHelper()
{
    if (!m_helper.joinable())
    {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_helper.join();
}

bool SoftwareCopyUp::copy(int sceneWidth, int sceneHeight, int windowWidth, int windowHeight)
{
    if (!enabled())
    {
        return false;
    }
    std::string reason;
    if (!m_window.make(windowWidth, windowHeight, reason))
    {
        m_refused = true;
        reportProblem("the scaled scene cannot be put into the window by the processor (%s); the "
                      "GL scales it up",
                      reason.c_str());
        return false;
    }
    m_upscale.plan(sceneWidth, sceneHeight, windowWidth, windowHeight);
    // Memory is taken only when a size changes, never in a steady frame.
    const size_t pixels = size_t(sceneWidth) * size_t(sceneHeight);
    if (m_scene.size() != pixels)
    {
        m_scene.assign(pixels, 0);
    }
    for (std::vector<uint32_t>& scratch : m_scratch)
    {
        if (scratch.size() != size_t(sceneWidth))
        {
            scratch.assign(size_t(sceneWidth), 0);
        }
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, sceneWidth, sceneHeight, GL_BGRA, GL_UNSIGNED_BYTE, m_scene.data());
    // Long since, as a rule: the last frame's copy ran while this one was drawn.
    m_window.awaitShown();
    scaleOnTwoThreads();
    return true;
}

void SoftwareCopyUp::scaleOnTwoThreads()
{
    const int rows = m_upscale.targetHeight();
    const int half = rows / 2;
    if (std::thread::hardware_concurrency() < 2)
    {
        m_upscale.scaleRows(m_scene.data(), m_window.pixels(), m_window.stride(), 0, rows,
                            m_scratch[0].data());
        return;
    }
    if (!m_helper.joinable())
    {
        m_helper = std::thread(&SoftwareCopyUp::helpLoop, this);
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_asked;
    }
    m_wake.notify_one();
    m_upscale.scaleRows(m_scene.data(), m_window.pixels(), m_window.stride(), 0, half,
                        m_scratch[0].data());
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [this] { return m_finished == m_asked; });
}

void SoftwareCopyUp::helpLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;)
    {
        m_wake.wait(lock, [this] { return m_stopping || m_finished != m_asked; });
        if (m_stopping)
        {
            return;
        }
        lock.unlock();
        const int rows = m_upscale.targetHeight();
        m_upscale.scaleRows(m_scene.data(), m_window.pixels(), m_window.stride(), rows / 2, rows,
                            m_scratch[1].data());
        lock.lock();
        m_finished = m_asked;
        m_done.notify_one();
    }
}
