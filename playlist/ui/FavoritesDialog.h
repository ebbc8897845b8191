#pragma once

#include "playlist/FileInfo.h"

#include <QDialog>

#include <string>
#include <utility>
#include <vector>

class Profile;
class QTreeWidget;

// "Edit Favorites...": the playlist's entries, each a row with a check box ticked for a
// favourite, in the favorites editor's font (slot 6). The current entry's row is selected. OK
// with no box ticked is refused with a message (the dialog stays); the caller then hands Marks()
// to the session.
class FavoritesDialog : public QDialog {
    Q_OBJECT

public:
    // The rows of `entries`; `current` is the index of the current entry (-1 for none).
    FavoritesDialog(Profile& profile, const std::vector<FileInfo>& entries, int current,
                    QWidget* parent = nullptr);

    QTreeWidget* List() const { return m_list; }
    // Per row: the entry's path and whether its box is ticked.
    std::vector<std::pair<std::u16string, bool>> Marks() const;

    void accept() override;

private:
    QTreeWidget* m_list;
};
