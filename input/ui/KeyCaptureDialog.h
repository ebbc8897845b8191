#pragma once

#include "skin/NonFSDialog.h"

#include <QElapsedTimer>
#include <QTimer>

#include <cstdint>

// Waits for one key: the first key press is taken, and a second press of the same key within
// kDoubleMs makes it a double press. kDoubleMs after the first press the dialog ends with OK,
// giving the key's virtual-key code and the double flag. F13 to F24 are not taken. While it is
// shown, the media keys and the desktop's shortcuts come to it (WM_KEYDOWN, WM_HOTKEY) rather
// than to the player.
class KeyCaptureDialog : public NonFSDialog {
    Q_OBJECT

public:
    static constexpr int kDoubleMs = 400;

    explicit KeyCaptureDialog(QWidget* parent = nullptr);
    ~KeyCaptureDialog() override;

    uint32_t Key() const { return m_key; }
    bool Double() const { return m_double; }
    // Handles one key press by its virtual-key code, as a key event does.
    void Press(uint32_t keyCode);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTimer m_timer;
    QElapsedTimer m_since; // since the first press
    uint32_t m_key = 0;
    bool m_double = false;
};
