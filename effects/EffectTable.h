#pragma once

#include <cstdint>

// The effects sheet's sliders and the effect values they stand for, both ways. The pages and the
// presets go through here only.
class EffectTable {
public:
    // Equalizer band sliders: 0..64, mark 31; the position is the band level (top = 0 = the
    // strongest boost).
    static constexpr int kBandMin = 0;
    static constexpr int kBandMax = 64;
    static constexpr int kBandFlat = 31;
    // Reverb and echo: 0..6; delay 50 + 25 × position ms, rate 20 + 2 × position.
    static constexpr int kDelayMin = 0;
    static constexpr int kDelayMax = 6;
    // Preamp: 0..61, a tick every 31.
    static constexpr int kPreampMin = 0;
    static constexpr int kPreampMax = 61;
    static constexpr int kPreampTick = 31;
    // Surround and 3D chorus: 1..10; rate 10 × position.
    static constexpr int kRateMin = 1;
    static constexpr int kRateMax = 10;
    // Bass boost: 0..20; the level is the position.
    static constexpr int kBassMin = 0;
    static constexpr int kBassMax = 20;

    static int32_t DelayOf(int position) { return 50 + 25 * position; }
    static int32_t DelayRateOf(int position) { return 20 + 2 * position; }
    static int DelayPosition(int32_t delay) {
        return Held((delay - 50) / 25, kDelayMin, kDelayMax);
    }

    // The built-in engine's equalizer preamp level (31 = 0 dB) and back; the run-time library's
    // amplifier rate is the position itself.
    static int32_t PreampLevelOf(int position) { return 64 - position; }
    static int PreampPosition(int32_t level) { return Held(64 - level, kPreampMin, kPreampMax); }

    static int32_t RateOf(int position) { return 10 * position; }
    static int RatePosition(int32_t rate) { return Held(rate / 10, kRateMin, kRateMax); }

    static int BandPosition(int32_t level) { return Held(level, kBandMin, kBandMax); }
    static int BassPosition(int32_t level) { return Held(level, kBassMin, kBassMax); }

private:
    // What the slider shows of a position outside its range.
    static int Held(int value, int low, int high) {
        return value < low ? low : value > high ? high : value;
    }
};
