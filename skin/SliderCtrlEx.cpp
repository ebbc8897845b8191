#include "skin/SliderCtrlEx.h"

#include "skin/ControlStyles.h"
#include "ui/WindowMessage.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

#include <cmath>

SliderCtrlEx::SliderCtrlEx(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent) {
    setFocusPolicy(Qt::StrongFocus);
    // A trackbar's vertical minimum is at the top.
    if (orientation == Qt::Vertical)
        setInvertedAppearance(true);
}

int SliderCtrlEx::PositionFromPoint(const QPoint& point) const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect channel =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const bool vertical = orientation() == Qt::Vertical;
    const int coordinate = vertical ? point.y() : point.x();
    const int first = vertical ? channel.top() : channel.left();
    const int last = vertical ? channel.bottom() + 1 : channel.right() + 1;
    if (last <= first)
        return value();
    double ratio = static_cast<double>(coordinate - first) / (last - first);
    // The minimum sits at the start of the channel unless the appearance is mirrored.
    const bool mirrored = vertical ? !invertedAppearance() : invertedAppearance();
    if (mirrored)
        ratio = 1.0 - ratio;
    const double pos = minimum() + static_cast<double>(maximum() - minimum()) * ratio + 0.5;
    return static_cast<int>(std::trunc(pos));
}

bool SliderCtrlEx::SetPosFromPoint(const QPoint& point) {
    const int pos = PositionFromPoint(point);
    if (pos == value())
        return false;
    const int before = value();
    setValue(pos); // clamps to the range
    return value() != before;
}

void SliderCtrlEx::SendScroll(uint16_t code) {
    SendWindowMessage(parentWidget(), WM_HSCROLL, MakeWParam(code, static_cast<uint16_t>(value())),
                      reinterpret_cast<intptr_t>(this));
}

void SliderCtrlEx::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_changed = false;
    m_dragging = true;
    setSliderDown(true);
    setFocus(Qt::MouseFocusReason);
    if (SetPosFromPoint(event->position().toPoint())) {
        m_changed = true;
        SendScroll(TB_THUMBTRACK);
    }
}

void SliderCtrlEx::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging)
        return;
    if (SetPosFromPoint(event->position().toPoint())) {
        m_changed = true;
        SendScroll(TB_THUMBTRACK);
    }
}

void SliderCtrlEx::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    setSliderDown(false);
    if (SetPosFromPoint(event->position().toPoint())) {
        m_changed = true;
        SendScroll(TB_THUMBTRACK);
    }
    if (m_changed) {
        m_changed = false;
        SendScroll(TB_THUMBPOSITION);
    }
}

void SliderCtrlEx::keyPressEvent(QKeyEvent* event) {
    const int before = value();
    QSlider::keyPressEvent(event);
    if (value() == before)
        return;
    uint16_t code = value() > before ? TB_LINEDOWN : TB_LINEUP;
    switch (event->key()) {
    case Qt::Key_PageUp:
        code = TB_PAGEUP;
        break;
    case Qt::Key_PageDown:
        code = TB_PAGEDOWN;
        break;
    case Qt::Key_Home:
        code = TB_TOP;
        break;
    case Qt::Key_End:
        code = TB_BOTTOM;
        break;
    default:
        break;
    }
    m_keyMoved = true;
    SendScroll(code);
}

void SliderCtrlEx::keyReleaseEvent(QKeyEvent* event) {
    QSlider::keyReleaseEvent(event);
    if (m_keyMoved && !event->isAutoRepeat()) {
        m_keyMoved = false;
        SendScroll(TB_ENDTRACK);
    }
}
