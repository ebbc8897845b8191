#include "lyrics/LyricsAnswer.h"

#include "platform/TextCodec.h"

#include <vector>

namespace {

constexpr std::u16string_view kLineBreak = u"&lt;br&gt;";
constexpr std::u16string_view kZeroTime = u"00:00.00";
constexpr std::u16string_view kJoin = u" / ";
constexpr std::u16string_view kLineEnd = u"\r\n";
constexpr int kGroupLines = 3;

std::u16string ReplaceLineBreaks(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        if (text.substr(at, kLineBreak.size()) == kLineBreak) {
            out.push_back(u'\n');
            at += kLineBreak.size();
        } else {
            out.push_back(text[at++]);
        }
    }
    return out;
}

// The lines of the lyrics, without their line feeds (and a carriage return before one).
std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find(u'\n');
        std::u16string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == u'\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::u16string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

} // namespace

std::u16string LyricsAnswer::Between(std::u16string_view text, std::u16string_view open,
                                     std::u16string_view close) {
    const size_t start = text.find(open);
    if (start == std::u16string_view::npos)
        return {};
    const size_t from = start + open.size();
    const size_t end = text.find(close, from);
    if (end == std::u16string_view::npos)
        return {};
    return std::u16string(text.substr(from, end - from));
}

bool LyricsAnswer::Parse(std::string_view bytes) {
    const std::u16string text = TextCodec::Utf8ToUtf16(bytes);
    m_title = Between(text, u"<strTitle>", u"</strTitle>");
    m_artist = Between(text, u"<strArtist>", u"</strArtist>");
    m_album = Between(text, u"<strAlbum>", u"</strAlbum>");
    m_lyrics = ReplaceLineBreaks(Between(text, u"<strLyric>", u"</strLyric>"));
    return !m_lyrics.empty();
}

std::u16string LyricsAnswer::LrcLines(bool appendSecondLine, bool appendThirdLine) const {
    const std::vector<std::u16string_view> lines = SplitLines(m_lyrics);
    std::u16string result;
    for (size_t i = 0; i < lines.size();) {
        const std::u16string_view first = lines[i];
        const size_t close = first.find(u']');
        if (first.empty() || first[0] != u'[' || close == std::u16string_view::npos) {
            ++i; // not a timed line
            continue;
        }
        const std::u16string_view time = first.substr(1, close - 1);
        const std::u16string_view timeTag = first.substr(0, close + 1);

        std::u16string joined;
        for (int n = 0; n < kGroupLines && i < lines.size(); ++n) {
            const std::u16string_view line = lines[i];
            if (n > 0 && !line.starts_with(u"[00:00.00]") && !line.starts_with(timeTag))
                break;
            ++i;
            const std::u16string_view lineText = line.substr(line.find(u']') + 1);
            if (lineText.empty())
                break;
            const bool keep = n == 0 || (n == 1 && appendSecondLine) || (n == 2 && appendThirdLine);
            if (keep) {
                if (!joined.empty())
                    joined += kJoin;
                joined += lineText;
            }
        }
        if (joined.empty())
            continue;

        if (time == kZeroTime && !result.empty()) {
            result.resize(result.size() - kLineEnd.size());
            result += kJoin;
        } else {
            result += u'[';
            result += time;
            result += u']';
        }
        result += joined;
        result += kLineEnd;
    }
    return result;
}
