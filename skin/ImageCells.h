#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

// A control picture is a grid of equal cells: cell width = image width / columns, cell height =
// image height / rows (integer division); cell (c, r) starts at (c * width, r * height).
struct ImageCells {
    int width = 0;
    int height = 0;

    static ImageCells Of(const QImage& image, int columns, int rows) {
        if (image.isNull() || columns <= 0 || rows <= 0)
            return {};
        return {image.width() / columns, image.height() / rows};
    }
    QRect Cell(int column, int row) const {
        return QRect(column * width, row * height, width, height);
    }
    // Copies cell (column, row) of `image` to `at` unscaled, by plain copy.
    void Draw(QPainter& painter, const QPoint& at, const QImage& image, int column, int row) const {
        if (image.isNull() || width <= 0 || height <= 0)
            return;
        const QPainter::CompositionMode mode = painter.compositionMode();
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(at, image, Cell(column, row));
        painter.setCompositionMode(mode);
    }
};
