#include "options/FileAssocPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include <cstring>

FileAssocPage::FileAssocPage(Profile& profile, bool wmaAvailable, QWidget* parent)
    : FileAssocPage(DesktopAssociations::FromEnvironment(profile),
                    ShellAssociations::FromProfile(profile), wmaAvailable, parent) {}

FileAssocPage::FileAssocPage(DesktopAssociations associations, ShellAssociations shell,
                             bool wmaAvailable, QWidget* parent)
    : OptionsPage(parent), m_associations(std::move(associations)), m_shell(std::move(shell)),
      m_wmaAvailable(wmaAvailable) {
    setWindowTitle(tr("File Associations"));
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(tr("Open these file types with Sonvale:"), this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* group = new QGroupBox(this);
    auto* boxes = new QVBoxLayout(group);
    for (const DesktopAssociations::FileType& type : DesktopAssociations::Types()) {
        const QString text =
            QStringLiteral("%1 (%2)").arg(tr(type.description), QLatin1String(type.extension));
        auto* box = new QCheckBox(text, group);
        box->setObjectName(QLatin1String(type.extension + 1));
        box->setChecked(m_associations.IsAssociated(type));
        boxes->addWidget(box);
        m_boxes.push_back(box);
    }
    layout->addWidget(group);
    layout->addStretch(1);
}

// Only to put the descriptions in the translation.
[[maybe_unused]] static const char* const kDescriptions[] = {
    QT_TRANSLATE_NOOP("FileAssocPage", "MP2 Audio File"),
    QT_TRANSLATE_NOOP("FileAssocPage", "MP3 Audio File"),
    QT_TRANSLATE_NOOP("FileAssocPage", "Ogg Vorbis File"),
    QT_TRANSLATE_NOOP("FileAssocPage", "WMA Audio File"),
    QT_TRANSLATE_NOOP("FileAssocPage", "ASF Audio File"),
    QT_TRANSLATE_NOOP("FileAssocPage", "Wave File"),
    QT_TRANSLATE_NOOP("FileAssocPage", "Play List File"),
};

bool FileAssocPage::NeedsMediaPlayer(const DesktopAssociations::FileType& type) {
    return std::strcmp(type.extension, ".wma") == 0 || std::strcmp(type.extension, ".asf") == 0;
}

void FileAssocPage::showEvent(QShowEvent* event) {
    OptionsPage::showEvent(event);
    const auto& types = DesktopAssociations::Types();
    for (size_t i = 0; i < types.size(); ++i) {
        if (!NeedsMediaPlayer(types[i]))
            continue;
        m_boxes[i]->setEnabled(m_wmaAvailable);
        if (m_wmaAvailable)
            continue;
        if (m_boxes[i]->isChecked()) {
            m_associations.Dissociate(types[i]);
            m_boxes[i]->setChecked(false);
        }
        if (m_shell.IsAssociated(types[i]))
            m_shell.Dissociate(types[i]);
    }
}

void FileAssocPage::Apply() {
    const auto& types = DesktopAssociations::Types();
    for (size_t i = 0; i < types.size(); ++i) {
        if (m_boxes[i]->isChecked()) {
            m_associations.Associate(types[i]);
            m_shell.Associate(types[i]);
        } else {
            m_associations.Dissociate(types[i]);
            m_shell.Dissociate(types[i]);
        }
    }
}
