// Where the start's time goes. With QUILLMERE_START_STEPS set in the environment, each step of the
// start is written to standard error as "start <step> <microseconds on the monotonic clock>", for
// the benchmark to set beside the moment it started the program; otherwise nothing is written.
#pragma once

class StartSteps
{
public:
    StartSteps();
    // The step named `step` (one word) is done now.
    void mark(const char* step) const;

private:
    bool m_enabled = false;
};
