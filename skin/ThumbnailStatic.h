#pragma once

#include <QImage>
#include <QWidget>

// A plain picture view: owns one picture and shows it scaled to its client area.
class ThumbnailStatic : public QWidget {
public:
    // The window takes `rect` in the parent's coordinates.
    ThumbnailStatic(const QRect& rect, QWidget* parent);

    // Replaces the picture (a copy is kept; the old one is freed) and redraws.
    void SetBitmap(const QImage& image);
    const QImage& Bitmap() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};
