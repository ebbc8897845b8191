#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Marks an English text for translation where it is written, without translating it: lupdate
// collects UI_TEXT("Context", "Text") like QT_TRANSLATE_NOOP (the build gives it the alias), and
// the window that shows the text translates it. Qt-free code never knows the UI language.
#define UI_TEXT(context, source) (UiText{context, source, {}})

// A text the user reads, as the Qt-free layers hand it up: its translation context, its English
// source with the places %1, %2, ... and the arguments that go there. The windows translate it
// (ui/Translated.h); the command-line tools print the English.
struct UiText {
    const char* context = nullptr;
    const char* source = nullptr; // null: no text
    std::vector<std::u16string> args;

    bool Empty() const { return source == nullptr; }

    // The same text with one more argument.
    UiText With(std::u16string_view arg) const&;
    UiText With(std::u16string_view arg) &&;
    UiText With(int64_t number) const&;
    UiText With(int64_t number) &&;

    // `pattern` with %1 .. %9 replaced by `args` (a place without an argument stays as written)
    // and "%%" made "%".
    static std::u16string Fill(std::u16string_view pattern,
                               const std::vector<std::u16string>& args);
    // The English text with its arguments in place.
    std::u16string English() const;

    bool operator==(const UiText& other) const;
};
