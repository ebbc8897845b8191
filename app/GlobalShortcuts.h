#pragma once

#include "session/PlayerObserver.h"

#include <QDBusMessage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <atomic>
#include <cstdint>
#include <set>

class PlayerSession;

// The player's hot keys on the desktop's global-shortcuts portal
// (org.freedesktop.portal.GlobalShortcuts, offered by KDE Plasma and recent GNOME), so that the
// mapped keys keep working while another program is in front. The keyboard is never grabbed:
// when the player goes to the background with keys registered that the portal was not yet
// offered, they are bound as shortcuts in a portal session of their own (the desktop asks the
// user once). An activated shortcut comes back as a hot key to the player's window, or to the
// window capturing a key for the key map; the session takes it only while the key is registered,
// so going to the front and back needs no new binding, and double presses are told apart there
// like any key. Without the portal nothing is bound and nothing is said.
class GlobalShortcuts : public QObject, public PlayerObserver {
    Q_OBJECT

public:
    static constexpr char kPortalService[] = "org.freedesktop.portal.Desktop";
    static constexpr char kPortalPath[] = "/org/freedesktop/portal/desktop";
    static constexpr char kInterface[] = "org.freedesktop.portal.GlobalShortcuts";

    // Adds itself to the session's observers; hot keys are sent to `window`.
    GlobalShortcuts(PlayerSession& session, QObject* window, QObject* parent = nullptr);
    ~GlobalShortcuts() override;

    // Closes the portal session; the session is no longer asked from then on.
    void Stop();

    // The shortcut id of a key, and the key of an id (0 when it names none).
    static QString ShortcutId(uint16_t keyCode);
    static uint16_t KeyOfShortcut(const QString& id);
    // The trigger suggested to the desktop for a key, in the shortcut notation of the portal
    // (empty when the key has no desktop key).
    static QString PreferredTrigger(uint16_t keyCode);

    // PlayerObserver.
    void StateChanged() override;
    void StatusShown(const UiText&, int) override {}
    void FocusRequested(Control) override {}
    void MuteToggleRequested() override {}

private slots:
    void OnResponse(uint response, const QVariantMap& results);
    void OnActivated(const QDBusMessage& message);

private:
    enum class Step { Idle, CreatingSession, Binding };

    void Sync();
    void CreateSession();
    void Bind();
    // Calls a portal method that answers through a request object; a failed call gives up.
    void Request(const QString& method, const QVariantList& arguments, const QString& token);
    void CloseSession();
    void GiveUp();
    QString Description(uint16_t keyCode) const;

    PlayerSession& m_session;
    QPointer<QObject> m_window;
    std::atomic<bool> m_syncQueued{false};
    bool m_stopped = false;
    bool m_unavailable = false;
    Step m_step = Step::Idle;
    QString m_requestPath;
    QString m_sessionPath;
    std::set<uint16_t> m_wanted; // being bound
    std::set<uint16_t> m_bound;  // offered to the portal in the current session
    int m_tokens = 0;
};
