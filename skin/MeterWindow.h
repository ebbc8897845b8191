#pragma once

#include "skin/ScopeRing.h"
#include "skin/SkinManager.h"
#include "skin/SpectrumBars.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class Profile;

// The multi-purpose window below the transport buttons: a spectrum in eight styles (states 0 to
// 7), the oscilloscope (8), or a board with the current lyrics line (9 largest, 10 large, 11
// normal). The larger boards grow over the buttons; the view hides what they cover. Without the
// run-time library's spectrum only the boards are offered. The state is kept in "DispState".
//
// The spectrum and the oscilloscope move once per mixed block of the library (Feed, with the
// blocks the view takes from the session's meter feed as they are heard) and are drawn into a
// 424 x 94 surface on the drawing turns; the window repaints only when that picture changed.
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

    // Whether the spectrum states are offered: "UseSpectrum" and the library back end in use;
    // off moves a spectrum state to board 11.
    void SetSpectrumAvailable(bool available);
    bool SpectrumAvailable() const { return m_spectrum; }
    // The "UpdateInterval" setting: how many mixed blocks pass between two drawings.
    void SetUpdateInterval(int interval);
    // Something plays (the spectrum follows it) or not (the bars fall to rest); `wipe` clears
    // the bars and the lyric lines at once.
    void SetPlaying(bool playing, bool wipe);
    // Whether the window wants the library's mixed blocks now: a spectrum or oscilloscope state,
    // active, and playing or still falling to rest.
    bool WantsBlocks() const;
    // One mixed block of the library: the spectrum's bands (null when the library gave none)
    // and the block folded to mono.
    void Feed(const float* bands, int bandCount, const int16_t* mono, int frames);
    // After the blocks of one visit: redraws the surface when a drawing turn passed and repaints
    // when its picture changed.
    void FlushDrawing();
    // How many more blocks until the picture is drawn again (1 or more): the view need not come
    // back for the blocks in between.
    int BlocksToDrawing() const { return m_bars.CallbacksToDrawingTurn(); }
    // The 424 x 94 picture of the spectrum or oscilloscope as last drawn.
    const QImage& Surface() const { return m_surface; }
    // The ring's size: frames of one mixed block and of the library's mixing buffer.
    void SetMixFrames(int blockFrames, int totalFrames);
    // Whether the track has timed lyrics: the large boards are reached only then.
    void SetLyricsHeld(bool held) { m_lyricsHeld = held; }
    // Taps change the state, and the spectrum moves, only while the window is active (the view
    // in front and the display on); inactive wipes the bars.
    void SetActive(bool active);

    // The current and next lyric lines; empty lines wipe the board. With word times, `sung`
    // characters of the current line are lit and the rest is dimmed (-1: no word times).
    void SetLyrics(const QString& current, const QString& next, int sung = -1);
    // Reads the lyric lines' font slots (4 and 5) again and redraws with them.
    void ReloadFonts();
    QString CurrentLine() const { return m_current; }
    // "TwoLineLyrics" (the next line under the current one) and "ReturnLine".
    void SetLyricsLayout(bool twoLines, bool returnLine);
    // The text drawn for a line: with "ReturnLine", "/" marks a line break.
    static QString Shown(QString line, bool returnLine);

    // The state a tap in the left half (back) or the right half (forward) leads to.
    int NextState(bool forward) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QFont SlotFont(int slot, QColor& color) const;
    bool Moving() const { return m_state <= kOscilloscope; }
    void PrepareSurface(bool moving);
    void Wipe();
    void DrawBars();
    void DrawScope(const std::vector<ScopeRing::Line>& lines);
    // Copies rows [from, to) of the bar strip (rows count from the bottom) into the surface at x.
    void CopyStripRows(int x, int width, int from, int to);

    Profile& m_profile;
    // Only the board the state shows is decoded; it is loaded again when the state changes.
    SkinManager m_board;
    int m_boardId = 0;
    QColor m_scopeColor;
    QImage m_surface; // 424 x 94, what the spectrum states show at 4,4 (null on a board)
    QImage m_clean;   // the panel picture the surface is wiped from
    QImage m_stripImage;
    SpectrumBars m_bars;
    std::unique_ptr<ScopeRing> m_scope;
    bool m_drawDue = false;
    bool m_playing = false;
    bool m_resting = true; // not playing, and the bars are down
    // The values last drawn, so that an unchanged picture is not drawn again.
    std::vector<int> m_drawn;
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
    int m_sung = -1;
    std::function<void()> m_changed;
};
