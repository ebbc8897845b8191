#include "lyrics/ui/LyricsListPage.h"

#include "input/Command.h"
#include "session/PlayerSession.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "ui/TextFont.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kKeyRole = Qt::UserRole;

// The row marks: a filled disc for the first row of a line, a hooked arrow for the rows that
// continue it.
QIcon RowIcon(bool first) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour(0x2E, 0x5C, 0x9E);
    if (first) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(4, 4, 8, 8));
    } else {
        painter.setPen(QPen(colour, 1.5));
        painter.drawLine(QPointF(5, 3), QPointF(5, 10));
        painter.drawLine(QPointF(5, 10), QPointF(12, 10));
        painter.drawLine(QPointF(9, 7), QPointF(12, 10));
        painter.drawLine(QPointF(9, 13), QPointF(12, 10));
    }
    return QIcon(pixmap);
}

} // namespace

LyricsListPage::LyricsListPage(PlayerSession& session, Profile& profile, QWidget* parent)
    : OptionsPage(parent), m_session(session), m_profile(profile), m_list(new QTreeWidget(this)),
      m_text(new QPlainTextEdit(this)), m_firstIcon(RowIcon(true)), m_nextIcon(RowIcon(false)) {
    m_icons = Settings::Get(m_profile, setting::kDisplayLyricsIcon) == 1;
    m_top = Settings::Get(m_profile, setting::kDisplayLyricsPos) == 1;
    setMinimumSize(320, 360); // a few lines of the list font in any window that hosts the page

    m_list->setObjectName("LyricsList");
    m_list->setColumnCount(1);
    m_list->setHeaderLabels({tr("Lyrics")});
    m_list->header()->setStretchLastSection(false);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setAutoScroll(false); // a selected row stays where it is; Highlight scrolls
    m_list->setIconSize(QSize(16, 16));
    m_list->setFont(ListFont());
    m_list->header()->setFont(font()); // the lines' font is for the lines only
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { Tapped(item); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { DoubleTapped(item); });
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { ShowMenu(position); });

    m_text->setObjectName("LyricsText");
    m_text->setReadOnly(true);
    m_text->setFont(m_list->font());
    m_text->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    layout->addWidget(m_text);
    setWindowTitle(tr("Lyrics"));
    m_session.SetLyricsPageOpen(true);
}

LyricsListPage::~LyricsListPage() {
    m_session.SetLyricsPageOpen(false);
    Settings::Set(m_profile, setting::kDisplayLyricsPos, m_top ? 1 : 0);
}

QFont LyricsListPage::ListFont() const {
    const FontSetting setting = Settings::Font(m_profile, 3);
    return FontOf(setting);
}

void LyricsListPage::ReloadFont() {
    m_list->setFont(ListFont());
    m_list->header()->setFont(font());
    m_text->setFont(m_list->font());
    if (m_filled)
        Refill();
}

QString LyricsListPage::Caption() const {
    const FileInfo entry = m_session.State().titleEntry;
    QString caption;
    if (!entry.artist.empty())
        caption = "[" + QString::fromStdU16String(entry.artist) + "]";
    if (!entry.title.empty())
        caption += (caption.isEmpty() ? "" : " ") + QString::fromStdU16String(entry.title);
    return caption.isEmpty() ? tr("Lyrics") : caption;
}

QStringList LyricsListPage::Wrap(const QString& text, int available,
                                 const std::function<int(const QString&)>& width) {
    if (width(text) <= available)
        return {text};
    QStringList rows;
    QString buffer;
    for (const QChar c : text) {
        buffer += c;
        if (c.isHighSurrogate())
            continue; // a character is measured whole
        const qsizetype added = c.isLowSurrogate() ? 2 : 1;
        if (buffer.size() <= added || width(buffer) <= available)
            continue;
        const qsizetype blank = buffer.lastIndexOf(' ');
        if (blank > 0) {
            rows << buffer.left(blank);
            buffer = buffer.mid(blank + 1);
        } else {
            rows << buffer.left(buffer.size() - added);
            buffer = buffer.right(added);
        }
    }
    if (!buffer.isEmpty())
        rows << buffer;
    return rows;
}

void LyricsListPage::AddRow(const QString& text, int key, bool first) {
    auto* item = new QTreeWidgetItem(m_list, {text});
    item->setData(0, kKeyRole, key);
    if (m_icons)
        item->setIcon(0, first ? m_firstIcon : m_nextIcon);
}

