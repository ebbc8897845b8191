#include "lyrics/HttpTransfer.h"

HttpTransfer::HttpTransfer(const LyricsServiceLimits& limits) : m_limits(limits) {
    if (NetLibraries::Load())
        m_curl.reset(Net().curl_easy_init());
}

size_t HttpTransfer::Collect(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<HttpTransfer*>(user);
    const size_t bytes = size * count;
    if (bytes > transfer->m_limits.maxAnswerBytes - transfer->m_body->size())
        return 0; // too big: the transfer ends with a write error
    transfer->m_body->append(data, bytes);
    return bytes;
}

bool HttpTransfer::Perform(const std::string& url, const char* protocols, const std::string& agent,
                           std::string& body, long& status) {
    CURL* easy = m_curl.get();
    if (easy == nullptr || url.empty())
        return false;
    body.clear();
    m_body = &body;
    const bool set =
        Net().curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) == CURLE_OK &&
        Net().curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, protocols) == CURLE_OK &&
        Net().curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
        Net().curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str()) == CURLE_OK &&
        Net().curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, m_limits.connectTimeoutMs) ==
            CURLE_OK &&
        Net().curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, m_limits.totalTimeoutMs) == CURLE_OK &&
        Net().curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
        Net().curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, m_limits.stallTimeoutS) == CURLE_OK &&
        Net().curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE,
                               static_cast<curl_off_t>(m_limits.maxAnswerBytes)) == CURLE_OK &&
        Net().curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Collect) == CURLE_OK &&
        Net().curl_easy_setopt(easy, CURLOPT_WRITEDATA, this) == CURLE_OK;
    const bool done = set && Net().curl_easy_perform(easy) == CURLE_OK &&
                      Net().curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK;
    m_body = nullptr;
    return done;
}
