#pragma once

#include "engine/effects/EchoReverbEffect.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

// Echo or reverb on the run-time library's stereo mix buffer: the engine's delay ring with
// two interleaved channels.
class AudioEchoEffect {
public:
    using Kind = EchoReverbEffect::Kind;

    explicit AudioEchoEffect(Kind kind);
    AudioEchoEffect(const AudioEchoEffect&) = delete;
    AudioEchoEffect& operator=(const AudioEchoEffect&) = delete;

    // Each setter builds the ring again while prepared. Enabled when the status word is 1.
    void SetStatus(int status);
    // Held to 0..10000 ms.
    void SetDelay(int delay);
    // Percent.
    void SetRate(int rate);
    int GetStatus() const;
    int GetDelay() const;
    int GetRate() const;

    // Builds the ring for a sampling rate; nothing is built while disabled or with delay or
    // rate 0.
    void Prepare(int sampleRate);
    void Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame);
    void ClearHistory();
    void Release();

private:
    void BuildRing();

    mutable std::mutex m_lock;
    const Kind m_kind;
    int m_enabled = 0;
    int m_delay = 100;
    int m_rate = 20;

    int m_sampleRate = 0; // 0 until prepared
    std::vector<int32_t> m_ring;
    size_t m_read = 0;
    size_t m_write = 0;
};
