#include "ui/KeyCapture.h"

#include <QObject>
#include <QPointer>

namespace {

QPointer<QObject>& Capturing() {
    static QPointer<QObject> window;
    return window;
}

} // namespace

void KeyCapture::Begin(QObject* window) {
    Capturing() = window;
}

void KeyCapture::End(QObject* window) {
    if (Capturing() == window)
        Capturing() = nullptr;
}

QObject* KeyCapture::Window() {
    return Capturing().data();
}
