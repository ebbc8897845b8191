#include "playlist/ui/PlaylistDialog.h"

#include "platform/Profile.h"
#include "playlist/MediaOpener.h"
#include "playlist/Playlist.h"
#include "playlist/ui/PlaylistModel.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "ui/FileFilter.h"
#include "ui/TextFont.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace setting;

namespace {

// The folder of the last playlist file opened or saved, for the next file dialog.
QString& ListFolder() {
    static QString folder;
    return folder;
}

QString FolderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

} // namespace

PlaylistDialog::PlaylistDialog(Profile& profile, PlayerSession& session, QWidget* parent)
    : QDialog(parent), m_profile(profile), m_session(session) {
    setObjectName(QStringLiteral("playlist"));
    setWindowTitle(tr("Playlist"));
    m_useTitle = Settings::Get(profile, kDispID3PL) == 1;
    m_showArtist = Settings::Get(profile, kDispArtist) == 1;

    m_model = new PlaylistModel(this);
    m_model->SetLabels(m_useTitle, m_showArtist);
    m_list = new QListView(this);
    m_list->setModel(m_model);
    m_list->setUniformItemSizes(true); // quick with thousands of rows
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setFont(ListFont());
    m_list->setIconSize(QSize(16, 16));
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->viewport()->installEventFilter(this);
    connect(m_list, &QListView::doubleClicked, this, [this] { PlaySelected(); });
    connect(m_list, &QListView::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (QMenu* menu = ContextMenu())
            menu->popup(m_list->viewport()->mapToGlobal(pos));
    });

    // The scan's progress, shown while it runs.
    m_busyRow = new QWidget(this);
    auto* busyLayout = new QHBoxLayout(m_busyRow);
    busyLayout->setContentsMargins(0, 0, 0, 0);
    m_progress = new QLabel(m_busyRow);
    m_bar = new QProgressBar(m_busyRow);
    m_bar->setRange(0, 0);
    m_bar->setTextVisible(false);
    m_cancel = new QPushButton(tr("Cancel"), m_busyRow);
    m_cancel->setObjectName(QStringLiteral("cancel-scan"));
    connect(m_cancel, &QPushButton::clicked, this, &PlaylistDialog::CancelScan);
    busyLayout->addWidget(m_progress, 1);
    busyLayout->addWidget(m_bar, 1);
    busyLayout->addWidget(m_cancel);
    m_busyRow->hide();

    m_open = new QPushButton(tr("Open"), this);
    m_save = new QPushButton(tr("Save"), this);
    m_add = new QToolButton(this);
    m_add->setText(tr("Add"));
    m_delete = new QToolButton(this);
    m_delete->setText(tr("Delete"));
    m_play = new QPushButton(tr("Play"), this);
    m_apply = new QPushButton(tr("Apply"), this);
    m_close = new QPushButton(tr("Close"), this);
    m_open->setObjectName(QStringLiteral("open"));
    m_save->setObjectName(QStringLiteral("save"));
    m_add->setObjectName(QStringLiteral("add"));
    m_delete->setObjectName(QStringLiteral("delete"));
    m_play->setObjectName(QStringLiteral("play"));
    m_apply->setObjectName(QStringLiteral("apply"));
    m_close->setObjectName(QStringLiteral("close"));
    for (QToolButton* button : {m_add, m_delete}) {
        button->setPopupMode(QToolButton::InstantPopup);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    }
    auto* addMenu = new QMenu(m_add);
    addMenu->addAction(tr("Files..."), this, [this] { AddFiles(); });
    addMenu->addAction(tr("Folder..."), this, [this] { AddFolder(); });
    addMenu->addAction(tr("All Files"), this, [this] { AddAllFiles(); });
    m_add->setMenu(addMenu);
    auto* deleteMenu = new QMenu(m_delete);
    deleteMenu->addAction(tr("One"), this, [this] { DeleteOne(); });
    deleteMenu->addAction(tr("All"), this, [this] { DeleteAll(); });
    deleteMenu->addSeparator();
    deleteMenu->addAction(tr("File", "delete"), this, [this] { DeleteFile(); });
    m_delete->setMenu(deleteMenu);
    connect(m_open, &QPushButton::clicked, this, [this] { OpenListFile(); });
    connect(m_save, &QPushButton::clicked, this, [this] { SaveListFile(); });
    connect(m_play, &QPushButton::clicked, this, [this] { PlaySelected(); });
    connect(m_apply, &QPushButton::clicked, this, [this] { Apply(); });
    connect(m_close, &QPushButton::clicked, this, &PlaylistDialog::reject);

    auto* buttons = new QGridLayout;
    buttons->addWidget(m_open, 0, 0);
    buttons->addWidget(m_save, 0, 1);
    buttons->addWidget(m_add, 0, 2);
    buttons->addWidget(m_delete, 0, 3);
    auto* lower = new QHBoxLayout;
    lower->addWidget(m_play);
    lower->addWidget(m_apply);
    lower->addWidget(m_close);
    buttons->addLayout(lower, 1, 0, 1, 4);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_busyRow);
    layout->addLayout(buttons);
    resize(420, 480);

    auto* progressTimer = new QTimer(this);
    connect(progressTimer, &QTimer::timeout, this, [this] {
        if (m_busy)
            m_progress->setText(
                tr("Scanning... %n file(s) found", nullptr, static_cast<int>(m_found.load())));
    });
    progressTimer->start(100);

    Refresh();
    FollowPlaying();
}

