// Test doubles of the platform's input and clock, installed for the lifetime of the object.
#pragma once

#include "platform/platform.h"

class FakeInput : public InputDevice
{
public:
    FakeInput() { setInputDevice(this); }
    ~FakeInput() override { setInputDevice(nullptr); }

    PointerState readPointer() override
    {
        PointerState state;
        state.focused = focused;
        if (!focused)
        {
            return state;
        }
        state.leftHeld = leftHeld;
        state.rightHeld = rightHeld;
        state.cursorKnown = !cursorReadFails;
        state.cursorX = cursorX;
        state.cursorY = cursorY;
        state.centreKnown = true;
        state.centreX = centreX;
        state.centreY = centreY;
        ++readCount;
        return state;
    }
    void warpCursor(int x, int y) override
    {
        cursorX = x;
        cursorY = y;
        ++warpCount;
    }
    void setCursorHidden(bool hidden) override { cursorHidden = hidden; }

    bool leftHeld = false;
    bool rightHeld = false;
    int cursorX = 400;
    int cursorY = 300;
    bool cursorReadFails = false;
    int centreX = 400; // an 800 x 600 window at the screen's origin
    int centreY = 300;
    bool focused = true;
    bool cursorHidden = false;
    int warpCount = 0;
    int readCount = 0; // readings with the focus
};

// A clock that moves only when told. Without a counter it serves the millisecond tick count.
class FakeClock : public Clock
{
public:
    explicit FakeClock(bool hasCounter = true) : m_hasCounter(hasCounter) { setClock(this); }
    ~FakeClock() override { setClock(nullptr); }

    bool counterFrequency(int64_t& frequency) override
    {
        frequency = kFrequency;
        return m_hasCounter;
    }
    int64_t counterValue() override { return counter; }
    uint32_t tickCount() override { return ticks; }
    // Sleeping is time passing, at once.
    void sleepMicroseconds(int64_t microseconds) override
    {
        advanceMilliseconds(double(microseconds) / 1000.0);
        sleptMicroseconds += microseconds;
    }

    void advanceMilliseconds(double ms)
    {
        counter += int64_t(ms * double(kFrequency) / 1000.0);
        ticks += uint32_t(ms);
    }

    static const int64_t kFrequency = 1000000;
    int64_t counter = 5000000;
    uint32_t ticks = 1000;
    int64_t sleptMicroseconds = 0;

private:
    bool m_hasCounter;
};
