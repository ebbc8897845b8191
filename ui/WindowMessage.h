#pragma once

#include "platform/MessageSink.h"

#include <QEvent>
#include <QPointer>

#include <cstdint>

class QObject;

// The system's window messages between the player's windows: a message number with its wParam
// and lParam, carried as a Qt event. A window takes them in its event() override (or through
// WindowMessageEvent::Is) and handles the numbers unchanged.
inline constexpr uint32_t WM_KEYDOWN = 0x0100;
inline constexpr uint32_t WM_KEYUP = 0x0101;
inline constexpr uint32_t WM_COMMAND = 0x0111;
inline constexpr uint32_t WM_TIMER = 0x0113;
inline constexpr uint32_t WM_HSCROLL = 0x0114;
inline constexpr uint32_t WM_VSCROLL = 0x0115;
inline constexpr uint32_t WM_HOTKEY = 0x0312;
inline constexpr uint32_t WM_USER = 0x0400;
inline constexpr uint32_t WM_APP = 0x8000;
inline constexpr uint16_t BN_CLICKED = 0;

// wParam of WM_COMMAND: the command id in the low word, the notification code in the high word.
inline constexpr uintptr_t MakeWParam(uint16_t low, uint16_t high) {
    return static_cast<uintptr_t>(low) | (static_cast<uintptr_t>(high) << 16);
}
inline constexpr uint16_t LowWord(uintptr_t value) {
    return static_cast<uint16_t>(value & 0xFFFF);
}
inline constexpr uint16_t HighWord(uintptr_t value) {
    return static_cast<uint16_t>((value >> 16) & 0xFFFF);
}

class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(uint32_t message, uintptr_t wParam, intptr_t lParam);

    static QEvent::Type EventType();
    // The message an event carries, or null when it is another event.
    static const WindowMessageEvent* From(const QEvent* event);

    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

// PostMessage: queued to the receiver's thread; false when there is no receiver.
bool PostWindowMessage(QObject* receiver, uint32_t message, uintptr_t wParam, intptr_t lParam);
// SendMessage: handled before the call returns (on the receiver's thread only); answers whether
// the receiver accepted the event.
bool SendWindowMessage(QObject* receiver, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The MessageSink of a window, for the engine and the other Qt-free parts: posts to the window
// from any thread; false once the window is gone.
class WindowMessageSink : public MessageSink {
public:
    explicit WindowMessageSink(QObject* receiver) : m_receiver(receiver) {}
    bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

private:
    QPointer<QObject> m_receiver;
};
