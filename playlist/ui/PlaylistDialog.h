#pragma once

#include "session/PlayerSession.h"

#include <QDialog>

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

class PlaylistModel;
class Profile;
class QLabel;
class QListView;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolButton;

// "Playlist...": the session's playlist as a list to edit while it plays. Every change goes to
// the session at once: loading and saving playlist files, adding files, a folder or every audio
// file in the home folder (scanned on a worker thread that can be cancelled), deleting entries
// or their files, moving (buttons, the context menu, or dragging a row) and sorting entries,
// and the labels (title or file name, artist in front). A double click or "Play" plays an
// entry; "Apply" plays the list from its start. The entry now playing is marked and followed.
// The labels' choices are written when the dialog closes.
class PlaylistDialog : public QDialog {
    Q_OBJECT

public:
    PlaylistDialog(Profile& profile, PlayerSession& session, QWidget* parent = nullptr);
    ~PlaylistDialog() override;

    // The session's list and the entry now playing, read again.
    void Refresh();
    // The entry now playing changed: its row is marked, selected and scrolled to.
    void FollowPlaying();

    // The commands, as the buttons and menus run them. The row is the selected one.
    void OpenListFile();
    void SaveListFile();
    void AddFiles();
    void AddFolder();
    // Scans on the worker thread and adds what it found (in scan order) when it ends.
    void AddFolder(const QString& folder, bool recurse);
    void AddAllFiles();
    void CancelScan();
    void DeleteOne();
    void DeleteAll();
    void DeleteFile();
    void PlaySelected();
    void Apply();
    void Move(int to); // the selected entry to row `to`
    void Sort(PlayerSession::SortKey key);
    void SetUseTitle(bool useTitle);
    void ToggleArtist();
    void ShowSongInfo();

    bool Busy() const { return m_busy; }
    QListView* List() const { return m_list; }
    PlaylistModel* Model() const { return m_model; }
    int SelectedRow() const;
    void SelectRow(int row);
    QMenu* ContextMenu(); // built for the selected row; null while busy or without one

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StartScan(const QString& folder, bool recurse);
    void ScanEnded();
    void SetBusy(bool busy);
    void ResortAndRefresh();
    void UpdateButtons();
    QFont ListFont() const;

    Profile& m_profile;
    PlayerSession& m_session;
    PlaylistModel* m_model;
    QListView* m_list;
    QPushButton* m_open;
    QPushButton* m_save;
    QToolButton* m_add;
    QToolButton* m_delete;
    QPushButton* m_play;
    QPushButton* m_apply;
    QPushButton* m_close;
    QWidget* m_busyRow;
    QLabel* m_progress;
    QProgressBar* m_bar;
    QPushButton* m_cancel;

    std::optional<PlayerSession::SortKey> m_sortKey;
    bool m_useTitle = true;
    bool m_showArtist = false;
    int m_dragRow = -1;

    bool m_busy = false;
    std::thread m_worker;
    std::atomic<bool> m_stopScan{false};
    std::atomic<size_t> m_found{0};
    std::vector<FileInfo> m_scanned; // the worker's until it ends
    QMenu* m_menu = nullptr;
};
