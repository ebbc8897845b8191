#pragma once

#include "session/PlayerObserver.h"
#include "session/PowerControl.h"

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

class PlayerSession;

// The player's power handling on the desktop:
// - while the session holds the backlight (playing with "NoUsePowerSave" 1) the screen saver is
//   inhibited (org.freedesktop.ScreenSaver on the session bus) and so is idle and sleep
//   (a logind "idle:sleep" inhibitor, a file descriptor kept open); on an X session without a
//   screen saver service the X server's idle time is reset now and then instead;
// - the screen goes off and on through X11 DPMS on an X session, else not at all;
// - Power Off is logind's Suspend;
// - a wake-up (logind's PrepareForSleep(false), or without logind the boot clock running ahead
//   of the monotonic one) calls `wokeUp`.
// Without these services each part does nothing and says nothing.
class PowerService : public QObject, public PlayerObserver, public PowerControl {
    Q_OBJECT

public:
    // Adds itself to the session's observers (before the session starts).
    PowerService(PlayerSession& session, std::function<void()> wokeUp, QObject* parent = nullptr);
    ~PowerService() override;

    // Lets go of everything held; the session is not asked any more.
    void Stop();

    // PlayerObserver.
    void StateChanged() override;
    void StatusShown(const UiText&, int) override {}
    void FocusRequested(Control) override {}
    void MuteToggleRequested() override {}

    // PowerControl.
    void SetDisplay(bool on) override;
    bool DisplayIsOn() override;
    void Suspend(std::function<void(SuspendResult)> done) override;

    // How long the system has been suspended since it started, in milliseconds (the boot clock
    // less the monotonic one).
    static int64_t SuspendedMs();

private slots:
    void OnPrepareForSleep(bool starting);

private:
    void Follow();
    void Hold(bool on);
    void TakeScreenSaver();
    void ReleaseScreenSaver();
    void TakeSleepLock();
    void CheckClocks();

    PlayerSession& m_session;
    std::function<void()> m_wokeUp;
    bool m_stopped = false;
    bool m_wanted = false;
    bool m_screenSaverAsked = false;     // an Inhibit call is under way
    uint32_t m_cookie = 0;               // the screen saver's, while held
    bool m_sleepLockAsked = false;       // a logind Inhibit call is under way
    QDBusUnixFileDescriptor m_sleepLock; // valid while held
    bool m_displayAsked = true;          // what the player last asked for
    bool m_suspending = false;           // no inhibitor from Suspend until the wake-up
    bool m_logind = false;               // logind tells of sleep and wake-up
    QTimer m_clockCheck;                 // the wake-up detector without logind
    QTimer m_idleReset;                  // keeps a bare X server from blanking
    int64_t m_suspendedMs = 0;
};
