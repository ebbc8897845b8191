#include "platform/CriticalSection.h"

void CriticalSection::Enter() {
    mutex_.lock();
    owner_ = std::this_thread::get_id();
    ++count_;
}

bool CriticalSection::TryEnter() {
    if (!mutex_.try_lock())
        return false;
    owner_ = std::this_thread::get_id();
    ++count_;
    return true;
}

void CriticalSection::Leave() {
    if (--count_ == 0)
        owner_ = std::thread::id();
    mutex_.unlock();
}

bool CriticalSection::IsOwnedByCurrentThread() const {
    return owner_.load() == std::this_thread::get_id();
}
