#include "skin/ThumbnailStatic.h"

#include <QPainter>

CThumbnailStatic::CThumbnailStatic(const QRect& rect, QWidget* parent) : QWidget(parent) {
    setGeometry(rect);
}

void CThumbnailStatic::SetBitmap(const QImage& image) {
    m_image = image.copy();
    update();
}

void CThumbnailStatic::paintEvent(QPaintEvent*) {
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_image);
}
