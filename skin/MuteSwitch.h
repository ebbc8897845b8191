#pragma once

#include "skin/SkinManager.h"
#include "ui/WindowMessage.h"

#include <QWidget>

#include <cstdint>

class MuteVolume;
class Profile;

// The display panel's speaker: a tap mutes and unmutes the sound, and while music plays
// unmuted it animates through the five frames of its skin image.
class MuteSwitch : public QWidget {
public:
    // Animation step, sent by the view's level-meter worker.
    static constexpr uint32_t kAnimateMessage = WM_USER + 40;
    static constexpr int kFrames = 5;

    // `volume` may be null: the switch then only shows its state.
    MuteSwitch(Profile& profile, MuteVolume* volume, QWidget* parent = nullptr);

    void SetMute(bool on);
    bool IsMuted() const { return m_muted; }
    // What a muted switch keeps to give back on unmute; a switch that takes another's place
    // takes it over without touching the volume.
    struct Muted {
        bool on = false;
        uint32_t waveOutVolume = 0;
        int libraryVolume = 0;
    };
    Muted Kept() const { return {m_muted, m_savedWaveOutVolume, m_savedLibraryVolume}; }
    void TakeOver(const Muted& kept);
    void AnimateStep();

    void SetActive(bool on);
    void SetPlaying(bool on);
    void SetPaused(bool on);
    void SetStopped(bool on);
    // While the main view shuts down or restarts, animation steps are ignored.
    void SetClosing(bool closing) { m_closing = closing; }

    // The frame drawn over frame 0 while the switch animates; -1 when it stands still.
    int ShownFrame() const { return Animating() ? m_shownFrame : -1; }
    int FrameWidth() const { return m_speaker.Width() / kFrames; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    bool Animating() const { return m_active && m_playing && !m_paused && !m_muted; }
    bool KeepsLibraryVolume();
    void UpdateIfChanged(int shownBefore);

    Profile& m_profile;
    MuteVolume* m_volume;
    SkinManager m_speaker;

    bool m_muted = false;
    uint32_t m_savedWaveOutVolume = 0;
    int m_savedLibraryVolume = 0;

    bool m_active = true;
    bool m_playing = false;
    bool m_paused = false;
    bool m_closing = false;
    int m_frame = 0;      // the next frame to show
    int m_shownFrame = 0; // the frame shown now
};
