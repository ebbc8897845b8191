#pragma once

#include <atomic>
#include <mutex>
#include <thread>

// A re-entrant critical section: the owning thread may enter again, and must leave as often as
// it entered. The entry count is what the owner has entered and not yet left.
class CriticalSection {
public:
    CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter();
    bool TryEnter();
    void Leave();
    // The owner's entry count; 0 when no thread owns it.
    int EntryCount() const { return count_.load(); }
    bool IsOwnedByCurrentThread() const;

    // Enters on construction, leaves on destruction.
    class Lock {
    public:
        explicit Lock(CriticalSection& cs) : cs_(cs) { cs_.Enter(); }
        ~Lock() { cs_.Leave(); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        CriticalSection& cs_;
    };

private:
    std::recursive_mutex mutex_;
    std::atomic<std::thread::id> owner_{};
    std::atomic<int> count_{0};
};
