#include "skin/ThumbnailStatic.h"

#include <QPainter>

ThumbnailStatic::ThumbnailStatic(const QRect& rect, QWidget* parent) : QWidget(parent) {
    setGeometry(rect);
}

void ThumbnailStatic::SetBitmap(const QImage& image) {
    m_image = image.copy();
    update();
}

void ThumbnailStatic::paintEvent(QPaintEvent*) {
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_image);
}
