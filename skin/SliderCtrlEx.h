#pragma once

#include <QSlider>

// A trackbar whose thumb jumps straight to the tapped place. While the stylus drags it, it sends
// WM_HSCROLL (TB_THUMBTRACK, position) to its parent for every change, and once at the release
// WM_HSCROLL (TB_THUMBPOSITION, position) if anything changed during the drag; both are
// WM_HSCROLL whatever the orientation, with the control as lParam. Keys move it as a trackbar:
// WM_HSCROLL with the line, page, top or bottom code, and TB_ENDTRACK when the key is let go.
class SliderCtrlEx : public QSlider {
public:
    explicit SliderCtrlEx(Qt::Orientation orientation, QWidget* parent = nullptr);

    bool IsDragging() const { return m_dragging; }
    // The position a point of the client area stands for (channel of the trackbar, rounded).
    int PositionFromPoint(const QPoint& point) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // Sets the position from the point; true when it changed.
    bool SetPosFromPoint(const QPoint& point);
    void SendScroll(uint16_t code);

    bool m_dragging = false;
    bool m_changed = false;
    bool m_keyMoved = false;
};
