#pragma once

#include <array>

// The values of the meter window's spectrum: the height of each bar and the row of its marker,
// moved once per mixer callback from the library's spectrum. Eight styles choose the bar width and
// the marker: a peak that holds and then falls, a marker that rises from the bar, or none. Qt-free;
// the window draws what it answers on the drawing turns.
class SpectrumBars {
public:
    static constexpr int kMaxBars = 42;
    // Highest row a bar reaches; the surface has rows 0..94 counted from the bottom.
    static constexpr int kTopRow = 93;
    // Peaks and markers start above the top.
    static constexpr int kMarkerStart = 96;

    enum class Marker { None, FallingPeak, RisingMarker };

    // Style 0..7 (other values read as 0); starts from clean values.
    void SetStyle(int style);
    int Style() const { return m_style; }
    // 21 bars of 16 pixels every 20 (spectrum index stepping by 2), or 42 of 6 every 10 (by 1).
    int BarCount() const;
    int IndexStep() const;
    int BarWidth() const;
    int BarPitch() const;
    // Styles that draw only the top 4 rows of each bar.
    bool TopOnly() const;
    // The marker the style draws. Styles without one still move falling peaks, which decide when
    // the spectrum is at rest.
    Marker DrawnMarker() const;

    // The "UpdateInterval" setting: the redraw rate is 10 minus it (settings above 9 read as 10),
    // and every (rate + 1)-th callback is a drawing turn.
    void SetUpdateInterval(int interval);
    void SetPlaying(bool playing) { m_playing = playing; }
    bool Playing() const { return m_playing; }

    // One mixer callback with the library's spectrum (magnitudes 0..1; indexes past count read as
    // 0). While not playing the spectrum is ignored and the bars keep falling.
    void Feed(const float* magnitudes, int count);
    // Whether the callback just fed is one on which the window redraws.
    bool DrawingTurn() const { return m_callbacks % (m_rate + 1) == 0; }
    // How many callbacks from now the next drawing turn is (1 .. rate + 1).
    int CallbacksToDrawingTurn() const { return m_rate + 1 - m_callbacks % (m_rate + 1); }
    // Not playing, and every falling peak down at 0 or every rising marker above the top: the
    // window can switch the library's hooks off and Reset.
    bool AtRest() const;
    void Reset();

    // Shown height of a bar in rows (0..93), and the row of its peak or rising marker.
    int Height(int bar) const { return m_bars[bar].shown; }
    int MarkerRow(int bar) const { return m_bars[bar].marker; }
    // Whether the bar's marker is drawn: a drawn style, and a row between 1 and 94 (falling peaks
    // only above row 3).
    bool MarkerVisible(int bar) const;

    // Rows of a bar for a magnitude: the integer part of magnitude x 376, at most 93.
    static int BarHeight(float magnitude);

private:
    static constexpr int kFall = 4;
    static constexpr int kMarkerRise = 2;
    static constexpr int kMarkerOut = 95;
    static constexpr int kPeakTurn = 3;

    struct Bar {
        int shown = 0;
        int marker = kMarkerStart;
        int hold = 0;
    };
    bool Rising() const;
    static void MovePeak(Bar& bar);
    static void MoveMarker(Bar& bar);

    std::array<Bar, kMaxBars> m_bars{};
    int m_style = 0;
    int m_rate = 4;
    int m_callbacks = 0;
    bool m_playing = false;
};
