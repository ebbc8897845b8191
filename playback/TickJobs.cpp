#include "playback/TickJobs.h"

int TickJobs::MonitorTicks(const State& state) {
    const int speedRule = state.speed < 1.0 ? 21 : 16;
    if (state.displayOn && state.active && state.wordTimes)
        return 8; // words come faster than lines
    if (state.displayOn && state.active)
        return state.syncedLyrics ? 16 : speedRule;
    if (state.displayOn && state.lyricsListOpen)
        return speedRule;
    return 26;
}

bool TickJobs::Count(uint16_t& counter, int ticksPerRun) {
    ++counter;
    if (counter <= ticksPerRun - 1)
        return false;
    counter = 0;
    return true;
}

uint32_t TickJobs::Tick(const State& state) {
    if (state.suspended)
        return 0;
    uint32_t due = 0;
    if (state.playing && !state.seeking && Count(m_monitor, MonitorTicks(state)))
        due |= Monitor;
    if (state.displayOn && state.active && state.lcdScrolls && Count(m_lcdScroll, kLcdScrollTicks))
        due |= LcdScroll;
    if (state.displayOn && state.active && state.playing && !state.panelState1 &&
        Count(m_levelMeter, kLevelMeterTicks))
        due |= LevelMeter;
    if (state.sleepTimerSet && Count(m_sleepTimers, kSleepTimerTicks))
        due |= SleepTimers;
    if (!state.seeking && Count(m_displayCheck, kDisplayCheckTicks))
        due |= DisplayCheck;
    if ((state.playing || state.paused) && Count(m_keepAwake, kKeepAwakeTicks))
        due |= KeepAwake;
    if (state.playing && Count(m_powerCheck, kPowerCheckTicks))
        due |= PowerCheck;
    return due;
}
