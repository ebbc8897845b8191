#include "platform/Event.h"

#include <chrono>

Event::Event(bool manualReset, bool initiallySignalled)
    : manualReset_(manualReset), signalled_(initiallySignalled) {}

void Event::Set() {
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    if (manualReset_)
        changed_.notify_all();
    else
        changed_.notify_one();
}

void Event::Reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool Event::Wait(uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    const auto ready = [this] { return signalled_; };
    if (timeoutMs == kInfinite)
        changed_.wait(lock, ready);
    else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return false;
    if (!manualReset_)
        signalled_ = false;
    return true;
}

bool Event::IsSignalled() const {
    std::lock_guard lock(mutex_);
    return signalled_;
}
