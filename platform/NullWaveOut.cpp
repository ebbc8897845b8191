#include "platform/NullWaveOut.h"

#include <algorithm>

namespace {

// The time `frames` sample frames take at `rate`.
std::chrono::nanoseconds Duration(uint64_t frames, int rate) {
    const auto perSecond = static_cast<uint64_t>(rate);
    return std::chrono::seconds(frames / perSecond) +
           std::chrono::nanoseconds((frames % perSecond) * 1'000'000'000 / perSecond);
}

} // namespace

NullWaveOut::NullWaveOut() : NullWaveOut(false) {}

NullWaveOut::NullWaveOut(bool fast) : m_fast(fast) {}

NullWaveOut::~NullWaveOut() {
    Close();
}

int NullWaveOut::OpenSink(const Format&) {
    return kOk;
}

void NullWaveOut::CloseSink() {}

void NullWaveOut::Played(const uint8_t*, size_t, uint32_t) {}

void NullWaveOut::PlayFrames(std::unique_lock<std::mutex>& lock, const uint8_t* data,
                             size_t frames) {
    const Format& format = OpenFormat();
    // Real time goes in 10 ms steps; fast output takes the whole block at once.
    const size_t step = m_fast ? frames : std::max(1, format.rate / 100);
    const size_t count = std::min(step, frames);
    if (!m_fast) {
        if (!m_running) {
            m_running = true;
            m_start = std::chrono::steady_clock::now();
            m_runFrames = 0;
        }
        if (WaitUntil(lock, m_start + Duration(m_runFrames + count, format.rate)))
            return; // not played; the step starts over
        m_runFrames += count;
    }
    Played(data, count, CurrentVolume());
    Consumed(count);
}

void NullWaveOut::Stopped() {
    m_running = false; // the clock starts afresh when playing resumes
}

void NullWaveOut::DropSink() {
    m_running = false;
}
