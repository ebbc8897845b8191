#pragma once

#include "lyrics/LyricsService.h"

#include <functional>
#include <string>
#include <vector>

class Profile;

// Fetches synchronised lyrics for a track from the lyrics services and writes them as an LRC
// file beside it. One object serves one download; the download dialog's command owns it.
//
// Two services can answer, asked in turn until one has lyrics: the SOAP service of
// "LyricsServer", which knows MP3 files by a checksum of their audio, and LRCLIB
// ("LrclibServer"), which is asked by the title, artist, album and length in the tags and
// answers timed lyrics or, for some tracks, only plain text.
class LyricsDownloader {
public:
    enum class Source { Soap, Lrclib };

    // Asks only the SOAP service at `host`.
    explicit LyricsDownloader(std::string host, LyricsServiceLimits limits = LyricsServiceLimits());
    // Asks the services of the settings "LyricsSources", "LyricsServer" and "LrclibServer".
    explicit LyricsDownloader(Profile& profile, LyricsServiceLimits limits = LyricsServiceLimits());

    // The service host of the "LyricsServer" setting (its default when the value is empty).
    static std::string ServerHost(Profile& profile);
    // The base address of the "LrclibServer" setting (its default when the value is empty).
    static std::string LrclibServer(Profile& profile);
    // The services of the "LyricsSources" setting in its order; the default order when it names
    // none.
    static std::vector<Source> Sources(Profile& profile);

    // The services asked, in order, and LRCLIB's base address.
    void SetSources(std::vector<Source> sources) { m_sources = std::move(sources); }
    void SetLrclibServer(std::string baseUrl);

    // On (the default), the lyrics received replace the files beside the track, as the
    // download command does; off, a track that has them keeps them and the download fails.
    void SetReplaceExisting(bool replace) { m_replace = replace; }

    // Called on the calling thread about every 100 ms while a download runs, so that the
    // window can repaint.
    void SetWaitCallback(std::function<void()> callback) { m_onWait = std::move(callback); }

    // Asks the services in turn and writes what the first with lyrics answered: timed lyrics
    // as the LRC file beside the track; LRCLIB's plain lyrics, when it has no timed ones for the
    // track, as the text file beside it (F/N.txt, UTF-8). Runs on a worker thread while the
    // caller waits. True when lyrics were received and written; on false no file was touched.
    // The options append the second and third line of a time group of the SOAP service.
    bool DownloadLyrics(const std::u16string& path, bool appendSecondLine, bool appendThirdLine);

    // What the last download received: the LRC lines (or the plain lines) and the song texts of
    // the service that answered.
    const std::u16string& Result() const { return m_result; }
    const std::u16string& Title() const { return m_title; }
    const std::u16string& Artist() const { return m_artist; }
    const std::u16string& Album() const { return m_album; }

private:
    bool Download(const std::string& path, bool appendSecondLine, bool appendThirdLine);
    bool DownloadFromSoap(const std::string& path, bool appendSecondLine, bool appendThirdLine);
    bool DownloadFromLrclib(const std::string& path);
    void Clear();

    LyricsService m_service;
    LyricsServiceLimits m_limits;
    std::vector<Source> m_sources{Source::Soap};
    std::string m_lrclibServer;
    bool m_replace = true;
    std::function<void()> m_onWait;
    std::u16string m_result, m_title, m_artist, m_album;
};
