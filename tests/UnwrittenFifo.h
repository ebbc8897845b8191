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
        : path_(std::move(path)), patience_(patience) {
        made_ = ::mkfifo(path_.c_str(), 0644) == 0;
        watchdog_ = std::thread([this] { Watch(); });
    }
    ~UnwrittenFifo() {
        stop_ = true;
        watchdog_.join();
        ::unlink(path_.c_str());
    }
    UnwrittenFifo(const UnwrittenFifo&) = delete;
    UnwrittenFifo& operator=(const UnwrittenFifo&) = delete;

    bool Made() const { return made_; }
    const std::string& Path() const { return path_; }
    std::chrono::milliseconds Patience() const { return patience_; }

private:
    void Watch() {
        const auto freeAt = std::chrono::steady_clock::now() + patience_;
        while (!stop_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (std::chrono::steady_clock::now() < freeAt)
                continue;
            const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
        }
    }

    const std::string path_;
    const std::chrono::milliseconds patience_;
    bool made_ = false;
    std::atomic<bool> stop_{false};
    std::thread watchdog_;
};
