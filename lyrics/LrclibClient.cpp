#include "lyrics/LrclibClient.h"

#include "lyrics/HttpTransfer.h"

#include "engine/core/FileReader.h"
#include "engine/core/PlayerTypes.h"
#include "engine/decoders/MpegFile.h"
#include "engine/decoders/OggFile.h"
#include "engine/tags/Id3Tag.h"
#include "engine/tags/VorbisComments.h"
#include "platform/TextCodec.h"

#include "lyrics/NetLibraries.h"
#include <nlohmann/json.hpp>

#include <memory>
#include <string_view>
#include <vector>

namespace {

std::string Escape(CURL* curl, const std::string& text) {
    char* escaped = Net().curl_easy_escape(curl, text.data(), static_cast<int>(text.size()));
    if (escaped == nullptr)
        return {};
    std::string out = escaped;
    Net().curl_free(escaped);
    return out;
}

// A text member of a record; "" when it is missing, null or not a text.
std::string Text(const nlohmann::json& record, const char* name) {
    const auto found = record.find(name);
    return found != record.end() && found->is_string() ? found->get<std::string>() : std::string();
}

std::string TrimBlanks(std::string_view text) {
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos)
        return {};
    return std::string(text.substr(begin, text.find_last_not_of(" \t") - begin + 1));
}

// The lines of a text, without their "\r\n" or "\n".
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return lines;
}

// "[mm:ss.xx]" and the like: a bracket opened by a digit and closed on the line.
bool StartsWithTime(std::string_view line) {
    return line.size() > 2 && line[0] == '[' && line[1] >= '0' && line[1] <= '9' &&
           line.find(']') != std::string_view::npos;
}

std::string Stem(const std::u16string& path) {
    const std::string name = TextCodec::Utf16ToUtf8(path.substr(path.rfind(u'/') + 1));
    return name.substr(0, name.rfind('.'));
}

} // namespace

LrclibClient::LrclibClient(std::string baseUrl, LyricsServiceLimits limits)
    : m_base(std::move(baseUrl)), m_limits(limits) {
    while (!m_base.empty() && m_base.back() == '/')
        m_base.pop_back();
}

std::string LrclibClient::UserAgent() {
    return std::string("Sonvale v") + SONVALE_VERSION + " (" + SONVALE_HOME_PAGE + ")";
}

std::string LrclibClient::GetUrl(const LrclibTrack& track) const {
    HttpTransfer transfer(m_limits);
    CURL* curl = transfer.Handle();
    if (curl == nullptr)
        return {};
    std::string url = m_base + "/api/get?track_name=" + Escape(curl, track.title) +
                      "&artist_name=" + Escape(curl, track.artist);
    if (!track.album.empty())
        url += "&album_name=" + Escape(curl, track.album);
    if (track.durationS > 0)
        url += "&duration=" + std::to_string(track.durationS);
    return url;
}

bool LrclibClient::Get(const LrclibTrack& track, LrclibLyrics& lyrics) const {
    lyrics = LrclibLyrics();
    if (m_base.empty() || track.title.empty() || track.artist.empty())
        return false;
    std::string body;
    long status = 0;
    return Fetch(GetUrl(track), body, status) && status == 200 && Parse(body, lyrics);
}

bool LrclibClient::Fetch(const std::string& url, std::string& body, long& status) const {
    HttpTransfer transfer(m_limits);
    return transfer.Handle() != nullptr &&
           Net().curl_easy_setopt(transfer.Handle(), CURLOPT_HTTPGET, 1L) == CURLE_OK &&
           transfer.Perform(url, "http,https", UserAgent(), body, status);
}

bool LrclibClient::Parse(const std::string& json, LrclibLyrics& lyrics) {
    lyrics = LrclibLyrics();
    const nlohmann::json record = nlohmann::json::parse(json, nullptr, false);
    if (!record.is_object())
        return false;
    lyrics.title = TextCodec::Utf8ToUtf16(Text(record, "trackName"));
    lyrics.artist = TextCodec::Utf8ToUtf16(Text(record, "artistName"));
    lyrics.album = TextCodec::Utf8ToUtf16(Text(record, "albumName"));
    lyrics.synced = Text(record, "syncedLyrics");
    lyrics.plain = Text(record, "plainLyrics");
    return !LrcLines(lyrics.synced).empty() || !TextLines(lyrics.plain).empty();
}

std::u16string LrclibClient::LrcLines(const std::string& synced) {
    std::string out;
    for (std::string_view line : Lines(synced)) {
        if (!StartsWithTime(line))
            continue;
        const size_t close = line.find(']');
        out.append(line.substr(0, close + 1));
        out += TrimBlanks(line.substr(close + 1));
        out += "\r\n";
    }
    return TextCodec::Utf8ToUtf16(out);
}

std::u16string LrclibClient::TextLines(const std::string& plain) {
    std::vector<std::string_view> lines = Lines(plain);
    while (!lines.empty() && TrimBlanks(lines.back()).empty())
        lines.pop_back();
    size_t first = 0;
    while (first < lines.size() && TrimBlanks(lines[first]).empty())
        ++first;
    std::string out;
    for (size_t i = first; i < lines.size(); ++i) {
        out.append(lines[i]);
        out += "\r\n";
    }
    return TextCodec::Utf8ToUtf16(out);
}

bool LrclibClient::ReadTrack(const std::u16string& path, LrclibTrack& track) {
    track = LrclibTrack();
    TagInfo tag;
    int64_t samples = 0;
    int rate = 0;
    if (OggFile::Probe(path)) {
        OggFile ogg;
        if (!ogg.Open(path))
            return false;
        VorbisComments::Apply(ogg.Comments(), tag);
        samples = ogg.TotalSamples();
        rate = ogg.Rate();
    } else {
        FileReader file;
        MpegFile mpeg;
        if (!file.Open(path) || !MpegFile::Probe(file) || !mpeg.Open(file, true))
            return false;
        Id3Tag::ReadFile(path, tag);
        samples = mpeg.TotalSamples();
        rate = mpeg.Header().rate;
    }
    track.title = TrimBlanks(TextCodec::Utf16ToUtf8(tag.title));
    track.artist = TrimBlanks(TextCodec::Utf16ToUtf8(tag.artist));
    track.album = TrimBlanks(TextCodec::Utf16ToUtf8(tag.album));
    if (track.title.empty())
        track.title = Stem(path);
    if (rate > 0)
        track.durationS = static_cast<int>((samples + rate / 2) / rate);
    return !track.title.empty() && !track.artist.empty();
}
