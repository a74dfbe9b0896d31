// X11, POSIX and GLX behind the platform interface.
#include "platform/platform.h"

#include "platform/glapi.h"

#include <GL/glut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <sys/stat.h>

namespace
{
void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// The display the GL window lives on; falls back to a connection of our own (DISPLAY) when no
// context is current, for example before the window exists.
Display* windowDisplay()
{
    if (Display* current = glXGetCurrentDisplay())
    {
        return current;
    }
    static Display* ownDisplay = XOpenDisplay(nullptr);
    return ownDisplay;
}

// The window `window` lies in, or None when it is a top-level window (its parent is the root)
// or cannot be asked.
Window parentBelowRoot(Display* display, Window window)
{
    Window root = 0;
    Window parent = 0;
    Window* pChildren = nullptr;
    unsigned childCount = 0;
    if (!XQueryTree(display, window, &root, &parent, &pChildren, &childCount))
    {
        return None;
    }
    if (pChildren)
    {
        XFree(pChildren);
    }
    return parent == root ? None : parent;
}

// The top-level window holding `window`: its ancestor just below the root.
Window topLevelWindow(Display* display, Window window)
{
    for (Window parent = parentBelowRoot(display, window); parent != None;
         parent = parentBelowRoot(display, window))
    {
        window = parent;
    }
    return window;
}

// True when `ancestor` is `window` or one of the windows above it, short of the root.
bool isSelfOrAncestor(Display* display, Window ancestor, Window window)
{
    for (; window != None; window = parentBelowRoot(display, window))
    {
        if (window == ancestor)
        {
            return true;
        }
    }
    return false;
}

// Another client's window can be destroyed between the server naming it (as the focus, say)
// and the park asking about it; the X library's usual answer to that error ends the program.
// While one of these lives, a vanished window is an ordinary answer instead: the asking call
// returns false, as it does for any window it cannot ask about. Other errors go where they went.
class VanishedWindowsTolerated
{
public:
    VanishedWindowsTolerated() { s_previous = XSetErrorHandler(ignoreVanishedWindow); }
    ~VanishedWindowsTolerated() { XSetErrorHandler(s_previous); }
    VanishedWindowsTolerated(const VanishedWindowsTolerated&) = delete;
    VanishedWindowsTolerated& operator=(const VanishedWindowsTolerated&) = delete;

private:
    static int ignoreVanishedWindow(Display* display, XErrorEvent* error)
    {
        return error->error_code == BadWindow ? 0 : s_previous(display, error);
    }

    // The X library keeps one handler for the process and calls it without context.
    static inline int (*s_previous)(Display*, XErrorEvent*) = nullptr;
};

class X11InputDevice : public InputDevice
{
public:
    PointerState readPointer() override
    {
        PointerState state;
        Display* display = glXGetCurrentDisplay();
        const Window window = glXGetCurrentDrawable();
        if (!display || window == None)
        {
            return state;
        }
        const VanishedWindowsTolerated vanishedWindows;
        // The pointer before the focus: a place the focus then vouches for was read while the
        // window had it. Read the other way round, a pointer moved just after another window
        // took the focus could pass for this window's, and be taken back to its centre.
        Window root = 0;
        Window child = 0;
        int rootX = 0;
        int rootY = 0;
        int windowX = 0;
        int windowY = 0;
        unsigned buttons = 0;
        // False when the pointer is on another screen than the window's.
        const bool pointerRead = XQueryPointer(display, window, &root, &child, &rootX, &rootY,
                                               &windowX, &windowY, &buttons) != 0;
        state.focused = hasInputFocus(display, window);
        if (!state.focused || !pointerRead)
        {
            return state;
        }
        state.cursorKnown = true;
        state.cursorX = rootX;
        state.cursorY = rootY;
        state.leftHeld = (buttons & Button1Mask) != 0;
        state.rightHeld = (buttons & Button3Mask) != 0;
        unsigned width = 0;
        unsigned height = 0;
        if (windowSize(display, window, width, height))
        {
            // The pointer's place on the screen less its place in the window is the window's.
            state.centreKnown = true;
            state.centreX = rootX - windowX + int(width / 2);
            state.centreY = rootY - windowY + int(height / 2);
        }
        return state;
    }

    void warpCursor(int x, int y) override
    {
        Display* display = windowDisplay();
        if (!display)
        {
            return;
        }
        // Another window may have taken the focus since the pointer was read (the user switching
        // with the mouse moving): the pointer is then that window's, not to be moved.
        const Window window = glXGetCurrentDrawable();
        if (window != None)
        {
            const VanishedWindowsTolerated vanishedWindows;
            if (!hasInputFocus(display, window))
            {
                return;
            }
        }
        XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, x, y);
        XFlush(display);
    }

