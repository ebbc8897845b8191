#include "skin/ui/SkinPage.h"

#include "platform/Folders.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "skin/SkinManager.h"
#include "skin/ThumbnailStatic.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

using namespace setting;

namespace {

// The .wps files of a folder, by name.
QStringList SkinsIn(const QString& folder) {
    QStringList found;
    if (folder.isEmpty())
        return found;
    const QDir dir(folder);
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("*.wps")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo& file : files)
        found << file.absoluteFilePath();
    return found;
}

// Two paths name the same file when their canonical paths agree (or, for files that are gone,
// their absolute paths).
QString Key(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

SkinPage::SkinPage(Profile& profile, QWidget* parent) : OptionsPage(parent), m_profile(profile) {
    setWindowTitle(tr("Skin"));

    m_list = new QListWidget(this);
    auto* builtIn = new QListWidgetItem(tr("Built-in skin"), m_list);
    builtIn->setData(Qt::UserRole, QString());
    const QString current = QString::fromStdU16String(Settings::Get(profile, kSkinFile));
    for (const QString& file : FindSkins(current)) {
        auto* item = new QListWidgetItem(QFileInfo(file).completeBaseName(), m_list);
        item->setData(Qt::UserRole, file);
        item->setToolTip(QDir::toNativeSeparators(file));
    }

    m_list->setMinimumWidth(
        std::max(m_list->sizeHintForColumn(0), fontMetrics().averageCharWidth() * 16) +
        2 * m_list->frameWidth() + fontMetrics().averageCharWidth() * 2);

    m_path = new QLineEdit(this);
    m_browse = new QPushButton(tr("Browse..."), this);
    m_preview = new ThumbnailStatic(QRect(0, 0, kPreviewWidth, kPreviewHeight), this);
    m_preview->setFixedSize(kPreviewWidth, kPreviewHeight);

    auto* fileRow = new QHBoxLayout;
    auto* fileLabel = new QLabel(tr("File:"), this);
    fileLabel->setBuddy(m_path);
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(m_path, 1);
    fileRow->addWidget(m_browse);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(tr("Skins found:"), this), 0, 0);
    layout->addWidget(new QLabel(tr("Preview:"), this), 0, 1);
    layout->addWidget(m_list, 1, 0);
    layout->addWidget(m_preview, 1, 1, Qt::AlignTop);
    layout->addLayout(fileRow, 2, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(1, 1);

    connect(m_list, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            Choose(item->data(Qt::UserRole).toString());
    });
    connect(m_path, &QLineEdit::editingFinished, this, [this] { Choose(m_path->text()); });
    connect(m_browse, &QPushButton::clicked, this, &SkinPage::Browse);

    Choose(current);
}

QString SkinPage::SkinsFolder() {
    return QDir(QString::fromStdString(Folders::DataFolder())).filePath(QStringLiteral("skins"));
}

QStringList SkinPage::FindSkins(const QString& current) {
    QStringList skins;
    QStringList keys;
    QStringList candidates = SkinsIn(SkinsFolder());
    if (!current.isEmpty())
        candidates << SkinsIn(QFileInfo(current).absolutePath());
    for (const QString& file : candidates) {
        const QString key = Key(file);
        if (keys.contains(key))
            continue;
        keys << key;
        skins << file;
    }
    return skins;
}

QString SkinPage::Path() const {
    return m_path->text();
}

void SkinPage::Choose(const QString& path) {
    if (m_path->text() != path)
        m_path->setText(path);
    // The list marks the skin when it has it; a path it doesn't list leaves no mark.
    QListWidgetItem* listed = nullptr;
    for (int row = 0; row < m_list->count() && !listed; ++row) {
        QListWidgetItem* item = m_list->item(row);
        const QString file = item->data(Qt::UserRole).toString();
        if (path.isEmpty() ? file.isEmpty() : !file.isEmpty() && Key(file) == Key(path))
            listed = item;
    }
    {
        const QSignalBlocker quiet(m_list);
        m_list->setCurrentItem(listed);
        if (!listed)
            m_list->clearSelection();
    }
    ShowPreview();
}

void SkinPage::ShowPreview() {
    m_preview->SetBitmap(SkinManager::Background(m_path->text().toStdU16String()));
}

// The dialog opens in the chosen skin's folder, else in the skins folder, else beside the
// program.
void SkinPage::Browse() {
    QString folder = QFileInfo(m_path->text()).absolutePath();
    if (m_path->text().isEmpty() || !QFileInfo(folder).isDir())
        folder = SkinsFolder();
    if (!QFileInfo(folder).isDir())
        folder = QString::fromStdString(Folders::ProgramFolder());
    QFileDialog dialog(this, tr("Select Skin File"), folder, tr("Skin File (.wps)") + " (*.wps)");
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(QStringLiteral("wps"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    Choose(dialog.selectedFiles().front());
}

void SkinPage::Apply() {
    Settings::Set(m_profile, kSkinFile, m_path->text().toStdU16String());
}
