#include "playlist/ui/PlaylistModel.h"

#include "playlist/Playlist.h"

#include <QPainter>
#include <QPixmap>

namespace {

// A small badge in the type's colour; the playing entry is a play triangle.
QIcon Badge(int image) {
    static const QColor kColors[] = {QColor(40, 170, 70),   QColor(60, 110, 200),
                                     QColor(200, 120, 30),  QColor(150, 70, 170),
                                     QColor(120, 120, 120), QColor(30, 150, 160)};
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kColors[image]);
    if (image == 0) {
        const QPointF triangle[] = {{8, 4}, {28, 16}, {8, 28}};
        painter.drawPolygon(triangle, 3);
    } else {
        painter.drawRoundedRect(QRectF(4, 6, 24, 20), 4, 4);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPointF(16, 16), 4, 4);
    }
    return QIcon(picture);
}

} // namespace

int PlaylistModel::ImageOf(const FileInfo& entry) {
    if (entry.ext == u".mp3")
        return 1;
    if (entry.ext == u".ogg")
        return 2;
    if (entry.ext == u".wma")
        return 3;
    if (entry.ext == u".wav")
        return 5;
    return 4;
}

PlaylistModel::PlaylistModel(QObject* parent) : QAbstractListModel(parent) {
    for (size_t i = 0; i < m_images.size(); ++i)
        m_images[i] = Badge(static_cast<int>(i));
}

void PlaylistModel::SetEntries(const std::vector<FileInfo>& entries, int playingRow) {
    beginResetModel();
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_entries.reserve(entries.size());
    for (const FileInfo& entry : entries)
        m_entries.emplace_back(entry);
    m_playing = playingRow;
    endResetModel();
}

std::vector<FileInfo> PlaylistModel::AllEntries() const {
    return PlaylistEntry::Infos(m_entries);
}

void PlaylistModel::SetLabels(bool useTitle, bool showArtist) {
    m_useTitle = useTitle;
    m_showArtist = showArtist;
    if (!m_entries.empty())
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::DisplayRole});
}

void PlaylistModel::SetPlayingRow(int row) {
    const int was = m_playing;
    m_playing = row;
    for (int changed : {was, row})
        if (changed >= 0 && changed < rowCount())
            emit dataChanged(index(changed), index(changed), {Qt::DecorationRole});
}

int PlaylistModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

QVariant PlaylistModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const FileInfo entry = m_entries[static_cast<size_t>(index.row())].Info();
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdU16String(Playlist::EntryLabel(entry, m_useTitle, m_showArtist));
    case Qt::DecorationRole:
        return m_images[static_cast<size_t>(index.row() == m_playing ? 0 : ImageOf(entry))];
    case Qt::ToolTipRole:
    case Qt::UserRole:
        return QString::fromStdU16String(entry.path);
    default:
        return {};
    }
}
