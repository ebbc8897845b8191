#pragma once

#include "ui/OptionsPage.h"

class Profile;
class QComboBox;

// The "About" page: the program's name and version and, on a system whose language is Korean,
// the choice of the player's language ("LangID": 1042 Korean, 1033 English).
class AboutPage : public OptionsPage {
    Q_OBJECT

public:
    // The system's language decides whether the language is offered.
    explicit AboutPage(Profile& profile, QWidget* parent = nullptr);
    AboutPage(Profile& profile, int systemLanguage, QWidget* parent = nullptr);

    // Writes "LangID" when the language is offered.
    void Apply() override;

    // The language choice; null when it is not offered.
    QComboBox* LanguageBox() const { return m_language; }

private:
    Profile& m_profile;
    QComboBox* m_language = nullptr;
};
