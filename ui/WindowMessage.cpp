#include "ui/WindowMessage.h"

#include <QCoreApplication>
#include <QObject>

WindowMessageEvent::WindowMessageEvent(uint32_t message, uintptr_t wParam, intptr_t lParam)
    : QEvent(EventType()), message(message), wParam(wParam), lParam(lParam) {}

QEvent::Type WindowMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

const WindowMessageEvent* WindowMessageEvent::From(const QEvent* event) {
    return event && event->type() == EventType() ? static_cast<const WindowMessageEvent*>(event)
                                                 : nullptr;
}

bool PostWindowMessage(QObject* receiver, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!receiver)
        return false;
    QCoreApplication::postEvent(receiver, new WindowMessageEvent(message, wParam, lParam));
    return true;
}

bool SendWindowMessage(QObject* receiver, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!receiver)
        return false;
    WindowMessageEvent event(message, wParam, lParam);
    return QCoreApplication::sendEvent(receiver, &event);
}

bool WindowMessageSink::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    // QPointer is read from other threads here; the window is deleted on the UI thread only
    // after the poster stopped (the engine is shut down before its owner goes).
    QObject* receiver = m_receiver.data();
    return PostWindowMessage(receiver, message, wParam, lParam);
}
