#pragma once

#include "skin/ImageCells.h"
#include "skin/VirtualButton.h"

#include <QImage>
#include <QPoint>

// A push button drawn from a picture of one to three columns and two rows (row 0 released, row 1
// pressed). The grid comes from the creation style's bits 0x0F00:
//   0x100: one column;  0x200: two, column 1 when disabled;
//   0x300: two, column 1 when focused;  0x400: three, column 1 focused, column 2 disabled.
// The window is one cell at the given top-left corner.
class ImageButton : public VirtualButton {
public:
    // Keeps its own copy of `image`. Without grid bits the picture counts as one column.
    ImageButton(const QImage& image, uint32_t style, const QPoint& topLeft, QWidget* parent,
                int id);

    int Columns() const { return m_columns; }
    // The column drawn for the released states.
    int NormalColumn() const { return 0; }
    int FocusedColumn() const;
    int DisabledColumn() const;

protected:
    // Pressed, the focus shows nothing; released, only with a focused column of its own.
    bool FocusShows() const override { return FocusedColumn() != NormalColumn(); }
    void DrawFocused(QPainter& painter) override;
    void DrawPressedFocused(QPainter& painter) override;
    void DrawDisabled(QPainter& painter) override;
    void DrawNormal(QPainter& painter) override;
    void DrawPressed(QPainter& painter) override;

private:
    QImage m_image;
    uint32_t m_grid;
    int m_columns;
    ImageCells m_cells;
};
