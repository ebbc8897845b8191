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
    int EntryCount() const { return m_count.load(); }
    bool IsOwnedByCurrentThread() const;

    // Enters on construction, leaves on destruction.
    class Lock {
    public:
        explicit Lock(CriticalSection& cs) : m_cs(cs) { m_cs.Enter(); }
        ~Lock() { m_cs.Leave(); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        CriticalSection& m_cs;
    };

private:
    std::recursive_mutex m_mutex;
    std::atomic<std::thread::id> m_owner{};
    std::atomic<int> m_count{0};
};
