#include "app/MainFrame.h"

#include "app/MainMenu.h"
#include "app/TelephonyLine.h"
#include "app/TrayIcon.h"
#include "input/Command.h"
#include "ui/WindowMessage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>

namespace {

bool IsMouseButtonEvent(QEvent::Type type) {
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
           type == QEvent::MouseButtonDblClick;
}

} // namespace

MainFrame* MainFrame::s_instance = nullptr;

MainFrame::MainFrame(ViewFactory makeView, std::unique_ptr<TelephonyLine> line)
    : m_makeView(std::move(makeView)), m_line(std::move(line)),
      m_bubble([this] { return m_tray ? m_tray->Icon() : nullptr; }) {
    s_instance = this;
}

MainFrame::~MainFrame() {
    OnDestroy();
    qApp->removeEventFilter(this);
    if (s_instance == this)
        s_instance = nullptr;
}

bool MainFrame::Create(const std::u16string& startCommandLine) {
    setWindowTitle(QStringLiteral("Sonvale"));
    setWindowIcon(TrayIcon::AppIcon());

    m_view = m_makeView ? m_makeView(this) : nullptr;
    if (!m_view || !m_view->Widget())
        return false;
    QWidget* view = m_view->Widget();
    view->setFixedSize(480, 536);
    setCentralWidget(view);
    setFocusProxy(view);
    m_view->SetStartCommandLine(startCommandLine);
    // The view shows the tray icon while it is created.
    m_tray = std::make_unique<TrayIcon>(this);
    if (!m_view->Create())
        return false;

    CreateMenus();
    connect(menuBar(), &QMenuBar::triggered, this, [this](QAction* action) {
        if (const int id = MainMenu::CommandId(action))
            PostWindowMessage(this, WM_COMMAND, MakeWParam(static_cast<uint16_t>(id), 0), 0);
    });
    // The window is as large as the view and its menu bar, and no larger.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    qApp->installEventFilter(this);

    if (m_line && !m_line->Open([this](uint32_t state) { OnCallState(state); }))
        m_line.reset();
    return true;
}

void MainFrame::CreateMenus() {
    m_popups = MainMenu::CreatePopups(this, MainMenu::Kind::MenuBar);
    for (QMenu* popup : m_popups) {
        menuBar()->addMenu(popup);
        EnableCommandsOnShow(popup);
    }
}

void MainFrame::RebuildMenus() {
    menuBar()->clear();
    qDeleteAll(m_popups);
    m_popups.clear();
    CreateMenus();
}

bool MainFrame::OnCmdMsg(int id) {
    if (m_view && m_view->OnCommand(id))
        return true;
    return OnCommand(id);
}

// A popup (and each popup inside it) greys out, when it opens, the commands the view can't run,
// and marks its items as the player's state is then.
void MainFrame::EnableCommandsOnShow(QMenu* popup) {
    connect(popup, &QMenu::aboutToShow, this, [this, popup] {
        for (QAction* action : popup->actions())
            if (const int id = MainMenu::CommandId(action))
                action->setEnabled(m_view->CommandAvailable(id));
        MainMenu::ShowState(popup, m_view->MenuState());
    });
    for (QAction* action : popup->actions())
        if (QMenu* inner = action->menu())
            EnableCommandsOnShow(inner);
}

bool MainFrame::OnCommand(int id) {
    if (!m_view)
        return false;
    const std::optional<Command> command = CommandFromId(id);
    if (!command)
        return false;
    // The media commands stand for the view's key functions.
    switch (*command) {
    case Command::MediaPlayPause:
        return m_view->OnCommand(CommandId(Command::KeyPlayPause));
    case Command::MediaPreviousTrack:
        return m_view->OnCommand(CommandId(Command::KeyPreviousTrack));
    case Command::MediaNextTrack:
        return m_view->OnCommand(CommandId(Command::KeyNextTrack));
    case Command::TitleOk:
        showMinimized();
        return true;
    case Command::Exit:
        // The view takes Exit itself; this is what remains when it did not.
        m_view->SetExiting();
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return true;
    default:
        return false;
    }
}

void MainFrame::OnCopyData(const QString& commandLine) {
    showNormal();
    raise();
    activateWindow();
    if (m_view)
        m_view->OnCopyData(commandLine.toStdU16String());
}

void MainFrame::OnCallState(uint32_t state) {
    if (!m_view)
        return;
    if (TelephonyLine::IsCallActive(state)) {
        if (m_view->IsPlaying()) {
            PostViewCommand(CommandId(Command::Pause));
            m_pausedByCall = true;
        }
    } else if (state == TelephonyLine::kDisconnected && m_pausedByCall) {
        PostViewCommand(CommandId(Command::Play));
        raise();
        activateWindow();
        m_pausedByCall = false;
    }
}

void MainFrame::SetTrayIcon(bool on) {
    if (m_tray)
        m_tray->SetVisible(on);
}

bool MainFrame::HasTrayIcon() const {
    return m_tray && m_tray->IsVisible();
}

void MainFrame::OnDestroy() {
    if (m_destroyed)
        return;
    m_destroyed = true;
    if (m_view)
        m_view->Shutdown();
    m_bubble.Remove();
    if (m_tray)
        m_tray->SetVisible(false);
    if (m_line) {
        m_line->Close();
        m_line.reset();
    }
}

bool MainFrame::event(QEvent* event) {
    if (const WindowMessageEvent* message = WindowMessageEvent::From(event)) {
        if (message->message != WM_COMMAND)
            return false;
        OnCmdMsg(LowWord(message->wParam));
        return true;
    }
    return QMainWindow::event(event);
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event) {
    // Hold: taps on the player's window are discarded before anyone sees them.
    if (IsMouseButtonEvent(event->type()) && m_view && m_view->IsHoldOn() && IsOwnWidget(watched))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void MainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange || event->type() == QEvent::WindowStateChange)
        PostActivate();
}

// How soon a close the view wasn't ready for is tried again.
constexpr int kCloseRetryMs = 20;

void MainFrame::closeEvent(QCloseEvent* event) {
    if (m_view && !m_destroyed && !m_view->ReadyToClose()) {
        event->ignore();
        QTimer::singleShot(kCloseRetryMs, this, &QWidget::close);
        return;
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        OnDestroy();
}

void MainFrame::PostViewCommand(int id) {
    QMetaObject::invokeMethod(
        this,
        [this, id] {
            if (m_view && !m_destroyed)
                m_view->OnCommand(id);
        },
        Qt::QueuedConnection);
}

void MainFrame::PostActivate() {
    const bool active = isActiveWindow();
    const bool minimised = isMinimized();
    QMetaObject::invokeMethod(
        this,
        [this, active, minimised] {
            if (m_view && !m_destroyed)
                m_view->OnActivate(active, minimised);
        },
        Qt::QueuedConnection);
}

bool MainFrame::IsOwnWidget(QObject* object) const {
    if (!object->isWidgetType())
        return false;
    const auto* widget = static_cast<QWidget*>(object);
    return widget == this || isAncestorOf(widget);
}
