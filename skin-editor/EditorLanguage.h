#pragma once

class QCoreApplication;

// Mantlery speaks the player's language: Korean when the UI language is 1042, English otherwise.
class EditorLanguage {
public:
    // The player's rule: its "LangID" setting on a Korean system, else the system's language.
    static int UiLanguage();
    // Installs the Korean texts (Mantlery's own and Qt's dialogs) for language 1042. True when
    // the Korean texts are in place.
    static bool Install(QCoreApplication& app, int language);
};
