#include "input/ui/KeyMapPage.h"

#include "input/KeyFunctions.h"
#include "input/KeyMap.h"
#include "input/KeyNames.h"
#include "input/ui/KeyCaptureDialog.h"
#include "input/ui/ManualKeyDialog.h"
#include "platform/Profile.h"
#include "settings/SettingNames.h"
#include "ui/Translated.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace setting;

namespace {

// Item data: the double flag and the function index of a row.
constexpr int kDoubleRole = Qt::UserRole;
constexpr int kFunctionRole = Qt::UserRole + 1;

QString ButtonText(uint32_t keyCode, bool dbl) {
    QString text = QString::fromStdU16String(KeyNames().Name(static_cast<int32_t>(keyCode)));
    if (dbl)
        text += QStringLiteral(" (DC)");
    return text;
}

} // namespace

KeyMapPage::KeyMapPage(Profile& profile, QWidget* parent)
    : OptionsPage(parent), m_profile(profile), m_list(new QTreeWidget(this)),
      m_functions(new QComboBox(this)), m_keep(new QCheckBox(this)) {
    setWindowTitle(tr("Button map"));
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({tr("Button"), tr("Function"), tr("Code")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setDragDropMode(QAbstractItemView::InternalMove);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->headerItem()->setTextAlignment(kCodeColumn, Qt::AlignRight | Qt::AlignVCenter);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(kButtonColumn, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(kFunctionColumn, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(kCodeColumn, QHeaderView::ResizeToContents);
    connect(m_list, &QWidget::customContextMenuRequested, this, &KeyMapPage::ShowMenu);

    for (int i = 0; i < KeyFunctions::kPageChoices; ++i)
        m_functions->addItem(Translated(KeyFunctions::Name(i)), i);
    m_keep->setText(tr("Keep the buttons working while another program is in front"));
    m_keep->setChecked(
        m_profile.GetProfileInt(kKeySection, kContKeyMap.name, kContKeyMap.defaultValue) == 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    auto* functionRow = new QFormLayout;
    auto* functionLabel = new QLabel(tr("Function:"), this);
    functionLabel->setBuddy(m_functions);
    functionRow->addRow(functionLabel, m_functions);
    functionRow->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    layout->addLayout(functionRow);
    layout->addWidget(m_keep);
    Fill();
}

void KeyMapPage::Fill() {
    m_list->clear();
    for (const KeyMapEntry& entry : KeyMap::ReadEntries(m_profile))
        MapKey(static_cast<uint32_t>(entry.keyCode), entry.dbl == 1, entry.functionIndex);
    m_list->clearSelection();
    m_list->setCurrentItem(nullptr);
}

void KeyMapPage::Apply() {
    std::vector<KeyMapEntry> entries;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        KeyMapEntry entry;
        entry.keyCode = item->text(kCodeColumn).toInt();
        entry.dbl = item->data(kButtonColumn, kDoubleRole).toBool() ? 1 : 0;
        entry.functionIndex = item->data(kButtonColumn, kFunctionRole).toInt();
        entries.push_back(entry);
    }
    KeyMap::Save(m_profile, entries, m_keep->isChecked());
}

void KeyMapPage::MapKey(uint32_t keyCode, bool dbl, int functionIndex) {
    const QString button = ButtonText(keyCode, dbl);
    QTreeWidgetItem* item = nullptr;
    for (int i = 0; i < m_list->topLevelItemCount() && !item; ++i) {
        if (m_list->topLevelItem(i)->text(kButtonColumn) == button)
            item = m_list->topLevelItem(i);
    }
    if (!item) {
        item = new QTreeWidgetItem(m_list);
        // Rows are dropped between rows, never onto one.
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
        item->setText(kButtonColumn, button);
        item->setTextAlignment(kCodeColumn, Qt::AlignRight | Qt::AlignVCenter);
    }
    item->setText(kFunctionColumn, Translated(KeyFunctions::Name(functionIndex)));
    item->setText(kCodeColumn, QString::number(keyCode));
    item->setData(kButtonColumn, kDoubleRole, dbl);
    item->setData(kButtonColumn, kFunctionRole, functionIndex);
    // A double press is marked beside its button.
    item->setIcon(kButtonColumn,
                  dbl ? style()->standardIcon(QStyle::SP_DialogApplyButton) : QIcon());
    m_list->setCurrentItem(item);
    m_list->scrollToItem(item);
}

void KeyMapPage::AutoMap() {
    if (m_functions->currentIndex() < 0)
        return;
    KeyCaptureDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted && dialog.Key() != 0)
        MapKey(dialog.Key(), dialog.Double(), m_functions->currentData().toInt());
}

void KeyMapPage::ManualMap() {
    ManualKeyDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        MapKey(dialog.KeyCode(), false, dialog.FunctionIndex());
}

void KeyMapPage::MoveSelected(int step) {
    QTreeWidgetItem* item = m_list->currentItem();
    if (!item || !item->isSelected())
        return;
    const int row = m_list->indexOfTopLevelItem(item);
    const int target = row + step;
    if (target < 0 || target >= m_list->topLevelItemCount())
        return;
    m_list->takeTopLevelItem(row);
    m_list->insertTopLevelItem(target, item);
    m_list->setCurrentItem(item);
    m_list->scrollToItem(item);
}

void KeyMapPage::Unmap() {
    QTreeWidgetItem* item = m_list->currentItem();
    if (item && item->isSelected())
        delete item;
}

void KeyMapPage::UnmapAll() {
    m_list->clear();
}

void KeyMapPage::Initialize() {
    KeyMap::WriteDefault(m_profile);
    Fill();
}

void KeyMapPage::ShowMenu(const QPoint& position) {
    QMenu menu(this);
    QTreeWidgetItem* item = m_list->itemAt(position);
    if (item)
        m_list->setCurrentItem(item);
    const bool selected = item != nullptr;
    if (selected && m_list->topLevelItemCount() > 1) {
        menu.addAction(tr("Up"), this, [this] { MoveSelected(-1); });
        menu.addAction(tr("Down"), this, [this] { MoveSelected(1); });
        menu.addSeparator();
    }
    menu.addAction(tr("Auto Map"), this, &KeyMapPage::AutoMap);
    menu.addAction(tr("Manual Map"), this, &KeyMapPage::ManualMap);
    menu.addSeparator();
    if (selected) {
        menu.addAction(tr("Unmap"), this, &KeyMapPage::Unmap);
        menu.addAction(tr("Unmap All"), this, &KeyMapPage::UnmapAll);
        menu.addSeparator();
    }
    menu.addAction(tr("Initialization"), this, &KeyMapPage::Initialize);
    menu.exec(m_list->viewport()->mapToGlobal(position));
}
