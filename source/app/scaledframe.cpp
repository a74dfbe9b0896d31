// The offscreen scene and its copy onto the window.
#include "app/scaledframe.h"

#include "app/renderscale.h"

#include <GL/gl.h>
#include <GL/glext.h>

ScaledFrame::~ScaledFrame()
{
    releaseImages();
}

bool ScaledFrame::start(std::string& reason)
{
    m_api = detectFramebufferApi();
    if (!m_api.available())
    {
        reason = "this OpenGL has no framebuffer objects";
        return false;
    }
    return true;
}

void ScaledFrame::releaseImages()
{
    if (!m_api.available())
    {
        return;
    }
    if (m_framebuffer != 0)
    {
        m_api.deleteFramebuffers(1, &m_framebuffer);
    }
    const unsigned images[2] = {m_colour, m_depth};
    if (m_colour != 0 || m_depth != 0)
    {
        m_api.deleteRenderbuffers(2, images);
    }
    m_framebuffer = m_colour = m_depth = 0;
    m_imageWidth = m_imageHeight = 0;
}

// One colour and one depth-and-stencil image of the given size, made only when the size changes
// (a new window size or a new scale), never in a steady frame.
bool ScaledFrame::makeImages(int width, int height)
{
    if (m_framebuffer != 0 && width == m_imageWidth && height == m_imageHeight)
    {
        return true;
    }
    releaseImages();
    m_api.genFramebuffers(1, &m_framebuffer);
    unsigned images[2] = {};
    m_api.genRenderbuffers(2, images);
    m_colour = images[0];
    m_depth = images[1];
    m_api.bindRenderbuffer(GL_RENDERBUFFER, m_colour);
    m_api.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    m_api.bindRenderbuffer(GL_RENDERBUFFER, m_depth);
    m_api.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    m_api.bindRenderbuffer(GL_RENDERBUFFER, 0);
    m_api.bindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    m_api.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_colour);
    m_api.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  m_depth);
    const bool complete = m_api.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    m_api.bindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!complete)
    {
        releaseImages();
        return false;
    }
    m_imageWidth = width;
    m_imageHeight = height;
    return true;
}

bool ScaledFrame::begin(int width, int height, float scale)
{
    m_windowWidth = width;
    m_windowHeight = height;
    m_drawnWidth = width;
    m_drawnHeight = height;
    m_offscreen = false;
    bool made = true;
    if (scale < 1.0f && m_api.available())
    {
        const int scaledWidth = scaledSize(width, scale);
        const int scaledHeight = scaledSize(height, scale);
        made = makeImages(scaledWidth, scaledHeight);
        if (made)
        {
            m_api.bindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
            m_drawnWidth = scaledWidth;
            m_drawnHeight = scaledHeight;
            m_offscreen = true;
        }
    }
    glViewport(0, 0, m_drawnWidth, m_drawnHeight);
    return made;
}

void ScaledFrame::finish()
{
    if (!m_offscreen)
    {
        return;
    }
    m_offscreen = false;
    m_api.bindFramebuffer(GL_READ_FRAMEBUFFER, m_framebuffer);
    m_api.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    m_api.blitFramebuffer(0, 0, m_drawnWidth, m_drawnHeight, 0, 0, m_windowWidth, m_windowHeight,
                          GL_COLOR_BUFFER_BIT, GL_LINEAR);
    m_api.bindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, m_windowWidth, m_windowHeight);
}

void ScaledFrame::finishWithoutCopy()
{
    if (!m_offscreen)
    {
        return;
    }
    m_offscreen = false;
    m_api.bindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, m_windowWidth, m_windowHeight);
}

void ScaledFrame::finishFoot(int height)
{
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, m_windowWidth, height);
    finish();
    glDisable(GL_SCISSOR_TEST);
}
