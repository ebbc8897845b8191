#include "input/KeyDispatcher.h"

#include "input/KeyMap.h"

KeyDispatcher::KeyDispatcher(const KeyMap& map, Host& host) : m_map(map), m_host(host) {}

void KeyDispatcher::KeyDown(uint32_t keyCode) {
    if (keyCode >= kFirstIgnoredKey && keyCode <= kLastIgnoredKey)
        return;
    const uint32_t now = m_host.NowMs();
    const bool dbl = m_hasLastKey && keyCode == m_lastKey && now - m_lastPressMs < kDoublePressMs;
    m_hasLastKey = true;
    m_lastKey = keyCode;
    m_lastPressMs = now;

    if (dbl) {
        if (const auto function = m_map.Find(keyCode, true)) {
            // The first press is waiting on the timer; the double function replaces it.
            Defer(keyCode, *function);
        } else if (const auto single = m_map.Find(keyCode, false)) {
            // Without a double mapping the first press ran at once; so does this one.
            m_host.RunFunction(*single);
        }
        return;
    }

    const auto function = m_map.Find(keyCode, false);
    if (!function)
        return;
    if (!m_map.HasDouble(keyCode)) {
        m_host.RunFunction(*function);
        return;
    }
    Defer(keyCode, *function);
}

void KeyDispatcher::HotKey(uint32_t lParam) {
    KeyDown((lParam >> 16) & 0xFFFF);
}

bool KeyDispatcher::Timer(uint32_t id) {
    if (id != kTimerId)
        return false;
    m_timerRunning = false;
    m_host.StopTimer(kTimerId);
    if (m_pending) {
        const uint32_t function = *m_pending;
        m_pending.reset();
        m_host.RunFunction(function);
    }
    return true;
}

void KeyDispatcher::Defer(uint32_t keyCode, uint32_t function) {
    if (m_timerRunning && m_pending && m_pendingKey != keyCode) {
        // Another key is still waiting: it runs now instead of being lost, and the timer
        // starts again for this key.
        const uint32_t earlier = *m_pending;
        m_pending.reset();
        StopKeyTimer();
        m_host.RunFunction(earlier);
    }
    m_pending = function;
    m_pendingKey = keyCode;
    if (!m_timerRunning) {
        m_timerRunning = true;
        m_host.StartTimer(kTimerId, kDoublePressMs);
    }
}

void KeyDispatcher::StopKeyTimer() {
    if (!m_timerRunning)
        return;
    m_timerRunning = false;
    m_host.StopTimer(kTimerId);
}
