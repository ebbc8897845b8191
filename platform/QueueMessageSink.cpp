#include "platform/QueueMessageSink.h"

#include <chrono>

bool QueueMessageSink::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back({message, wParam, lParam});
    }
    m_posted.notify_all();
    return true;
}

std::optional<QueueMessageSink::Message> QueueMessageSink::Take(uint32_t timeoutMs) {
    std::unique_lock lock(m_mutex);
    if (!m_posted.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return !m_queue.empty(); }))
        return std::nullopt;
    Message m = m_queue.front();
    m_queue.pop_front();
    return m;
}

std::optional<QueueMessageSink::Message> QueueMessageSink::TakeMessage(uint32_t message,
                                                                       uint32_t timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(m_mutex);
    for (;;) {
        while (!m_queue.empty()) {
            Message m = m_queue.front();
            m_queue.pop_front();
            if (m.message == message)
                return m;
        }
        if (m_posted.wait_until(lock, deadline) == std::cv_status::timeout && m_queue.empty())
            return std::nullopt;
    }
}

size_t QueueMessageSink::Size() const {
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}

void QueueMessageSink::Clear() {
    std::lock_guard lock(m_mutex);
    m_queue.clear();
}