PlaylistDialog::~PlaylistDialog() {
    m_stopScan = true;
    if (m_worker.joinable())
        m_worker.join();
    Settings::Set(m_profile, kDispID3PL, m_useTitle ? 1 : 0);
    Settings::Set(m_profile, kDispArtist, m_showArtist ? 1 : 0);
}

QFont PlaylistDialog::ListFont() const {
    const FontSetting setting = Settings::Font(m_profile, 2);
    return FontOf(setting);
}

void PlaylistDialog::Refresh() {
    const int selected = SelectedRow();
    m_model->SetEntries(m_session.PlaylistEntries(), m_session.PlayingRow());
    if (selected >= 0 && m_model->rowCount() > 0)
        SelectRow(std::min(selected, m_model->rowCount() - 1));
    UpdateButtons();
}

void PlaylistDialog::FollowPlaying() {
    const int row = m_session.PlayingRow();
    const int rows = m_model->rowCount();
    if (row >= rows || rows != m_session.PlaylistCount())
        Refresh();
    m_model->SetPlayingRow(row);
    if (row >= 0 && !m_busy) {
        SelectRow(row);
        m_list->scrollTo(m_model->index(row), QAbstractItemView::PositionAtCenter);
    }
}

int PlaylistDialog::SelectedRow() const {
    const QModelIndexList rows = m_list->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void PlaylistDialog::SelectRow(int row) {
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row);
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_list->scrollTo(index);
}

void PlaylistDialog::UpdateButtons() {
    const bool idle = !m_busy;
    for (QWidget* button :
         std::initializer_list<QWidget*>{m_open, m_save, m_add, m_delete, m_play, m_apply, m_close})
        button->setEnabled(idle);
}

void PlaylistDialog::SetBusy(bool busy) {
    m_busy = busy;
    m_busyRow->setVisible(busy);
    if (busy)
        m_progress->setText(tr("Scanning... %n file(s) found", nullptr, 0));
    UpdateButtons();
    if (busy)
        m_cancel->setFocus();
}

// After a load, an add or a view change the chosen sort order is kept.
void PlaylistDialog::ResortAndRefresh() {
    if (m_sortKey)
        m_session.SortPlaylist(*m_sortKey);
    Refresh();
    m_model->SetLabels(m_useTitle, m_showArtist);
}

// ---- Playlist files

void PlaylistDialog::OpenListFile() {
    if (m_busy)
        return;
    if (ListFolder().isEmpty())
        ListFolder() = QString::fromStdU16String(Settings::Get(m_profile, kLastPath));
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open Playlist File"), ListFolder(),
                                     DialogFilter(tr("Playlist Files (.wpl)|*.wpl|")));
    if (path.isEmpty() || QFileInfo(path).suffix().compare("wpl", Qt::CaseInsensitive) != 0)
        return;
    ListFolder() = FolderOf(path);
    m_session.OpenPlaylistFile(path.toStdU16String());
    ResortAndRefresh();
}

