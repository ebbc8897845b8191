#pragma once

#include <QObject>
#include <QPointer>

#include <cstdint>

// The media-key object: presses of the media-player buttons, as taps at fixed positions or as
// Play/Pause/Next/Previous requests, become key presses for its target (the main view).
// Nothing is forwarded while no target is set; while a window captures a key for the key map,
// the keys go to it instead.
class MediaKeys : public QObject {
    Q_OBJECT
public:
    static constexpr uint32_t kNextTrack = 176;
    static constexpr uint32_t kPreviousTrack = 177;
    static constexpr uint32_t kPlayPause = 179;

    explicit MediaKeys(QObject* parent = nullptr);

    void SetTarget(QObject* target);
    QObject* Target() const { return m_target.data(); }

    // The key a tap at (x, y) stands for; x itself when the position names no button.
    static uint32_t KeyAt(int x, int y);

    // A tap pressed (down) or released at (x, y): WM_KEYDOWN or WM_KEYUP with the key.
    void OnTap(int x, int y, bool down);
    // WM_KEYDOWN, WM_KEYUP and WM_HOTKEY are passed on unchanged.
    void ForwardKey(uint32_t message, uintptr_t wParam, intptr_t lParam);

    // Requests of the desktop's media controls (play, pause and play/pause all toggle): a press
    // and release of the key.
    void PlayPause();
    void Next();
    void Previous();

    // The OEM text names a model on which the media-key object is never created.
    static bool IsWantedOn(const QString& oemText);

private:
    void Press(uint32_t key);
    QObject* Receiver() const;

    QPointer<QObject> m_target;
};
