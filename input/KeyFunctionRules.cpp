#include "input/KeyFunctionRules.h"

#include "input/KeyFunctions.h"

namespace {

// The states that block a function.
enum Block : unsigned {
    D = 1u << 0,
    H = 1u << 1,
    L = 1u << 2,
    S = 1u << 3,
    X = 1u << 4,
    N = 1u << 5,
    Seeking = 1u << 6,
    Unknown = 1u << 7,
};

unsigned BlocksOf(uint32_t code) {
    using F = KeyFunctions;
    switch (code) {
    case F::kPlay:
    case F::kStop:
    case F::kPause:
    case F::kPlayStop:
    case F::kPlayPause:
        return D | H;
    case F::kPreviousTrack:
    case F::kNextTrack:
        return H | X;
    case F::kRewind:
    case F::kFastForward:
        return S | H | X | N | Seeking;
    case F::kVolumeUp:
    case F::kVolumeDown:
        return H;
    case F::kRepeatSection:
        return D | S | L | H | X | N;
    case F::kMute:
        return D | H;
    case F::kDisplay:
        return D;
    case F::kPowerOff:
        return D | H | X;
    case F::kSpeedUp:
    case F::kSpeedDown:
        return D | S | H | X;
    case F::kDeleteFile:
        return D | S | H;
    case F::kOpenFiles:
    case F::kExit:
        return D | L | H;
    case F::kHold:
        return D | L;
    case F::kActivate:
    case F::kAlarmTime:
    case F::kUndefined:
        return 0;
    case F::kShowPlaylist:
        return D | H;
    case F::kShuffle:
        return H;
    default:
        return Unknown;
    }
}

unsigned StateOf(const KeyViewState& state) {
    unsigned blocks = 0;
    if (state.playlistDialogOpen)
        blocks |= D;
    if (state.hold)
        blocks |= H;
    if (state.lyricsListOpen)
        blocks |= L;
    if (state.streamMode)
        blocks |= S;
    if (state.deleting)
        blocks |= X;
    if (!state.trackLoaded)
        blocks |= N;
    if (state.seeking)
        blocks |= Seeking;
    return blocks;
}

} // namespace

bool KeyFunctionRules::IsIgnored(uint32_t functionCode, const KeyViewState& state) {
    const unsigned blocks = BlocksOf(functionCode);
    return (blocks & Unknown) != 0 || (blocks & StateOf(state)) != 0;
}

KeyAction KeyFunctionRules::Resolve(uint32_t functionCode, const KeyViewState& state) {
    if (IsIgnored(functionCode, state))
        return KeyAction::None;
    using F = KeyFunctions;
    switch (functionCode) {
    case F::kPlay:
        return state.playShown ? KeyAction::Play : KeyAction::None;
    case F::kStop:
        return state.stopShown ? KeyAction::Stop : KeyAction::None;
    case F::kPause:
        return state.pauseShown ? KeyAction::Pause : KeyAction::None;
    case F::kPlayStop:
        return state.stopShown ? KeyAction::Stop : KeyAction::Play;
    case F::kPlayPause:
        return state.pauseShown ? KeyAction::Pause : KeyAction::Play;
    case F::kPreviousTrack:
        if (state.previousShown)
            return KeyAction::PreviousTrack;
        return state.playing || state.stopped ? KeyAction::RestartTrack : KeyAction::None;
    case F::kNextTrack:
        return state.nextShown ? KeyAction::NextTrack : KeyAction::None;
    case F::kRewind:
        return KeyAction::Rewind;
    case F::kFastForward:
        return KeyAction::FastForward;
    case F::kVolumeUp:
        return KeyAction::VolumeUp;
    case F::kVolumeDown:
        return KeyAction::VolumeDown;
    case F::kRepeatSection:
        return KeyAction::MarkSection;
    case F::kMute:
        return KeyAction::ToggleMute;
    case F::kDisplay:
        return KeyAction::ToggleDisplay;
    case F::kPowerOff:
        return KeyAction::PowerOff;
    case F::kSpeedUp:
        return state.useDefaultDecoder ? KeyAction::SpeedUp : KeyAction::None;
    case F::kSpeedDown:
        return state.useDefaultDecoder ? KeyAction::SpeedDown : KeyAction::None;
    case F::kDeleteFile:
        return KeyAction::DeleteFile;
    case F::kOpenFiles:
        return state.openFilesShown ? KeyAction::OpenFiles : KeyAction::None;
    case F::kExit:
        return state.exitShown ? KeyAction::Exit : KeyAction::None;
    case F::kHold:
        return KeyAction::ToggleHold;
    case F::kActivate:
        return state.active ? KeyAction::Minimize : KeyAction::Restore;
    case F::kShowPlaylist:
        return KeyAction::ShowPlaylist;
    case F::kAlarmTime:
        return KeyAction::SpeakTime;
    case F::kShuffle:
        return KeyAction::ToggleShuffle;
    default:
        return KeyAction::None;
    }
}

bool KeyFunctionRules::SwitchDisplayOffAgain(uint32_t functionCode, bool displayWasOn) {
    return functionCode != KeyFunctions::kDisplay && !displayWasOn;
}
