#include "playlist/ui/OpenFolderPage.h"

#include "settings/SettingNames.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

using namespace setting;

OpenFolderPage::OpenFolderPage(Profile& profile, QWidget* parent)
    : OptionsPage(parent), m_profile(profile),
      m_folder(
          new QLineEdit(QString::fromStdU16String(Settings::Get(profile, kOpenFolderName)), this)),
      m_choose(new QPushButton(tr("Browse..."), this)),
      m_startup(new QCheckBox(tr("Open this folder at startup"), this)),
      m_subFolders(new QCheckBox(tr("Include subfolders"), this)) {
    setWindowTitle(tr("Open Folder"));
    m_folder->setObjectName("Folder");
    m_folder->setMinimumWidth(fontMetrics().averageCharWidth() * 40); // room for a path
    m_startup->setChecked(Settings::Get(profile, kOpenFolderAtStartup) == 1);
    m_subFolders->setChecked(Settings::Get(profile, kOpenSubFolder) == 1);
    connect(m_choose, &QPushButton::clicked, this, [this] { ChooseFolder(); });

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(m_choose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Folder with audio files:"), this));
    layout->addLayout(folderRow);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(m_startup);
    layout->addWidget(m_subFolders);
    layout->addStretch(1);
}

void OpenFolderPage::ChooseFolder() {
    const QString start = m_folder->text().trimmed();
    QString folder =
        QFileDialog::getExistingDirectory(this, tr("Select folder with audio files"), start);
    if (folder.isEmpty())
        return;
    if (!folder.endsWith('/'))
        folder += '/';
    m_folder->setText(folder);
}

bool OpenFolderPage::Validate() {
    const QString folder = m_folder->text().trimmed();
    if (folder.isEmpty() || QFileInfo(folder).isDir())
        return true;
    QMessageBox::warning(this, tr("Open Folder"), tr("The folder %1 does not exist.").arg(folder));
    m_folder->setFocus();
    m_folder->selectAll();
    return false;
}

void OpenFolderPage::Apply() {
    QString folder = m_folder->text().trimmed();
    if (!folder.isEmpty() && !folder.endsWith('/'))
        folder += '/';
    Settings::Set(m_profile, kOpenFolderName, folder.toStdU16String());
    Settings::Set(m_profile, kOpenFolderAtStartup, m_startup->isChecked() ? 1 : 0);
    Settings::Set(m_profile, kOpenSubFolder, m_subFolders->isChecked() ? 1 : 0);
}
