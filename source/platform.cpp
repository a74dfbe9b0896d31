// X11, POSIX and GLX behind the platform interface.
#include "platform.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/stat.h>

namespace
{
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

class X11InputDevice : public InputDevice
{
public:
    bool isButtonHeld(MouseButton button) override
    {
        unsigned mask = 0;
        if (!queryPointer(nullptr, nullptr, &mask))
        {
            return false;
        }
        return (mask & (button == MouseButton::Left ? Button1Mask : Button3Mask)) != 0;
    }

    void readCursor(int& x, int& y) override
    {
        if (!queryPointer(&x, &y, nullptr))
        {
            x = 0;
            y = 0;
        }
    }

    void warpCursor(int x, int y) override
    {
        Display* display = windowDisplay();
        if (!display)
        {
            return;
        }
        XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, x, y);
        XFlush(display);
    }

private:
    static bool queryPointer(int* rootX, int* rootY, unsigned* mask)
    {
        Display* display = windowDisplay();
        if (!display)
        {
            return false;
        }
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
        if (rootX)
        {
            *rootX = x;
        }
        if (rootY)
        {
            *rootY = y;
        }
        if (mask)
        {
            *mask = buttons;
        }
        return true;
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

bool isMouseButtonHeld(MouseButton button)
{
    return g_pInput->isButtonHeld(button);
}

void readCursorPosition(int& x, int& y)
{
    g_pInput->readCursor(x, y);
}

void warpCursorPosition(int x, int y)
{
    g_pInput->warpCursor(x, y);
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

bool createDirectory(const char* path)
{
    return mkdir(path, 0755) == 0;
}

void* getGlProcAddress(const char* name)
{
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

void showErrorMessage(const char* message)
{
    size_t length = std::strlen(message);
    while (length > 0 && (message[length - 1] == '\n' || message[length - 1] == '\r'))
    {
        --length;
    }
    std::fprintf(stderr, "Error: %.*s\n", int(length), message);
    std::fflush(stderr);
}
