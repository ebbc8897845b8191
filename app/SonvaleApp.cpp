#include "app/SonvaleApp.h"

#include "input/KeyMap.h"

#include "app/MainFrame.h"
#include "app/MediaKeys.h"
#include "app/SingleInstance.h"
#include "app/TelephonyLine.h"
#include "platform/Folders.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/RunAppAtEvent.h"
#include "platform/SystemLocale.h"
#include "settings/SettingNames.h"
#include "ui/TextFont.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <QTranslator>

#include <functional>
#include <memory>

#include <malloc.h>
#include <sys/stat.h>

// Off unless asked for (QT_LOGGING_RULES="sonvale.instance.info=true"): how the one-instance
// rule went, and the command lines that arrived from later instances.
Q_LOGGING_CATEGORY(lcInstance, "sonvale.instance", QtWarningMsg)

namespace {

constexpr int kOemTextLimit = 256;
constexpr int kScreenshotFallbackMs = 5000;
// Long enough for the start-up continuation to open and start the first track.
constexpr int kScreenshotSettleMs = 2000;
// By then the start-up has opened the first track (and read a saved list, however long).
constexpr int kTrimAfterStartMs = 1500;

std::u16string ToU16(const std::string& text) {
    return QString::fromStdString(text).toStdU16String();
}

// Calls back once, after the watched widget's first paint.
class FirstPaintWatcher : public QObject {
public:
    FirstPaintWatcher(QWidget* widget, std::function<void()> onPainted)
        : QObject(widget), m_onPainted(std::move(onPainted)) {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && m_onPainted) {
            auto onPainted = std::move(m_onPainted);
            m_onPainted = nullptr;
            QTimer::singleShot(0, this, onPainted);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onPainted;
};

} // namespace

SonvaleApp* SonvaleApp::s_instance = nullptr;

SonvaleApp::SonvaleApp(QApplication& app, MainFrame::ViewFactory makeView)
    : m_app(app), m_makeView(std::move(makeView)) {
    s_instance = this;
    // The desktop finds the player's entry (name, icon) by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("sonvale"));
}

SonvaleApp::~SonvaleApp() {
    m_frame.reset();
    m_instance.reset();
    if (s_instance == this)
        s_instance = nullptr;
    if (m_restartRequested && !m_modulePath.isEmpty()) {
        const QString commandLine = m_restartWithPlay ? QStringLiteral("PowerOnRestart&Play")
                                                      : QStringLiteral("PowerOnRestart");
        QProcess::startDetached(m_modulePath, {commandLine});
    }
}

int SonvaleApp::Run() {
    ParseArguments();
    m_modulePath = QString::fromStdString(Folders::ModulePath());

    m_instance = std::make_unique<SingleInstance>(m_modulePath);
    if (!m_instance->Acquire()) {
        if (m_instance->HandOver(m_commandLine)) {
            qCInfo(lcInstance) << "handed the command line to the running instance";
            return kExitHandedOver; // success: the running player has it
        }
        qCInfo(lcInstance) << "the running instance did not answer; starting anyway";
        m_instance->TakeOver();
    }
    QObject::connect(m_instance.get(), &SingleInstance::CommandLineReceived, m_instance.get(),
                     [this](const QString& commandLine) { OnCopyData(commandLine); });

    if (!InitInstance()) {
        ExitInstance();
        return kExitFailed;
    }
    if (m_pendingCopyData) {
        m_frame->OnCopyData(*m_pendingCopyData);
        m_pendingCopyData.reset();
    }
    qCInfo(lcInstance).noquote() << "running; listening on" << m_instance->ServerPath();

    const int code = m_app.exec();
    m_frame.reset();
    ExitInstance();
    return code;
}

void SonvaleApp::OnCopyData(const QString& commandLine) {
    qCInfo(lcInstance).noquote() << "command line from another instance:" << commandLine;
    if (m_frame)
        m_frame->OnCopyData(commandLine);
    else
        m_pendingCopyData = commandLine; // the frame takes it once it exists
}

bool SonvaleApp::InitInstance() {
    m_profile = std::make_unique<Profile>(Registry::Shared(), setting::kRegistryKeyWord,
                                          setting::kProfileName);
    for (int slot = 0; slot < setting::kFontSlots; ++slot)
        m_fonts[static_cast<size_t>(slot)] = Settings::Font(*m_profile, slot);

    m_uiLanguage = Settings::UiLanguage(*m_profile, SystemLocale::LanguageId());
    InstallLanguage(m_app, m_uiLanguage);

    if (MediaKeys::IsWantedOn(OemText()))
        m_mediaKeys = std::make_unique<MediaKeys>();

    // The view loads the key map while it is created: a first start's map is written before.
    KeyMap::InitializeIfFresh(*m_profile);

    m_frame = std::make_unique<MainFrame>(m_makeView, TelephonyLine::System());
    if (!m_frame->Create(m_commandLine.toStdU16String()))
        return false;
    SetUpAppFont();
    SetMediaKeyTarget(m_frame->View()->Widget());
    m_frame->show();
    if (!m_screenshotPath.isEmpty())
        ScheduleScreenshot();
    QTimer::singleShot(kTrimAfterStartMs, m_frame.get(), [this] {
        // The wake-up registration writes (and syncs) the settings store: it waits until the
        // first track plays.
        if (!m_wakeupRegistered)
            m_wakeupRegistered =
                RegisterForWakeup(Registry::Shared(), *m_profile, m_modulePath.toStdString());
        // What the start-up needed only for a moment (decoded skin files, the saved list's bytes
        // and the copies made while reading it) goes back to the system instead of staying
        // resident.
        malloc_trim(0);
    });
    return true;
}

void SonvaleApp::ExitInstance() {
    m_mediaKeys.reset();
    if (m_wakeupRegistered) {
        RunAppAtEvent::Register(Registry::Shared(), m_modulePath.toStdU16String(),
                                RunAppAtEvent::kEventNone);
        m_wakeupRegistered = false;
    }
    // The lock goes before a restart starts the next process.
    if (m_instance)
        m_instance->Release();
}

void SonvaleApp::ParseArguments() {
    QStringList arguments = m_app.arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    const qsizetype screenshot = arguments.indexOf(QStringLiteral("--screenshot"));
    if (screenshot >= 0 && screenshot + 1 < arguments.size()) {
        m_screenshotPath = arguments.at(screenshot + 1);
        arguments.remove(screenshot, 2);
    }
    m_commandLine = arguments.join(QLatin1Char(' '));
}

void SonvaleApp::ScheduleScreenshot() {
    QPointer<MainFrame> frame = m_frame.get();
    const QString path = m_screenshotPath;
    auto taken = std::make_shared<bool>(false);
    auto shoot = [frame, path, taken] {
        if (!frame || *taken)
            return;
        *taken = true;
        if (!frame->grab().save(path, "PNG")) {
            qWarning("sonvale: could not write the screenshot %s", qPrintable(path));
            QCoreApplication::exit(1);
            return;
        }
        frame->close();
    };
    new FirstPaintWatcher(frame->centralWidget(),
                          [shoot] { QTimer::singleShot(kScreenshotSettleMs, shoot); });
    // A window that is never painted (no display at all) is still taken.
    QTimer::singleShot(kScreenshotFallbackMs, frame, shoot);
}

bool SonvaleApp::IsKorean() const {
    return m_uiLanguage == SystemLocale::kKorean;
}

const FontSetting& SonvaleApp::Font(int slot) const {
    const int clamped = slot < 0 ? 0 : (slot >= setting::kFontSlots ? 0 : slot);
    return m_fonts[static_cast<size_t>(clamped)];
}

void SonvaleApp::ReloadFonts() {
    for (int slot = 0; slot < setting::kFontSlots; ++slot)
        m_fonts[static_cast<size_t>(slot)] = Settings::Font(*m_profile, slot);
}

bool SonvaleApp::SetUiLanguage(int language) {
    if (language == m_uiLanguage)
        return false;
    for (QTranslator* translator : m_app.findChildren<QTranslator*>(Qt::FindDirectChildrenOnly)) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    InstallLanguage(m_app, language);
    m_uiLanguage = language;
    return true;
}

void SonvaleApp::SetMediaKeyTarget(QObject* target) {
    if (m_mediaKeys)
        m_mediaKeys->SetTarget(target);
}

void SonvaleApp::SetUpAppFont() {
    if (m_appFontSet)
        return;
    m_appFontSet = true;
    // Menus, boxes and dialogs show Korean texts and tags whatever the language.
    QApplication::setFont(WithHangul(QApplication::font()));
}

void SonvaleApp::RequestRestart(bool withPlay) {
    m_restartRequested = true;
    m_restartWithPlay = withPlay;
}

bool SonvaleApp::RegisterForWakeup(Registry& registry, Profile& profile,
                                   const std::string& modulePath) {
    const size_t slash = modulePath.rfind('/');
    if (slash != std::string::npos) {
        const std::string folder = modulePath.substr(0, slash);
        if (folder.empty() || IsStorageCardFolder(folder))
            return false; // the root folder or a card: nothing to start at wake-up
    }
    const std::u16string path = ToU16(modulePath);
    RunAppAtEvent::Register(registry, path, RunAppAtEvent::kEventWakeup);
    profile.WriteProfileString(setting::kRootSection, setting::kModulePath.name, path);
    return true;
}

bool SonvaleApp::IsStorageCardFolder(const std::string& folder) {
    static const char* const kMountRoots[] = {"/media/", "/run/media/", "/mnt/"};
    bool underMountRoot = false;
    for (const char* root : kMountRoots)
        underMountRoot = underMountRoot || folder.rfind(root, 0) == 0;
    if (!underMountRoot)
        return false;
    // A mount point lies on another device than its parent folder.
    struct stat own {};
    struct stat parent {};
    const std::string parentFolder = Folders::FolderOf(folder);
    if (stat(folder.c_str(), &own) != 0 || parentFolder.empty() ||
        stat(parentFolder.c_str(), &parent) != 0)
        return false;
    return own.st_dev != parent.st_dev;
}

bool SonvaleApp::InstallLanguage(QApplication& app, int language) {
    if (language != SystemLocale::kKorean)
        return false;
    auto own = std::make_unique<QTranslator>(&app);
    if (!own->load(QStringLiteral(":/i18n/sonvale_ko.qm")))
        return false;
    app.installTranslator(own.release());
    auto qt = std::make_unique<QTranslator>(&app);
    if (qt->load(QStringLiteral("qtbase_ko"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qt.release());
    return true;
}

QString SonvaleApp::OemText() {
    QFile file(QStringLiteral("/sys/class/dmi/id/product_name"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(kOemTextLimit * 4)).trimmed().left(kOemTextLimit);
}
