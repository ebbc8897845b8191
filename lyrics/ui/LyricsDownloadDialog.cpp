#include "lyrics/ui/LyricsDownloadDialog.h"

#include "lyrics/LyricsDownloader.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum Column { kTrack, kResult };

QString Label(const FileInfo& track) {
    const std::u16string& text = track.title.empty() ? track.name : track.title;
    if (!text.empty())
        return QString::fromStdU16String(text);
    return QString::fromStdU16String(track.path);
}

} // namespace

LyricsDownloadDialog::LyricsDownloadDialog(Profile& profile, std::vector<FileInfo> tracks,
                                           QWidget* parent, LyricsServiceLimits limits)
    : QDialog(parent), m_profile(profile), m_tracks(std::move(tracks)),
      m_results(m_tracks.size(), Result::Waiting), m_limits(limits) {
    setObjectName(QStringLiteral("lyrics-download"));
    setWindowTitle(tr("Download Lyrics"));
    auto* layout = new QVBoxLayout(this);

    m_second = new QCheckBox(tr("Append the second line of the same time"), this);
    m_second->setChecked(Settings::Get(profile, setting::kAppendSecondLine) == 1);
    m_third = new QCheckBox(tr("Append the third line of the same time"), this);
    m_third->setChecked(Settings::Get(profile, setting::kAppendThirdLine) == 1);
    layout->addWidget(m_second);
    layout->addWidget(m_third);

    m_list = new QTreeWidget(this);
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({tr("Track"), tr("Result")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(kTrack, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(kResult, QHeaderView::ResizeToContents);
    for (const FileInfo& track : m_tracks) {
        auto* row = new QTreeWidgetItem(m_list);
        row->setText(kTrack, Label(track));
        row->setToolTip(kTrack, QString::fromStdU16String(track.path));
    }
    layout->addWidget(m_list);

    m_progress = new QProgressBar(this);
    m_progress->setRange(0, static_cast<int>(m_tracks.size()));
    m_progress->setValue(0);
    m_progress->setFormat(QStringLiteral("%v / %m"));
    layout->addWidget(m_progress);
    m_status = new QLabel(tr("The lyrics are saved as an LRC file beside each track."), this);
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    auto* buttons = new QDialogButtonBox(this);
    m_download = buttons->addButton(tr("Download"), QDialogButtonBox::ActionRole);
    m_download->setDefault(true);
    m_close = buttons->addButton(QDialogButtonBox::Cancel);
    connect(m_download, &QPushButton::clicked, this, &LyricsDownloadDialog::Start);
    connect(m_close, &QPushButton::clicked, this, &LyricsDownloadDialog::reject);
    layout->addWidget(buttons);
    for (size_t row = 0; row < m_tracks.size(); ++row)
        ShowResult(static_cast<int>(row), Result::Waiting);
    resize(520, 360);
}

// A window closed while fetching has asked the worker to stop; it ends within the client's time
// limit.
LyricsDownloadDialog::~LyricsDownloadDialog() {
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
}

void LyricsDownloadDialog::Start() {
    if (Busy() || m_tracks.empty())
        return;
    const bool second = m_second->isChecked();
    const bool third = m_third->isChecked();
    Settings::Set(m_profile, setting::kAppendSecondLine, second ? 1 : 0);
    Settings::Set(m_profile, setting::kAppendThirdLine, third ? 1 : 0);
    m_second->setEnabled(false);
    m_third->setEnabled(false);
    m_download->setEnabled(false);
    m_status->setText(tr("Downloading lyrics..."));
    m_cancel = false;
    // The settings are read here: the store belongs to this thread.
    Services services{LyricsDownloader::ServerHost(m_profile), LyricsDownloader::Sources(m_profile),
                      LyricsDownloader::LrclibServer(m_profile)};
    m_worker = std::thread(&LyricsDownloadDialog::Fetch, this, std::move(services), second, third);
}

// Worker thread: one download after the other; the rows change on the UI thread.
void LyricsDownloadDialog::Fetch(Services services, bool second, bool third) {
    auto show = [this](int row, Result result) {
        QMetaObject::invokeMethod(
            this, [this, row, result] { ShowResult(row, result); }, Qt::QueuedConnection);
    };
    for (size_t row = 0; row < m_tracks.size() && !m_cancel; ++row) {
        show(static_cast<int>(row), Result::Downloading);
        LyricsDownloader downloader(services.host, m_limits);
        downloader.SetSources(services.sources);
        downloader.SetLrclibServer(services.lrclibServer);
        const bool saved = downloader.DownloadLyrics(m_tracks[row].path, second, third);
        show(static_cast<int>(row), saved ? Result::Saved : Result::NotReceived);
    }
    QMetaObject::invokeMethod(
        this, [this] { Finished(); }, Qt::QueuedConnection);
}

void LyricsDownloadDialog::ShowResult(int row, Result result) {
    Result& shown = m_results[static_cast<size_t>(row)];
    if (shown == Result::Cancelled && result != Result::Saved && result != Result::NotReceived)
        return;
    shown = result;
    QString text;
    switch (result) {
    case Result::Waiting:
        text = tr("Waiting");
        break;
    case Result::Downloading:
        text = tr("Downloading...");
        break;
    case Result::Saved:
        text = tr("Lyrics saved");
        m_progress->setValue(m_progress->value() + 1);
        emit LyricsWritten(QString::fromStdU16String(m_tracks[static_cast<size_t>(row)].path));
        break;
    case Result::NotReceived:
        text = tr("No lyrics received");
        m_progress->setValue(m_progress->value() + 1);
        break;
    case Result::Cancelled:
        text = tr("Cancelled");
        break;
    }
    m_list->topLevelItem(row)->setText(kResult, text);
    if (result == Result::Downloading)
        m_list->scrollToItem(m_list->topLevelItem(row));
}

void LyricsDownloadDialog::Finished() {
    if (m_worker.joinable())
        m_worker.join();
    const auto saved = std::count(m_results.begin(), m_results.end(), Result::Saved);
    m_status->setText(
        m_cancel ? tr("Cancelled: %1 of %2 tracks got lyrics.").arg(saved).arg(m_tracks.size())
                 : tr("Done: %1 of %2 tracks got lyrics.").arg(saved).arg(m_tracks.size()));
    m_close->setText(tr("Close"));
    m_close->setEnabled(true);
}

void LyricsDownloadDialog::reject() {
    if (!Busy()) {
        QDialog::reject();
        return;
    }
    if (m_cancel)
        return;
    m_cancel = true;
    for (size_t row = 0; row < m_results.size(); ++row)
        if (m_results[row] == Result::Waiting)
            ShowResult(static_cast<int>(row), Result::Cancelled);
    m_status->setText(tr("Stopping after the track being downloaded..."));
    m_close->setEnabled(false);
}
