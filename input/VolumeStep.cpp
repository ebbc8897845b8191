#include "input/VolumeStep.h"

#include <algorithm>
#include <cstdio>

int32_t VolumeStep::Up(int32_t volume, int32_t range) {
    return std::clamp(volume + 1, 0, std::max(range, 0));
}

int32_t VolumeStep::Down(int32_t volume, int32_t range) {
    return std::clamp(volume - 1, 0, std::max(range, 0));
}

int32_t VolumeStep::Percent(int32_t volume, int32_t range) {
    return Scale(volume, range, 100);
}

UiText VolumeStep::Text(int32_t volume, int32_t range) {
    char percent[16];
    std::snprintf(percent, sizeof percent, "%3d", Percent(volume, range));
    return UI_TEXT("VolumeStep", "Volume Change : %1 %%")
        .With(std::u16string(percent, percent + std::char_traits<char>::length(percent)));
}

uint32_t VolumeStep::WaveOutVolume(int32_t volume, int32_t range) {
    const auto half = static_cast<uint32_t>(std::clamp(Scale(volume, range, 0xFFFF), 0, 0xFFFF));
    return half | (half << 16);
}

int32_t VolumeStep::LibraryVolume(int32_t volume, int32_t range) {
    return std::clamp(Scale(volume, range, 255), 0, 255);
}

int32_t VolumeStep::Scale(int32_t volume, int32_t range, int32_t top) {
    if (range <= 0)
        return 0;
    return static_cast<int32_t>(static_cast<int64_t>(volume) * top / range);
}
