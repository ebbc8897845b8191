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

// At real rate the block goes to the sink as soon as it is the head of the queue, as a device's
// buffer takes it at once, and the clock sleeps until its last frame is due: the thread wakes
// once a block, and Position() meanwhile follows the clock. When Pause, Reset or Close cuts the
// wait short, the frames whose time has come are played and the rest wait (already in the sink).
void NullWaveOut::PlayFrames(std::unique_lock<std::mutex>& lock, const uint8_t* data,
                             size_t frames) {
    if (m_fast) {
        Played(data, frames, CurrentVolume());
        Consumed(frames);
        return;
    }
    const Format& format = OpenFormat();
    if (frames > m_sinkAhead) {
        const size_t offset = m_sinkAhead * static_cast<size_t>(FrameBytes(format));
        Played(data + offset, frames - m_sinkAhead, CurrentVolume());
        m_sinkAhead = frames;
    }
    if (!m_running) {
        m_running = true;
        m_start = std::chrono::steady_clock::now();
        m_runFrames = 0;
        m_pausedAt.reset();
    }
    m_waitFrames = frames;
    size_t count = frames;
    if (WaitUntil(lock, m_start + Duration(m_runFrames + frames, format.rate)))
        count = static_cast<size_t>(std::min<uint64_t>(DueFrames(), frames));
    m_waitFrames = 0;
    if (count == 0)
        return;
    m_runFrames += count;
    m_sinkAhead -= count;
    Consumed(count);
}

// Frames the clock has played since it started, beyond those already counted; the clock stands
// still from a pause on.
uint64_t NullWaveOut::DueFrames() const {
    const auto now = m_pausedAt.value_or(std::chrono::steady_clock::now());
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - m_start);
    if (elapsed.count() <= 0)
        return 0;
    const auto perSecond = static_cast<uint64_t>(OpenFormat().rate);
    const auto ns = static_cast<uint64_t>(elapsed.count());
    const uint64_t played =
        ns / 1'000'000'000 * perSecond + ns % 1'000'000'000 * perSecond / 1'000'000'000;
    return played > m_runFrames ? played - m_runFrames : 0;
}

uint64_t NullWaveOut::SinkPosition(uint64_t framesConsumed) {
    if (!m_running || m_waitFrames == 0)
        return framesConsumed;
    return framesConsumed + std::min<uint64_t>(DueFrames(), m_waitFrames);
}

void NullWaveOut::PauseSink() {
    if (m_running && !m_pausedAt)
        m_pausedAt = std::chrono::steady_clock::now();
}

// A restart that comes before the clock saw the pause lets it run on.
void NullWaveOut::RestartSink() {
    m_pausedAt.reset();
}

void NullWaveOut::Stopped() {
    m_running = false; // the clock starts afresh when playing resumes
}

void NullWaveOut::DropSink() {
    m_running = false;
    m_sinkAhead = 0;
}
