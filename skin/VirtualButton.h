#pragma once

#include <QWidget>

#include <cstdint>

class QPainter;

// An owner-drawn push button: tracks the stylus, posts WM_COMMAND (id, BN_CLICKED) to its parent
// for a press released inside, and draws itself through the Draw* operations, which the image
// buttons override. Keys pressed while it has the focus go to the parent as key messages.
class VirtualButton : public QWidget {
public:
    // `style` is a window style: WS_TABSTOP lets a press take the focus, WS_DISABLED creates it
    // disabled, BS_DEFPUSHBUTTON tells the parent its id as default button (DM_SETDEFID, sent).
    VirtualButton(QWidget* parent, int id, uint32_t style);

    int Id() const { return m_id; }
    bool IsPressed() const { return m_pressed; }
    bool IsTracking() const { return m_tracking; }

protected:
    // Chooses the state: disabled, pressed (focused or not), focused or normal.
    virtual void DrawItem(QPainter& painter);
    virtual void DrawFocus(QPainter& painter);
    virtual void DrawFocused(QPainter& painter);
    virtual void DrawPressedFocused(QPainter& painter);
    virtual void DrawDisabled(QPainter& painter);
    virtual void DrawNormal(QPainter& painter);
    virtual void DrawPressed(QPainter& painter);

    // Set by a press, follows "pressed" while tracking and is cleared once the release has been
    // drawn.
    bool PressSeen() const { return m_pressSeen; }
    // A press was released inside: called after the command has been posted and before the
    // release is drawn, once per completed click.
    virtual void ClickCompleted() {}
    // Whether the focus changes what the button draws; when not, focus changes draw nothing.
    virtual bool FocusShows() const { return true; }

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Press();
    // Paints now when the window is showing; the next paint otherwise.
    void RedrawNow();

    int m_id;
    bool m_tabStop;
    bool m_tracking = false;
    bool m_pressed = false;
    bool m_pressSeen = false;
};
