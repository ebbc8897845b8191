#include "skin/VirtualButton.h"

#include "skin/ControlStyles.h"
#include "skin/VirtualKey.h"
#include "ui/WindowMessage.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

VirtualButton::VirtualButton(QWidget* parent, int id, uint32_t style)
    : QWidget(parent), m_id(id), m_tabStop((style & WS_TABSTOP) != 0) {
    setFocusPolicy(m_tabStop ? Qt::TabFocus : Qt::NoFocus);
    if (style & WS_DISABLED)
        setEnabled(false);
    if ((style & BS_DEFPUSHBUTTON) && parent)
        SendWindowMessage(parent, DM_SETDEFID, static_cast<uintptr_t>(id), 0);
}

void VirtualButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setBackgroundMode(Qt::TransparentMode);
    DrawItem(painter);
}

void VirtualButton::DrawItem(QPainter& painter) {
    if (!isEnabled())
        DrawDisabled(painter);
    else if (m_pressed)
        hasFocus() ? DrawPressedFocused(painter) : DrawPressed(painter);
    else
        hasFocus() ? DrawFocused(painter) : DrawNormal(painter);
}

void VirtualButton::DrawFocus(QPainter& painter) {
    QPen pen(palette().color(QPalette::WindowText));
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void VirtualButton::DrawFocused(QPainter& painter) {
    DrawFocus(painter);
}

void VirtualButton::DrawPressedFocused(QPainter& painter) {
    DrawFocus(painter);
}

void VirtualButton::DrawDisabled(QPainter&) {}

void VirtualButton::DrawNormal(QPainter&) {}

void VirtualButton::DrawPressed(QPainter&) {}

void VirtualButton::Press() {
    if (m_pressed)
        return;
    m_tracking = true;
    m_pressed = true;
    m_pressSeen = true;
    if (m_tabStop && !hasFocus())
        setFocus(Qt::MouseFocusReason);
    RedrawNow();
    // Qt keeps the mouse grabbed for the widget from the press to the release.
}

void VirtualButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    Press();
}

void VirtualButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    Press();
}

void VirtualButton::mouseMoveEvent(QMouseEvent* event) {
    if (!m_tracking)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    if (inside != m_pressed) {
        m_pressed = inside;
        m_pressSeen = inside;
        RedrawNow();
    }
}

void VirtualButton::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_tracking || event->button() != Qt::LeftButton)
        return;
    m_tracking = false;
    const bool clicked = m_pressed;
    if (clicked)
        PostWindowMessage(parentWidget(), WM_COMMAND,
                          MakeWParam(static_cast<uint16_t>(m_id), BN_CLICKED), 0);
    m_pressed = false;
    // A release outside leaves the button as it was drawn when the stylus left it.
    if (clicked) {
        ClickCompleted();
        RedrawNow();
    }
    m_pressSeen = false;
}

void VirtualButton::RedrawNow() {
    if (isVisible() && updatesEnabled())
        repaint();
    else
        update();
}

void VirtualButton::keyPressEvent(QKeyEvent* event) {
    if (!ForwardKeyToParent(this, *event))
        QWidget::keyPressEvent(event);
}

void VirtualButton::keyReleaseEvent(QKeyEvent* event) {
    if (!ForwardKeyToParent(this, *event))
        QWidget::keyReleaseEvent(event);
}

// QWidget's own handlers would draw the whole button again whatever it shows.
void VirtualButton::focusInEvent(QFocusEvent*) {
    if (FocusShows())
        update();
}

void VirtualButton::focusOutEvent(QFocusEvent*) {
    if (FocusShows())
        update();
}

void VirtualButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}
