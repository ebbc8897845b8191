#include "input/ui/KeyCaptureDialog.h"

#include "skin/VirtualKey.h"
#include "ui/KeyCapture.h"
#include "ui/WindowMessage.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

KeyCaptureDialog::KeyCaptureDialog(QWidget* parent) : NonFSDialog(parent) {
    setWindowTitle(tr("Auto Map"));
    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel(tr("Press the button to map.\nPress it twice quickly for a double "
                                 "press."),
                              this);
    prompt->setAlignment(Qt::AlignCenter);
    layout->addWidget(prompt);
    // Only the mouse reaches the button: every key goes to the capture.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    for (QAbstractButton* button : buttons->buttons())
        button->setFocusPolicy(Qt::NoFocus);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setFocusPolicy(Qt::StrongFocus);

    m_timer.setSingleShot(true);
    m_timer.setInterval(kDoubleMs);
    connect(&m_timer, &QTimer::timeout, this, &QDialog::accept);
    connect(this, &QDialog::finished, &m_timer, &QTimer::stop);
}

void KeyCaptureDialog::showEvent(QShowEvent* event) {
    KeyCapture::Begin(this);
    NonFSDialog::showEvent(event);
}

void KeyCaptureDialog::hideEvent(QHideEvent* event) {
    KeyCapture::End(this);
    NonFSDialog::hideEvent(event);
}

KeyCaptureDialog::~KeyCaptureDialog() {
    KeyCapture::End(this);
}

bool KeyCaptureDialog::event(QEvent* event) {
    if (const auto* message = WindowMessageEvent::From(event)) {
        if (message->message == WM_KEYDOWN)
            Press(static_cast<uint32_t>(message->wParam));
        else if (message->message == WM_HOTKEY)
            Press(HighWord(static_cast<uintptr_t>(message->lParam)));
        return true;
    }
    return NonFSDialog::event(event);
}

void KeyCaptureDialog::Press(uint32_t keyCode) {
    if (keyCode == 0 || (keyCode >= 124 && keyCode <= 135))
        return;
    if (m_key != 0) {
        if (keyCode == m_key && m_since.elapsed() < kDoubleMs)
            m_double = true;
        return;
    }
    m_key = keyCode;
    m_since.start();
    m_timer.start();
}

void KeyCaptureDialog::keyPressEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat())
        Press(VirtualKeyFromQt(*event));
    event->accept();
}
