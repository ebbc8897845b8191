#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

class QIcon;
class QSystemTrayIcon;
class QWidget;

// The player's icon in the notification area: tip "Sonvale"; a tap or double tap restores the
// main window and brings it to the front.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QWidget* mainWindow, QObject* parent = nullptr);
    ~TrayIcon() override;

    void SetVisible(bool on);
    bool IsVisible() const;
    // The system tray icon while it is shown, else null.
    QSystemTrayIcon* Icon() const;

    // Brings the main window back: restored, raised and active.
    void RestoreWindow();

    // The application icon (32 x 32).
    static QIcon AppIcon();

private:
    QPointer<QWidget> m_mainWindow;
    std::unique_ptr<QSystemTrayIcon> m_icon;
};
