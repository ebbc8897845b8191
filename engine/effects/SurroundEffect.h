#pragma once

#include "engine/core/PlayerTypes.h"
#include "platform/CriticalSection.h"

#include <cstddef>
#include <cstdint>

// Widens the stereo image: each channel takes a share of its difference to the other one, and
// the sum is lowered by a gain that grows with the rate. Works on stereo only.
class SurroundEffect {
public:
    SurroundEffect();
    SurroundEffect(const SurroundEffect&) = delete;
    SurroundEffect& operator=(const SurroundEffect&) = delete;

    // Uses the enabled word and the rate; the rate is held to 0..100.
    void SetParams(const EffectParams& params);
    // The stored enabled word and rate; the delay is always 0.
    EffectParams GetParams() const;

    // Until prepared the effect takes its blocks for stereo; prepared for any other channel
    // count it leaves them alone.
    void Prepare(int channels, int rate);
    void Process(int bits, uint8_t* data, size_t bytes);
    void ClearHistory() {}
    void Release() {}

    // gain × (own + rate × (own - other) / 100) / 100, clamped to the 16-bit range.
    static int32_t Mix(int gain, int rate, int32_t own, int32_t other);

private:
    mutable CriticalSection m_lock;
    int32_t m_enabled = 0;
    int m_rate = 0;
    int m_gain = 100;
    int m_channels = 2;
};
