#include "platform/Thread.h"

#include <algorithm>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

thread_local int currentLevel = Thread::kPriorityNormal;

// Nice values for the levels 0..7; 7 also uses the idle scheduling class.
constexpr int kNice[8] = {-15, -10, -5, 0, 5, 10, 15, 19};

} // namespace

Thread::Thread() = default;

Thread::~Thread() {
    if (m_thread.joinable())
        m_thread.join();
}

bool Thread::Start(std::function<void()> body, int priority) {
    if (m_thread.joinable()) {
        if (!m_finished.IsSignalled())
            return false;
        m_thread.join();
    }
    m_finished.Reset();
    try {
        m_thread = std::thread([this, body = std::move(body), priority] {
            SetCurrentPriority(priority);
            body();
            m_finished.Set();
        });
    } catch (const std::system_error&) {
        m_finished.Set();
        return false;
    }
    return true;
}

bool Thread::Wait(uint32_t timeoutMs) {
    if (!m_thread.joinable())
        return true;
    if (!m_finished.Wait(timeoutMs))
        return false;
    m_thread.join();
    return true;
}

bool Thread::IsRunning() const {
    return m_thread.joinable() && !m_finished.IsSignalled();
}

bool Thread::SetCurrentPriority(int level) {
    level = std::clamp(level, 0, 7);
    const pid_t tid = gettid();
    sched_param param{};
    const int policy = level == kPriorityIdle ? SCHED_IDLE : SCHED_OTHER;
    bool ok = sched_setscheduler(tid, policy, &param) == 0;
    ok = setpriority(PRIO_PROCESS, static_cast<id_t>(tid), kNice[level]) == 0 && ok;
    currentLevel = level;
    return ok;
}

int Thread::CurrentPriority() {
    return currentLevel;
}

bool Thread::SetCurrentCePriority(int cePriority) {
    return SetCurrentPriority(cePriority >= 248 ? cePriority - 248 : kPriorityTimeCritical);
}

void Thread::Sleep(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