    void setCursorHidden(bool hidden) override
    {
        if (glXGetCurrentContext() && glutGetWindow() != 0)
        {
            glutSetCursor(hidden ? GLUT_CURSOR_NONE : GLUT_CURSOR_INHERIT);
        }
    }

private:
    static bool windowSize(Display* display, Window window, unsigned& width, unsigned& height)
    {
        Window root = 0;
        int x = 0;
        int y = 0;
        unsigned border = 0;
        unsigned depth = 0;
        return XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth) != 0;
    }

    static bool hasInputFocus(Display* display, Window window)
    {
        Window focus = None;
        int revertTo = 0;
        XGetInputFocus(display, &focus, &revertTo);
        if (focus == None)
        {
            return false;
        }
        if (focus == PointerRoot || focus == DefaultRootWindow(display))
        {
            return isPointerOver(display, window);
        }
        // The focus on the window, on a window inside it, or on a frame a window manager put
        // around it.
        return isSelfOrAncestor(display, window, focus) || isSelfOrAncestor(display, focus, window);
    }

    // With the focus following the pointer, the keys go to the top-level window under it.
    static bool isPointerOver(Display* display, Window window)
    {
        Window root = 0;
        Window child = 0;
        int x = 0;
        int y = 0;
        int windowX = 0;
        int windowY = 0;
        unsigned buttons = 0;
        if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &windowX,
                           &windowY, &buttons))
        {
            return false;
        }
        return child != None && child == topLevelWindow(display, window);
    }
};

class MonotonicClock : public Clock
{
public:
    bool counterFrequency(int64_t& frequency) override
    {
        frequency = 1000000000;
        return true;
    }

    int64_t counterValue() override
    {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
    }

    uint32_t tickCount() override { return uint32_t(counterValue() / 1000000); }

    void sleepMicroseconds(int64_t microseconds) override
    {
        timespec remaining{};
        remaining.tv_sec = time_t(microseconds / 1000000);
        remaining.tv_nsec = long(microseconds % 1000000) * 1000;
        while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR)
        {
        }
    }
};

X11InputDevice g_x11Input;
MonotonicClock g_monotonicClock;
InputDevice* g_pInput = &g_x11Input;
Clock* g_pClock = &g_monotonicClock;
} // namespace

void setInputDevice(InputDevice* device)
{
    g_pInput = device ? device : &g_x11Input;
}

void setClock(Clock* clock)
{
    g_pClock = clock ? clock : &g_monotonicClock;
}

PointerState readPointerState()
{
    return g_pInput->readPointer();
}

void warpCursorPosition(int x, int y)
{
    g_pInput->warpCursor(x, y);
}

void setCursorHidden(bool hidden)
{
    g_pInput->setCursorHidden(hidden);
}

bool queryCounterFrequency(int64_t& frequency)
{
    return g_pClock->counterFrequency(frequency);
}

int64_t queryCounter()
{
    return g_pClock->counterValue();
}

uint32_t tickCount()
{
    return g_pClock->tickCount();
}

int64_t clockMicroseconds()
{
    int64_t frequency = 0;
    if (g_pClock->counterFrequency(frequency) && frequency > 0)
    {
        // In two parts, so that a counter of nanoseconds since boot cannot overflow.
        const int64_t count = g_pClock->counterValue();
        return count / frequency * 1000000 + count % frequency * 1000000 / frequency;
    }
    return int64_t(g_pClock->tickCount()) * 1000;
}

int64_t calendarSeconds()
{
    return int64_t(std::time(nullptr));
}

void sleepMicroseconds(int64_t microseconds)
{
    if (microseconds > 0)
    {
        g_pClock->sleepMicroseconds(microseconds);
    }
}

bool createDirectory(const char* path)
{
    return mkdir(path, 0755) == 0;
}

