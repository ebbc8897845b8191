#pragma once

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// A FIFO that nothing writes to. Code that opens it for reading and waits for a writer is set
// free once `patience` has passed: from then on the FIFO's writing end is opened and closed again
// and again, which ends such a wait (and any read) at once. A test measures that its call ended
// well before that.
class UnwrittenFifo {
public:
    explicit UnwrittenFifo(std::string path,
                           std::chrono::milliseconds patience = std::chrono::seconds(3))
        : m_path(std::move(path)), m_patience(patience) {
        m_made = ::mkfifo(m_path.c_str(), 0644) == 0;
        m_watchdog = std::thread([this] { Watch(); });
    }
    ~UnwrittenFifo() {
        m_stop = true;
        m_watchdog.join();
        ::unlink(m_path.c_str());
    }
    UnwrittenFifo(const UnwrittenFifo&) = delete;
    UnwrittenFifo& operator=(const UnwrittenFifo&) = delete;

    bool Made() const { return m_made; }
    const std::string& Path() const { return m_path; }
    std::chrono::milliseconds Patience() const { return m_patience; }

private:
    void Watch() {
        const auto freeAt = std::chrono::steady_clock::now() + m_patience;
        while (!m_stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (std::chrono::steady_clock::now() < freeAt)
                continue;
            const int fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
        }
    }

    const std::string m_path;
    const std::chrono::milliseconds m_patience;
    bool m_made = false;
    std::atomic<bool> m_stop{false};
    std::thread m_watchdog;
};
