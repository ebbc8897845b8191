#pragma once

#include "skin/ImageCells.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <cstdint>

// A slider drawn from a track picture and a thumb picture of 3 columns (normal, focused,
// disabled) and 2 rows (idle, dragging). Horizontal, or vertical (maximum at the top) with the
// TBS_VERT style bit. It posts WM_SLIDEBAR_NOTIFY (wParam its id) to its parent with
// SLIDEBAR_MOVED while the stylus moves it and SLIDEBAR_RELEASED when the stylus lets go. With
// selection enabled it draws a band between up to two marked positions (the A-B repeat).
// Keys pressed while it has the focus go to the parent as key messages.
class ImageSlideBar : public QWidget {
public:
    // The window takes `rect` (in the parent's coordinates); both pictures are copied.
    ImageSlideBar(uint32_t style, const QRect& rect, QWidget* parent, int id, const QImage& track,
                  const QImage& thumb, bool selectionEnabled);

    int Id() const { return m_id; }
    bool IsVertical() const { return m_vertical; }
    bool IsDragging() const { return m_dragging; }

    // min >= max gives 0..100. The page is taken when it is not larger than max - min.
    void SetRange(int min, int max, int page);
    int GetRangeMin() const { return m_min; }
    int GetRangeMax() const { return m_max; }
    int GetPageSize() const { return m_page; }
    // A position outside the range is ignored. With `redraw` the old and new thumb places are
    // redrawn, at once while dragging or with `updateNow`.
    void SetPos(int pos, bool redraw = true, bool updateNow = false);
    int GetPos() const { return m_pos; }

    // Stores the position as the next mark while fewer than two are set; a third call clears
    // both. Nothing without selection.
    void MarkSelection();
    void SetSelection(int a, int b);
    void ClearSelection();
    // Exactly these marks: none, A, or A and B (nothing without selection).
    void SetMarks(int count, int a, int b);
    bool SelectionEnabled() const { return m_selectionEnabled; }
    // True only with two marks: from <= to.
    bool GetSelection(int& from, int& to) const;
    int MarkCount() const { return m_markCount; }
    void SetSelectionColor(const QColor& color);
    QColor SelectionColor() const { return m_selectionColor; }

    // Geometry in client coordinates (exposed for the owner and the tests).
    QSize ThumbSize() const { return {m_thumbCells.width, m_thumbCells.height}; }
    QRect HitStrip() const;
    int PositionFromPoint(const QPoint& point) const;
    QRect ThumbRect(int pos) const;
    // The band between the marks (or the mark and the position); empty when none is drawn.
    QRect SelectionBand() const;

protected:
    virtual void DrawTrack(QPainter& painter);
    virtual void DrawThumb(QPainter& painter);
    virtual void Paint(QPainter& painter);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Notify(intptr_t code);
    void RepaintThumb();

    int m_id;
    bool m_vertical;
    bool m_tabStop;
    QImage m_track;
    QImage m_thumb;
    ImageCells m_thumbCells;
    int m_min = 0;
    int m_max = 100;
    int m_page = 0;
    int m_pos = 0;
    bool m_dragging = false;
    bool m_selectionEnabled;
    int m_marks[2] = {0, 0};
    int m_markCount = 0;
    QColor m_selectionColor{148, 142, 181};
    QImage m_surface; // off-screen drawing surface of the client size
};