void* getGlProcAddress(const char* name)
{
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

namespace
{
// Frames a second of a mode's timings: pixels a second over pixels a frame. Doubled lines take
// two passes and interlaced frames come in two fields.
double modeRefreshRate(const XRRModeInfo& mode)
{
    double lines = double(mode.vTotal);
    if (mode.modeFlags & RR_DoubleScan)
    {
        lines *= 2.0;
    }
    if (mode.modeFlags & RR_Interlace)
    {
        lines /= 2.0;
    }
    if (mode.dotClock == 0 || mode.hTotal == 0 || lines <= 0.0)
    {
        return 0.0;
    }
    return double(mode.dotClock) / (double(mode.hTotal) * lines);
}

// The current GL window's centre on the root window, or false without a window.
bool windowCentreOnRoot(Display* display, int& x, int& y)
{
    const Window window = glXGetCurrentDrawable();
    unsigned width = 0;
    unsigned height = 0;
    Window root = None;
    int ignoredX = 0;
    int ignoredY = 0;
    unsigned border = 0;
    unsigned depth = 0;
    if (window == None || !XGetGeometry(display, window, &root, &ignoredX, &ignoredY, &width,
                                        &height, &border, &depth))
    {
        return false;
    }
    Window child = None;
    return XTranslateCoordinates(display, window, root, int(width / 2), int(height / 2), &x, &y,
                                 &child);
}

double crtcRefreshRate(Display* display, Window root)
{
    XRRScreenResources* pResources = XRRGetScreenResourcesCurrent(display, root);
    if (!pResources)
    {
        return 0.0;
    }
    int centreX = 0;
    int centreY = 0;
    const bool hasCentre = windowCentreOnRoot(display, centreX, centreY);
    double first = 0.0;
    double containing = 0.0;
    for (int i = 0; i < pResources->ncrtc && containing == 0.0; ++i)
    {
        XRRCrtcInfo* pCrtc = XRRGetCrtcInfo(display, pResources, pResources->crtcs[i]);
        if (!pCrtc)
        {
            continue;
        }
        for (int m = 0; pCrtc->mode != None && m < pResources->nmode; ++m)
        {
            if (pResources->modes[m].id != pCrtc->mode)
            {
                continue;
            }
            const double rate = modeRefreshRate(pResources->modes[m]);
            if (first == 0.0)
            {
                first = rate;
            }
            const bool inside = hasCentre && centreX >= pCrtc->x && centreY >= pCrtc->y &&
                                centreX < pCrtc->x + int(pCrtc->width) &&
                                centreY < pCrtc->y + int(pCrtc->height);
            if (inside)
            {
                containing = rate;
            }
        }
        XRRFreeCrtcInfo(pCrtc);
    }
    XRRFreeScreenResources(pResources);
    return containing > 0.0 ? containing : first;
}
} // namespace

std::string xDisplayName(const std::string& requested)
{
    const char* name = XDisplayName(requested.empty() ? nullptr : requested.c_str());
    return name ? name : "";
}

bool canOpenXDisplay(const std::string& requested)
{
    Display* display = XOpenDisplay(requested.empty() ? nullptr : requested.c_str());
    if (!display)
    {
        return false;
    }
    XCloseDisplay(display);
    return true;
}

double displayRefreshRate()
{
    Display* display = windowDisplay();
    int eventBase = 0;
    int errorBase = 0;
    if (!display || !XRRQueryExtension(display, &eventBase, &errorBase))
    {
        return 0.0;
    }
    const Window root = DefaultRootWindow(display);
    int major = 0;
    int minor = 0;
    XRRQueryVersion(display, &major, &minor);
    if (major > 1 || (major == 1 && minor >= 2))
    {
        const double rate = crtcRefreshRate(display, root);
        if (rate > 0.0)
        {
            return rate;
        }
    }
    // The older interface knows one rate for the whole screen, in whole Hz.
    XRRScreenConfiguration* pConfiguration = XRRGetScreenInfo(display, root);
    if (!pConfiguration)
    {
        return 0.0;
    }
    const short rate = XRRConfigCurrentRate(pConfiguration);
    XRRFreeScreenConfigInfo(pConfiguration);
    return rate > 0 ? double(rate) : 0.0;
}

bool requestSwapInterval(int interval)
{
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    if (!display || drawable == None)
    {
        return false;
    }
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    if (!extensions)
    {
        return false;
    }
    using SwapIntervalExt = void (*)(Display*, GLXDrawable, int);
    using SwapIntervalMesa = int (*)(unsigned);
    using SwapIntervalSgi = int (*)(int);
    if (listsExtension(extensions, "GLX_EXT_swap_control"))
    {
        if (auto set = reinterpret_cast<SwapIntervalExt>(getGlProcAddress("glXSwapIntervalEXT")))
        {
            set(display, drawable, interval);
            return true;
        }
    }
    if (listsExtension(extensions, "GLX_MESA_swap_control"))
    {
        if (auto set = reinterpret_cast<SwapIntervalMesa>(getGlProcAddress("glXSwapIntervalMESA")))
        {
            return set(unsigned(interval)) == 0;
        }
    }
    // The oldest form cannot turn waiting off.
    if (interval > 0 && listsExtension(extensions, "GLX_SGI_swap_control"))
    {
        if (auto set = reinterpret_cast<SwapIntervalSgi>(getGlProcAddress("glXSwapIntervalSGI")))
        {
            return set(interval) == 0;
        }
    }
    return false;
}

namespace
{
using CopySubBuffer = void (*)(Display*, GLXDrawable, int, int, int, int);

CopySubBuffer copySubBufferEntry()
{
    Display* display = glXGetCurrentDisplay();
    if (!display)
    {
        return nullptr;
    }
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    if (!extensions || !listsExtension(extensions, "GLX_MESA_copy_sub_buffer"))
    {
        return nullptr;
    }
    return reinterpret_cast<CopySubBuffer>(getGlProcAddress("glXCopySubBufferMESA"));
}
} // namespace

bool canShowBackBufferPart()
{
    return copySubBufferEntry() != nullptr;
}

void showBackBufferPart(int x, int y, int width, int height)
{
    if (const CopySubBuffer copy = copySubBufferEntry())
    {
        copy(glXGetCurrentDisplay(), glXGetCurrentDrawable(), x, y, width, height);
    }
}

// ALSA's handler is set in the library OpenAL loads, found by name, so libasound is no build
// dependency; the handle stays open so that the handler stays.
void quietSoundLibraries()
{
    static bool s_done = false;
    if (s_done || std::getenv("ALSOFT_LOGLEVEL"))
    {
        return;
    }
    s_done = true;
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    if (void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL))
    {
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
        {
            set(ignoreAlsaError);
        }
    }
}
