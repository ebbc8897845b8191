#pragma once

#include "platform/QueuedWaveOut.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>

// A wave-out device without sound: a clock consumes the queued blocks at the format's real rate,
// handing each block back when its last frame is played; the position follows the clock. Pause
// stops the clock. Sinks that keep what is played derive from it (WavFileWaveOut): they are
// handed each block whole when it starts playing, as a real device's buffer takes it at once.
class NullWaveOut : public QueuedWaveOut {
public:
    NullWaveOut();
    ~NullWaveOut() override;

protected:
    // `fast`: consume each block as soon as it is queued instead of at the real rate.
    explicit NullWaveOut(bool fast);

    int OpenSink(const Format& format) override;
    void CloseSink() override;
    // `frames` sample frames that start playing now (at real rate, a whole block ahead of the
    // clock), before the volume is applied. Called with the device's lock held.
    virtual void Played(const uint8_t* data, size_t frames, uint32_t volume);

private:
    void PlayFrames(std::unique_lock<std::mutex>& lock, const uint8_t* data,
                    size_t frames) override;
    void Stopped() override;
    void DropSink() override;
    void PauseSink() override;
    void RestartSink() override;
    uint64_t SinkPosition(uint64_t framesConsumed) override;
    uint64_t DueFrames() const;

    const bool m_fast;
    // The clock: frames played since it last started running at `m_start`.
    bool m_running = false;
    std::chrono::steady_clock::time_point m_start;
    uint64_t m_runFrames = 0;
    // Frames of the wait in progress, and when a pause stopped the clock during it.
    size_t m_waitFrames = 0;
    std::optional<std::chrono::steady_clock::time_point> m_pausedAt;
    // Frames of the head block, from its next one to be played, already handed to Played.
    size_t m_sinkAhead = 0;
};
