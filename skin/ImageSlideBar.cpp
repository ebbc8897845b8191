#include "skin/ImageSlideBar.h"

#include "skin/ControlStyles.h"
#include "skin/VirtualKey.h"
#include "ui/WindowMessage.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

#include <algorithm>

ImageSlideBar::ImageSlideBar(uint32_t style, const QRect& rect, QWidget* parent, int id,
                             const QImage& track, const QImage& thumb, bool selectionEnabled)
    : QWidget(parent), m_id(id), m_vertical((style & TBS_VERT) != 0),
      m_tabStop((style & WS_TABSTOP) != 0), m_track(track), m_thumb(thumb),
      m_thumbCells(ImageCells::Of(m_thumb, 3, 2)), m_selectionEnabled(selectionEnabled) {
    setWindowTitle(QStringLiteral("ImageSliderCtrl"));
    setFocusPolicy(m_tabStop ? Qt::TabFocus : Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (style & WS_DISABLED)
        setEnabled(false);
    setGeometry(rect);
}

void ImageSlideBar::SetRange(int min, int max, int page) {
    if (min >= max) {
        min = 0;
        max = 100;
    }
    if (min == m_min && max == m_max)
        return;
    m_min = min;
    m_max = max;
    if (page <= max - min)
        m_page = page;
    update();
}

void ImageSlideBar::SetPos(int pos, bool redraw, bool updateNow) {
    if (pos < m_min || pos > m_max || pos == m_pos)
        return;
    const QRect before = ThumbRect(m_pos);
    m_pos = pos;
    // A position that leaves the thumb on the same pixels changes nothing on the screen.
    if (!redraw || ThumbRect(m_pos) == before)
        return;
    QRect area = before.united(ThumbRect(m_pos));
    // The selection band follows the position while only one mark is set; its moving end stays
    // between the old and the new thumb.
    if (m_selectionEnabled && m_markCount == 1)
        area = QRect(area.left(), 0, area.width(), height());
    if ((m_dragging || updateNow) && isVisible())
        repaint(area);
    else
        update(area);
}

void ImageSlideBar::MarkSelection() {
    if (!m_selectionEnabled)
        return;
    if (m_markCount < 2)
        m_marks[m_markCount++] = m_pos;
    else
        m_markCount = 0;
    update();
}

void ImageSlideBar::SetSelection(int a, int b) {
    if (!m_selectionEnabled || (m_markCount == 2 && m_marks[0] == a && m_marks[1] == b))
        return;
    m_marks[0] = a;
    m_marks[1] = b;
    m_markCount = 2;
    update();
}

void ImageSlideBar::ClearSelection() {
    if (m_markCount == 0)
        return;
    m_markCount = 0;
    update();
}

void ImageSlideBar::SetMarks(int count, int a, int b) {
    count = std::clamp(count, 0, 2);
    if (!m_selectionEnabled ||
        (count == m_markCount && (count < 1 || m_marks[0] == a) && (count < 2 || m_marks[1] == b)))
        return;
    m_markCount = count;
    m_marks[0] = a;
    m_marks[1] = b;
    update();
}

bool ImageSlideBar::GetSelection(int& from, int& to) const {
    if (m_markCount != 2)
        return false;
    from = std::min(m_marks[0], m_marks[1]);
    to = std::max(m_marks[0], m_marks[1]);
    return true;
}

void ImageSlideBar::SetSelectionColor(const QColor& color) {
    if (color == m_selectionColor)
        return;
    m_selectionColor = color;
    update();
}

QRect ImageSlideBar::HitStrip() const {
    const int w = m_thumbCells.width;
    const int h = m_thumbCells.height;
    if (m_vertical)
        return QRect(width() / 2 - w / 2, 0, w, height());
    return QRect(0, height() / 2 - h / 2, width(), h);
}

int ImageSlideBar::PositionFromPoint(const QPoint& point) const {
    const int w = m_thumbCells.width;
    const int h = m_thumbCells.height;
    const int range = m_max - m_min;
    if (m_vertical) {
        const int bottom = height() - h / 2;
        const int top = h / 2;
        if (point.y() >= bottom)
            return m_min;
        if (point.y() <= top)
            return m_max;
        return m_min + (bottom - point.y()) * range / (bottom - top);
    }
    const int left = w / 2;
    const int right = width() - w / 2;
    if (point.x() >= right)
        return m_max;
    if (point.x() <= left)
        return m_min;
    return m_min + (point.x() - left) * range / (right - left);
}

QRect ImageSlideBar::ThumbRect(int pos) const {
    const int w = m_thumbCells.width;
    const int h = m_thumbCells.height;
    const int range = m_max - m_min;
    const int R = width();
    const int B = height();
    if (m_vertical) {
        const int top = (B - h / 2) - (pos - m_min) * (B - h / 2 - h / 2) / range - h / 2;
        return QRect((R - w) / 2, top, w, h);
    }
    const int left = (pos - m_min) * (R - 2 * (w / 2)) / range;
    return QRect(left, (B - h) / 2, w, h);
}

QRect ImageSlideBar::SelectionBand() const {
    if (!m_selectionEnabled || m_markCount == 0)
        return {};
    const int a = m_marks[0];
    const int b = m_markCount == 2 ? m_marks[1] : m_pos;
    const int x1 = std::max(6, ThumbRect(std::min(a, b)).left());
    const int x2 = std::min(width() - 6, ThumbRect(std::max(a, b)).left() + m_thumbCells.width);
    if (x2 <= x1)
        return {};
    return QRect(x1, 6, x2 - x1, 23 - 6);
}

void ImageSlideBar::DrawTrack(QPainter& painter) {
    if (m_track.isNull())
        return;
    DrawSkinPart(painter, QPoint(0, 0), m_track, QRect(QPoint(0, 0), SkinSize(m_track)));
}

void ImageSlideBar::DrawThumb(QPainter& painter) {
    const int column = !isEnabled() ? 2 : hasFocus() ? 1 : 0;
    m_thumbCells.Draw(painter, ThumbRect(m_pos).topLeft(), m_thumb, column, m_dragging ? 1 : 0);
}

void ImageSlideBar::Paint(QPainter& painter) {
    DrawTrack(painter);
    const QRect band = SelectionBand();
    if (!band.isEmpty())
        painter.fillRect(band, m_selectionColor);
    DrawThumb(painter);
}

void ImageSlideBar::paintEvent(QPaintEvent* event) {
    // The surface has the screen's density, so the pictures keep their detail.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(qCeil(width() * ratio), qCeil(height() * ratio));
    if (m_surface.size() != pixels || m_surface.devicePixelRatio() != ratio) {
        m_surface = QImage(pixels, QImage::Format_RGB32);
        m_surface.setDevicePixelRatio(ratio);
    }
    if (m_surface.isNull())
        return;
    {
        // Only what is asked for is drawn again.
        QPainter surface(&m_surface);
        surface.setClipRegion(event->region());
        surface.fillRect(m_surface.rect(), palette().color(QPalette::Window));
        Paint(surface);
    }
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect area = event->rect();
    painter.drawImage(
        area, m_surface,
        QRectF(area.x() * ratio, area.y() * ratio, area.width() * ratio, area.height() * ratio));
}

void ImageSlideBar::Notify(intptr_t code) {
    PostWindowMessage(parentWidget(), WM_SLIDEBAR_NOTIFY, static_cast<uintptr_t>(m_id), code);
}

void ImageSlideBar::RepaintThumb() {
    if (isVisible())
        repaint(ThumbRect(m_pos));
}

void ImageSlideBar::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !HitStrip().contains(point)) {
        QWidget::mousePressEvent(event);
        return;
    }
    // Qt keeps the mouse grabbed for the widget until the release.
    m_dragging = true;
    if (m_tabStop && !hasFocus())
        setFocus(Qt::MouseFocusReason);
    const int pos = PositionFromPoint(point);
    if (pos == m_pos)
        RepaintThumb(); // the thumb shows its dragging row
    else
        SetPos(pos, true, false);
    Notify(SLIDEBAR_MOVED);
}

void ImageSlideBar::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging)
        return;
    SetPos(PositionFromPoint(event->position().toPoint()), true, false);
    Notify(SLIDEBAR_MOVED);
}

void ImageSlideBar::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    RepaintThumb();
    Notify(SLIDEBAR_RELEASED);
}

void ImageSlideBar::keyPressEvent(QKeyEvent* event) {
    if (!ForwardKeyToParent(this, *event))
        QWidget::keyPressEvent(event);
}

void ImageSlideBar::keyReleaseEvent(QKeyEvent* event) {
    if (!ForwardKeyToParent(this, *event))
        QWidget::keyReleaseEvent(event);
}

// Only the thumb shows the focus (QWidget's own handlers would draw the whole bar again).
void ImageSlideBar::focusInEvent(QFocusEvent*) {
    RepaintThumb();
}

void ImageSlideBar::focusOutEvent(QFocusEvent*) {
    RepaintThumb();
}

void ImageSlideBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}
