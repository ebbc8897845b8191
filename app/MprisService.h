#pragma once

#include "session/PlayerObserver.h"
#include "session/PlayerState.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <atomic>
#include <cstdint>
#include <functional>

class PlayerSession;

// The player on the desktop's session bus as a media player (the org.mpris.MediaPlayer2
// interfaces): the desktop's media controls and applets read the state and send the transport
// commands. It talks only to the player session, as the skinned buttons do, and hears of its
// changes as an observer; without a session bus it does nothing.
class MprisService : public QObject, public PlayerObserver {
    Q_OBJECT

public:
    static constexpr char kServiceName[] = "org.mpris.MediaPlayer2.sonvale";
    static constexpr char kObjectPath[] = "/org/mpris/MediaPlayer2";

    // Adds itself to the session's observers (before the session starts); `raise` brings the
    // player's window forward.
    MprisService(PlayerSession& session, std::function<void()> raise, QObject* parent = nullptr);
    ~MprisService() override;

    // Takes the bus name and exports the object; false, quietly, without a session bus or when
    // the name is taken.
    bool Register();
    // Gives the name back; the session is no longer asked from then on.
    void Unregister();

    // PlayerObserver.
    void StateChanged() override;
    void StatusShown(const UiText&, int) override {}
    void FocusRequested(Control) override {}
    void MuteToggleRequested() override {}

    // What the adaptors read and do (UI thread).
    PlayerState State() const;
    QVariantMap Metadata();
    qlonglong PositionUs() const;
    bool CanGo(bool next) const;
    bool CanPlay() const;
    bool CanPause() const;
    bool CanSeek() const;
    void Raise();
    void Quit();
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Step(bool next);
    void Seek(qlonglong offsetUs);
    void SetPosition(const QDBusObjectPath& track, qlonglong positionUs);
    void OpenUri(const QString& uri);
    void SetVolume(double volume);
    void SetRate(double rate);
    void SetShuffle(bool shuffle);
    void SetLoopStatus(const QString& status);

    static QString PlaybackStatus(const PlayerState& state);
    static QString LoopStatus(const PlayerState& state);

signals:
    void Seeked(qlonglong position);

private:
    static bool Captured(uint32_t keyCode);
    void Publish();
    QDBusObjectPath TrackId(const PlayerState& state) const;
    QVariantMap PlayerProperties();
    void SendChanged(const QString& interface, const QVariantMap& now, QVariantMap& was);

    PlayerSession& m_session;
    std::function<void()> m_raise;
    bool m_registered = false;
    std::atomic<bool> m_publishQueued{false};
    QVariantMap m_playerSent;
    // The lyrics text of the track, read again when the session loads lyrics.
    uint32_t m_lyricsSerial = 0;
    QString m_lyricsTrack;
    QString m_lyricsText;
    // The last position seen, to tell a jump (a seek) from the play going on.
    QString m_positionTrack;
    qlonglong m_lastPosition = 0;
    QElapsedTimer m_sincePosition;
    bool m_seekPending = false;
};

// org.mpris.MediaPlayer2: the player as an application.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

public:
    explicit MprisRootAdaptor(MprisService* service);

    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return QStringLiteral("Sonvale"); }
    QString DesktopEntry() const { return QStringLiteral("sonvale"); }
    QStringList SupportedUriSchemes() const;
    QStringList SupportedMimeTypes() const;

public slots:
    void Raise() { m_service->Raise(); }
    void Quit() { m_service->Quit(); }

private:
    MprisService* m_service;
};

// org.mpris.MediaPlayer2.Player: the transport, the track and its position.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(QString LoopStatus READ LoopStatus WRITE SetLoopStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(double MinimumRate READ MinimumRate)
    Q_PROPERTY(double MaximumRate READ MaximumRate)
    Q_PROPERTY(bool Shuffle READ Shuffle WRITE SetShuffle)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)

public:
    static constexpr double kMinimumRate = 0.6;
    static constexpr double kMaximumRate = 2.0;

    explicit MprisPlayerAdaptor(MprisService* service);

    QString PlaybackStatus() const { return MprisService::PlaybackStatus(m_service->State()); }
    QString LoopStatus() const { return MprisService::LoopStatus(m_service->State()); }
    void SetLoopStatus(const QString& status) { m_service->SetLoopStatus(status); }
    double Rate() const { return m_service->State().speed; }
    void SetRate(double rate) { m_service->SetRate(rate); }
    double MinimumRate() const { return kMinimumRate; }
    double MaximumRate() const { return kMaximumRate; }
    bool Shuffle() const { return m_service->State().shuffle; }
    void SetShuffle(bool shuffle) { m_service->SetShuffle(shuffle); }
    QVariantMap Metadata() const { return m_service->Metadata(); }
    double Volume() const;
    void SetVolume(double volume) { m_service->SetVolume(volume); }
    qlonglong Position() const { return m_service->PositionUs(); }
    bool CanGoNext() const { return m_service->CanGo(true); }
    bool CanGoPrevious() const { return m_service->CanGo(false); }
    bool CanPlay() const { return m_service->CanPlay(); }
    bool CanPause() const { return m_service->CanPause(); }
    bool CanSeek() const { return m_service->CanSeek(); }
    bool CanControl() const { return true; }

public slots:
    void Next() { m_service->Step(true); }
    void Previous() { m_service->Step(false); }
    void Pause() { m_service->Pause(); }
    void PlayPause() { m_service->PlayPause(); }
    void Stop() { m_service->Stop(); }
    void Play() { m_service->Play(); }
    void Seek(qlonglong Offset) { m_service->Seek(Offset); }
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
        m_service->SetPosition(TrackId, Position);
    }
    void OpenUri(const QString& Uri) { m_service->OpenUri(Uri); }

signals:
    void Seeked(qlonglong Position);

private:
    MprisService* m_service;
};
