#pragma once

#include <QImage>
#include <QWidget>

// The "SmallSlider": a small vertical slider of the equalizer bands, minimum at the top, with a
// 22 x 22 knob (built-in image 335) and a mark line. Setting a new position by stylus or key
// sends WM_VSCROLL (TB_THUMBPOSITION, position) to the parent, with the control as lParam.
//
// All SmallSliders share one background picture, rebuilt from the size, range and mark of
// whichever slider was created, resized or last got a new range or mark: the sliders of one window
// must have the same size and mark.
//
// It answers the trackbar messages TBM_SETTIC, TBM_SETPOS and TBM_SETRANGE sent to it as window
// messages; the values are read with GetPos, GetRangeMin and GetRangeMax.
class SmallSlider : public QWidget {
public:
    static constexpr int kKnobSize = 22;

    // Loads the shared knob picture; called once at start-up (and by the first slider otherwise).
    static void RegisterClass();
    static void UnregisterClass();
    // The shared background and knob pictures.
    static const QImage& SharedBackground();
    static const QImage& Knob();

    explicit SmallSlider(QWidget* parent = nullptr);

    int GetPos() const { return m_pos; }
    int GetRangeMin() const { return m_min; }
    int GetRangeMax() const { return m_max; }
    int GetMark() const { return m_mark; }
    bool IsDragging() const { return m_dragging; }

    // Clamped to the range; no notification.
    void SetPos(int pos, bool redraw);
    // The position is clamped to the new range (a max below min counts as min); rebuilds the
    // shared background.
    void SetRange(int min, int max);
    // Rebuilds the shared background.
    void SetMark(int mark);

    // Geometry of the client area.
    int Centre() const { return width() / 2; }
    int KnobTop(int pos) const;
    QRect KnobRect(int pos) const;
    int PositionFromY(int y) const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int Clamp(int pos) const;
    // A new position from the stylus or a key: redraws the knob band and tells the parent.
    void MoveTo(int pos);
    void RebuildBackground();

    int m_pos = 0;
    int m_min = 0;
    int m_max = 100;
    int m_mark = 0;
    bool m_dragging = false;
};
