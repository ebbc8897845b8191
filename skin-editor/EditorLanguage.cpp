#include "skin-editor/EditorLanguage.h"

#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/SystemLocale.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

int EditorLanguage::UiLanguage() {
    const int system = SystemLocale::LanguageId();
    if (system != SystemLocale::kKorean)
        return system; // the store is read only on a Korean system
    Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
    return Settings::UiLanguage(profile, system);
}

bool EditorLanguage::Install(QCoreApplication& app, int language) {
    if (language != SystemLocale::kKorean)
        return false;
    auto* own = new QTranslator(&app);
    if (!own->load(":/i18n/mantlery_ko.qm")) {
        delete own;
        return false;
    }
    app.installTranslator(own);
    auto* qt = new QTranslator(&app);
    if (qt->load("qtbase_ko", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qt);
    else
        delete qt;
    return true;
}
