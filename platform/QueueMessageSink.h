#pragma once

#include "platform/MessageSink.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

// A MessageSink that keeps what is posted in order, for a thread to take it out.
class QueueMessageSink : public MessageSink {
public:
    struct Message {
        uint32_t message = 0;
        uintptr_t wParam = 0;
        intptr_t lParam = 0;
    };

    bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    // The oldest message, waiting up to `timeoutMs` for one to arrive.
    std::optional<Message> Take(uint32_t timeoutMs = 0);
    // Waits for a given message number, dropping the others before it.
    std::optional<Message> TakeMessage(uint32_t message, uint32_t timeoutMs);
    size_t Size() const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<Message> m_queue;
};