void LyricsListPage::Refill() {
    m_filled = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_list->clear();
    m_rows.clear();
    m_keys.clear();
    setWindowTitle(Caption());

    const LyricsData lyrics = m_session.Lyrics();
    if (!lyrics.textByTime.empty()) {
        m_text->hide();
        m_list->show();
        m_list->setColumnWidth(0, std::max(16, m_list->width() - kColumnMargin));
        const int available = m_list->width() - (m_icons ? kIconMargin : kPlainMargin);
        const QFontMetrics metrics(m_list->font());
        const auto width = [&metrics](const QString& row) {
            return metrics.horizontalAdvance(row);
        };
        for (const int key : lyrics.times) {
            const auto line = lyrics.textByTime.find(key);
            if (line == lyrics.textByTime.end() || line->second.empty())
                continue;
            const int firstRow = m_list->topLevelItemCount();
            const QStringList rows =
                Wrap(QString::fromStdU16String(line->second), available, width);
            for (qsizetype i = 0; i < rows.size(); ++i)
                AddRow(rows[i], key, i == 0);
            m_rows[key] = {firstRow, m_list->topLevelItemCount() - 1};
            m_keys.push_back(key);
        }
        if (m_list->topLevelItemCount() > 0) {
            m_list->setCurrentItem(m_list->topLevelItem(0));
            m_list->setFocus();
        }
        QMetaObject::invokeMethod(
            this, [this] { Highlight(m_session.State().lyric.key); }, Qt::QueuedConnection);
    } else if (!lyrics.lyrics.empty()) {
        m_list->hide();
        m_text->show();
        m_text->setPlainText(QString::fromStdU16String(lyrics.lyrics).remove('\r'));
    } else {
        m_text->hide();
        m_list->show();
        m_list->setColumnWidth(0, std::max(16, m_list->width() - kColumnMargin));
        AddRow(tr("No lyrics data."), -1, true);
        m_list->setCurrentItem(m_list->topLevelItem(0));
    }
    QApplication::restoreOverrideCursor();
    update();
}

void LyricsListPage::Highlight(int key) {
    if (m_list->topLevelItemCount() == 0)
        return;
    if (key == -1) {
        m_list->setCurrentItem(m_list->topLevelItem(0));
        m_list->scrollToItem(m_list->topLevelItem(0));
        return;
    }
    const auto rows = m_rows.find(key);
    if (rows == m_rows.end())
        return;
    m_list->setCurrentItem(m_list->topLevelItem(rows->second.first));
    const auto at = std::find(m_keys.begin(), m_keys.end(), key);
    if (at == m_keys.begin())
        return;
    // The line before stays at the top, or the line after at the bottom, so that the playing
    // line shows with what comes around it.
    m_list->setUpdatesEnabled(false);
    if (m_top) {
        m_list->scrollToItem(m_list->topLevelItem(m_rows[*std::prev(at)].first),
                             QAbstractItemView::PositionAtTop);
    } else if (std::next(at) != m_keys.end()) {
        m_list->scrollToItem(m_list->topLevelItem(m_rows[*std::next(at)].second),
                             QAbstractItemView::PositionAtBottom);
    }
    m_list->setUpdatesEnabled(true);
}

int LyricsListPage::KeyOfRow(int row) const {
    const QTreeWidgetItem* item = m_list->topLevelItem(row);
    return item ? item->data(0, kKeyRole).toInt() : -1;
}

std::pair<int, int> LyricsListPage::RowsOf(int key) const {
    const auto rows = m_rows.find(key);
    return rows == m_rows.end() ? std::pair{-1, -1} : rows->second;
}

void LyricsListPage::Tapped(QTreeWidgetItem* item) {
    if (m_keys.empty() || !item)
        return;
    if (const int key = item->data(0, kKeyRole).toInt(); key >= 0)
        m_session.SeekToLyricLine(key);
}

void LyricsListPage::DoubleTapped(QTreeWidgetItem* item) {
    if (m_keys.empty() || !item)
        return;
    if (const int key = item->data(0, kKeyRole).toInt(); key >= 0)
        m_session.LoopLyricLine(key);
}

void LyricsListPage::ShowMenu(const QPoint& position) {
    if (m_keys.empty() || !m_list->currentItem())
        return;
    const PlayerState state = m_session.State();
    QMenu menu(this);
    QAction* play = menu.addAction(tr("Play Lyrics"));
    play->setEnabled(state.playing);
    connect(play, &QAction::triggered, this, [this] {
        QMessageBox::information(this, tr("Sonvale"),
                                 tr("Please click or double-click the lyrics to play."));
    });
    menu.addSeparator();

    QMenu* sync = menu.addMenu(tr("Sync Lyrics"));
    auto addSync = [this, sync, &state](const QString& text, Command command, bool marked) {
        QAction* action = sync->addAction(text);
        action->setCheckable(true);
        action->setChecked(marked);
        action->setEnabled(state.syncedLyrics);
        connect(action, &QAction::triggered, this,
                [this, command] { m_session.StepLyricsSyncQuietly(command); });
    };
    addSync(tr("0.5 Sec Faster"), Command::SyncFaster, state.lyricsSync > 0);
    addSync(tr("Default Sync"), Command::SyncDefault, state.lyricsSync == 0 || !state.syncedLyrics);
    addSync(tr("0.5 Sec Slower"), Command::SyncSlower, state.lyricsSync < 0);

    // Either item flips the position, as the marked one selects the other.
    QMenu* place = menu.addMenu(tr("View Position"));
    for (const bool top : {true, false}) {
        QAction* action = place->addAction(top ? tr("Top") : tr("Bottom"));
        action->setCheckable(true);
        action->setChecked(m_top == top);
        connect(action, &QAction::triggered, this, [this] { m_top = !m_top; });
    }
    menu.exec(m_list->viewport()->mapToGlobal(position));
}

void LyricsListPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_filled)
        QMetaObject::invokeMethod(
            this, [this] { Refill(); }, Qt::QueuedConnection);
}

void LyricsListPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_list->topLevelItemCount() > 0)
        m_list->setColumnWidth(0, std::max(16, m_list->width() - kColumnMargin));
}
