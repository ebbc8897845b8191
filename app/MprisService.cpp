#include "app/MprisService.h"

#include "input/Command.h"
#include "session/PlayerSession.h"
#include "ui/KeyCapture.h"
#include "ui/WindowMessage.h"

#include <QDBusMessage>
#include <QMetaObject>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

constexpr char kRootInterface[] = "org.mpris.MediaPlayer2";
constexpr char kPlayerInterface[] = "org.mpris.MediaPlayer2.Player";
constexpr char kNoTrack[] = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
// A position further than this from where the play would have taken it was a seek.
constexpr qlonglong kJumpUs = 1500000;
// The media keys' virtual-key codes.
constexpr uint32_t kMediaNext = 176;
constexpr uint32_t kMediaPrevious = 177;
constexpr uint32_t kMediaStop = 178;
constexpr uint32_t kMediaPlayPause = 179;

QString Text(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

bool IsAddress(const QString& path) {
    return path.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           path.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

} // namespace

MprisService::MprisService(PlayerSession& session, std::function<void()> raise, QObject* parent)
    : QObject(parent), m_session(session), m_raise(std::move(raise)) {
    new MprisRootAdaptor(this);
    auto* player = new MprisPlayerAdaptor(this);
    connect(this, &MprisService::Seeked, player, &MprisPlayerAdaptor::Seeked);
    m_session.AddObserver(*this);
}

MprisService::~MprisService() {
    Unregister();
}

bool MprisService::Register() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors))
        return false;
    if (!bus.registerService(kServiceName)) {
        bus.unregisterObject(kObjectPath);
        return false;
    }
    m_registered = true;
    m_playerSent = PlayerProperties();
    return true;
}

void MprisService::Unregister() {
    if (!m_registered)
        return;
    m_registered = false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(kServiceName);
    bus.unregisterObject(kObjectPath);
}

// From any thread: the changes are published together on the UI thread.
void MprisService::StateChanged() {
    if (m_publishQueued.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_publishQueued = false;
            Publish();
        },
        Qt::QueuedConnection);
}

PlayerState MprisService::State() const {
    return m_session.State();
}

QString MprisService::PlaybackStatus(const PlayerState& state) {
    if (state.paused)
        return QStringLiteral("Paused");
    return state.playing ? QStringLiteral("Playing") : QStringLiteral("Stopped");
}

QString MprisService::LoopStatus(const PlayerState& state) {
    if (!state.repeat)
        return QStringLiteral("None");
    return state.repeatType == 1 ? QStringLiteral("Track") : QStringLiteral("Playlist");
}

QDBusObjectPath MprisService::TrackId(const PlayerState& state) const {
    if (state.currentIndex < 0 || state.titleEntry.path.empty())
        return QDBusObjectPath(kNoTrack);
    return QDBusObjectPath(QStringLiteral("/org/sonvale/Track/%1").arg(state.currentIndex));
}

QVariantMap MprisService::Metadata() {
    const PlayerState state = State();
    QVariantMap metadata;
    metadata[QStringLiteral("mpris:trackid")] = QVariant::fromValue(TrackId(state));
    const FileInfo& entry = state.titleEntry;
    if (entry.path.empty())
        return metadata;
    const QString path = Text(entry.path);
    const qlonglong length =
        state.seekMaximum > 0 ? state.seekMaximum * 100000LL : state.totalSeconds * 1000000LL;
    if (length > 0)
        metadata[QStringLiteral("mpris:length")] = length;
    metadata[QStringLiteral("xesam:title")] = Text(entry.title.empty() ? entry.name : entry.title);
    if (!entry.artist.empty())
        metadata[QStringLiteral("xesam:artist")] = QStringList{Text(entry.artist)};
    if (!entry.album.empty())
        metadata[QStringLiteral("xesam:album")] = Text(entry.album);
    metadata[QStringLiteral("xesam:url")] =
        IsAddress(path) ? path : QUrl::fromLocalFile(path).toString();
    if (m_lyricsSerial != state.lyricsSerial || m_lyricsTrack != path) {
        m_lyricsSerial = state.lyricsSerial;
        m_lyricsTrack = path;
        m_lyricsText = Text(m_session.Lyrics().lyrics);
    }
    if (!m_lyricsText.isEmpty())
        metadata[QStringLiteral("xesam:asText")] = m_lyricsText;
    return metadata;
}

