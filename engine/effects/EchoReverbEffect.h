#pragma once

#include "engine/core/PlayerTypes.h"
#include "platform/CriticalSection.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Echo and reverb share one delay ring of interleaved samples. The echo adds one repeat of the
// dry signal after the delay; the reverb feeds its output back, so the repeats go on, each one
// rate percent of the one before.
class EchoReverbEffect {
public:
    enum Kind { Echo, Reverb };

    static constexpr int kMaxDelay = 10000; // ms

    explicit EchoReverbEffect(Kind kind);
    EchoReverbEffect(const EchoReverbEffect&) = delete;
    EchoReverbEffect& operator=(const EchoReverbEffect&) = delete;

    // Stores enabled, delay (held to 0..10000 ms) and rate percent. While prepared, the ring is
    // built again for the new values with the prepared channels and rate.
    void SetParams(const EffectParams& params);
    EffectParams GetParams() const;

    // Builds the ring; nothing is built (and nothing processed) while the effect is disabled or
    // its delay or rate is 0.
    void Prepare(int channels, int rate);
    void Process(int bits, uint8_t* data, size_t bytes);
    void ClearHistory();
    void Release();

    // Entries of the ring for a delay: n = channels × (rate × delay / 1000), made odd by
    // clearing its low 4 bits and adding 1 when it is odd, plus one; 0 when n is below 1.
    static size_t RingLength(int channels, int rate, int delay);
    // One sample through the ring; returns x + rate × ring[read] / 100 clamped to 16 bits.
    static int32_t Step(Kind kind, int rate, int32_t* ring, size_t length, size_t& read,
                        size_t& write, int32_t x);

private:
    void BuildRing();

    mutable CriticalSection m_lock;
    const Kind m_kind;
    int32_t m_enabled = 0;
    int m_delay = 100;
    int m_rate = 20;

    bool m_prepared = false; // between Prepare and Release
    int m_channels = 0;
    int m_sampleRate = 0;
    std::vector<int32_t> m_ring;
    size_t m_read = 0;
    size_t m_write = 0;
};
