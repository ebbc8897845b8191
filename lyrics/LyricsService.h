#pragma once

#include <cstddef>
#include <string>

// Limits that keep a slow, silent or flooding server from holding up the player.
struct LyricsServiceLimits {
    long connectTimeoutMs = 10000;
    long totalTimeoutMs = 30000;
    // The transfer ends when it stays below one byte per second for this long.
    long stallTimeoutS = 15;
    size_t maxAnswerBytes = 4 << 20;
};

// The one SOAP call the player makes to the lyrics web service: GetLyric5 by checksum, posted
// over HTTP with libcurl.
class LyricsService {
public:
    static constexpr const char* kObject = "alsongwebservice/service1.asmx";
    static constexpr const char* kUserAgent = "gSOAP/2.7";
    static constexpr const char* kContentType = "application/soap+xml; charset=utf-8";

    // `host` is the service's host name, with ":port" when it is not on the default HTTP port.
    explicit LyricsService(std::string host, LyricsServiceLimits limits = LyricsServiceLimits());

    // The request body for a checksum (32 hexadecimal digits).
    static std::string RequestBody(const std::string& checksum);
    // The address posted to.
    std::string Url() const;

    // Posts the request for `checksum`. True with the answer's body when the server answered
    // with status 200 in full; false on any failure (connection, time-out, status, size).
    bool GetLyric(const std::string& checksum, std::string& answer) const;

private:
    std::string m_host;
    LyricsServiceLimits m_limits;
};
