#include "cli/Terminal.h"

#include <poll.h>
#include <unistd.h>

Terminal::Terminal() {
    m_interactive = isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
    if (!m_interactive)
        return;
    if (tcgetattr(STDIN_FILENO, &m_saved) != 0)
        return;
    termios raw = m_saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    m_restore = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
}

Terminal::~Terminal() {
    if (m_restore)
        tcsetattr(STDIN_FILENO, TCSANOW, &m_saved);
}

Terminal::Key Terminal::ReadKey(int timeoutMs) {
    if (!m_interactive) {
        usleep(static_cast<useconds_t>(timeoutMs) * 1000);
        return kNone;
    }
    pollfd in{STDIN_FILENO, POLLIN, 0};
    if (poll(&in, 1, timeoutMs) <= 0)
        return kNone;
    char keys[8];
    const ssize_t n = read(STDIN_FILENO, keys, sizeof keys);
    if (n <= 0)
        return kNone;
    if (keys[0] == ' ')
        return kPause;
    if (keys[0] == 'q' || keys[0] == 'Q')
        return kQuit;
    if (n >= 3 && keys[0] == 27 && keys[1] == '[')
        return keys[2] == 'D' ? kBack : keys[2] == 'C' ? kForward : kNone;
    return kNone;
}
