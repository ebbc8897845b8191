#include "playlist/ui/FavoritesDialog.h"

#include "playlist/Playlist.h"
#include "settings/Settings.h"
#include "ui/TextFont.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kFontSlot = 6;
enum Column { kName, kPath };

QFont SlotFont(Profile& profile) {
    const FontSetting setting = Settings::Font(profile, kFontSlot);
    return FontOf(setting);
}

} // namespace

FavoritesDialog::FavoritesDialog(Profile& profile, const std::vector<FileInfo>& entries,
                                 int current, QWidget* parent)
    : QDialog(parent), m_list(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("favorites"));
    setWindowTitle(tr("Edit Favorites"));
    auto* layout = new QVBoxLayout(this);

    m_list->setColumnCount(2);
    m_list->setHeaderLabels({tr("Name"), tr("Path")});
    m_list->setColumnHidden(kPath, true);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    const QFont rowFont = SlotFont(profile); // for the rows only, not the header
    m_list->setUniformRowHeights(true);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(entries.size()));
    for (const FileInfo& entry : entries) {
        auto* row = new QTreeWidgetItem;
        row->setText(kName, QString::fromStdU16String(Playlist::EntryLabel(entry, true, true)));
        row->setFont(kName, rowFont);
        row->setText(kPath, QString::fromStdU16String(entry.path));
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(kName, entry.favorite == 1 ? Qt::Checked : Qt::Unchecked);
        rows.append(row);
    }
    m_list->addTopLevelItems(rows);
    layout->addWidget(m_list);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &FavoritesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FavoritesDialog::reject);
    layout->addWidget(buttons);
    resize(480, 420);

    // The current entry's row is selected, with the row after it in view.
    if (QTreeWidgetItem* row = m_list->topLevelItem(current)) {
        m_list->setCurrentItem(row);
        const int next = current + 1 < m_list->topLevelItemCount() ? current + 1 : current;
        m_list->scrollToItem(m_list->topLevelItem(next));
    }
}

std::vector<std::pair<std::u16string, bool>> FavoritesDialog::Marks() const {
    std::vector<std::pair<std::u16string, bool>> marks;
    marks.reserve(static_cast<size_t>(m_list->topLevelItemCount()));
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = m_list->topLevelItem(i);
        marks.emplace_back(row->text(kPath).toStdU16String(),
                           row->checkState(kName) == Qt::Checked);
    }
    return marks;
}

void FavoritesDialog::accept() {
    for (const auto& mark : Marks())
        if (mark.second) {
            QDialog::accept();
            return;
        }
    QMessageBox::critical(this, tr("Sonvale Error"), tr("File is not selected in list."));
}
