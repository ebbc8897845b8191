#pragma once

#include "platform/QueuedWaveOut.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct _snd_pcm;

// The wave-out device over an ALSA playback device. A thread moves the queued blocks into the
// device (through a scratch copy when the volume is not unity) and hands each block back once its
// last frame went into the device; the position is the frames written minus the device's delay.
//
// Pause uses the device's pause where it has one; elsewhere the thread stops writing and the
// device plays out what it holds (about 100 ms) before the position stops.
class AlsaWaveOut : public QueuedWaveOut {
public:
    explicit AlsaWaveOut(std::string device = "default");
    ~AlsaWaveOut() override;

    // Whether the default playback device opens (or exists but is busy).
    static bool DeviceExists();

private:
    // Every call into the device happens with the device's lock held.
    int OpenSink(const Format& format) override;
    void CloseSink() override;
    void PlayFrames(std::unique_lock<std::mutex>& lock, const uint8_t* data,
                    size_t frames) override;
    void DropSink() override;
    void PauseSink() override;
    void RestartSink() override;
    uint64_t SinkPosition(uint64_t framesConsumed) override;

    const std::string m_device;
    _snd_pcm* m_pcm = nullptr;
    bool m_canPause = false;
    std::vector<uint8_t> m_scratch;
    std::chrono::milliseconds m_retryWait{5}; // while the device is full
};
