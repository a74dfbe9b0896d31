// The shell: GLUT's glue around the park. It receives the window's callbacks and the keys, puts
// each frame together in its fixed order (the park's input, ticks and drawing, the sound, a
// screenshot, the help panel and the news line, the pace, the swap) and leaves after the frames
// it was asked for.
#pragma once

#include "app/captions.h"
#include "app/keytable.h"
#include "app/overlay.h"
#include "app/padinput.h"
#include "app/renderscale.h"
#include "app/scaledframe.h"
#include "app/screenshots.h"
#include "app/softwarecopyup.h"
#include "platform/framepacing.h"

#include <functional>
#include <string>

class Park;
class Soundscape;

const int kWindowWidth = 800;
const int kWindowHeight = 600;

// The process leaves with this status when the last frame's screenshot could not be saved.
const int kStatusScreenshotFailed = 1;

class Shell
{
public:
    // The park and its sound, which the caller keeps for the shell's lifetime.
    Shell(Park& park, Soundscape& sound);
    ~Shell();
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

    // GLUT's callbacks on the current window go to this shell: the size, the display and the
    // keys, whose presses and releases come without the keyboard's repeats.
    void registerCallbacks();

    // A new park from the next seed, announced on stdout as "seed <N>" so that the park can be
    // made again with --seed: the first one, and the `r` key's.
    void makePark();

    // The window's new size: the park's view, and the pace for the screen it may now be on.
    void reshape(int width, int height);
    // One displayed frame: runFrame(), then a screenshot if one was asked for, the overlay, the
    // pace, the swap, and a request for the next frame (or the end, after the last frame of a
    // limit: status 0, or kStatusScreenshotFailed when its screenshot could not be saved).
    void display();
    // The input of a displayed frame, the ticks real time has brought since the last (on the
    // platform clock), the sound, and the park drawn between its last two ticks.
    void runFrame();
    // What display() draws before the pace and the swap: runFrame() at the render scale (at 1
    // when a screenshot is asked for, which is then saved), then the overlay at the window's
    // size. False when a requested screenshot could not be saved.
    bool drawFrame();
    // Where drawFrame() left the frame: the GL's back buffer, or, for a scaled frame on a
    // renderer that draws on the processor, an image the processor scaled up, with the strip at
    // the foot where the news line or captions stand (if they do) copied up by the GL and drawn
    // over in its back buffer. showFrame() puts it into the window.
    bool wasCopiedByProcessor() const { return m_copiedByProcessor; }
    void showFrame();
    // `work` runs once, right after the next frame is shown: what the first frame can do without
    // (the sound device, the pads) waits until the window shows the park.
    void afterFirstFrame(std::function<void()> work);

    // A key pressed or released, as GLUT reports it: a character, or one of GLUT's special keys.
    void keyboard(unsigned char key);
    void keyboardUp(unsigned char key);
    void specialKey(int key);
    void specialKeyUp(int key);

    // The program leaves once `frames` more frames have been shown (0: never), having saved a
    // screenshot of the last one when asked to.
    void setFrameLimit(int frames, bool screenshotOnLastFrame);
    // Draws at most `framesPerSecond` frames a second (0: no limit), or at the screen's refresh
    // rate, read again whenever the window changes size.
    void setFramesPerSecond(int framesPerSecond);
    void followDisplayRefreshRate();
    int framesPerSecond() const { return m_pacer.framesPerSecond(); }
    // The scene's render scale from now on (needs the window's GL context); without framebuffer
    // objects every frame is drawn at 1, said in one line when a smaller scale was wanted.
    void setRenderScale(const RenderScaleChoice& choice);
    // Whether a scaled frame may be scaled up by the processor where the renderer draws on it
    // (the default), or always by the GL.
    void allowCopyUpByProcessor(bool allowed);
    // The scale the next frame is drawn at, and the automatic one's search.
    float renderScale() const { return m_renderScale.scale(); }
    const AutomaticScale& automaticScale() const { return m_renderScale.automatic(); }
    // Full screen, or the usual 800 x 600 window.
    void setFullScreen(bool fullScreen);
    // The keys in use from now on.
    void setKeys(const KeyTable& keys) { m_keys = keys; }
    // Writes what is heard at the foot of the window, or not; the sounds' lengths come from the
    // soundscape as it has read them.
    void setCaptions(bool shown);
    bool areCaptionsShown() const { return m_captionsShown; }
    const Captions& captions() const { return m_captions; }
    // Reads game pads from now on, with the mappings of `mappingsFile` when there is one; a pad
    // is then read once a displayed frame. Without this no pad is read and none costs a frame.
    void startGamepads(const std::string& mappingsFile) { m_pad.start(mappingsFile); }
    const char* gamepadName() const { return m_pad.padName(); }

