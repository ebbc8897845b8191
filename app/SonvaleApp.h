#pragma once

#include "app/MainFrame.h"
#include "settings/Settings.h"

#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <string>

class MediaKeys;
class SingleInstance;
class Profile;
class QApplication;
class QObject;
class QTranslator;
class Registry;

// The application object: one instance per executable path, the settings profile, fonts and
// UI language, the media-key object, the main frame, the wake-up registration, and the restart
// that follows the program's end when one was asked for.
class SonvaleApp {
public:
    // Exit codes: the command line went to the running player; the player could not start.
    static constexpr int kExitHandedOver = 0;
    static constexpr int kExitFailed = 1;

    // makeView creates the main view inside the frame.
    SonvaleApp(QApplication& app, MainFrame::ViewFactory makeView);
    ~SonvaleApp();
    SonvaleApp(const SonvaleApp&) = delete;
    SonvaleApp& operator=(const SonvaleApp&) = delete;

    // The program: the one-instance rule, instance start-up, the event loop, instance exit.
    // Answers the process's exit code.
    int Run();

    static SonvaleApp* Instance() { return s_instance; }

    // The command line the program was started with (program arguments joined by blanks).
    const QString& CommandLine() const { return m_commandLine; }
    const QString& ModulePath() const { return m_modulePath; }
    int UiLanguage() const { return m_uiLanguage; }
    bool IsKorean() const;
    const FontSetting& Font(int slot) const;
    // Reads the font slots again (after the Font page wrote them).
    void ReloadFonts();
    // Switches the texts to another UI language (1042 Korean, else English); false when it was
    // the language already. Windows made from now on speak it; the frame's menus are rebuilt by
    // the frame.
    bool SetUiLanguage(int language);
    Profile& AppProfile() const { return *m_profile; }
    MainFrame* Frame() const { return m_frame.get(); }
    MediaKeys* GetMediaKeys() const { return m_mediaKeys.get(); }
    // The media-key object's target (the view sets itself); nothing without the object.
    void SetMediaKeyTarget(QObject* target);
    // The application font with the Hangul family (starting the font configuration). The view
    // asks for it once the audio has started; the start-up does it otherwise. Once only.
    void SetUpAppFont();

    // Asks for a new start of the program once this one has ended.
    void RequestRestart(bool withPlay);
    bool IsRestartRequested() const { return m_restartRequested; }

    // Registers the program for launch at wake-up unless it lives in the root folder or in a
    // storage-card mount folder; then "MudulePath" holds the path. True when registered.
    static bool RegisterForWakeup(Registry& registry, Profile& profile,
                                  const std::string& modulePath);
    // A folder on which removable storage is mounted.
    static bool IsStorageCardFolder(const std::string& folder);
    // Installs the Korean texts when the language is 1042. True when they are in place.
    static bool InstallLanguage(QApplication& app, int language);
    // The OEM information text, at most 256 characters.
    static QString OemText();

private:
    bool InitInstance();
    void ExitInstance();
    void OnCopyData(const QString& commandLine);
    void ParseArguments();
    void ScheduleScreenshot();

    static SonvaleApp* s_instance;

    QApplication& m_app;
    MainFrame::ViewFactory m_makeView;
    QString m_modulePath;
    QString m_commandLine;
    QString m_screenshotPath;
    std::optional<QString> m_pendingCopyData;
    int m_uiLanguage = 0;
    bool m_wakeupRegistered = false;
    bool m_appFontSet = false;
    bool m_restartRequested = false;
    bool m_restartWithPlay = false;
    std::array<FontSetting, setting::kFontSlots> m_fonts;
    std::unique_ptr<Profile> m_profile;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<MediaKeys> m_mediaKeys;
    std::unique_ptr<MainFrame> m_frame;
};
