#pragma once

#include "support/UiText.h"

#include <cstdint>
#include <string>

// The volume keys' arithmetic. The volume slider runs 0 .. "VolumeRange" and a key moves it by
// one step; the value is then scaled for whichever volume the player drives.
class VolumeStep {
public:
    // How long the LCD shows the volume text.
    static constexpr uint32_t kTextMs = 600;

    // One step up or down, kept within 0 .. range.
    static int32_t Up(int32_t volume, int32_t range);
    static int32_t Down(int32_t volume, int32_t range);
    // "Volume" as a percentage of the range.
    static int32_t Percent(int32_t volume, int32_t range);
    // The LCD text: "Volume Change : %3d %%" with the percentage.
    static UiText Text(int32_t volume, int32_t range);
    // The wave-out volume word: volume × 0xFFFF / range, at most 0xFFFF, in both halves.
    static uint32_t WaveOutVolume(int32_t volume, int32_t range);
    // The run-time library's channel volume, 0 .. 255.
    static int32_t LibraryVolume(int32_t volume, int32_t range);

private:
    static int32_t Scale(int32_t volume, int32_t range, int32_t top);
};
