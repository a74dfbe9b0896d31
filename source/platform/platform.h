// Services of the operating system, kept behind one small interface: mouse buttons, the cursor,
// the window's place and focus (X11, GLUT's cursor shapes), directories (POSIX), clocks and
// sleeping (POSIX), GL entry points and the swap interval (GLX), the screen's refresh rate
// (RandR) and the sound libraries' own messages (dynamic loading). Nothing else in the park
// calls the platform directly.
//
// The input and clock services can be replaced by test doubles, so that anything that polls the
// mouse or reads a clock can be driven without an X server or real time.
#pragma once

#include <cstdint>
#include <string>

// One reading of the mouse and of the window's place, taken once a camera step. Without the
// focus nothing else is read: the pointer then belongs to another window.
struct PointerState
{
    // The GL window has the keyboard focus. Where the focus follows the pointer (no window
    // manager), the pointer is inside the window.
    bool focused = false;
    // The cursor in screen pixels (not window pixels); unknown when it cannot be read (the
    // pointer is on another screen).
    bool cursorKnown = false;
    int cursorX = 0;
    int cursorY = 0;
    // The centre of the window's drawable area in screen pixels.
    bool centreKnown = false;
    int centreX = 0;
    int centreY = 0;
    bool leftHeld = false;
    bool rightHeld = false;
};

// Where the mouse and the window's place on the desktop come from. The default asks the X
// display the current GL window lives on: two round trips a reading with the focus, one
// without; it moves the pointer only while the GL window (if there is one) has the focus.
class InputDevice
{
public:
    virtual ~InputDevice() = default;
    virtual PointerState readPointer() = 0;
    virtual void warpCursor(int x, int y) = 0;
    // Hides the cursor over the GL window, or gives it back its usual shape.
    virtual void setCursorHidden(bool hidden) = 0;
};

// Where time comes from. The default is the monotonic clock.
class Clock
{
public:
    virtual ~Clock() = default;
    // Ticks per second of the high-resolution counter; false when there is none.
    virtual bool counterFrequency(int64_t& frequency) = 0;
    virtual int64_t counterValue() = 0;
    // Milliseconds since an arbitrary start; wraps at 2^32.
    virtual uint32_t tickCount() = 0;
    // Gives up the thread for about that long.
    virtual void sleepMicroseconds(int64_t microseconds) = 0;
};

// Null restores the platform's own device or clock. The caller keeps ownership.
void setInputDevice(InputDevice* device);
void setClock(Clock* clock);

PointerState readPointerState();
void warpCursorPosition(int x, int y);
void setCursorHidden(bool hidden);

bool queryCounterFrequency(int64_t& frequency);
int64_t queryCounter();
uint32_t tickCount();
// Microseconds on the counter (or the tick count where there is none), from an arbitrary start.
int64_t clockMicroseconds();
void sleepMicroseconds(int64_t microseconds);
// Seconds since 1970 on the calendar clock, for what only needs to differ from run to run.
int64_t calendarSeconds();

// Creates one directory level. True when it was created; false when it exists or cannot be made.
bool createDirectory(const char* path);

// Entry point of the current GL implementation, or null. Ask only for names the extension
// string (or the core version) promises: some implementations return stubs for any name.
void* getGlProcAddress(const char* name);

// The X display a window would open on: `requested` (GLUT's -display) or else DISPLAY, as the X
// library names it; empty when neither says.
std::string xDisplayName(const std::string& requested);
// Whether that display can be opened now; the connection is closed again.
bool canOpenXDisplay(const std::string& requested);

// The refresh rate, in Hz, of the monitor that shows the centre of the current GL window (the
// first lit monitor when none does), from the X server's RandR extension; 0 when it cannot be
// read (no extension, no window, or a server that reports no timings, as Xvfb does).
double displayRefreshRate();

// Asks the driver to swap at most once per `interval` vertical retraces of the current window
// (0: never wait). False when it offers no way to ask.
bool requestSwapInterval(int interval);

// Whether the GL can copy a part of the current window's back buffer into the window without a
// swap (GLX_MESA_copy_sub_buffer), and the copy of the part from (x, y), the window's lower left
// corner (0, 0), `width` x `height` pixels: the way to show a strip drawn by the GL over a
// picture put into the window by other means.
bool canShowBackBufferPart();
void showBackBufferPart(int x, int y, int width, int height);

// Without a sound card the sound libraries print lines of their own (OpenAL Soft's "(EE)" log,
// ALSA's "cannot find card '0'"), which would bury the park's one line about the sound: they
// are quieted, for this process, unless the user asked for OpenAL Soft's log (ALSOFT_LOGLEVEL).
// Call before opening the audio device.
void quietSoundLibraries();