    // Asks for a screenshot of the next frame, taken before its swap at the window's size.
    void requestScreenshot();
    // A line of news at the foot of the window, printf-style, shown for three seconds and fading.
    void announce(const char* format, ...) __attribute__((format(printf, 2, 3)));
    const char* newsText() const { return m_overlay.news().text(); }
    float newsOpacity() const;
    void toggleHelpPanel() { m_overlay.toggleHelp(); }
    bool isHelpPanelShown() const { return m_overlay.isHelpShown(); }
    // The panel, when shown, and the news line over the finished frame.
    void drawOverlay();

private:
    // A key of the table went down or up: a held action starts or stops, another happens.
    void keyDown(KeyAction action);
    void keyUp(KeyAction action);
    void perform(KeyAction action);
    void toggleTimeOfDay();
    void toggleMute();
    void togglePause();
    void toggleCaptions();
    // The pad's news, its buttons' actions and its sticks for the camera, before the ticks.
    void readGamepad();
    // " (t lets it go on)": the first key of `action` and the words, or "" when it has none.
    std::string keyHint(KeyAction action, const char* words) const;
    // The pace the automatic render scale keeps: the pacer's, or the screen's when unpaced.
    void paceChanged();
    // The frame just shown kept the program busy from `frameStart` to `now` but for `waited`.
    void measureFrame(int64_t frameStart, int64_t waited, int64_t now);
    // The scaled scene onto the window (nothing at scale 1), by the GL or by the processor.
    void copySceneUp();
    // False when a requested screenshot could not be saved.
    bool takeRequestedScreenshot();
    [[noreturn]] void leave(int status);

    Park& m_park;
    Soundscape& m_sound;
    KeyTable m_keys = defaultKeyTable();
    Screenshots m_screenshots;
    PadInput m_pad;
    FramePacer m_pacer;
    RenderScale m_renderScale;
    ScaledFrame m_scaledFrame;
    SoftwareCopyUp m_softwareCopy;
    bool m_copiedByProcessor = false; // the frame drawn last goes to the window without a swap
    bool m_canShowFoot = false;       // the GL can show a strip of its back buffer alone
    int m_footByGl = 0; // the strip at the frame's foot the GL copied up, text drawn over it
    // The GL's own buffers take a new window size at a swap. Until one swap at the window's
    // size, frames go the GL's way: a strip of a back buffer of the old size cannot be shown, and
    // a frame that falls back to the GL's copy must find its buffers whole.
    bool m_swappedAtThisSize = false;
    int64_t m_lastFrameStart = -1;
    std::function<void()> m_afterFirstFrame;
    Overlay m_overlay;
    Captions m_captions;
    bool m_captionsShown = false;
    bool m_followDisplayRate = false;
    bool m_fullScreen = false;
    bool m_screenshotRequested = false;
    bool m_screenshotOnLastFrame = false;
    int m_framesLeft = 0; // frames until the program leaves; 0: no limit
    int m_windowWidth = kWindowWidth;
    int m_windowHeight = kWindowHeight;
};
