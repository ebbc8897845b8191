#include "lyrics/LyricsDownloader.h"

#include "lyrics/LrcFileWriter.h"
#include "lyrics/LrclibClient.h"
#include "lyrics/LyricsAnswer.h"
#include "lyrics/LyricsChecksum.h"
#include "platform/TextCodec.h"
#include "platform/Thread.h"
#include "settings/Settings.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

constexpr uint32_t kWaitStepMs = 100;

bool Exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

LyricsDownloader::LyricsDownloader(std::string host, LyricsServiceLimits limits)
    : m_service(std::move(host), limits), m_limits(limits) {}

LyricsDownloader::LyricsDownloader(Profile& profile, LyricsServiceLimits limits)
    : m_service(ServerHost(profile), limits), m_limits(limits), m_sources(Sources(profile)),
      m_lrclibServer(LrclibServer(profile)) {}

std::string LyricsDownloader::ServerHost(Profile& profile) {
    std::u16string host = Settings::Get(profile, setting::kLyricsServer);
    if (host.empty())
        host = setting::kLyricsServer.defaultValue;
    return TextCodec::Utf16ToUtf8(host);
}

std::string LyricsDownloader::LrclibServer(Profile& profile) {
    std::u16string server = Settings::Get(profile, setting::kLrclibServer);
    if (server.empty())
        server = setting::kLrclibServer.defaultValue;
    return TextCodec::Utf16ToUtf8(server);
}

std::vector<LyricsDownloader::Source> LyricsDownloader::Sources(Profile& profile) {
    auto parse = [](std::u16string_view text) {
        std::vector<Source> sources;
        while (!text.empty()) {
            const size_t comma = text.find(u',');
            std::u16string name(text.substr(0, comma));
            text =
                comma == std::u16string_view::npos ? std::u16string_view() : text.substr(comma + 1);
            std::erase(name, u' ');
            name = TextCodec::FoldCase(name);
            for (const auto& [known, source] :
                 {std::pair{u"soap", Source::Soap}, std::pair{u"lrclib", Source::Lrclib}}) {
                if (name == known &&
                    std::find(sources.begin(), sources.end(), source) == sources.end())
                    sources.push_back(source);
            }
        }
        return sources;
    };
    std::vector<Source> sources = parse(Settings::Get(profile, setting::kLyricsSources));
    return sources.empty() ? parse(setting::kLyricsSources.defaultValue) : sources;
}

void LyricsDownloader::SetLrclibServer(std::string baseUrl) {
    m_lrclibServer = std::move(baseUrl);
}

bool LyricsDownloader::DownloadLyrics(const std::u16string& path, bool appendSecondLine,
                                      bool appendThirdLine) {
    Clear();
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

void LyricsDownloader::Clear() {
    m_result.clear();
    m_title.clear();
    m_artist.clear();
    m_album.clear();
}

bool LyricsDownloader::Download(const std::string& path, bool appendSecondLine,
                                bool appendThirdLine) {
    // Lyrics the track has already are kept unless the caller wants them replaced.
    if (!m_replace && Exists(LrcFileWriter::LrcPath(path)))
        return false;
    for (const Source source : m_sources) {
        const bool done = source == Source::Soap
                              ? DownloadFromSoap(path, appendSecondLine, appendThirdLine)
                              : DownloadFromLrclib(path);
        if (done)
            return true;
        Clear();
    }
    return false;
}

bool LyricsDownloader::DownloadFromSoap(const std::string& path, bool appendSecondLine,
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
        LrcFileWriter::LrcPath(path), LrcFileWriter::Contents(m_artist, m_title, m_album, m_result),
        m_replace);
}

bool LyricsDownloader::DownloadFromLrclib(const std::string& path) {
    LrclibTrack track;
    LrclibLyrics lyrics;
    const LrclibClient client(m_lrclibServer, m_limits);
    if (m_lrclibServer.empty() || !LrclibClient::ReadTrack(TextCodec::Utf8ToUtf16(path), track) ||
        !client.Get(track, lyrics))
        return false;
    m_title = lyrics.title;
    m_artist = lyrics.artist;
    m_album = lyrics.album;
    m_result = LrclibClient::LrcLines(lyrics.synced);
    if (!m_result.empty()) {
        return LrcFileWriter::WriteAtomically(
            LrcFileWriter::LrcPath(path),
            LrcFileWriter::Contents(m_artist, m_title, m_album, m_result), m_replace);
    }
    // Only plain lyrics: the player shows them from the text file beside the track.
    m_result = LrclibClient::TextLines(lyrics.plain);
    return !m_result.empty() &&
           LrcFileWriter::WriteAtomically(LrcFileWriter::TextPath(path),
                                          TextCodec::Utf16ToUtf8(m_result), m_replace);
}
