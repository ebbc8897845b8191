#include "lyrics/LyricsService.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace {

// The fixed client identity the service expects in every query.
constexpr const char* kClientVersion = "1.93";
constexpr const char* kMacAddress = "0050BA3C91D2";
constexpr const char* kIpAddress = "192.168.0.17";

struct Download {
    std::string* body;
    size_t limit;
};

size_t Collect(char* data, size_t size, size_t count, void* user) {
    auto* download = static_cast<Download*>(user);
    const size_t bytes = size * count;
    if (bytes > download->limit - download->body->size())
        return 0; // too big: the transfer ends with a write error
    download->body->append(data, bytes);
    return bytes;
}

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

} // namespace

LyricsService::LyricsService(std::string host, LyricsServiceLimits limits)
    : m_host(std::move(host)), m_limits(limits) {}

std::string LyricsService::RequestBody(const std::string& checksum) {
    std::string body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    body += "<SOAP-ENV:Envelope"
            " xmlns:SOAP-ENV=\"http://www.w3.org/2003/05/soap-envelope\""
            " xmlns:SOAP-ENC=\"http://www.w3.org/2003/05/soap-encoding\""
            " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
            " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
            " xmlns:ns2=\"ALSongWebServer/Service1Soap\""
            " xmlns:ns1=\"ALSongWebServer\""
            " xmlns:ns3=\"ALSongWebServer/Service1Soap12\">";
    body += "<SOAP-ENV:Body><ns1:GetLyric5><ns1:stQuery>";
    body += "<ns1:strChecksum>" + checksum + "</ns1:strChecksum>";
    body += std::string("<ns1:strVersion>") + kClientVersion + "</ns1:strVersion>";
    body += std::string("<ns1:strMACAddress>") + kMacAddress + "</ns1:strMACAddress>";
    body += std::string("<ns1:strIPAddress>") + kIpAddress + "</ns1:strIPAddress>";
    body += "</ns1:stQuery></ns1:GetLyric5></SOAP-ENV:Body></SOAP-ENV:Envelope>";
    return body;
}

std::string LyricsService::Url() const {
    return "http://" + m_host + "/" + kObject;
}

bool LyricsService::GetLyric(const std::string& checksum, std::string& answer) const {
    answer.clear();
    if (m_host.empty())
        return false;
    GlobalInit();
    std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!curl)
        return false;
    std::unique_ptr<curl_slist, ListDeleter> headers;
    for (const std::string& line :
         {std::string("Content-Type: ") + kContentType, std::string("Expect:")}) {
        curl_slist* longer = curl_slist_append(headers.get(), line.c_str());
        if (longer == nullptr)
            return false;
        headers.release();
        headers.reset(longer);
    }

    const std::string url = Url();
    const std::string body = RequestBody(checksum);
    std::string received;
    Download download{&received, m_limits.maxAnswerBytes};
    CURL* easy = curl.get();
    const bool set =
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http") == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get()) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_POST, 1L) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data()) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size())) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, m_limits.connectTimeoutMs) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, m_limits.totalTimeoutMs) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, m_limits.stallTimeoutS) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE,
                         static_cast<curl_off_t>(m_limits.maxAnswerBytes)) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Collect) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &download) == CURLE_OK;
    if (!set || curl_easy_perform(easy) != CURLE_OK)
        return false;
    long status = 0;
    if (curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status != 200)
        return false;
    answer = std::move(received);
    return true;
}
