// The shell: GLUT's callbacks, the keys, and the order of one displayed frame.
#include "app/shell.h"

#include "app/park.h"
#include "app/screenshots.h"
#include "app/soundscape.h"
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

SpecialKey specialKeyOfGlut(int key)
{
    switch (key)
    {
        case GLUT_KEY_UP:
            return SpecialKey::Up;
        case GLUT_KEY_DOWN:
            return SpecialKey::Down;
        case GLUT_KEY_LEFT:
            return SpecialKey::Left;
        case GLUT_KEY_RIGHT:
            return SpecialKey::Right;
        default:
            // GLUT numbers F1 ... F12 from 1 in order, as the table does from F1.
            if (key >= GLUT_KEY_F1 && key <= GLUT_KEY_F12)
            {
                return SpecialKey(int(SpecialKey::F1) + key - GLUT_KEY_F1);
            }
            return SpecialKey::None;
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
    if (m_followDisplayRate)
    {
        // Full screen, or a window moved to another monitor, may meet another refresh rate.
        m_pacer.setFramesPerSecond(paceForRefreshRate(displayRefreshRate()));
    }
    m_park.resize(width, height);
}

void Shell::setFramesPerSecond(int framesPerSecond)
{
    m_followDisplayRate = false;
    m_pacer.setFramesPerSecond(framesPerSecond);
}

void Shell::followDisplayRefreshRate()
{
    m_followDisplayRate = true;
    m_pacer.setFramesPerSecond(paceForRefreshRate(displayRefreshRate()));
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
    const double seconds = m_park.advance(clockMicroseconds());
    // The ears are where the eye is, every frame shown; the sounds follow the ticks' news.
    m_sound.update(m_park.animals(), m_park.sky().day(), m_park.camera(), float(seconds));
    m_park.draw(m_park.tickFraction());
}

void Shell::display()
{
    const bool lastFrame = m_framesLeft > 0 && --m_framesLeft == 0;
    if (lastFrame && m_screenshotOnLastFrame)
    {
        requestScreenshot();
    }
    runFrame();
    glFlush();
    // Before the swap: afterwards the back buffer holds nothing defined. Before the overlay: a
    // screenshot is of the park, not of the panel or the line.
    const bool saved = takeRequestedScreenshot();
    drawOverlay();
    m_pacer.waitForNextFrame();
    glutSwapBuffers();
    if (lastFrame)
    {
        leave(saved ? 0 : kStatusScreenshotFailed);
    }
    glutPostRedisplay();
}

void Shell::leave(int status)
{
    m_sound.stop();
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
    facts.soundState = m_sound.state();
    m_overlay.draw(facts, m_keys, m_windowWidth, m_windowHeight, clockMicroseconds());
}

void Shell::makePark()
{
    m_park.regenerate();
    std::printf("seed %u\n", m_park.seed());
    std::fflush(stdout);
}

void Shell::toggleTimeOfDay()
{
    m_park.holdDay(!m_park.isDayHeld());
    char clock[8];
    formatClockTime(m_park.clockHours(), clock, sizeof clock);
    if (m_park.isDayHeld())
    {
        const std::vector<Key>& keys = m_keys.keysOf(KeyAction::HoldTime);
        char letGo[32] = "";
        if (!keys.empty())
        {
            std::snprintf(letGo, sizeof letGo, " (%s lets it go on)", keyName(keys.front()).text);
        }
        announce("time of day held at %s%s", clock, letGo);
    }
    else
    {
        announce("the day goes on from %s", clock);
    }
}

void Shell::toggleMute()
{
    m_sound.toggleMute();
    announce("sound: %s", m_sound.state());
}

void Shell::perform(KeyAction action)
{
    switch (action)
    {
        case KeyAction::Quit:
            leave(0);
        case KeyAction::FullScreen:
            setFullScreen(!m_fullScreen);
            break;
        case KeyAction::Screenshot:
            requestScreenshot();
            break;
        case KeyAction::NewPark:
            makePark();
            announce("park %u \xe2\x80\x94 quillmere --seed %u makes it again", m_park.seed(),
                     m_park.seed());
            break;
        case KeyAction::HoldTime:
            toggleTimeOfDay();
            break;
        case KeyAction::Help:
            toggleHelpPanel();
            break;
        case KeyAction::Mute:
            toggleMute();
            break;
        default:
            break;
    }
}

void Shell::keyDown(KeyAction action)
{
    WalkKey walkKey = WalkKey::Forward;
    if (walkKeyOfAction(action, walkKey))
    {
        m_park.camera().m_walkKeys.press(walkKey);
    }
    else
    {
        perform(action);
    }
}

void Shell::keyUp(KeyAction action)
{
    WalkKey walkKey = WalkKey::Forward;
    if (walkKeyOfAction(action, walkKey))
    {
        m_park.camera().m_walkKeys.release(walkKey);
    }
}

void Shell::keyboard(unsigned char key)
{
    KeyAction action = KeyAction::Quit;
    // Held keys in either case, so that Shift or Caps Lock pressed meanwhile does not leave one
    // held for good; what happens once happens for the key as bound, not for its capital.
    const bool capital = key >= 'A' && key <= 'Z';
    if (m_keys.actionOfCharacter(key, action) && (!capital || keyActionFacts(action).held))
    {
        keyDown(action);
    }
}

void Shell::keyboardUp(unsigned char key)
{
    KeyAction action = KeyAction::Quit;
    if (m_keys.actionOfCharacter(key, action))
    {
        keyUp(action);
    }
}

void Shell::specialKey(int key)
{
    KeyAction action = KeyAction::Quit;
    if (m_keys.actionOfSpecialKey(specialKeyOfGlut(key), action))
    {
        keyDown(action);
    }
}

void Shell::specialKeyUp(int key)
{
    KeyAction action = KeyAction::Quit;
    if (m_keys.actionOfSpecialKey(specialKeyOfGlut(key), action))
    {
        keyUp(action);
    }
}
