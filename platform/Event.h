#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

// A kernel event as on the handheld. An auto-reset event releases one waiter and falls back to
// non-signalled; a manual-reset event stays signalled until Reset.
class Event {
public:
    static constexpr uint32_t kInfinite = 0xFFFFFFFF;

    explicit Event(bool manualReset = false, bool initiallySignalled = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // True when the event was signalled within the time; false on time-out.
    bool Wait(uint32_t timeoutMs = kInfinite);
    bool IsSignalled() const;

private:
    const bool m_manualReset;
    bool m_signalled;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
};
