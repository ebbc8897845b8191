#pragma once

#include "skin/SkinManager.h"

#include <QFont>
#include <QString>
#include <QWidget>

#include <functional>

class Profile;

// The multi-purpose window below the transport buttons: a spectrum in eight styles (states 0 to
// 7), the oscilloscope (8), or a board with the current lyrics line (9 largest, 10 large, 11
// normal). The larger boards grow over the buttons; the view hides what they cover. Without the
// run-time library's spectrum only the boards are offered. The state is kept in "DispState".
class MeterWindow : public QWidget {
public:
    static constexpr int kLargestBoard = 9;
    static constexpr int kLargeBoard = 10;
    static constexpr int kNormalBoard = 11;
    static constexpr int kOscilloscope = 8;

    // What a state covers of the main view.
    enum class Covers { Nothing, Toggles, TogglesAndTransport };

    MeterWindow(Profile& profile, QWidget* view);
    ~MeterWindow() override;

    int State() const { return m_state; }
    void SetState(int state);
    Covers Covered() const;
    // Called after every change of state (the view shows and hides what the board covers).
    void OnStateChanged(std::function<void()> changed) { m_changed = std::move(changed); }

    // Whether the spectrum states are offered; off moves a spectrum state to board 11.
    void SetSpectrumAvailable(bool available);
    // Whether the track has timed lyrics: the large boards are reached only then.
    void SetLyricsHeld(bool held) { m_lyricsHeld = held; }
    // Taps change the state only while the window is active (the view in front).
    void SetActive(bool active) { m_active = active; }

    // The current and next lyric lines; empty lines wipe the board.
    void SetLyrics(const QString& current, const QString& next);
    QString CurrentLine() const { return m_current; }
    // The text drawn for a line: with "ReturnLine", "/" marks a line break.
    static QString Shown(QString line, bool returnLine);

    // The state a tap in the left half (back) or the right half (forward) leads to.
    int NextState(bool forward) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QFont SlotFont(int slot, QColor& color) const;

    Profile& m_profile;
    SkinManager m_board;
    SkinManager m_boardLarge;
    SkinManager m_boardLargest;
    SkinManager m_panel;
    QFont m_currentFont;
    QFont m_nextFont;
    QColor m_currentColor;
    QColor m_nextColor;
    bool m_twoLines = false;
    bool m_returnLine = true;
    int m_state = kNormalBoard;
    bool m_spectrum = false;
    bool m_lyricsHeld = false;
    bool m_active = true;
    QString m_current;
    QString m_next;
    std::function<void()> m_changed;
};
