#include "lyrics/LyricsService.h"

#include "lyrics/HttpTransfer.h"

#include "lyrics/NetLibraries.h"

#include <memory>

namespace {

// The fixed client identity the service expects in every query.
constexpr const char* kClientVersion = "1.93";
constexpr const char* kMacAddress = "0050BA3C91D2";
constexpr const char* kIpAddress = "192.168.0.17";

struct ListDeleter {
    void operator()(curl_slist* list) const { Net().curl_slist_free_all(list); }
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
    HttpTransfer transfer(m_limits);
    CURL* easy = transfer.Handle();
    if (easy == nullptr)
        return false;
    std::unique_ptr<curl_slist, ListDeleter> headers;
    for (const std::string& line :
         {std::string("Content-Type: ") + kContentType, std::string("Expect:")}) {
        curl_slist* longer = Net().curl_slist_append(headers.get(), line.c_str());
        if (longer == nullptr)
            return false;
        headers.release();
        headers.reset(longer);
    }

    const std::string body = RequestBody(checksum);
    std::string received;
    long status = 0;
    const bool set = Net().curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get()) == CURLE_OK &&
                     Net().curl_easy_setopt(easy, CURLOPT_POST, 1L) == CURLE_OK &&
                     Net().curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data()) == CURLE_OK &&
                     Net().curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE,
                                            static_cast<long>(body.size())) == CURLE_OK;
    if (!set || !transfer.Perform(Url(), "http", kUserAgent, received, status) || status != 200)
        return false;
    answer = std::move(received);
    return true;
}
