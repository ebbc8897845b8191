#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

// The user-visible texts of playback, English and Korean, in one table.
enum class PlaybackText {
    DecoderErrorTitle,  // "Decoder Error"
    ErrorWithPath,      // "%s (%s)": the library's error text, the path
    FileOpenFailed,     // "File open failed:%d (%s)"
    FileLoadingTimeout, // "File loading timeout (%s)"
    InvalidChannel,     // "Invalid channel handle."
    AlarmTitle,         // "Sonvale Alarm"
    VbrNote,            // the VBR loading note, as HTML
    Connecting,         // "Connecting..."
    Buffering,          // "Buffering... (%d%%)"
    RepeatNone,         // the repeat popup's items
    RepeatOne,
    RepeatAll,
};

class PlaybackTexts {
public:
    using Arg = std::variant<std::u16string_view, int64_t>;

    static std::u16string Text(PlaybackText text, bool korean);
    // The text with its "%s", "%d" (with widths: "%3d", "%02d") filled in order and "%%" made "%".
    static std::u16string Format(PlaybackText text, bool korean, std::initializer_list<Arg> args);
    static std::u16string Format(std::u16string_view format, std::initializer_list<Arg> args);
};
