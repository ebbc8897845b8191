#pragma once

#include <cstdint>
#include <optional>

class KeyMap;

// Turns key presses into player functions through the key map. A second press of the same key
// within 400 ms is a double press. A key with a double-press mapping waits for the key timer
// before its single-press function runs, so that a double press runs only its own function;
// other keys run at once.
class KeyDispatcher {
public:
    // What the dispatcher needs from the view: the tick count, the view's timer and the
    // function runner.
    class Host {
    public:
        virtual ~Host() = default;
        virtual uint32_t NowMs() = 0;
        virtual void StartTimer(uint32_t id, uint32_t intervalMs) = 0;
        virtual void StopTimer(uint32_t id) = 0;
        virtual void RunFunction(uint32_t functionCode) = 0;
    };

    static constexpr uint32_t kTimerId = 600;
    static constexpr uint32_t kDoublePressMs = 400;
    // Keys 124 .. 135 never reach the map.
    static constexpr uint32_t kFirstIgnoredKey = 124;
    static constexpr uint32_t kLastIgnoredKey = 135;

    KeyDispatcher(const KeyMap& map, Host& host);

    // WM_KEYDOWN with the virtual key code.
    void KeyDown(uint32_t keyCode);
    // WM_HOTKEY: the key code is in the high word of lParam.
    void HotKey(uint32_t lParam);
    // WM_TIMER; ids other than the key timer are not the dispatcher's. True when handled.
    bool Timer(uint32_t id);

    bool TimerRunning() const { return m_timerRunning; }
    std::optional<uint32_t> Pending() const { return m_pending; }

private:
    void Defer(uint32_t keyCode, uint32_t function);
    void StopKeyTimer();

    const KeyMap& m_map;
    Host& m_host;
    bool m_hasLastKey = false;
    uint32_t m_lastKey = 0;
    uint32_t m_lastPressMs = 0;
    std::optional<uint32_t> m_pending;
    uint32_t m_pendingKey = 0;
    bool m_timerRunning = false;
};
