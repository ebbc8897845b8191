#include "skin/ImageButton.h"

#include "skin/ControlStyles.h"

namespace {

int ColumnsOf(uint32_t grid) {
    switch (grid) {
    case IBS_TWO_COLUMNS:
    case IBS_TWO_COLUMNS_FOCUS:
        return 2;
    case IBS_THREE_COLUMNS:
        return 3;
    default:
        return 1;
    }
}

} // namespace

ImageButton::ImageButton(const QImage& image, uint32_t style, const QPoint& topLeft,
                         QWidget* parent, int id)
    : VirtualButton(parent, id, style & ~IBS_GRID_MASK), m_image(image),
      m_grid(style & IBS_GRID_MASK), m_columns(ColumnsOf(m_grid)),
      m_cells(ImageCells::Of(m_image, m_columns, 2)) {
    setGeometry(topLeft.x(), topLeft.y(), m_cells.width, m_cells.height);
}

int ImageButton::FocusedColumn() const {
    return m_grid == IBS_TWO_COLUMNS_FOCUS || m_grid == IBS_THREE_COLUMNS ? 1 : 0;
}

int ImageButton::DisabledColumn() const {
    if (m_grid == IBS_TWO_COLUMNS)
        return 1;
    return m_grid == IBS_THREE_COLUMNS ? 2 : 0;
}

void ImageButton::DrawFocused(QPainter& painter) {
    m_cells.Draw(painter, QPoint(0, 0), m_image, FocusedColumn(), 0);
}

void ImageButton::DrawPressedFocused(QPainter& painter) {
    m_cells.Draw(painter, QPoint(0, 0), m_image, 0, 1);
}

void ImageButton::DrawDisabled(QPainter& painter) {
    m_cells.Draw(painter, QPoint(0, 0), m_image, DisabledColumn(), 0);
}

void ImageButton::DrawNormal(QPainter& painter) {
    m_cells.Draw(painter, QPoint(0, 0), m_image, NormalColumn(), 0);
}

void ImageButton::DrawPressed(QPainter& painter) {
    m_cells.Draw(painter, QPoint(0, 0), m_image, 0, 1);
}
