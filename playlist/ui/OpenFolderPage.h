#pragma once

#include "ui/OptionsPage.h"

class Profile;
class QCheckBox;
class QLineEdit;
class QPushButton;

// The "Open Folder" page: the folder whose audio files make the playlist, a button that
// chooses it, and whether it is opened at start-up and whether its subfolders count. OK writes
// "OpenFolderName" (ending in "/"), "OpenFolderAtStartup" and "OpenSubFolder"; a folder that
// does not exist is refused.
class OpenFolderPage : public OptionsPage {
    Q_OBJECT

public:
    explicit OpenFolderPage(Profile& profile, QWidget* parent = nullptr);

    bool Validate() override;
    void Apply() override;

    // The folder chooser; the chosen folder goes into the folder box.
    void ChooseFolder();

    QLineEdit* FolderBox() const { return m_folder; }
    QPushButton* ChooseButton() const { return m_choose; }
    QCheckBox* StartupBox() const { return m_startup; }
    QCheckBox* SubFolderBox() const { return m_subFolders; }

private:
    Profile& m_profile;
    QLineEdit* m_folder;
    QPushButton* m_choose;
    QCheckBox* m_startup;
    QCheckBox* m_subFolders;
};
