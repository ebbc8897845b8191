#include "platform/CriticalSection.h"

void CriticalSection::Enter() {
    m_mutex.lock();
    m_owner = std::this_thread::get_id();
    ++m_count;
}

bool CriticalSection::TryEnter() {
    if (!m_mutex.try_lock())
        return false;
    m_owner = std::this_thread::get_id();
    ++m_count;
    return true;
}

void CriticalSection::Leave() {
    if (--m_count == 0)
        m_owner = std::thread::id();
    m_mutex.unlock();
}

bool CriticalSection::IsOwnedByCurrentThread() const {
    return m_owner.load() == std::this_thread::get_id();
}
