#include "platform/QueueMessageSink.h"

#include <chrono>

bool QueueMessageSink::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back({message, wParam, lParam});
    }
    posted_.notify_all();
    return true;
}

std::optional<QueueMessageSink::Message> QueueMessageSink::Take(uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    if (!posted_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [this] { return !queue_.empty(); }))
        return std::nullopt;
    Message m = queue_.front();
    queue_.pop_front();
    return m;
}

std::optional<QueueMessageSink::Message> QueueMessageSink::TakeMessage(uint32_t message,
                                                                       uint32_t timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(mutex_);
    for (;;) {
        while (!queue_.empty()) {
            Message m = queue_.front();
            queue_.pop_front();
            if (m.message == message)
                return m;
        }
        if (posted_.wait_until(lock, deadline) == std::cv_status::timeout && queue_.empty())
            return std::nullopt;
    }
}

size_t QueueMessageSink::Size() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

void QueueMessageSink::Clear() {
    std::lock_guard lock(mutex_);
    queue_.clear();
}