qlonglong MprisService::PositionUs() const {
    const PlayerState state = State();
    return state.seekMaximum > 0 ? state.seekPosition * 100000LL : state.elapsedSeconds * 1000000LL;
}

bool MprisService::CanGo(bool next) const {
    return m_session.Available(next ? Command::Next : Command::Previous);
}

bool MprisService::CanPlay() const {
    return State().currentIndex >= 0 && m_session.Available(Command::Play);
}

bool MprisService::CanPause() const {
    return State().currentIndex >= 0 && m_session.Available(Command::Pause);
}

bool MprisService::CanSeek() const {
    const PlayerState state = State();
    return state.seekMaximum > 0 && !state.stream;
}

void MprisService::Raise() {
    if (m_raise)
        m_raise();
}

void MprisService::Quit() {
    m_session.Run(Command::Exit);
}

// While a key is being captured for the key map, the desktop's media keys (which reach the
// player only through here) are that window's key presses instead.
bool MprisService::Captured(uint32_t keyCode) {
    QObject* capture = KeyCapture::Window();
    if (!capture)
        return false;
    PostWindowMessage(capture, WM_KEYDOWN, keyCode, 0);
    return true;
}

void MprisService::Play() {
    if (Captured(kMediaPlayPause))
        return;
    if (!State().playing)
        m_session.Run(Command::KeyPlay);
}

void MprisService::Pause() {
    if (Captured(kMediaPlayPause))
        return;
    const PlayerState state = State();
    if (state.playing && !state.paused)
        m_session.Run(Command::KeyPause);
}

void MprisService::PlayPause() {
    if (Captured(kMediaPlayPause))
        return;
    m_session.Run(Command::KeyPlayPause);
}

void MprisService::Stop() {
    if (Captured(kMediaStop))
        return;
    m_session.Run(Command::Stop);
}

void MprisService::Step(bool next) {
    if (Captured(next ? kMediaNext : kMediaPrevious))
        return;
    m_session.Run(next ? Command::Next : Command::Previous);
}

void MprisService::Seek(qlonglong offsetUs) {
    if (!CanSeek())
        return;
    const PlayerState state = State();
    const qlonglong target = PositionUs() + offsetUs;
    if (target > state.seekMaximum * 100000LL) {
        m_session.Run(Command::Next);
        return;
    }
    m_seekPending = true;
    m_session.SeekSliderReleased(static_cast<int>(std::max<qlonglong>(target, 0) / 100000));
}

void MprisService::SetPosition(const QDBusObjectPath& track, qlonglong positionUs) {
    const PlayerState state = State();
    if (!CanSeek() || track != TrackId(state) || positionUs < 0 ||
        positionUs > state.seekMaximum * 100000LL)
        return;
    m_seekPending = true;
    m_session.SeekSliderReleased(static_cast<int>(positionUs / 100000));
}

void MprisService::OpenUri(const QString& uri) {
    const QUrl url(uri);
    QString target;
    if (url.isLocalFile())
        target = url.toLocalFile();
    else if (IsAddress(uri))
        target = uri;
    else if (url.scheme().isEmpty() && uri.startsWith(QLatin1Char('/')))
        target = uri;
    if (!target.isEmpty())
        m_session.OpenCommandLine(target.toStdU16String());
}

void MprisService::SetVolume(double volume) {
    if (std::isnan(volume))
        return;
    const int range = State().volumeRange;
    const int step = static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * range));
    m_session.SetVolumeStep(step);
}

