#pragma once

#include <cstdint>

// The volumes the mute switch silences and brings back. The main view implements it.
class MuteVolume {
public:
    virtual ~MuteVolume() = default;

    // The wave-out device's volume word (left in the low word, right in the high word).
    virtual uint32_t WaveOutVolume() = 0;
    virtual void SetWaveOutVolume(uint32_t volume) = 0;
    // The run-time library's volume of the playing channel (0 .. 255).
    virtual int LibraryVolume() = 0;
    virtual void SetLibraryVolume(int volume) = 0;
};
