#pragma once

#include "lyrics/LyricsChecksum.h"

#include "tests/LoopbackServer.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>

// The lyrics service on 127.0.0.1: answers each GetLyric5 call with the lyrics it was given for
// the checksum asked for, and with empty lyrics (a song it does not know) otherwise. A silent
// stand-in reads the call and never answers.
class LyricsStandIn {
public:
    explicit LyricsStandIn(bool silent = false)
        : m_server([this, silent](LoopbackServer& server, int fd) { Answer(server, fd, silent); }) {
    }

    std::string Host() const { return "127.0.0.1:" + std::to_string(m_server.Port()); }
    int Calls() const { return m_server.Connections(); }

    // The lyrics ("[mm:ss.xx]text" lines) of the MP3 file at `path`.
    void Know(const std::string& path, const std::string& lyrics) {
        std::string checksum;
        LyricsChecksum::Compute(path, checksum);
        std::lock_guard lock(m_lock);
        m_lyrics[checksum] = lyrics;
    }

    static std::string Envelope(const std::string& lyric) {
        return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
               "xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><soap:Body>"
               "<GetLyric5Response xmlns=\"ALSongWebServer\"><GetLyric5Result><strLyric>" +
               lyric +
               "</strLyric><strTitle>Song</strTitle><strArtist>The Band</strArtist>"
               "<strAlbum>Album</strAlbum></GetLyric5Result></GetLyric5Response>"
               "</soap:Body></soap:Envelope>";
    }

private:
    void Answer(LoopbackServer& server, int fd, bool silent) {
        // The rest of the body that Content-Length announces.
        std::string request = server.Request();
        const size_t end = request.find("\r\n\r\n");
        const size_t length = request.find("Content-Length: ");
        const size_t want = length < end ? std::stoul(request.substr(length + 16)) : 0;
        char scratch[1024];
        while (!server.Stopping() && request.size() < end + 4 + want) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = recv(fd, scratch, sizeof scratch, 0);
            if (n <= 0)
                return;
            request.append(scratch, static_cast<size_t>(n));
        }
        if (silent) {
            server.Hold(fd, 60000);
            return;
        }
        const size_t from = request.find("<ns1:strChecksum>");
        const std::string checksum =
            from == std::string::npos ? std::string() : request.substr(from + 17, 32);
        std::string lyric;
        {
            std::lock_guard lock(m_lock);
            const auto found = m_lyrics.find(checksum);
            if (found != m_lyrics.end())
                lyric = found->second;
        }
        const std::string body = Envelope(lyric);
        LoopbackServer::Send(fd, "HTTP/1.1 200 OK\r\nContent-Type: application/soap+xml; "
                                 "charset=utf-8\r\nContent-Length: " +
                                     std::to_string(body.size()) + "\r\n\r\n" + body);
    }

    std::mutex m_lock;
    std::map<std::string, std::string> m_lyrics;
    LoopbackServer m_server; // last: it answers from the members above
};
