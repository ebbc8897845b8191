#pragma once

// Where the LCD line's two copies stand while the line scrolls. A line wider than the display
// first stands still at its start, then moves left a few pixels per step; the second copy follows
// the first with a small gap, and a copy that has left the display on the left goes behind the
// other one. Qt-free: the display only asks for the two left edges.
class LcdScroll {
public:
    static constexpr int kStillSteps = 30;
    static constexpr int kStepPixels = 4;
    // Blank pixels between the end of one copy and the start of the next.
    static constexpr int kGap = 10;

    // Lays out a new line: it scrolls when scrolling is enabled and the text is wider than the
    // display, else both copies stand at 0.
    void Layout(int textWidth, int displayWidth, bool scrollEnabled);
    // One scroll step; true when the copies moved and the display needs painting.
    bool Step();

    bool Scrolling() const { return m_scrolling; }
    int X1() const { return m_x1; }
    int X2() const { return m_x2; }

private:
    int m_textWidth = 0;
    bool m_scrolling = false;
    int m_x1 = 0;
    int m_x2 = 0;
    int m_steps = 0;
};
