#pragma once

#include "playlist/FileInfo.h"

#include <QAbstractListModel>
#include <QIcon>

#include <array>
#include <vector>

// The rows of the playlist dialog: a copy of the session's entries, each labelled by its title
// or file name (with "<artist> " in front when asked) and shown with its type's picture; the
// entry now playing has a picture of its own.
class PlaylistModel : public QAbstractListModel {
    Q_OBJECT

public:
    // The pictures: 0 the entry now playing; ".mp3" 1, ".ogg" 2, ".wma" 3, other 4, ".wav" 5.
    static int ImageOf(const FileInfo& entry);

    explicit PlaylistModel(QObject* parent = nullptr);

    void SetEntries(std::vector<FileInfo> entries, int playingRow);
    void SetLabels(bool useTitle, bool showArtist);
    void SetPlayingRow(int row);
    int PlayingRow() const { return m_playing; }
    const std::vector<FileInfo>& Entries() const { return m_entries; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<FileInfo> m_entries;
    int m_playing = -1;
    bool m_useTitle = true;
    bool m_showArtist = false;
    std::array<QIcon, 6> m_images;
};
