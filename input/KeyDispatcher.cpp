#include "input/KeyDispatcher.h"

#include "input/KeyMap.h"

KeyDispatcher::KeyDispatcher(const KeyMap& map, Host& host) : map_(map), host_(host) {}

void KeyDispatcher::KeyDown(uint32_t keyCode) {
    if (keyCode >= kFirstIgnoredKey && keyCode <= kLastIgnoredKey)
        return;
    const uint32_t now = host_.NowMs();
    const bool dbl = hasLastKey_ && keyCode == lastKey_ && now - lastPressMs_ < kDoublePressMs;
    hasLastKey_ = true;
    lastKey_ = keyCode;
    lastPressMs_ = now;

    if (dbl) {
        if (const auto function = map_.Find(keyCode, true)) {
            // The first press is waiting on the timer; the double function replaces it.
            Defer(keyCode, *function);
        } else if (const auto single = map_.Find(keyCode, false)) {
            // Without a double mapping the first press ran at once; so does this one.
            host_.RunFunction(*single);
        }
        return;
    }

    const auto function = map_.Find(keyCode, false);
    if (!function)
        return;
    if (!map_.HasDouble(keyCode)) {
        host_.RunFunction(*function);
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
    timerRunning_ = false;
    host_.StopTimer(kTimerId);
    if (pending_) {
        const uint32_t function = *pending_;
        pending_.reset();
        host_.RunFunction(function);
    }
    return true;
}

void KeyDispatcher::Defer(uint32_t keyCode, uint32_t function) {
    if (timerRunning_ && pending_ && pendingKey_ != keyCode) {
        // Another key is still waiting: it runs now instead of being lost, and the timer
        // starts again for this key.
        const uint32_t earlier = *pending_;
        pending_.reset();
        StopKeyTimer();
        host_.RunFunction(earlier);
    }
    pending_ = function;
    pendingKey_ = keyCode;
    if (!timerRunning_) {
        timerRunning_ = true;
        host_.StartTimer(kTimerId, kDoublePressMs);
    }
}

void KeyDispatcher::StopKeyTimer() {
    if (!timerRunning_)
        return;
    timerRunning_ = false;
    host_.StopTimer(kTimerId);
}
