#pragma once

#include "app/TelephonyLine.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QSet>
#include <QString>

// The telephone line over ModemManager on the system bus: the voice calls of every modem
// (org.freedesktop.ModemManager1.Modem.Voice and .Call), their states reported as the line's.
// Without ModemManager the line does not open.
class ModemManagerLine : public QObject, public TelephonyLine {
    Q_OBJECT

public:
    // ModemManager's call states.
    enum CallState {
        kUnknown = 0,
        kDialingOut = 1,
        kRingingOut = 2,
        kRingingIn = 3,
        kActive = 4,
        kHeld = 5,
        kWaiting = 6,
        kTerminated = 7
    };

    ~ModemManagerLine() override;

    bool Open(CallStateHandler handler) override;
    void Close() override;

    // The line's state for a call's state; 0 for none worth telling.
    static uint32_t LineState(int callState);

private slots:
    void OnCallAdded(const QDBusObjectPath& call);
    void OnCallDeleted(const QDBusObjectPath& call);
    void OnStateChanged(int oldState, int newState, uint reason, const QDBusMessage& message);

private:
    void Report(const QString& call, int callState);
    void Forget(const QString& call);

    CallStateHandler m_handler;
    QSet<QString> m_calls; // the calls under way
    bool m_open = false;
};
