#pragma once

#include "lyrics/LyricsService.h"

#include "lyrics/NetLibraries.h"

#include <memory>
#include <string>

// One HTTP request of a lyrics client through libcurl, under the clients' limits: time to
// connect, in all and without progress, and the answer's size (a bigger answer ends the
// transfer). Request-specific options go on Handle() before Perform().
class HttpTransfer {
public:
    explicit HttpTransfer(const LyricsServiceLimits& limits);

    // Null when libcurl could not make a handle.
    CURL* Handle() const { return m_curl.get(); }
    // Asks `url` (with the schemes of `protocols`, e.g. "http,https") as `agent`; the answer's
    // body and HTTP status on true.
    bool Perform(const std::string& url, const char* protocols, const std::string& agent,
                 std::string& body, long& status);

private:
    struct EasyDeleter {
        void operator()(CURL* curl) const { Net().curl_easy_cleanup(curl); }
    };
    static size_t Collect(char* data, size_t size, size_t count, void* user);

    LyricsServiceLimits m_limits;
    std::unique_ptr<CURL, EasyDeleter> m_curl;
    std::string* m_body = nullptr;
};
