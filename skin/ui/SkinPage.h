#pragma once

#include "ui/OptionsPage.h"

#include <QString>
#include <QStringList>

#include <string>

class Profile;
class QLineEdit;
class QListWidget;
class QPushButton;
class ThumbnailStatic;

// The "Skin" options page: the skins found (the built-in one, the skins in the data folder's
// "skins" folder and the ones beside the current skin), the chosen skin's path with a file
// chooser, and a half-size picture of the chosen skin's background. OK writes "SkinFile"
// (empty for the built-in skin); the view takes the new skin at once.
class SkinPage : public OptionsPage {
    Q_OBJECT

public:
    static constexpr int kPreviewWidth = 240;
    static constexpr int kPreviewHeight = 268;

    explicit SkinPage(Profile& profile, QWidget* parent = nullptr);

    void Apply() override;

    // The skin files offered besides the built-in skin: the .wps files of the data folder's
    // "skins" folder, then those in the folder of `current`, each once, by name in each folder.
    static QStringList FindSkins(const QString& current);
    // The data folder's "skins" folder.
    static QString SkinsFolder();

    // Takes `path` as the chosen skin (empty: the built-in skin): the field shows it, the list
    // marks it when it lists it, and the picture is rebuilt.
    void Choose(const QString& path);
    QString Path() const;

    QListWidget* List() const { return m_list; }
    QLineEdit* PathField() const { return m_path; }
    QPushButton* BrowseButton() const { return m_browse; }
    ThumbnailStatic* Preview() const { return m_preview; }

private:
    void Browse();
    void ShowPreview();

    Profile& m_profile;
    QListWidget* m_list;
    QLineEdit* m_path;
    QPushButton* m_browse;
    ThumbnailStatic* m_preview;
};
