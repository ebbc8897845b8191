#pragma once

#include "app/FrameView.h"
#include "app/NotificationBubble.h"
#include "app/TelephonyLine.h"

#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <memory>

class TrayIcon;
class QMenu;

// The main window: title "Sonvale", the skinned main view as its central widget, the menu bar,
// and the services the view uses: the tray icon, the notification bubble and pausing for
// telephone calls. Commands go to the view first.
class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    // Makes the view as a child of the frame.
    using ViewFactory = std::function<std::unique_ptr<FrameView>(QWidget* parent)>;

    // The line to watch for calls, or null for none.
    explicit MainFrame(ViewFactory makeView, std::unique_ptr<TelephonyLine> line = nullptr);
    ~MainFrame() override;

    // Window creation: the view (and its own creation), the menu bar and the telephone line.
    // False when the view could not be created.
    bool Create(const std::u16string& startCommandLine = {});

    static MainFrame* Instance() { return s_instance; }
    FrameView* View() const { return m_view.get(); }
    const QList<QMenu*>& MenuPopups() const { return m_popups; }
    // Makes the menu bar's popups again, in the language now installed.
    void RebuildMenus();

    // A command: the view's first, then the frame's own. True when one of them handled it.
    bool OnCmdMsg(int id);
    // The command line of a second instance: the window comes forward, the view gets the text.
    void OnCopyData(const QString& commandLine);
    // A call state of the telephone line.
    void OnCallState(uint32_t state);
    bool IsPausedByCall() const { return m_pausedByCall; }

    // The tray icon on or off (the view's choice).
    void SetTrayIcon(bool on);
    bool HasTrayIcon() const;
    NotificationBubble& Bubble() { return m_bubble; }

    // The frame's WM_DESTROY: the view's shutdown, the tray icon and the telephone line. Runs
    // once, when the window closes or at the latest when the frame goes.
    void OnDestroy();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool OnCommand(int id);
    void PostViewCommand(int id);
    void EnableCommandsOnShow(QMenu* popup);
    void CreateMenus();
    void PostActivate();
    bool IsOwnWidget(QObject* object) const;

    static MainFrame* s_instance;

    ViewFactory m_makeView;
    std::unique_ptr<FrameView> m_view;
    QList<QMenu*> m_popups;
    std::unique_ptr<TelephonyLine> m_line;
    std::unique_ptr<TrayIcon> m_tray;
    NotificationBubble m_bubble;
    bool m_pausedByCall = false;
    bool m_destroyed = false;
};
