#include "app/GlobalShortcuts.h"

#include "input/KeyFunctions.h"
#include "input/KeyNames.h"
#include "session/PlayerSession.h"
#include "ui/KeyCapture.h"
#include "ui/Translated.h"
#include "ui/WindowMessage.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>

#include <algorithm>

// One shortcut as the portal takes and gives it: an id and its properties.
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(PortalShortcut)

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

namespace {

constexpr char kRequestInterface[] = "org.freedesktop.portal.Request";
constexpr char kSessionInterface[] = "org.freedesktop.portal.Session";
constexpr char kIdPrefix[] = "key-";

QString PathOf(const QVariant& value) {
    if (value.canConvert<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

} // namespace

GlobalShortcuts::GlobalShortcuts(PlayerSession& session, QObject* window, QObject* parent)
    : QObject(parent), m_session(session), m_window(window) {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    QDBusConnection::sessionBus().connect(kPortalService, kPortalPath, kInterface,
                                          QStringLiteral("Activated"), this,
                                          SLOT(OnActivated(QDBusMessage)));
    m_session.AddObserver(*this);
}

GlobalShortcuts::~GlobalShortcuts() {
    Stop();
}

void GlobalShortcuts::Stop() {
    if (m_stopped)
        return;
    m_stopped = true;
    CloseSession();
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.disconnect(kPortalService, kPortalPath, kInterface, QStringLiteral("Activated"), this,
                   SLOT(OnActivated(QDBusMessage)));
    if (!m_requestPath.isEmpty())
        bus.disconnect(kPortalService, m_requestPath, kRequestInterface, QStringLiteral("Response"),
                       this, SLOT(OnResponse(uint, QVariantMap)));
}

QString GlobalShortcuts::ShortcutId(uint16_t keyCode) {
    return QLatin1String(kIdPrefix) + QString::number(keyCode);
}

uint16_t GlobalShortcuts::KeyOfShortcut(const QString& id) {
    if (!id.startsWith(QLatin1String(kIdPrefix)))
        return 0;
    bool ok = false;
    const uint key = id.mid(int(sizeof(kIdPrefix)) - 1).toUInt(&ok);
    return ok && key <= 0xFFFF ? static_cast<uint16_t>(key) : 0;
}

// The media keys are the desktop's own keys for players and are offered as they are. The other
// keys are offered with the logo key: Enter and the arrows alone would be taken from every
// program. Keys without a desktop key are left for the user to choose in the desktop's settings.
QString GlobalShortcuts::PreferredTrigger(uint16_t keyCode) {
    switch (keyCode) {
    case 176:
        return QStringLiteral("XF86AudioNext");
    case 177:
        return QStringLiteral("XF86AudioPrev");
    case 178:
        return QStringLiteral("XF86AudioStop");
    case 179:
        return QStringLiteral("XF86AudioPlay");
    case 13:
        return QStringLiteral("LOGO+Return");
    case 37:
        return QStringLiteral("LOGO+Left");
    case 38:
        return QStringLiteral("LOGO+Up");
    case 39:
        return QStringLiteral("LOGO+Right");
    case 40:
        return QStringLiteral("LOGO+Down");
    case 180:
        return QStringLiteral("LOGO+XF86Mail");
    case 181:
        return QStringLiteral("LOGO+XF86AudioMedia");
    default:
        break;
    }
    if (keyCode >= 112 && keyCode <= 115)
        return QStringLiteral("LOGO+F%1").arg(keyCode - 111);
    return {};
}

// From any thread: the state is looked at on the UI thread.
void GlobalShortcuts::StateChanged() {
    if (m_syncQueued.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_syncQueued = false;
            Sync();
        },
        Qt::QueuedConnection);
}

void GlobalShortcuts::Sync() {
    if (m_stopped || m_unavailable || m_step != Step::Idle)
        return;
    const PlayerState state = m_session.State();
    if (!state.background || state.hotKeys.empty())
        return;
    if (std::includes(m_bound.begin(), m_bound.end(), state.hotKeys.begin(), state.hotKeys.end()))
        return;
    if (!QDBusConnection::sessionBus().isConnected()) {
        m_unavailable = true;
        return;
    }
    // A portal session's shortcuts are bound once: more keys take a new session.
    m_wanted = m_bound;
    m_wanted.insert(state.hotKeys.begin(), state.hotKeys.end());
    CloseSession();
    CreateSession();
}

void GlobalShortcuts::CreateSession() {
    const QString token =
        QStringLiteral("sonvale%1_%2").arg(QCoreApplication::applicationPid()).arg(++m_tokens);
    QVariantMap options;
    options[QStringLiteral("handle_token")] = token;
    options[QStringLiteral("session_handle_token")] = token;
    m_step = Step::CreatingSession;
    Request(QStringLiteral("CreateSession"), {options}, token);
}

void GlobalShortcuts::Bind() {
    QList<PortalShortcut> shortcuts;
    for (uint16_t key : m_wanted) {
        PortalShortcut shortcut{ShortcutId(key), {}};
        shortcut.properties[QStringLiteral("description")] = Description(key);
        const QString trigger = PreferredTrigger(key);
        if (!trigger.isEmpty())
            shortcut.properties[QStringLiteral("preferred_trigger")] = trigger;
        shortcuts.push_back(shortcut);
    }
    const QString token =
        QStringLiteral("sonvale%1_%2").arg(QCoreApplication::applicationPid()).arg(++m_tokens);
    QVariantMap options;
    options[QStringLiteral("handle_token")] = token;
    m_step = Step::Binding;
    Request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(m_sessionPath)), QVariant::fromValue(shortcuts),
             QString(), options},
            token);
}

