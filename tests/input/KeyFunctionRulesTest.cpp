#include "input/KeyFunctionRules.h"

#include "input/KeyFunctions.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using F = KeyFunctions;

// A loaded, playing track in the foreground with every button shown.
KeyViewState Playing() {
    KeyViewState state;
    state.trackLoaded = true;
    state.playing = true;
    state.active = true;
    return state;
}

// The functions ignored when one flag is set on top of a playing state.
std::set<uint32_t> IgnoredWith(void (*set)(KeyViewState&)) {
    KeyViewState state = Playing();
    set(state);
    std::set<uint32_t> ignored;
    for (uint32_t code = F::kPlay; code <= F::kUndefined; ++code) {
        if (KeyFunctionRules::IsIgnored(code, state))
            ignored.insert(code);
    }
    return ignored;
}

TEST(KeyFunctionRulesTest, EachFlagIgnoresItsFunctions) {
    EXPECT_TRUE(IgnoredWith([](KeyViewState&) {}).empty());

    EXPECT_EQ(IgnoredWith([](KeyViewState& s) { s.playlistDialogOpen = true; }),
              (std::set<uint32_t>{F::kPlay, F::kStop, F::kPause, F::kPlayStop, F::kPlayPause,
                                  F::kRepeatSection, F::kMute, F::kDisplay, F::kPowerOff,
                                  F::kSpeedUp, F::kSpeedDown, F::kDeleteFile, F::kOpenFiles,
                                  F::kExit, F::kHold, F::kShowPlaylist}));
    EXPECT_EQ(
        IgnoredWith([](KeyViewState& s) { s.hold = true; }),
        (std::set<uint32_t>{F::kPlay,        F::kStop,          F::kPause,      F::kPlayStop,
                            F::kPlayPause,   F::kPreviousTrack, F::kNextTrack,  F::kRewind,
                            F::kFastForward, F::kVolumeUp,      F::kVolumeDown, F::kRepeatSection,
                            F::kMute,        F::kPowerOff,      F::kSpeedUp,    F::kSpeedDown,
                            F::kDeleteFile,  F::kOpenFiles,     F::kExit,       F::kShowPlaylist,
                            F::kShuffle}));
    EXPECT_EQ(IgnoredWith([](KeyViewState& s) { s.lyricsListOpen = true; }),
              (std::set<uint32_t>{F::kRepeatSection, F::kOpenFiles, F::kExit, F::kHold}));
    EXPECT_EQ(IgnoredWith([](KeyViewState& s) { s.streamMode = true; }),
              (std::set<uint32_t>{F::kRewind, F::kFastForward, F::kRepeatSection, F::kSpeedUp,
                                  F::kSpeedDown, F::kDeleteFile}));
    EXPECT_EQ(IgnoredWith([](KeyViewState& s) { s.deleting = true; }),
              (std::set<uint32_t>{F::kPreviousTrack, F::kNextTrack, F::kRewind, F::kFastForward,
                                  F::kRepeatSection, F::kPowerOff, F::kSpeedUp, F::kSpeedDown}));
    EXPECT_EQ(IgnoredWith([](KeyViewState& s) { s.trackLoaded = false; }),
              (std::set<uint32_t>{F::kRewind, F::kFastForward, F::kRepeatSection}));
    EXPECT_EQ(IgnoredWith([](KeyViewState& s) { s.seeking = true; }),
              (std::set<uint32_t>{F::kRewind, F::kFastForward}));

    EXPECT_TRUE(KeyFunctionRules::IsIgnored(65009, Playing()));
    EXPECT_TRUE(KeyFunctionRules::IsIgnored(65036, Playing()));
}

TEST(KeyFunctionRulesTest, ShownButtonsDecideTheAction) {
    KeyViewState state = Playing();
    state.playShown = false; // playing: pause and stop shown
    EXPECT_EQ(KeyFunctionRules::Resolve(F::kPlay, state), KeyAction::None);
    EXPECT_EQ(KeyFunctionRules::Resolve(F::kPlayPause, state), KeyAction::Pause);
    EXPECT_EQ(KeyFunctionRules::Resolve(F::kPlayStop, state), KeyAction::Stop);

    state.pauseShown = false;
    state.stopShown = false;
    state.playShown = true;
    EXPECT_EQ(KeyFunctionRules::Resolve(F::kPlayPause, state), KeyAction::Play);
    EXPECT_EQ(KeyFunctionRules::Resolve(F::kPlayStop, state), KeyAction::Play);
    EXPECT_EQ(KeyFunctionRules::Resolve(F::kStop, state), KeyAction::None);

    // Previous without its button restarts a playing or stopped track, not a paused one.
    state.previousShown = false;
    EXPECT_EQ(KeyFunctionRules::Resolve(F::kPreviousTrack, state), KeyAction::RestartTrack);
    state.playing = false;
    EXPECT_EQ(KeyFunctionRules::Resolve(F::kPreviousTrack, state), KeyAction::None);
    state.stopped = true;
    EXPECT_EQ(KeyFunctionRules::Resolve(F::kPreviousTrack, state), KeyAction::RestartTrack);

    state.nextShown = false;
    state.exitShown = false;
    EXPECT_EQ(KeyFunctionRules::Resolve(F::kNextTrack, state), KeyAction::None);
    EXPECT_EQ(KeyFunctionRules::Resolve(F::kExit, state), KeyAction::None);
}

TEST(KeyFunctionRulesTest, SpeedActivateAndTheDisplay) {
    KeyViewState state = Playing();
    EXPECT_EQ(KeyFunctionRules::Resolve(F::kSpeedUp, state), KeyAction::SpeedUp);
    state.useDefaultDecoder = false;
    EXPECT_EQ(KeyFunctionRules::Resolve(F::kSpeedDown, state), KeyAction::None);

    EXPECT_EQ(KeyFunctionRules::Resolve(F::kActivate, state), KeyAction::Minimize);
    state.active = false;
    state.hold = true;
    state.playlistDialogOpen = true;
    EXPECT_EQ(KeyFunctionRules::Resolve(F::kActivate, state), KeyAction::Restore);
    EXPECT_EQ(KeyFunctionRules::Resolve(F::kAlarmTime, state), KeyAction::SpeakTime);
    EXPECT_EQ(KeyFunctionRules::Resolve(F::kUndefined, state), KeyAction::None);

    EXPECT_TRUE(KeyFunctionRules::SwitchDisplayOffAgain(F::kVolumeUp, false));
    EXPECT_FALSE(KeyFunctionRules::SwitchDisplayOffAgain(F::kVolumeUp, true));
    EXPECT_FALSE(KeyFunctionRules::SwitchDisplayOffAgain(F::kDisplay, false));
}

} // namespace
