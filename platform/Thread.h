#pragma once

#include "platform/Event.h"

#include <cstdint>
#include <functional>
#include <thread>

// A worker thread with the handheld's priority levels. Priorities are best effort: Linux may
// refuse to raise them (or to lower and raise again) without privileges, and nothing may depend
// on them for correctness.
//
// Threads can't be killed safely on Linux, so an owner stops its thread by a flag and an event;
// the destructor waits for the thread to end.
class Thread {
public:
    // Levels as on the handheld: 0 time-critical, 3 normal, 7 idle.
    static constexpr int kPriorityTimeCritical = 0;
    static constexpr int kPriorityHighest = 1;
    static constexpr int kPriorityAboveNormal = 2;
    static constexpr int kPriorityNormal = 3;
    static constexpr int kPriorityBelowNormal = 4;
    static constexpr int kPriorityLowest = 5;
    static constexpr int kPriorityAboveIdle = 6;
    static constexpr int kPriorityIdle = 7;

    Thread();
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts `body` on a new thread at `priority`. False if a thread is still running here or
    // the system refuses a new one.
    bool Start(std::function<void()> body, int priority = kPriorityNormal);
    // True once the thread has ended (it is joined then); false on time-out.
    bool Wait(uint32_t timeoutMs = Event::kInfinite);
    bool IsRunning() const;

    // The calling thread's level (0..7). True when the system took it.
    static bool SetCurrentPriority(int level);
    static int CurrentPriority();
    // The handheld's fine scale 0..255: 248..255 are the levels 0..7; anything lower is a
    // real-time priority, taken as level 0.
    static bool SetCurrentCePriority(int cePriority);
    static void Sleep(uint32_t ms);

private:
    std::thread m_thread;
    Event m_finished{true, false};
};
