#pragma once

#include "lyrics/LyricsService.h"

#include <functional>
#include <string>

class Profile;

// Fetches synchronised lyrics for an MP3 file from the lyrics service and writes them as an LRC
// file beside it. One object serves one download; the download dialog's command owns it.
class LyricsDownloader {
public:
    explicit LyricsDownloader(std::string host, LyricsServiceLimits limits = LyricsServiceLimits());

    // The service host of the "LyricsServer" setting (its default when the value is empty).
    static std::string ServerHost(Profile& profile);

    // Called on the calling thread about every 100 ms while a download runs, so that the
    // window can repaint.
    void SetWaitCallback(std::function<void()> callback) { m_onWait = std::move(callback); }

    // Checksums the audio file, asks the service, and writes the LRC file. Runs on a worker
    // thread while the caller waits. True when lyrics were received and written; on false no
    // file was touched. The options append the second and third line of a time group.
    bool DownloadLyrics(const std::u16string& path, bool appendSecondLine, bool appendThirdLine);

    // What the last download received: the LRC lines and the answer's song texts.
    const std::u16string& Result() const { return m_result; }
    const std::u16string& Title() const { return m_title; }
    const std::u16string& Artist() const { return m_artist; }
    const std::u16string& Album() const { return m_album; }

private:
    bool Download(const std::string& path, bool appendSecondLine, bool appendThirdLine);

    LyricsService m_service;
    std::function<void()> m_onWait;
    std::u16string m_result, m_title, m_artist, m_album;
};