// The answer comes as the Response signal of a request object whose path the portal makes from
// our bus name and the token; it is listened for before the call so that it cannot be missed.
void GlobalShortcuts::Request(const QString& method, const QVariantList& arguments,
                              const QString& token) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString sender = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    m_requestPath = QStringLiteral("%1/request/%2/%3").arg(kPortalPath, sender, token);
    bus.connect(kPortalService, m_requestPath, kRequestInterface, QStringLiteral("Response"), this,
                SLOT(OnResponse(uint, QVariantMap)));
    QDBusMessage call =
        QDBusMessage::createMethodCall(kPortalService, kPortalPath, kInterface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isError()) {
            GiveUp(); // no portal, or one without global shortcuts
            return;
        }
        const QString handle = reply.value().path();
        if (handle == m_requestPath || m_step == Step::Idle)
            return;
        // An older portal made the path its own way.
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.disconnect(kPortalService, m_requestPath, kRequestInterface, QStringLiteral("Response"),
                       this, SLOT(OnResponse(uint, QVariantMap)));
        m_requestPath = handle;
        bus.connect(kPortalService, m_requestPath, kRequestInterface, QStringLiteral("Response"),
                    this, SLOT(OnResponse(uint, QVariantMap)));
    });
}

void GlobalShortcuts::OnResponse(uint response, const QVariantMap& results) {
    QDBusConnection::sessionBus().disconnect(kPortalService, m_requestPath, kRequestInterface,
                                             QStringLiteral("Response"), this,
                                             SLOT(OnResponse(uint, QVariantMap)));
    m_requestPath.clear();
    if (m_stopped)
        return;
    const Step step = std::exchange(m_step, Step::Idle);
    if (step == Step::CreatingSession) {
        m_sessionPath = PathOf(results.value(QStringLiteral("session_handle")));
        if (response != 0 || m_sessionPath.isEmpty()) {
            GiveUp();
            return;
        }
        Bind();
    } else if (step == Step::Binding) {
        // Declined keys are not asked for again in this run.
        m_bound = m_wanted;
        Sync();
    }
}

// Activated(o session_handle, s shortcut_id, t timestamp, a{sv} options).
void GlobalShortcuts::OnActivated(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    if (m_stopped || m_sessionPath.isEmpty() || args.size() < 2 ||
        PathOf(args.at(0)) != m_sessionPath)
        return;
    const uint16_t key = KeyOfShortcut(args.at(1).toString());
    if (key == 0)
        return;
    QObject* receiver = KeyCapture::Window();
    if (!receiver)
        receiver = m_window.data();
    SendWindowMessage(receiver, WM_HOTKEY, 0, static_cast<intptr_t>(key) << 16);
}

void GlobalShortcuts::CloseSession() {
    if (m_sessionPath.isEmpty())
        return;
    QDBusConnection::sessionBus().asyncCall(QDBusMessage::createMethodCall(
        kPortalService, m_sessionPath, kSessionInterface, QStringLiteral("Close")));
    m_sessionPath.clear();
    m_bound.clear();
}

void GlobalShortcuts::GiveUp() {
    m_unavailable = true;
    m_step = Step::Idle;
    CloseSession();
}

// "Sonvale: Next Track (Remote1)", with the double press's function after the single's.
QString GlobalShortcuts::Description(uint16_t keyCode) const {
    QStringList functions;
    for (uint32_t function : m_session.FunctionsOfKey(keyCode))
        functions << Translated(KeyFunctions::Name(KeyFunctions::IndexOf(function)));
    return tr("Sonvale: %1 (%2)")
        .arg(functions.join(QStringLiteral(" / ")),
             QString::fromStdU16String(KeyNames().Name(keyCode)));
}
