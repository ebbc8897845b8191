#pragma once

#include <array>
#include <cstdint>

// The three sleep timers: stop playing, power off and display off, in that order. Each has its
// minutes and, while enabled, a deadline on the calendar clock (seconds). They measure
// inactivity: arming or re-arming puts the deadline at now + minutes, and a timer whose deadline
// has come moves it on by its minutes again and reports itself due. The power-off timer reports
// only the first time (until it is armed again with the fired flag cleared).
class SleepTimers {
public:
    enum Kind { StopPlaying = 0, PowerOff = 1, DisplayOff = 2 };
    static constexpr int kCount = 3;
    static constexpr int kMinMinutes = 1;
    static constexpr int kMaxMinutes = 1440;

    // What Check found due, as bits.
    static constexpr uint32_t kStopPlayingDue = 1u << StopPlaying;
    static constexpr uint32_t kPowerOffDue = 1u << PowerOff;
    static constexpr uint32_t kDisplayOffDue = 1u << DisplayOff;

    struct Record {
        bool enabled = false;
        int minutes = kMinMinutes;
        int64_t deadline = 0; // calendar seconds
        bool operator==(const Record&) const = default;
    };

    // A timer's new setting (minutes kept within 1 .. 1440), armed from `now`.
    void Set(Kind kind, bool enabled, int minutes, int64_t now);
    const Record& Get(Kind kind) const { return m_records[kind]; }
    bool AnyEnabled() const;
    // Every enabled timer starts counting again from `now`; `clearPowerOff` lets the power-off
    // timer fire once more.
    void Rearm(int64_t now, bool clearPowerOff = false);
    // The timers whose deadline `now` has reached, moved on by their minutes.
    uint32_t Check(int64_t now);

private:
    std::array<Record, kCount> m_records;
    bool m_powerOffFired = false;
};
