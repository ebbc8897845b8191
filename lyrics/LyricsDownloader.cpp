#include "lyrics/LyricsDownloader.h"

#include "lyrics/LrcFileWriter.h"
#include "lyrics/LyricsAnswer.h"
#include "lyrics/LyricsChecksum.h"
#include "platform/TextCodec.h"
#include "platform/Thread.h"
#include "settings/Settings.h"

namespace {

constexpr uint32_t kWaitStepMs = 100;

} // namespace

LyricsDownloader::LyricsDownloader(std::string host, LyricsServiceLimits limits)
    : m_service(std::move(host), limits) {}

std::string LyricsDownloader::ServerHost(Profile& profile) {
    std::u16string host = Settings::Get(profile, setting::kLyricsServer);
    if (host.empty())
        host = setting::kLyricsServer.defaultValue;
    return TextCodec::Utf16ToUtf8(host);
}

bool LyricsDownloader::DownloadLyrics(const std::u16string& path, bool appendSecondLine,
                                      bool appendThirdLine) {
    m_result.clear();
    m_title.clear();
    m_artist.clear();
    m_album.clear();
    const std::string file = TextCodec::Utf16ToUtf8(path);
    bool done = false;
    Thread worker;
    if (!worker.Start([&] { done = Download(file, appendSecondLine, appendThirdLine); }))
        return false;
    while (!worker.Wait(kWaitStepMs)) {
        if (m_onWait)
            m_onWait();
    }
    return done;
}

bool LyricsDownloader::Download(const std::string& path, bool appendSecondLine,
                                bool appendThirdLine) {
    std::string checksum, bytes;
    LyricsAnswer answer;
    if (!LyricsChecksum::Compute(path, checksum) || !m_service.GetLyric(checksum, bytes) ||
        !answer.Parse(bytes))
        return false;
    m_title = answer.Title();
    m_artist = answer.Artist();
    m_album = answer.Album();
    m_result = answer.LrcLines(appendSecondLine, appendThirdLine);
    if (m_result.empty())
        return false;
    return LrcFileWriter::WriteAtomically(
        LrcFileWriter::LrcPath(path),
        LrcFileWriter::Contents(m_artist, m_title, m_album, m_result));
}
