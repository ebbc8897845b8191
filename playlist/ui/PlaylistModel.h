#pragma once

#include "playlist/FileInfo.h"
#include "playlist/PlaylistEntry.h"

#include <QAbstractListModel>
#include <QIcon>

#include <array>
#include <vector>

// The rows of the playlist dialog: a copy of the session's entries (kept compact like the list's
// own), each labelled by its title
// or file name (with "<artist> " in front when asked) and shown with its type's picture; the
// entry now playing has a picture of its own.
class PlaylistModel : public QAbstractListModel {
    Q_OBJECT

public:
    // The pictures: 0 the entry now playing; ".mp3" 1, ".ogg" 2, ".wma" 3, other 4, ".wav" 5.
    static int ImageOf(const FileInfo& entry);

    explicit PlaylistModel(QObject* parent = nullptr);

    void SetEntries(const std::vector<FileInfo>& entries, int playingRow);
    void SetLabels(bool useTitle, bool showArtist);
    void SetPlayingRow(int row);
    int PlayingRow() const { return m_playing; }
    // The entry in `row`, which must be there, and all of them.
    FileInfo EntryAt(int row) const { return m_entries.at(static_cast<size_t>(row)).Info(); }
    std::vector<FileInfo> AllEntries() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<PlaylistEntry> m_entries;
    int m_playing = -1;
    bool m_useTitle = true;
    bool m_showArtist = false;
    std::array<QIcon, 6> m_images;
};
