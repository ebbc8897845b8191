#include "input/KeyFunctions.h"

#include <array>

namespace {

// In the order of the function indices.
const std::array<UiText, KeyFunctions::kCount> kNames{
    UI_TEXT("KeyFunctions", "Play"),
    UI_TEXT("KeyFunctions", "Stop"),
    UI_TEXT("KeyFunctions", "Pause"),
    UI_TEXT("KeyFunctions", "Play/Stop"),
    UI_TEXT("KeyFunctions", "Play/Pause"),
    UI_TEXT("KeyFunctions", "Previous Track"),
    UI_TEXT("KeyFunctions", "Next Track"),
    UI_TEXT("KeyFunctions", "Rewind"),
    UI_TEXT("KeyFunctions", "Fast Forward"),
    UI_TEXT("KeyFunctions", "Volume Up"),
    UI_TEXT("KeyFunctions", "Volume Down"),
    UI_TEXT("KeyFunctions", "Repeat Section (A<->B)"),
    UI_TEXT("KeyFunctions", "Mute On/Off"),
    UI_TEXT("KeyFunctions", "Display On/Off"),
    UI_TEXT("KeyFunctions", "Power Off"),
    UI_TEXT("KeyFunctions", "Play Speed Up"),
    UI_TEXT("KeyFunctions", "Play Speed Down"),
    UI_TEXT("KeyFunctions", "Delete File (Playlist)"),
    UI_TEXT("KeyFunctions", "Open Files"),
    UI_TEXT("KeyFunctions", "Exit Sonvale"),
    UI_TEXT("KeyFunctions", "Hold On/Off"),
    UI_TEXT("KeyFunctions", "Activate Sonvale"),
    UI_TEXT("KeyFunctions", "Show Playlist"),
    UI_TEXT("KeyFunctions", "Alarm Time"),
    UI_TEXT("KeyFunctions", "Shuffle On/Off"),
    UI_TEXT("KeyFunctions", "Undefined"),
};

} // namespace

UiText KeyFunctions::Name(int index) {
    return IsValidIndex(index) ? kNames[static_cast<size_t>(index)] : UiText{};
}

int KeyFunctions::IndexOfName(std::u16string_view name,
                              const std::function<std::u16string(const UiText&)>& shown) {
    for (int i = 0; i < kCount; ++i) {
        const UiText& text = kNames[static_cast<size_t>(i)];
        if (text.English() == name || (shown && shown(text) == name))
            return i;
    }
    return 0;
}
