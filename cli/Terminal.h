#pragma once

#include <termios.h>

// The terminal while sonvale-cli plays: keys without echo or line buffering, restored on exit.
class Terminal {
public:
    enum Key { kNone, kPause, kBack, kForward, kQuit };

    Terminal();
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    bool IsInteractive() const { return m_interactive; }
    // The next key pressed, waiting up to `timeoutMs`.
    Key ReadKey(int timeoutMs);

private:
    bool m_interactive = false;
    bool m_restore = false;
    termios m_saved{};
};
