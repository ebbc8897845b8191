#include "skin/ToggleButton.h"

ToggleButton::ToggleButton(const QImage& image, uint32_t style, const QPoint& topLeft,
                           QWidget* parent, int id, bool autoToggle)
    : VirtualButton(parent, id, style), m_image(image),
      m_cells(ImageCells::Of(m_image, 4, 2)), m_autoToggle(autoToggle) {
    setGeometry(topLeft.x(), topLeft.y(), m_cells.width, m_cells.height);
}

void ToggleButton::setVisible(bool visible) {
    if (visible && m_image.isNull() && m_reload)
        m_image = m_reload();
    VirtualButton::setVisible(visible);
    if (!visible && m_reload)
        m_image = QImage();
}

void ToggleButton::SetCheck(bool on) {
    if (m_on == on)
        return;
    m_on = on;
    update();
}

void ToggleButton::ClickCompleted() {
    if (m_autoToggle)
        m_on = !m_on;
}

void ToggleButton::DrawFocused(QPainter& painter) {
    m_cells.Draw(painter, QPoint(0, 0), m_image, m_on ? 1 : 3, 0);
}

void ToggleButton::DrawPressedFocused(QPainter& painter) {
    m_cells.Draw(painter, QPoint(0, 0), m_image, m_on ? 1 : 3, 1);
}

void ToggleButton::DrawDisabled(QPainter& painter) {
    DrawNormal(painter);
}

void ToggleButton::DrawNormal(QPainter& painter) {
    m_cells.Draw(painter, QPoint(0, 0), m_image, m_on ? 0 : 2, 0);
}

void ToggleButton::DrawPressed(QPainter& painter) {
    m_cells.Draw(painter, QPoint(0, 0), m_image, m_on ? 0 : 2, 1);
}
