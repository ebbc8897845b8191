#pragma once

#include <cstdint>

// Where a component posts the system's window messages (message number, wParam, lParam) for
// its owner. The player implements it with Qt events; tests with a queue. Post never blocks and
// may be called from any thread.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    // False when the owner can't take messages any more.
    virtual bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};
