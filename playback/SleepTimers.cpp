#include "playback/SleepTimers.h"

#include <algorithm>

void SleepTimers::Set(Kind kind, bool enabled, int minutes, int64_t now) {
    Record& record = m_records[kind];
    record.enabled = enabled;
    record.minutes = std::clamp(minutes, kMinMinutes, kMaxMinutes);
    record.deadline = now + int64_t{record.minutes} * 60;
    if (kind == PowerOff)
        m_powerOffFired = false;
}

bool SleepTimers::AnyEnabled() const {
    return std::any_of(m_records.begin(), m_records.end(),
                       [](const Record& record) { return record.enabled; });
}

void SleepTimers::Rearm(int64_t now, bool clearPowerOff) {
    for (Record& record : m_records)
        if (record.enabled)
            record.deadline = now + int64_t{record.minutes} * 60;
    if (clearPowerOff)
        m_powerOffFired = false;
}

uint32_t SleepTimers::Check(int64_t now) {
    uint32_t due = 0;
    for (int kind = 0; kind < kCount; ++kind) {
        Record& record = m_records[kind];
        if (!record.enabled || now < record.deadline)
            continue;
        record.deadline = now + int64_t{record.minutes} * 60;
        if (kind == PowerOff) {
            if (m_powerOffFired)
                continue;
            m_powerOffFired = true;
        }
        due |= 1u << kind;
    }
    return due;
}
