#pragma once

#include <QDialog>

class PlayerSession;
class QLabel;
class QSlider;

// "Playback Speed...": a slider from 0.6 to 2.0 times in steps of 0.1, starting at the
// session's speed factor (truncated to a step). While the run-time library plays, moving it is
// heard at once (the channel's frequency becomes position x 0.1 x the track's own rate); Cancel
// gives the channel back the frequency it had when the dialog opened.
class PlaybackSpeedDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMinPosition = 6;
    static constexpr int kMaxPosition = 20;

    explicit PlaybackSpeedDialog(PlayerSession& session, QWidget* parent = nullptr);

    // The chosen speed factor: the slider's position x 0.1.
    double Speed() const;
    QSlider* Slider() const { return m_slider; }

    void reject() override;

private:
    void Moved(int position);

    PlayerSession& m_session;
    int m_openedFrequency = 0; // the channel's when the dialog opened; 0 without a channel
    int m_baseFrequency = 0;
    QSlider* m_slider;
    QLabel* m_value;
};
