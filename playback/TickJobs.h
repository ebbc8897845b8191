#pragma once

#include <cstdint>

// The periodic jobs the library's tick paces. Each job counts the ticks on which its condition
// holds in a 16-bit counter; when the counter passes the job's limit the job is due and the
// counter starts again from 0, so a job runs once every limit + 1 such ticks. Tick() answers the
// set of due jobs; the view pulses their workers (or does the short ones in the tick itself).
class TickJobs {
public:
    enum Job : uint32_t {
        Monitor = 1u << 0,      // worker 5: the monitor or the stream monitor
        LcdScroll = 1u << 1,    // worker 1
        LevelMeter = 1u << 2,   // worker 2
        DisplayCheck = 1u << 3, // worker 3: display-off and background keys
        SleepTimers = 1u << 4,  // worker 4
        KeepAwake = 1u << 5,    // in the tick: silent key-up of 0x87, idle timer reset
        PowerCheck = 1u << 6,   // in the tick: battery check, may post Power Off
    };

    // What the tick knows of the view at this moment.
    struct State {
        bool suspended = false; // restarting, power-off pending or wake-up pending
        bool playing = false;
        bool paused = false;
        bool seeking = false;
        bool displayOn = true;
        bool active = true; // the player is the foreground application
        bool syncedLyrics = false;
        bool wordTimes = false; // the lyrics light their words as they are sung
        bool lyricsListOpen = false;
        bool lcdScrolls = false;
        bool panelState1 = false; // the display panel is in state 1 (no level meter)
        bool sleepTimerSet = false;
        double speed = 1.0;
    };

    // Ticks per run of each job.
    static constexpr int kLcdScrollTicks = 16;
    static constexpr int kLevelMeterTicks = 31;
    static constexpr int kSleepTimerTicks = 31;
    static constexpr int kDisplayCheckTicks = 151;
    static constexpr int kKeepAwakeTicks = 1801;
    static constexpr int kPowerCheckTicks = 3001;

    // The monitor's ticks per run for this state.
    static int MonitorTicks(const State& state);

    // One tick: the jobs due now.
    uint32_t Tick(const State& state);

private:
    static bool Count(uint16_t& counter, int ticksPerRun);

    uint16_t m_monitor = 0;
    uint16_t m_lcdScroll = 0;
    uint16_t m_levelMeter = 0;
    uint16_t m_sleepTimers = 0;
    uint16_t m_displayCheck = 0;
    uint16_t m_keepAwake = 0;
    uint16_t m_powerCheck = 0;
};