void PlaylistDialog::SaveListFile() {
    if (m_busy)
        return;
    if (m_model->rowCount() == 0) {
        m_session.SavePlaylistFile(std::u16string()); // tells the user the list is empty
        return;
    }
    QFileDialog dialog(this, tr("Save Playlist File"), ListFolder(),
                       DialogFilter(tr("Playlist Files (.wpl)|*.wpl|")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("wpl"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().front();
    ListFolder() = FolderOf(path);
    m_session.SavePlaylistFile(path.toStdU16String());
}

// ---- Adding

void PlaylistDialog::AddFiles() {
    if (m_busy)
        return;
    const QString filter = m_session.WmaAvailable()
                               ? tr("Audio Files|*.mp2;*.mp3;*.ogg;*.wma;*.asf;*.wav|")
                               : tr("Audio Files|*.mp2;*.mp3;*.ogg;*.wav|");
    const QStringList files = QFileDialog::getOpenFileNames(
        this, tr("Add Audio Files"), QString::fromStdU16String(Settings::Get(m_profile, kLastPath)),
        DialogFilter(filter));
    std::vector<std::u16string> paths;
    for (const QString& file : files)
        paths.push_back(file.toStdU16String());
    if (paths.empty())
        return;
    m_session.AddFilesToPlaylist(paths);
    ResortAndRefresh();
}

// The folder chooser, with whether subfolders count (they do unless unticked).
void PlaylistDialog::AddFolder() {
    if (m_busy)
        return;
    QFileDialog dialog(this, tr("Select folder with audio files"),
                       QString::fromStdU16String(Settings::Get(m_profile, kOpenFolderName)));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    auto* subFolders = new QCheckBox(tr("Include subfolders"), &dialog);
    subFolders->setObjectName(QStringLiteral("subfolders"));
    subFolders->setChecked(true);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(subFolders, grid->rowCount(), 0, 1, -1);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    AddFolder(dialog.selectedFiles().front(), subFolders->isChecked());
}

void PlaylistDialog::AddFolder(const QString& folder, bool recurse) {
    StartScan(folder, recurse);
}

void PlaylistDialog::AddAllFiles() {
    StartScan(QDir::homePath(), true);
}

void PlaylistDialog::StartScan(const QString& folder, bool recurse) {
    if (m_busy)
        return;
    if (m_worker.joinable())
        m_worker.join();
    m_stopScan = false;
    m_found = 0;
    SetBusy(true);
    // The scan starts from the listed entries, so that it skips them and stops when the list
    // would be full; what it adds is the part after them.
    m_scanned = m_model->AllEntries();
    const std::u16string start = folder.toStdU16String();
    const bool wma = m_session.WmaAvailable();
    m_worker = std::thread([this, start, recurse, wma] {
        const size_t listed = m_scanned.size();
        MediaOpener::ScanFolderAside(start, recurse, wma, m_scanned, [this, listed](size_t found) {
            m_found = found - listed;
            return !m_stopScan && found < static_cast<size_t>(Playlist::kMaxEntries);
        });
        m_scanned.erase(m_scanned.begin(), m_scanned.begin() + static_cast<long>(listed));
        QMetaObject::invokeMethod(
            this, [this] { ScanEnded(); }, Qt::QueuedConnection);
    });
}

void PlaylistDialog::ScanEnded() {
    if (m_worker.joinable())
        m_worker.join();
    std::vector<FileInfo> found = std::move(m_scanned);
    m_scanned.clear();
    if (!m_stopScan)
        m_session.AppendToPlaylist(found);
    SetBusy(false);
    ResortAndRefresh();
}

// A cancelled scan adds nothing.
void PlaylistDialog::CancelScan() {
    m_stopScan = true;
}

// ---- Deleting, moving, sorting

void PlaylistDialog::DeleteOne() {
    const int row = SelectedRow();
    if (m_busy || row < 0)
        return;
    m_session.RemovePlaylistEntry(row);
    Refresh();
    m_list->clearSelection();
    SelectRow(row > 0 ? row - 1 : 0);
}

void PlaylistDialog::DeleteAll() {
    if (m_busy)
        return;
    m_session.ClearPlaylist();
    Refresh();
}

void PlaylistDialog::DeleteFile() {
    const int row = SelectedRow();
    if (m_busy || row < 0)
        return;
    if (!m_session.DeletePlaylistFile(row))
        return;
    Refresh();
    m_list->clearSelection();
    SelectRow(row > 0 ? row - 1 : 0);
}

void PlaylistDialog::Move(int to) {
    const int row = SelectedRow();
    if (m_busy || row < 0 || to < 0 || to >= m_model->rowCount() || to == row)
        return;
    m_session.MovePlaylistEntry(row, to);
    Refresh();
    SelectRow(to);
}

void PlaylistDialog::Sort(PlayerSession::SortKey key) {
    if (m_busy)
        return;
    m_sortKey = key;
    ResortAndRefresh();
}

void PlaylistDialog::SetUseTitle(bool useTitle) {
    m_useTitle = useTitle;
    ResortAndRefresh();
}

void PlaylistDialog::ToggleArtist() {
    m_showArtist = !m_showArtist;
    ResortAndRefresh();
}

// ---- Playing

void PlaylistDialog::PlaySelected() {
    const int row = SelectedRow();
    if (m_busy || row < 0)
        return;
    m_session.PlayPlaylistEntry(row);
    accept();
}

void PlaylistDialog::Apply() {
    if (m_busy)
        return;
    if (m_session.ApplyPlaylist())
        accept();
}

void PlaylistDialog::reject() {
    CancelScan();
    QDialog::reject();
}

// Title, file name, artist and album of the selected entry. The labels are Korean whatever the
// language.
void PlaylistDialog::ShowSongInfo() {
    const int row = SelectedRow();
    if (m_busy || row < 0)
        return;
    const FileInfo entry = m_model->EntryAt(row);
    auto line = [](const QString& label, const std::u16string& value) {
        return QStringLiteral("<tr><td width=\"20%\"><p align=\"center\">%1</td>"
                              "<td width=\"80%\">%2</td></tr>")
            .arg(label, QString::fromStdU16String(value).toHtmlEscaped());
    };
    const QString html =
        QStringLiteral("<html><body><table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" "
                       "width=\"100%\">") +
        line(QStringLiteral("노래명:"), entry.title) + line(QStringLiteral("파일명:"), entry.name) +
        line(QStringLiteral("가수명:"), entry.artist) +
        line(QStringLiteral("앨범명:"), entry.album) + QStringLiteral("</table></body></html>");
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("노래 파일 정보"), html, QMessageBox::Ok,
                    this);
    box.setTextFormat(Qt::RichText);
    box.exec();
}

QMenu* PlaylistDialog::ContextMenu() {
    const int row = SelectedRow();
    if (m_busy || row < 0)
        return nullptr;
    delete m_menu;
    m_menu = new QMenu(this);
    m_menu->addAction(tr("Play"), this, [this] { PlaySelected(); });
    m_menu->addAction(tr("Song Information"), this, [this] { ShowSongInfo(); });
    m_menu->addSeparator();
    const bool several = m_model->rowCount() > 1;
    m_menu->addAction(tr("Up"), this, [this] { Move(SelectedRow() - 1); })->setEnabled(several);
    m_menu->addAction(tr("Down"), this, [this] { Move(SelectedRow() + 1); })->setEnabled(several);
    m_menu->addAction(tr("Top"), this, [this] { Move(0); })->setEnabled(several);
    m_menu->addAction(tr("Bottom"), this, [this] { Move(m_model->rowCount() - 1); })
        ->setEnabled(several);
    m_menu->addSeparator();

    QMenu* view = m_menu->addMenu(tr("View"));
    QAction* artist = view->addAction(tr("Artist"), this, [this] { ToggleArtist(); });
    artist->setCheckable(true);
    artist->setChecked(m_showArtist);
    QAction* title = view->addAction(tr("Title"), this, [this] { SetUseTitle(true); });
    title->setCheckable(true);
    title->setChecked(m_useTitle);
    QAction* file = view->addAction(tr("File"), this, [this] { SetUseTitle(false); });
    file->setCheckable(true);
    file->setChecked(!m_useTitle);

    using Key = PlayerSession::SortKey;
    QMenu* sort = m_menu->addMenu(tr("Sort"));
    sort->addAction(tr("Title"), this, [this] { Sort(Key::Title); });
    sort->addAction(tr("Artist"), this, [this] { Sort(Key::Artist); });
    sort->addAction(tr("Album"), this, [this] { Sort(Key::Album); });
    sort->addAction(tr("File"), this, [this] { Sort(Key::Name); });
    sort->addAction(tr("Path"), this, [this] { Sort(Key::Path); });

    QMenu* remove = m_menu->addMenu(tr("Delete"));
    remove->addAction(tr("One"), this, [this] { DeleteOne(); });
    remove->addAction(tr("All"), this, [this] { DeleteAll(); });
    remove->addSeparator();
    remove->addAction(tr("File", "delete"), this, [this] { DeleteFile(); });
    return m_menu;
}

// Pressing on a row and dragging moves its entry: the row follows the pen one place at a time,
// and moves on (the list scrolling with it) while the pen stays near its top or bottom edge.
bool PlaylistDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_list->viewport() || m_busy)
        return QDialog::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (mouse->button() == Qt::LeftButton)
            m_dragRow = m_list->indexAt(mouse->position().toPoint()).row();
        break;
    case QEvent::MouseMove: {
        if (m_dragRow < 0 || !(mouse->buttons() & Qt::LeftButton))
            break;
        const QPoint pos = mouse->position().toPoint();
        const int edge = m_list->fontMetrics().height();
        int target = m_list->indexAt(pos).row();
        if (pos.y() < edge)
            target = m_dragRow - 1;
        else if (pos.y() > m_list->viewport()->height() - edge)
            target = m_dragRow + 1;
        if (target < 0 || target >= m_model->rowCount() || target == m_dragRow)
            return true;
        // One place at a time.
        const int row = target > m_dragRow ? m_dragRow + 1 : m_dragRow - 1;
        m_session.MovePlaylistEntry(m_dragRow, row);
        m_dragRow = row;
        Refresh();
        SelectRow(row);
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_dragRow = -1;
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
