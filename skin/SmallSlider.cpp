#include "skin/SmallSlider.h"

#include "skin/ControlStyles.h"
#include "skin/SkinManager.h"
#include "ui/WindowMessage.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int kKnobImageId = 335;

struct SharedPictures {
    QImage background;
    QImage knob;
    bool registered = false;
};

SharedPictures& Shared() {
    static SharedPictures pictures;
    return pictures;
}

} // namespace

void SmallSlider::RegisterClass() {
    SharedPictures& shared = Shared();
    if (shared.registered)
        return;
    shared.registered = true;
    Dib dib;
    if (SkinManager::LoadBuiltIn(kKnobImageId, dib))
        shared.knob = QImage(reinterpret_cast<const uchar*>(dib.Pixels()), dib.Width(),
                             dib.Height(), dib.Width() * 4, QImage::Format_RGB32)
                          .copy();
}

void SmallSlider::UnregisterClass() {
    SharedPictures& shared = Shared();
    shared.knob = QImage();
    shared.background = QImage();
    shared.registered = false;
}

const QImage& SmallSlider::SharedBackground() {
    return Shared().background;
}

const QImage& SmallSlider::Knob() {
    return Shared().knob;
}

SmallSlider::SmallSlider(QWidget* parent) : QWidget(parent) {
    RegisterClass();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    RebuildBackground();
}

int SmallSlider::Clamp(int pos) const {
    return std::clamp(pos, m_min, m_max);
}

int SmallSlider::KnobTop(int pos) const {
    if (m_max == m_min)
        return 0;
    return static_cast<int>(static_cast<double>(height() - kKnobSize) * (pos - m_min) /
                            (m_max - m_min));
}

QRect SmallSlider::KnobRect(int pos) const {
    return QRect(Centre() - 10, KnobTop(pos), kKnobSize, kKnobSize);
}

int SmallSlider::PositionFromY(int y) const {
    const int travel = height() - kKnobSize;
    if (travel <= 0)
        return m_min;
    const double pos = m_min + static_cast<double>(m_max - m_min) / travel * y;
    return Clamp(static_cast<int>(pos));
}

void SmallSlider::SetPos(int pos, bool redraw) {
    m_pos = Clamp(pos);
    if (redraw)
        update();
}

void SmallSlider::SetRange(int min, int max) {
    m_min = min;
    m_max = std::max(min, max); // a reversed range collapses to its minimum
    m_pos = Clamp(m_pos);
    RebuildBackground();
    update();
}

void SmallSlider::SetMark(int mark) {
    m_mark = mark;
    RebuildBackground();
    update();
}

void SmallSlider::RebuildBackground() {
    if (width() <= 0 || height() <= 0)
        return;
    QImage& background = Shared().background;
    background = QImage(size(), QImage::Format_RGB32);
    background.fill(Qt::white);
    QPainter painter(&background);
    const int centre = Centre();
    if (m_min != m_max) {
        const int y = static_cast<int>(static_cast<double>(height() - kKnobSize) *
                                       (m_mark - m_min) / (m_max - m_min)) +
                      10;
        painter.fillRect(QRect(centre - 14, y, 30, 1), Qt::black);
    }
    painter.fillRect(QRect(centre - 8, 0, 18, height()), QColor(192, 192, 192));
}

void SmallSlider::MoveTo(int pos) {
    pos = Clamp(pos);
    if (pos == m_pos)
        return;
    const QRect band = KnobRect(m_pos).united(KnobRect(pos));
    m_pos = pos;
    const QRect area(Centre() - 10, band.top(), 22, band.height());
    if (isVisible())
        repaint(area);
    SendWindowMessage(parentWidget(), WM_VSCROLL,
                      MakeWParam(TB_THUMBPOSITION, static_cast<uint16_t>(m_pos)),
                      reinterpret_cast<intptr_t>(this));
}

bool SmallSlider::event(QEvent* event) {
    if (const WindowMessageEvent* message = WindowMessageEvent::From(event)) {
        switch (message->message) {
        case TBM_SETTIC:
            SetMark(static_cast<int>(message->lParam));
            return true;
        case TBM_SETPOS:
            SetPos(static_cast<int>(message->lParam), message->wParam != 0);
            return true;
        case TBM_SETRANGE:
            SetRange(LowWord(static_cast<uintptr_t>(message->lParam)),
                     HighWord(static_cast<uintptr_t>(message->lParam)));
            return true;
        default:
            return false;
        }
    }
    if (event->type() == QEvent::Resize) {
        const bool handled = QWidget::event(event);
        // The shared background follows the size of the slider that changes last.
        RebuildBackground();
        return handled;
    }
    return QWidget::event(event);
}

void SmallSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const QImage& background = SharedBackground();
    if (!background.isNull())
        painter.drawImage(QPoint(0, 0), background);
    const int centre = Centre();
    if (hasFocus()) {
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        // A one-pixel outline covers its rectangle plus one pixel: x centre - 8 .. centre + 9.
        painter.drawRect(QRect(centre - 8, 0, 17, height() - 1));
    }
    const QImage& knob = Knob();
    if (!knob.isNull())
        painter.drawImage(KnobRect(m_pos).topLeft(), knob);
}

void SmallSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_dragging = true; // Qt keeps the mouse grabbed until the release
    MoveTo(PositionFromY(event->position().toPoint().y()));
}

void SmallSlider::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging)
        MoveTo(PositionFromY(event->position().toPoint().y()));
}

void SmallSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
}

void SmallSlider::keyPressEvent(QKeyEvent* event) {
    const int page = (m_max - m_min) / 5;
    switch (event->key()) {
    case Qt::Key_PageUp:
        MoveTo(m_pos - page);
        break;
    case Qt::Key_PageDown:
        MoveTo(m_pos + page);
        break;
    case Qt::Key_Home:
        MoveTo(m_min);
        break;
    case Qt::Key_End:
        MoveTo(m_max);
        break;
    case Qt::Key_Left:
    case Qt::Key_Down:
        MoveTo(m_pos + 1);
        break;
    case Qt::Key_Up:
    case Qt::Key_Right:
        MoveTo(m_pos - 1);
        break;
    default:
        QWidget::keyPressEvent(event);
        break;
    }
}

void SmallSlider::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void SmallSlider::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}
