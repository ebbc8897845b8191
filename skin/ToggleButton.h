#pragma once

#include "skin/ImageCells.h"
#include "skin/VirtualButton.h"

#include <QImage>
#include <QPoint>

// A two-state button drawn from a picture of 4 columns and 2 rows: column 0 on, 1 on and
// focused, 2 off, 3 off and focused; row 0 released, row 1 pressed. An auto-toggle button flips
// its state once per click completed inside it, before the release is drawn and after the click's
// command was posted, so the parent handling the command finds it in its new state. Others
// change state only through SetCheck.
class ToggleButton : public VirtualButton {
public:
    // Keeps its own copy of `image`; starts off.
    ToggleButton(const QImage& image, uint32_t style, const QPoint& topLeft, QWidget* parent,
                 int id, bool autoToggle);

    // Redraws only when the state changes.
    void SetCheck(bool on);
    bool GetCheck() const { return m_on; }
    bool IsAutoToggle() const { return m_autoToggle; }

protected:
    void ClickCompleted() override;
    void DrawFocused(QPainter& painter) override;
    void DrawPressedFocused(QPainter& painter) override;
    void DrawDisabled(QPainter& painter) override;
    void DrawNormal(QPainter& painter) override;
    void DrawPressed(QPainter& painter) override;

private:
    QImage m_image;
    ImageCells m_cells;
    bool m_on = false;
    bool m_autoToggle;
};
