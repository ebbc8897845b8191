#pragma once

#include "lyrics/LyricsDownloader.h"
#include "lyrics/LyricsService.h"
#include "playlist/FileInfo.h"

#include <QDialog>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

class Profile;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

// "Download Lyrics...": fetches the lyrics of one or more tracks from the lyrics service and
// writes each as an LRC file beside its track. The two check boxes are the download options;
// Download writes them and starts. The tracks are fetched one after the other on a worker
// thread; each row shows its track's progress and then its result, and every file written is
// reported by LyricsWritten. Cancel while fetching stops before the next track: the track being
// fetched ends with the service's answer or the client's time limit, and the dialog then offers
// Close. Closing the window counts as Cancel.
class LyricsDownloadDialog : public QDialog {
    Q_OBJECT

public:
    // What each row ends with.
    enum class Result { Waiting, Downloading, Saved, NotReceived, Cancelled };

    LyricsDownloadDialog(Profile& profile, std::vector<FileInfo> tracks, QWidget* parent = nullptr,
                         LyricsServiceLimits limits = LyricsServiceLimits());
    ~LyricsDownloadDialog() override;

    QCheckBox* SecondLine() const { return m_second; }
    QCheckBox* ThirdLine() const { return m_third; }
    QTreeWidget* List() const { return m_list; }
    QPushButton* DownloadButton() const { return m_download; }
    QPushButton* CloseButton() const { return m_close; }
    Result ResultOf(int row) const { return m_results[static_cast<size_t>(row)]; }
    // A worker is fetching.
    bool Busy() const { return m_worker.joinable(); }

    // Writes the options and starts fetching (the Download button).
    void Start();
    void reject() override;

signals:
    void LyricsWritten(const QString& trackPath);

private:
    // Where the worker asks, as the settings say.
    struct Services {
        std::string host;
        std::vector<LyricsDownloader::Source> sources;
        std::string lrclibServer;
    };
    void Fetch(Services services, bool second, bool third);
    void ShowResult(int row, Result result);
    void Finished();

    Profile& m_profile;
    std::vector<FileInfo> m_tracks;
    std::vector<Result> m_results;
    LyricsServiceLimits m_limits;
    QCheckBox* m_second;
    QCheckBox* m_third;
    QTreeWidget* m_list;
    QProgressBar* m_progress;
    QLabel* m_status;
    QPushButton* m_download;
    QPushButton* m_close;
    std::atomic<bool> m_cancel{false};
    std::thread m_worker;
};
