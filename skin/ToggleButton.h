#pragma once

#include "skin/ImageCells.h"
#include "skin/VirtualButton.h"

#include <QImage>
#include <QPoint>

#include <functional>

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

    // Lets the button drop its picture while hidden and take it from `reload` when shown again
    // (the main view shows one of two pairs of toggles at a time).
    void SetReloader(std::function<QImage()> reload) { m_reload = std::move(reload); }
    void setVisible(bool visible) override;

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
    std::function<QImage()> m_reload;
    ImageCells m_cells;
    bool m_on = false;
    bool m_autoToggle;
};
