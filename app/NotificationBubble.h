#pragma once

#include <QString>

#include <cstdint>
#include <functional>

class QSystemTrayIcon;

// The player's notification bubble: one at a time, with a title, an HTML text and a duration.
// With a tray icon the bubble is the icon's message; otherwise a desktop notification on the
// session bus when a notification service runs; otherwise nothing is shown.
class NotificationBubble {
public:
    // The tray icon shown at the moment, or null.
    using TrayProvider = std::function<QSystemTrayIcon*()>;

    explicit NotificationBubble(TrayProvider tray);
    ~NotificationBubble();

    // Replaces any bubble of the player that is up.
    void Show(const QString& html, const QString& title, int seconds);
    // Changes the text of the bubble that is up (nothing when none is).
    void Update(const QString& html);
    void Remove();
    bool IsUp() const { return m_up; }

    // The text of the bubble's HTML, as shown.
    static QString PlainText(const QString& html);

private:
    void Post();

    TrayProvider m_tray;
    QString m_html;
    QString m_title;
    int m_seconds = 0;
    bool m_up = false;
    uint32_t m_desktopId = 0; // the desktop notification's id, 0 when none is up
};
