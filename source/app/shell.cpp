// The shell: GLUT's callbacks and the order of one displayed frame (its keys and pad:
// shellkeys.cpp).
#include "app/shell.h"

#include "app/park.h"
#include "app/screenshots.h"
#include "app/soundscape.h"
#include "formats/loadreport.h"
#include "platform/platform.h"

#include <GL/glut.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace
{
// GLUT's callbacks carry no context of their own: they find the shell they serve here.
Shell* g_pCallbackShell = nullptr;

// Hands a callback to the shell GLUT serves, when one is registered.
template <class Act> void withShell(Act act)
{
    if (g_pCallbackShell)
    {
        act(*g_pCallbackShell);
    }
}

} // namespace

Shell::Shell(Park& park, Soundscape& sound) : m_park(park), m_sound(sound) {}

Shell::~Shell()
{
    if (g_pCallbackShell == this)
    {
        g_pCallbackShell = nullptr;
    }
}

void Shell::registerCallbacks()
{
    g_pCallbackShell = this;
    glutReshapeFunc([](int w, int h) { withShell([=](Shell& shell) { shell.reshape(w, h); }); });
    glutDisplayFunc([] { withShell([](Shell& shell) { shell.display(); }); });
    glutKeyboardFunc([](unsigned char key, int, int)
                     { withShell([=](Shell& shell) { shell.keyboard(key); }); });
    glutIgnoreKeyRepeat(1);
    glutKeyboardUpFunc([](unsigned char key, int, int)
                       { withShell([=](Shell& shell) { shell.keyboardUp(key); }); });
    glutSpecialFunc([](int key, int, int)
                    { withShell([=](Shell& shell) { shell.specialKey(key); }); });
    glutSpecialUpFunc([](int key, int, int)
                      { withShell([=](Shell& shell) { shell.specialKeyUp(key); }); });
}

void Shell::reshape(int width, int height)
{
    m_windowWidth = width;
    m_windowHeight = height > 0 ? height : 1;
    m_swappedAtThisSize = false;
    if (m_followDisplayRate)
    {
        // Full screen, or a window moved to another monitor, may meet another refresh rate.
        m_pacer.setFramesPerSecond(paceForRefreshRate(displayRefreshRate()));
    }
    // A new size is a new search for the render scale.
    paceChanged();
    m_park.resize(width, height);
}

void Shell::setFramesPerSecond(int framesPerSecond)
{
    m_followDisplayRate = false;
    m_pacer.setFramesPerSecond(framesPerSecond);
    paceChanged();
}

void Shell::followDisplayRefreshRate()
{
    m_followDisplayRate = true;
    m_pacer.setFramesPerSecond(paceForRefreshRate(displayRefreshRate()));
    paceChanged();
}

void Shell::paceChanged()
{
    const int pace = m_pacer.framesPerSecond();
    m_renderScale.setFramesPerSecond(pace > 0 ? pace : paceForRefreshRate(displayRefreshRate()));
}

void Shell::setRenderScale(const RenderScaleChoice& choice)
{
    m_renderScale.choose(choice);
    allowCopyUpByProcessor(true);
    std::string reason;
    if (!m_scaledFrame.start(reason))
    {
        m_renderScale.holdAtOne();
        if (m_renderScale.wantsBelowOne())
        {
            reportProblem("%s; the scene is drawn at the window's full size", reason.c_str());
        }
    }
}

void Shell::allowCopyUpByProcessor(bool allowed)
{
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    m_softwareCopy.enable(allowed && rendersOnProcessor(renderer));
    m_canShowFoot = canShowBackBufferPart();
}

void Shell::setFullScreen(bool fullScreen)
{
    if (fullScreen)
    {
        glutFullScreen();
    }
    else
    {
        glutReshapeWindow(kWindowWidth, kWindowHeight);
    }
    m_fullScreen = fullScreen;
}

void Shell::setFrameLimit(int frames, bool screenshotOnLastFrame)
{
    m_framesLeft = frames > 0 ? frames : 0;
    m_screenshotOnLastFrame = screenshotOnLastFrame && m_framesLeft > 0;
}

void Shell::runFrame()
{
    readGamepad();
    const double seconds = m_park.advance(clockMicroseconds());
    // The ears are where the eye is, every frame shown; the sounds follow the ticks' news, and
    // the captions what the sounds say.
    m_captions.advance(seconds);
    m_sound.update(m_park.animals(), m_park.sky().day(), m_park.camera(), float(seconds),
                   m_captionsShown ? &m_captions : nullptr);
    m_park.draw(m_park.tickFraction());
}

void Shell::display()
{
    const int64_t frameStart = clockMicroseconds();
    const bool lastFrame = m_framesLeft > 0 && --m_framesLeft == 0;
    if (lastFrame && m_screenshotOnLastFrame)
    {
        requestScreenshot();
    }
    // A screenshot's frame is drawn whole at the window's size: its time says nothing of the
    // scale in use.
    const bool fullSize = m_screenshotRequested;
    const bool saved = drawFrame();
    const int64_t beforeWait = clockMicroseconds();
    m_pacer.waitForNextFrame();
    const int64_t waited = clockMicroseconds() - beforeWait;
    showFrame();
    if (lastFrame)
    {
        leave(saved ? 0 : kStatusScreenshotFailed);
    }
    if (!fullSize)
    {
        measureFrame(frameStart, waited, clockMicroseconds());
    }
    m_lastFrameStart = frameStart;
    if (m_afterFirstFrame)
    {
        const std::function<void()> work = std::move(m_afterFirstFrame);
        m_afterFirstFrame = nullptr;
        work();
    }
    glutPostRedisplay();
}