void MprisService::SetRate(double rate) {
    if (!(rate > 0))
        return;
    m_session.SetSpeed(
        std::clamp(rate, MprisPlayerAdaptor::kMinimumRate, MprisPlayerAdaptor::kMaximumRate));
}

void MprisService::SetShuffle(bool shuffle) {
    if (State().shuffle != shuffle)
        m_session.Run(Command::Shuffle);
}

void MprisService::SetLoopStatus(const QString& status) {
    if (status == QLatin1String("None"))
        m_session.Run(Command::RepeatNone);
    else if (status == QLatin1String("Track"))
        m_session.Run(Command::RepeatOne);
    else if (status == QLatin1String("Playlist"))
        m_session.Run(Command::RepeatAll);
}

QVariantMap MprisService::PlayerProperties() {
    const PlayerState state = State();
    const int range = std::max(state.volumeRange, 1);
    return {
        {QStringLiteral("PlaybackStatus"), PlaybackStatus(state)},
        {QStringLiteral("LoopStatus"), LoopStatus(state)},
        {QStringLiteral("Rate"), state.speed},
        {QStringLiteral("Shuffle"), state.shuffle},
        {QStringLiteral("Metadata"), Metadata()},
        {QStringLiteral("Volume"), static_cast<double>(state.volume) / range},
        {QStringLiteral("CanGoNext"), CanGo(true)},
        {QStringLiteral("CanGoPrevious"), CanGo(false)},
        {QStringLiteral("CanPlay"), CanPlay()},
        {QStringLiteral("CanPause"), CanPause()},
        {QStringLiteral("CanSeek"), CanSeek()},
    };
}

void MprisService::SendChanged(const QString& interface, const QVariantMap& now, QVariantMap& was) {
    QVariantMap changed;
    for (auto it = now.begin(); it != now.end(); ++it)
        if (was.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    was = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

void MprisService::Publish() {
    if (!m_registered)
        return;
    SendChanged(QString::fromLatin1(kPlayerInterface), PlayerProperties(), m_playerSent);

    // A seek shows as a position away from where the play would have taken it.
    const PlayerState state = State();
    const QString track = Text(state.titleEntry.path);
    const qlonglong position = PositionUs();
    const bool running = state.playing && !state.paused;
    const qlonglong expected =
        m_lastPosition +
        (running ? static_cast<qlonglong>(m_sincePosition.elapsed() * 1000 * state.speed) : 0);
    const bool jumped = std::llabs(position - expected) > kJumpUs;
    if (track == m_positionTrack && position != m_lastPosition && (jumped || m_seekPending)) {
        m_seekPending = false;
        emit Seeked(position);
    }
    if (track != m_positionTrack || position != m_lastPosition || !running) {
        m_positionTrack = track;
        m_lastPosition = position;
        m_sincePosition.start();
    }
}

MprisRootAdaptor::MprisRootAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), m_service(service) {}

QStringList MprisRootAdaptor::SupportedUriSchemes() const {
    return {QStringLiteral("file"), QStringLiteral("http"), QStringLiteral("https")};
}

QStringList MprisRootAdaptor::SupportedMimeTypes() const {
    return {QStringLiteral("audio/mpeg"),         QStringLiteral("audio/x-mpeg"),
            QStringLiteral("audio/mp3"),          QStringLiteral("audio/ogg"),
            QStringLiteral("audio/x-vorbis+ogg"), QStringLiteral("audio/vorbis"),
            QStringLiteral("audio/wav"),          QStringLiteral("audio/x-wav"),
            QStringLiteral("audio/x-ms-wma"),     QStringLiteral("audio/x-ms-asf"),
            QStringLiteral("audio/x-mpegurl")};
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), m_service(service) {}

double MprisPlayerAdaptor::Volume() const {
    const PlayerState state = m_service->State();
    return static_cast<double>(state.volume) / std::max(state.volumeRange, 1);
}
