#pragma once

#include "support/UiText.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The player functions a key can be mapped to. The key map stores the index; the view runs the
// function code, 65010 + index. The names are English texts the windows translate.
class KeyFunctions {
public:
    static constexpr uint32_t kFirstCode = 65010;
    static constexpr int kCount = 26;

    static constexpr uint32_t kPlay = 65010;
    static constexpr uint32_t kStop = 65011;
    static constexpr uint32_t kPause = 65012;
    static constexpr uint32_t kPlayStop = 65013;
    static constexpr uint32_t kPlayPause = 65014;
    static constexpr uint32_t kPreviousTrack = 65015;
    static constexpr uint32_t kNextTrack = 65016;
    static constexpr uint32_t kRewind = 65017;
    static constexpr uint32_t kFastForward = 65018;
    static constexpr uint32_t kVolumeUp = 65019;
    static constexpr uint32_t kVolumeDown = 65020;
    static constexpr uint32_t kRepeatSection = 65021;
    static constexpr uint32_t kMute = 65022;
    static constexpr uint32_t kDisplay = 65023;
    static constexpr uint32_t kPowerOff = 65024;
    static constexpr uint32_t kSpeedUp = 65025;
    static constexpr uint32_t kSpeedDown = 65026;
    static constexpr uint32_t kDeleteFile = 65027;
    static constexpr uint32_t kOpenFiles = 65028;
    static constexpr uint32_t kExit = 65029;
    static constexpr uint32_t kHold = 65030;
    static constexpr uint32_t kActivate = 65031;
    static constexpr uint32_t kShowPlaylist = 65032;
    static constexpr uint32_t kAlarmTime = 65033;
    static constexpr uint32_t kShuffle = 65034;
    static constexpr uint32_t kUndefined = 65035;

    // The page's function list offers indices 0 .. 24; the manual dialog 0 .. 23.
    static constexpr int kPageChoices = 25;
    static constexpr int kManualChoices = 24;

    static constexpr uint32_t CodeOf(int index) {
        return kFirstCode + static_cast<uint32_t>(index);
    }
    static constexpr int IndexOf(uint32_t code) { return static_cast<int>(code - kFirstCode); }
    static constexpr bool IsValidIndex(int index) { return index >= 0 && index < kCount; }

    // The name of a function index; empty for an index outside 0 .. 25.
    static UiText Name(int index);

    // The index whose name is `name`, else 0, as the page reads its rows: the English name, or
    // the name as `shown` gives it (the window's translation).
    static int IndexOfName(std::u16string_view name,
                           const std::function<std::u16string(const UiText&)>& shown = {});
};
