#pragma once

#include "playlist/FileInfo.h"
#include "skin/LcdScroll.h"
#include "skin/SkinManager.h"
#include "ui/WindowMessage.h"

#include <QBasicTimer>
#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

class Profile;

// The one-line text display at the top of the main view: artist, title, album and length of the
// track, scrolled when wider than the display (when the "ScrollMsg" setting allows), and short
// status texts that give way to the line again after a moment.
class DisplayLCD : public QWidget {
public:
    // Scroll step, sent by the LCD scrolling worker.
    static constexpr uint32_t kScrollStepMessage = WM_USER + 10;
    // Steps of the scrolling worker a status text stays up while scrolling is enabled.
    static constexpr int kStatusSteps = 4;

    DisplayLCD(Profile& profile, QWidget* parent = nullptr);
    ~DisplayLCD() override;

    // The line of a playlist entry: "<artist> title @ album [m:ss]" with tags shown, else the
    // entry's name; the name also when the tags give nothing. Streams ("00:00") get no time.
    static std::u16string BuildLine(const FileInfo& entry, bool showTags);

    // Shows the text as the line; an empty text is ignored.
    void SetText(const QString& text);
    void SetTrackInfo(const FileInfo& entry);
    // Shows a temporary text, then returns to the line: after `milliseconds` with scrolling
    // off, on the fourth scroll step with scrolling on.
    void ShowStatus(const QString& text, int milliseconds);
    void SetScroll(bool on);
    bool ScrollEnabled() const { return m_scrollEnabled; }
    // Reads the display's font slot again and redraws with it.
    void ReloadFont();
    void ScrollStep();
    // While the main view shuts down or restarts, scroll steps are ignored.
    void SetClosing(bool closing) { m_closing = closing; }

    const QString& Text() const { return m_line; }
    // What the display shows now: the status text while one is up, else the line.
    const QString& ShownText() const { return m_temporary ? m_status : m_line; }
    bool StatusShown() const { return m_temporary; }
    bool ShowTags() const { return m_showTags; }
    bool Scrolling() const { return m_scroll.Scrolling(); }
    // Whether scroll steps do anything now: the line scrolls (scrolling is on and the text is
    // wider than the display), or a status text waits for its steps. When not, the view need not
    // send them.
    bool ScrollsNow() const { return m_scrollEnabled && (m_temporary || m_scroll.Scrolling()); }
    int X1() const { return m_scroll.X1(); }
    int X2() const { return m_scroll.X2(); }
    int TextWidth() const { return m_lineWidth; }
    const QFont& LcdFont() const { return m_font; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void TakeFont();
    int MeasureWidth(const QString& text) const;
    void LayoutLine();
    void Render(const QString& text);
    void ReturnFromStatus();

    Profile& m_profile;
    SkinManager m_background;
    SkinManager m_textColor;
    SkinManager m_shadowColor;
    QFont m_font;
    bool m_tahoma = false;

    QString m_line;
    int m_lineWidth = 0;
    QSize m_layoutSize; // the display's size when the line was laid out
    QImage m_picture;   // the text shown, rendered once per change
    LcdScroll m_scroll;
    bool m_scrollEnabled = false;
    bool m_showTags = true;
    bool m_closing = false;

    FileInfo m_entry;
    bool m_hasEntry = false;

    bool m_temporary = false;
    QString m_status;
    int m_statusSteps = 0;
    int m_statusMilliseconds = 0;
    QBasicTimer m_statusTimer;
};
