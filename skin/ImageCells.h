#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

// The size of a skin picture in skin pixels (a picture for a dense screen has more device pixels,
// see its devicePixelRatio).
inline QSize SkinSize(const QImage& image) {
    return image.deviceIndependentSize().toSize();
}

// Copies the part `source` (in skin pixels) of `image` to `at` at its size in skin pixels, by plain
// copy; a picture of another density than the painter's device is scaled smoothly.
inline void DrawSkinPart(QPainter& painter, const QPoint& at, const QImage& image,
                         const QRect& source) {
    const qreal ratio = image.devicePixelRatio();
    const QRectF pixels(source.x() * ratio, source.y() * ratio, source.width() * ratio,
                        source.height() * ratio);
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(at, source.size()), image, pixels);
    painter.restore();
}

// A control picture is a grid of equal cells: cell width = image width / columns, cell height =
// image height / rows (integer division, in skin pixels); cell (c, r) starts at (c * width,
// r * height).
struct ImageCells {
    int width = 0;
    int height = 0;

    static ImageCells Of(const QImage& image, int columns, int rows) {
        if (image.isNull() || columns <= 0 || rows <= 0)
            return {};
        const QSize size = SkinSize(image);
        return {size.width() / columns, size.height() / rows};
    }
    QRect Cell(int column, int row) const {
        return QRect(column * width, row * height, width, height);
    }
    // Copies cell (column, row) of `image` to `at` unscaled, by plain copy.
    void Draw(QPainter& painter, const QPoint& at, const QImage& image, int column, int row) const {
        if (image.isNull() || width <= 0 || height <= 0)
            return;
        DrawSkinPart(painter, at, image, Cell(column, row));
    }
};
