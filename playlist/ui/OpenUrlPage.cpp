#include "playlist/ui/OpenUrlPage.h"

#include "playlist/QuietPlaylistHost.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "ui/FileFilter.h"
#include "ui/Translated.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace setting;

namespace {

// The station list needs only message boxes from its host: the page shows them.
class PageHost : public QuietPlaylistHost {
public:
    explicit PageHost(QWidget* page) : m_page(page) {}

    bool MessageBox(const UiText& text, const UiText& caption, Box box) override {
        if (box == Box::Error) {
            QMessageBox::critical(m_page, Translated(caption), Translated(text));
            return false;
        }
        return QMessageBox::question(m_page, Translated(caption), Translated(text),
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    }

private:
    QPointer<QWidget> m_page;
};

} // namespace

OpenUrlPage::OpenUrlPage(Profile& profile, OpenAddress open, QWidget* parent)
    : OptionsPage(parent), m_profile(profile), m_open(std::move(open)),
      m_host(std::make_unique<PageHost>(this)), m_stations(profile, *m_host),
      m_list(new QTreeWidget(this)), m_address(new QLineEdit(QStringLiteral("http://"), this)),
      m_title(new QLineEdit(QStringLiteral("NoTitle"), this)) {
    setWindowTitle(tr("Open URL"));
    m_stations.EnsureDefaults();
    m_stations.Load();

    const QString lastPath = QString::fromStdU16String(Settings::Get(profile, kLastPath));
    m_importFolder = QFileInfo(lastPath).isDir() ? lastPath : QDir::homePath();

    m_address->setObjectName("Address");
    m_title->setObjectName("Title");
    m_list->setObjectName("Stations");
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({tr("Title"), tr("URL")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_list->setColumnWidth(0, fontMetrics().averageCharWidth() * 24);
    // Wide enough for a title and a whole address with its port and mount.
    m_list->setMinimumWidth(fontMetrics().averageCharWidth() * 80);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->viewport()->installEventFilter(this);
    for (const StationList::Station& station : m_stations.Rows())
        AddRow(station);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (QTreeWidgetItem* item = m_list->currentItem(); item && item->isSelected()) {
            m_title->setText(item->text(0));
            m_address->setText(item->text(1));
        }
    });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        QMenu menu(this);
        FillMenu(menu);
        menu.exec(m_list->viewport()->mapToGlobal(position));
    });

    auto* fields = new QFormLayout;
    fields->addRow(tr("URL:"), m_address);
    fields->addRow(tr("Title:"), m_title);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_list, 1);
}

OpenUrlPage::~OpenUrlPage() = default;

void OpenUrlPage::AddRow(const StationList::Station& station) {
    auto* item = new QTreeWidgetItem(m_list, {QString::fromStdU16String(station.title),
                                              QString::fromStdU16String(station.address)});
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
}

int OpenUrlPage::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->indexOfTopLevelItem(selected.front());
}

void OpenUrlPage::Select(int row) {
    if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
        m_list->setCurrentItem(item);
        item->setSelected(true);
        m_list->scrollToItem(item);
    }
}

void OpenUrlPage::FillMenu(QMenu& menu) {
    const int row = SelectedRow();
    connect(menu.addAction(tr("Open...")), &QAction::triggered, this, [this] { Import(); });
    if (row < 0)
        return;
    menu.addSeparator();
    if (m_list->topLevelItemCount() > 1) {
        connect(menu.addAction(tr("Up")), &QAction::triggered, this,
                [this, row] { MoveRow(row, -1); });
        connect(menu.addAction(tr("Down")), &QAction::triggered, this,
                [this, row] { MoveRow(row, +1); });
        menu.addSeparator();
    }
    connect(menu.addAction(tr("Delese")), &QAction::triggered, this,
            [this, row] { DeleteRow(row); });
    connect(menu.addAction(tr("Delete All")), &QAction::triggered, this, [this] { DeleteAll(); });
}

int OpenUrlPage::MoveRow(int row, int step) {
    const int moved = step < 0 ? m_stations.MoveUp(row) : m_stations.MoveDown(row);
    if (moved == row)
        return row;
    QTreeWidgetItem* item = m_list->takeTopLevelItem(row);
    m_list->insertTopLevelItem(moved, item);
    Select(moved);
    return moved;
}

void OpenUrlPage::DeleteRow(int row) {
    if (row < 0 || row >= m_list->topLevelItemCount())
        return;
    m_stations.Remove(row);
    delete m_list->takeTopLevelItem(row);
}

void OpenUrlPage::DeleteAll() {
    m_stations.RemoveAll();
    m_list->clear();
}

void OpenUrlPage::Import() {
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open SHOUTCast Playlist"), m_importFolder,
                                     DialogFilter(tr("SHOUTCast Playlist Files (.pls)|*.pls|")));
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    m_importFolder = QFileInfo(path).absolutePath();
    ImportFile(path);
}

int OpenUrlPage::ImportFile(const QString& path) {
    const int added = m_stations.ImportPls(path.toStdU16String());
    const auto& rows = m_stations.Rows();
    for (size_t i = rows.size() - static_cast<size_t>(added); i < rows.size(); ++i)
        AddRow(rows[i]);
    return added;
}

void OpenUrlPage::Apply() {
    m_chosen = m_stations.Accept(m_title->text().toStdU16String(),
                                 m_address->text().trimmed().toStdU16String());
    if (!m_chosen.empty() && m_open)
        m_open(m_chosen);
}

// A row dragged with the pen follows it one place at a time; near the list's top or bottom
// edge the list scrolls by a row and the row goes along.
bool OpenUrlPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_list->viewport())
        return OptionsPage::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QTreeWidgetItem* item = m_list->itemAt(mouse->position().toPoint());
        m_dragRow = mouse->button() == Qt::LeftButton && item
                        ? m_list->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item))
                        : -1;
        break;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_dragRow < 0 || !(mouse->buttons() & Qt::LeftButton))
            break;
        DragTo(mouse->position().toPoint().y());
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_dragRow = -1;
        break;
    default:
        break;
    }
    return OptionsPage::eventFilter(watched, event);
}

void OpenUrlPage::DragTo(int y) {
    QTreeWidgetItem* dragged = m_list->topLevelItem(m_dragRow);
    if (!dragged)
        return;
    const int rowHeight = std::max(1, m_list->visualItemRect(dragged).height());
    QScrollBar* scroll = m_list->verticalScrollBar();
    int target = -1;
    if (y < rowHeight / 2 && scroll->value() > scroll->minimum()) {
        scroll->setValue(scroll->value() - 1);
        target = m_dragRow - 1;
    } else if (y > m_list->viewport()->height() - rowHeight / 2 &&
               scroll->value() < scroll->maximum()) {
        scroll->setValue(scroll->value() + 1);
        target = m_dragRow + 1;
    } else if (QTreeWidgetItem* under = m_list->itemAt(QPoint(1, y))) {
        target = m_list->indexOfTopLevelItem(under);
    }
    if (target >= 0 && target != m_dragRow)
        m_dragRow = MoveRow(m_dragRow, target > m_dragRow ? +1 : -1);
}