bool Shell::drawFrame()
{
    // Pictures stay sharp: a frame with a screenshot is drawn at scale 1.
    const float scale = m_screenshotRequested ? 1.0f : m_renderScale.scale();
    if (!m_scaledFrame.begin(m_windowWidth, m_windowHeight, scale))
    {
        // Said once, and not tried again every frame.
        m_renderScale.holdAtOne();
        reportProblem("the GL could not make an image %dx%d to draw the scene into; the scene is "
                      "drawn at the window's full size",
                      scaledSize(m_windowWidth, scale), scaledSize(m_windowHeight, scale));
    }
    runFrame();
    copySceneUp();
    glFlush();
    // Before the swap: afterwards the back buffer holds nothing defined. Before the overlay: a
    // screenshot is of the park, not of the panel or the line.
    const bool saved = takeRequestedScreenshot();
    if (m_copiedByProcessor && m_footByGl == 0)
    {
        m_overlay.countFrameShown(clockMicroseconds());
    }
    else
    {
        drawOverlay();
    }
    return saved;
}

// The help panel stands in the middle of the frame: under it the GL copies the whole scene up.
// The news line and the captions stand at its foot: where the GL can show that strip alone, it
// copies up only the strip, for the text to be drawn over, and the processor the whole.
void Shell::copySceneUp()
{
    const Captions* captions = m_captionsShown ? &m_captions : nullptr;
    const int foot = m_overlay.isHelpShown()
                         ? m_windowHeight
                         : m_overlay.footHeight(captions, m_windowHeight, clockMicroseconds());
    const bool footApart = foot == 0 || (foot < m_windowHeight && m_canShowFoot);
    m_copiedByProcessor =
        m_scaledFrame.isOffscreen() && footApart && m_swappedAtThisSize &&
        m_softwareCopy.copy(m_scaledFrame.drawnWidth(), m_scaledFrame.drawnHeight(), m_windowWidth,
                            m_windowHeight);
    m_footByGl = m_copiedByProcessor ? foot : 0;
    if (!m_copiedByProcessor)
    {
        m_scaledFrame.finish();
    }
    else if (foot > 0)
    {
        m_scaledFrame.finishFoot(foot);
    }
    else
    {
        m_scaledFrame.finishWithoutCopy();
    }
}

void Shell::showFrame()
{
    if (!m_copiedByProcessor)
    {
        glutSwapBuffers();
        m_swappedAtThisSize = true;
        return;
    }
    m_softwareCopy.show();
    if (m_footByGl > 0)
    {
        // After the put, on the same connection: the strip lands over the processor's picture.
        showBackBufferPart(0, 0, m_windowWidth, m_footByGl);
    }
}

void Shell::afterFirstFrame(std::function<void()> work)
{
    m_afterFirstFrame = std::move(work);
}

void Shell::measureFrame(int64_t frameStart, int64_t waited, int64_t now)
{
    const int64_t interval = m_lastFrameStart >= 0 ? frameStart - m_lastFrameStart : 0;
    m_renderScale.frameShown(now, now - frameStart - waited, interval);
}

void Shell::leave(int status)
{
    m_sound.stop();
    m_pad.stop();
    std::exit(status);
}

void Shell::requestScreenshot()
{
    m_screenshotRequested = true;
}

bool Shell::takeRequestedScreenshot()
{
    if (!m_screenshotRequested)
    {
        return true;
    }
    m_screenshotRequested = false;
    // The viewport is the window's current size, full screen or not.
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const ScreenshotOutcome outcome = m_screenshots.take(viewport[2], viewport[3]);
    if (outcome.saved)
    {
        announce("%s saved", outcome.name.c_str());
    }
    else
    {
        announce("%s not saved: %s", outcome.name.c_str(), outcome.reason.c_str());
    }
    return outcome.saved;
}

void Shell::announce(const char* format, ...)
{
    char text[160];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    m_overlay.news().show(clockMicroseconds(), "%s", text);
}

float Shell::newsOpacity() const
{
    return m_overlay.news().opacityAt(clockMicroseconds());
}

void Shell::drawOverlay()
{
    PanelFacts facts;
    facts.seed = m_park.seed();
    facts.clockHours = m_park.clockHours();
    facts.dayHeld = m_park.isDayHeld();
    facts.paused = m_park.isPaused();
    facts.fieldOfView = m_park.fieldOfView();
    facts.soundState = m_sound.state();
    facts.hrtfState = m_sound.hrtfState();
    facts.padName = m_pad.padName();
    facts.renderScale = m_renderScale.describe();
    m_overlay.draw(facts, m_keys, m_captionsShown ? &m_captions : nullptr, m_windowWidth,
                   m_windowHeight, clockMicroseconds());
}

void Shell::setCaptions(bool shown)
{
    m_captionsShown = shown;
    m_captions.clear();
    for (int sound = 0; sound < kParkSoundCount; ++sound)
    {
        m_captions.setSoundSeconds(ParkSound(sound), m_sound.soundSeconds(ParkSound(sound)));
    }
}

void Shell::makePark()
{
    m_park.regenerate();
    std::printf("seed %u\n", m_park.seed());
    std::fflush(stdout);
}
