// Services of the operating system, kept behind one small interface: mouse buttons and the
// cursor (X11), directories (POSIX), clocks (POSIX), GL entry points (GLX) and the error
// message. Nothing else in the park calls the platform directly.
//
// The input and clock services can be replaced by test doubles, so that anything that polls the
// mouse or reads a clock can be driven without an X server or real time.
#pragma once

#include <cstdint>

enum class MouseButton
{
    Left,
    Right,
};

// Where the mouse comes from. The default reads the X display the GL window lives on.
class InputDevice
{
public:
    virtual ~InputDevice() = default;
    virtual bool isButtonHeld(MouseButton button) = 0;
    // Cursor position in screen pixels (not window pixels).
    virtual void readCursor(int& x, int& y) = 0;
    virtual void warpCursor(int x, int y) = 0;
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
};

// Null restores the platform's own device or clock. The caller keeps ownership.
void setInputDevice(InputDevice* device);
void setClock(Clock* clock);

bool isMouseButtonHeld(MouseButton button);
void readCursorPosition(int& x, int& y);
void warpCursorPosition(int x, int y);

bool queryCounterFrequency(int64_t& frequency);
int64_t queryCounter();
uint32_t tickCount();

// Creates one directory level. True when it was created; false when it exists or cannot be made.
bool createDirectory(const char* path);

// Entry point of the current GL implementation, or null. Ask only for names the extension
// string (or the core version) promises: some implementations return stubs for any name.
void* getGlProcAddress(const char* name);

// The park's error "message box": one line "Error: <message>" on stderr, never blocking.
// A trailing newline in the message is dropped.
void showErrorMessage(const char* message);
