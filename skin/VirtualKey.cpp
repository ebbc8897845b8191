#include "skin/VirtualKey.h"

#include "ui/WindowMessage.h"

#include <QKeyEvent>
#include <QWidget>

namespace {

struct KeyCode {
    int qtKey;
    uint32_t virtualKey;
};

constexpr KeyCode kNamedKeys[] = {
    {Qt::Key_Backspace, 0x08},
    {Qt::Key_Tab, 0x09},
    {Qt::Key_Backtab, 0x09},
    {Qt::Key_Return, 0x0D},
    {Qt::Key_Enter, 0x0D},
    {Qt::Key_Shift, 0x10},
    {Qt::Key_Control, 0x11},
    {Qt::Key_Alt, 0x12},
    {Qt::Key_Pause, 0x13},
    {Qt::Key_CapsLock, 0x14},
    {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},
    {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},
    {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},
    {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},
    {Qt::Key_Print, 0x2C},
    {Qt::Key_Insert, 0x2D},
    {Qt::Key_Delete, 0x2E},
    {Qt::Key_Meta, 0x5B},
    {Qt::Key_Menu, 0x5D},
    {Qt::Key_NumLock, 0x90},
    {Qt::Key_ScrollLock, 0x91},
    {Qt::Key_VolumeMute, 0xAD},
    {Qt::Key_VolumeDown, 0xAE},
    {Qt::Key_VolumeUp, 0xAF},
    {Qt::Key_MediaNext, 0xB0},
    {Qt::Key_MediaPrevious, 0xB1},
    {Qt::Key_MediaStop, 0xB2},
    {Qt::Key_MediaTogglePlayPause, 0xB3},
    {Qt::Key_MediaPlay, 0xB3},
    {Qt::Key_MediaPause, 0xB3},
    {Qt::Key_Semicolon, 0xBA},
    {Qt::Key_Colon, 0xBA},
    {Qt::Key_Equal, 0xBB},
    {Qt::Key_Plus, 0xBB},
    {Qt::Key_Comma, 0xBC},
    {Qt::Key_Less, 0xBC},
    {Qt::Key_Minus, 0xBD},
    {Qt::Key_Underscore, 0xBD},
    {Qt::Key_Period, 0xBE},
    {Qt::Key_Greater, 0xBE},
    {Qt::Key_Slash, 0xBF},
    {Qt::Key_Question, 0xBF},
    {Qt::Key_QuoteLeft, 0xC0},
    {Qt::Key_AsciiTilde, 0xC0},
    {Qt::Key_BracketLeft, 0xDB},
    {Qt::Key_BraceLeft, 0xDB},
    {Qt::Key_Backslash, 0xDC},
    {Qt::Key_Bar, 0xDC},
    {Qt::Key_BracketRight, 0xDD},
    {Qt::Key_BraceRight, 0xDD},
    {Qt::Key_Apostrophe, 0xDE},
    {Qt::Key_QuoteDbl, 0xDE},
    // Shifted digits of a US keyboard.
    {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
};

constexpr KeyCode kKeypadKeys[] = {
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B},  {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E},   {Qt::Key_Comma, 0x6E}, {Qt::Key_Slash, 0x6F},
};

} // namespace

uint32_t VirtualKeyFromQt(int qtKey, bool keypad) {
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return 0x60 + static_cast<uint32_t>(qtKey - Qt::Key_0);
        for (const KeyCode& code : kKeypadKeys) {
            if (code.qtKey == qtKey)
                return code.virtualKey;
        }
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<uint32_t>(qtKey); // Qt's codes are the upper-case characters
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 0x70 + static_cast<uint32_t>(qtKey - Qt::Key_F1);
    for (const KeyCode& code : kNamedKeys) {
        if (code.qtKey == qtKey)
            return code.virtualKey;
    }
    return 0;
}

uint32_t VirtualKeyFromQt(const QKeyEvent& event) {
    return VirtualKeyFromQt(event.key(), event.modifiers().testFlag(Qt::KeypadModifier));
}

intptr_t KeyMessageLParam(const QKeyEvent& event) {
    const bool release = event.type() == QEvent::KeyRelease;
    uintptr_t value = static_cast<uintptr_t>(event.count() > 0 ? event.count() : 1) & 0xFFFF;
    if (release || event.isAutoRepeat())
        value |= uintptr_t{1} << 30;
    if (release)
        value |= uintptr_t{1} << 31;
    return static_cast<intptr_t>(value);
}

bool ForwardKeyToParent(QWidget* control, const QKeyEvent& event) {
    const uint32_t virtualKey = VirtualKeyFromQt(event);
    if (virtualKey == 0 || !control)
        return false;
    const uint32_t message = event.type() == QEvent::KeyRelease ? WM_KEYUP : WM_KEYDOWN;
    return PostWindowMessage(control->parentWidget(), message, virtualKey, KeyMessageLParam(event));
}
