#pragma once

#include "engine/core/PlayerTypes.h"
#include "platform/CriticalSection.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The 3D chorus: each stereo channel subtracts a slowly swept, delayed copy of itself. The delay
// sweeps between rate × 6 / 1000 samples and about rate / 512 samples more over one second,
// the right channel half a period behind the left. Works on stereo only.
class Chorus3DEffect {
public:
    Chorus3DEffect();
    Chorus3DEffect(const Chorus3DEffect&) = delete;
    Chorus3DEffect& operator=(const Chorus3DEffect&) = delete;

    // Uses the enabled word and the rate as the level, held to 0..100.
    void SetParams(const EffectParams& params);
    // The stored enabled word and level; the delay is always 0.
    EffectParams GetParams() const;

    // Allocates the two delay lines (one second each) when prepared for stereo; for any other
    // channel count the buffers are freed and blocks are left alone.
    void Prepare(int channels, int rate);
    void Process(int bits, uint8_t* data, size_t bytes);
    void ClearHistory();
    void Release();

    // 100 × 10^(-0.00175 × level), truncated.
    static int Gain(int level);
    // D0 = rate × 6 / 1000 samples.
    static int BaseDelay(int rate);
    // One sample x of one channel through its delay line of `length` entries: stores x, advances
    // the write index and LFO phase, and returns the unclamped result.
    static int64_t Sweep(int32_t* line, int length, int baseDelay, int level, int gain, int& write,
                         int& phase, int32_t x);

private:
    int32_t Step(int channel, int32_t x);
    void ClearLocked();

    mutable CriticalSection m_lock;
    int32_t m_enabled = 0;
    int m_level = 20;
    int m_gain = 100;

    int m_length = 0;    // L: entries of each delay line; the lines wrap at L - 1
    int m_baseDelay = 0; // D0 in samples
    std::vector<int32_t> m_lines[2];
    int m_write[2] = {0, 0};
    int m_phase[2] = {0, 0};
};
