#include "platform/Event.h"

#include <chrono>

Event::Event(bool manualReset, bool initiallySignalled)
    : m_manualReset(manualReset), m_signalled(initiallySignalled) {}

void Event::Set() {
    {
        std::lock_guard lock(m_mutex);
        m_signalled = true;
    }
    if (m_manualReset)
        m_changed.notify_all();
    else
        m_changed.notify_one();
}

void Event::Reset() {
    std::lock_guard lock(m_mutex);
    m_signalled = false;
}

bool Event::Wait(uint32_t timeoutMs) {
    std::unique_lock lock(m_mutex);
    const auto ready = [this] { return m_signalled; };
    if (timeoutMs == kInfinite)
        m_changed.wait(lock, ready);
    else if (!m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return false;
    if (!m_manualReset)
        m_signalled = false;
    return true;
}

bool Event::IsSignalled() const {
    std::lock_guard lock(m_mutex);
    return m_signalled;
}
