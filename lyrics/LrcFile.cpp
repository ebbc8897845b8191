#include "lyrics/LrcFile.h"

#include "lyrics/LyricsData.h"
#include "platform/RegularFile.h"
#include "platform/TextCodec.h"
#include "support/TextFileRead.h"

#include <algorithm>
#include <array>
#include <climits>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr Open(const std::u16string& path) {
    return FilePtr(RegularFile::OpenStream(path));
}

// Reads one 8-bit line through the fixed buffer as fgets does, without its line feed (and the
// carriage return of a CR LF pair); the line ends at a zero byte. False at the end of the file,
// or once `budget` bytes have been read.
bool ReadAnsiLine(std::FILE* file, std::u16string& line, long long& budget) {
    std::array<char, LrcFile::kLineBuffer> buffer;
    size_t size = 0;
    while (size + 1 < buffer.size() && budget > 0) {
        const int c = std::getc(file);
        if (c == EOF)
            break;
        --budget;
        buffer[size++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    if (size == 0)
        return false;
    buffer[size] = '\0';
    std::string_view bytes(buffer.data());
    if (!bytes.empty() && bytes.back() == '\n')
        bytes.remove_suffix(1);
    if (!bytes.empty() && bytes.back() == '\r')
        bytes.remove_suffix(1);
    line = TextCodec::MultiByteToWide(bytes, TextCodec::kAnsi);
    return true;
}

// A classic string tokenizer over a view: skips leading delimiters, then takes everything up to
// the next delimiter, which it consumes. Empty when nothing is left.
class Tokenizer {
public:
    explicit Tokenizer(std::u16string_view text) : m_text(text) {}

    bool Next(std::u16string_view delimiters, std::u16string_view& token) {
        const size_t start = m_text.find_first_not_of(delimiters, m_pos);
        if (start == std::u16string_view::npos) {
            m_pos = m_text.size();
            return false;
        }
        size_t end = m_text.find_first_of(delimiters, start);
        token = m_text.substr(start, end == std::u16string_view::npos ? end : end - start);
        m_pos = end == std::u16string_view::npos ? m_text.size() : end + 1;
        return true;
    }

    // Whatever follows the last token and its delimiter.
    std::u16string_view Rest() const { return m_text.substr(m_pos); }

private:
    std::u16string_view m_text;
    size_t m_pos = 0;
};

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsTwoDigits(std::u16string_view text) {
    return text.size() == 2 && IsDigit(text[0]) && IsDigit(text[1]);
}

// A signed decimal integer as the C library reads one: leading blanks, a sign, then digits up
// to the first other character. Saturates instead of overflowing.
int ParseInt(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > INT_MAX)
            value = INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

std::u16string Lower(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return out;
}

} // namespace

std::u16string LrcFile::SidePath(const std::u16string& trackPath, std::u16string_view extension) {
    const size_t slash = trackPath.find_last_of(u"/\\");
    const size_t nameStart = slash == std::u16string::npos ? 0 : slash + 1;
    size_t dot = trackPath.rfind(u'.');
    if (dot == std::u16string::npos || dot < nameStart)
        dot = trackPath.size();
    return trackPath.substr(0, dot) + std::u16string(extension);
}

// The text of a line without the word times of enhanced LRC ("<mm:ss.xx>word <mm:ss.xx>word"),
// with no blank left where a time stood between blanks or at the line's ends.
std::u16string LrcFile::WithoutWordTimes(std::u16string_view text,
                                         std::vector<LyricsData::WordTime>* words) {
    auto digit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    // "mm:ss.xx": two fraction digits are hundredths, three milliseconds.
    auto milliseconds = [&](std::u16string_view time) {
        int64_t parts[3] = {0, 0, 0};
        size_t part = 0, fractionDigits = 0;
        for (char16_t c : time) {
            if (!digit(c)) {
                part = std::min<size_t>(part + 1, 2);
                continue;
            }
            parts[part] = parts[part] * 10 + (c - u'0');
            fractionDigits += part == 2 ? 1 : 0;
        }
        const int64_t fraction = fractionDigits == 2 ? parts[2] * 10 : parts[2];
        return parts[0] * 60000 + parts[1] * 1000 + fraction;
    };
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == u'<') {
            const size_t close = text.find(u'>', i);
            const std::u16string_view inside = close == std::u16string_view::npos
                                                   ? std::u16string_view()
                                                   : text.substr(i + 1, close - i - 1);
            const bool time =
                inside.size() >= 5 && digit(inside[0]) && digit(inside[1]) && inside[2] == u':' &&
                std::all_of(inside.begin() + 3, inside.end(),
                            [&](char16_t c) { return digit(c) || c == u'.' || c == u':'; });
            if (time) {
                i = close + 1;
                if (i < text.size() && text[i] == u' ' && (out.empty() || out.back() == u' '))
                    ++i;
                if (words)
                    words->push_back({milliseconds(inside), out.size()});
                continue;
            }
        }
        out += text[i++];
    }
    while (!out.empty() && out.back() == u' ')
        out.pop_back();
    if (words)
        for (LyricsData::WordTime& word : *words)
            word.offset = std::min(word.offset, out.size());
    return out;
}

bool LrcFile::ParseLine(std::u16string_view line, int& offsetMs, LyricsData& data, EntryText& entry,
                        std::u16string& result) {
    if (line.empty() || line[0] != u'[')
        return false;
    Tokenizer tokens(line.substr(1));
    std::u16string_view name;
    if (!tokens.Next(u":", name))
        return false;
    const std::u16string tag = Lower(name);
    std::u16string_view value;
    if (tag == u"ti" || tag == u"ar" || tag == u"al") {
        if (tokens.Next(u"]", value) && !value.empty()) {
            std::u16string& field =
                tag == u"ti" ? entry.title : (tag == u"ar" ? entry.artist : entry.album);
            field = value;
        }
        return false;
    }
    if (tag == u"offset") {
        if (tokens.Next(u"]", value))
            offsetMs = ParseInt(value);
        return false;
    }
    if (!IsTwoDigits(name))
        return false; // [by:], [ap:], [co:], [ve:] and anything unknown

    // [mm:ss.xx]text: minutes, then seconds, then a fraction: two digits are hundredths of a
    // second, as lyrics files write them ([00:12.50] is 12.5 s), three are milliseconds.
    long long t = ParseInt(name) * 60000LL;
    std::u16string_view part;
    if (tokens.Next(u":.]", part) && IsTwoDigits(part))
        t += ParseInt(part) * 1000LL;
    std::u16string_view text;
    if (tokens.Next(u"]", part)) {
        if ((part.size() == 2 || part.size() == 3) && IsDigit(part[0]) && IsDigit(part[1])) {
            t += part.size() == 2 ? ParseInt(part) * 10 : ParseInt(part);
            text = tokens.Rest();
        } else {
            text = part;
        }
    }
    // A time of 0 never moves, and an offset never makes a time negative.
    if (t > 0 && t + offsetMs >= 0)
        t += offsetMs;
    std::vector<LyricsData::WordTime> words;
    const std::u16string lyric = WithoutWordTimes(text, &words);
    if (lyric.empty())
        return false;
    for (LyricsData::WordTime& word : words)
        if (word.ms > 0 && word.ms + offsetMs >= 0)
            word.ms += offsetMs;
    const int key = static_cast<int>(t / LyricsData::kMsPerKey);
    result += lyric;
    result += u"\r\n";
    data.AddLyricLine(key, lyric, words);
    return true;
}

std::u16string LrcFile::LoadLrcFile(const std::u16string& trackPath, LyricsData& data,
                                    EntryText& entry) {
    FilePtr file = Open(SidePath(trackPath, u".lrc"));
    if (!file)
        return {};
    return LoadLrc(file.get(), data, entry);
}

std::u16string LrcFile::LoadLrc(std::FILE* file, LyricsData& data, EntryText& entry) {
    std::u16string result;
    if (file == nullptr)
        return result;
    unsigned char mark[2] = {0, 0};
    const size_t got = std::fread(mark, 1, 2, file);
    std::rewind(file);
    const bool utf16 =
        got == 2 && ((mark[0] == 0xFF && mark[1] == 0xFE) || (mark[0] == 0xFE && mark[1] == 0xFF));

    data.nextLineNumber = 0;
    int offsetMs = 0;
    std::u16string line;
    if (utf16) {
        // UTF-16 lyrics end at the first empty line.
        TextFileRead reader(file);
        reader.SetMaxLineLength(kMaxLineLength);
        while (reader.ReadLine(line) && !line.empty())
            ParseLine(line, offsetMs, data, entry, result);
    } else {
        long long budget = kMaxFileBytes;
        while (ReadAnsiLine(file, line, budget))
            ParseLine(line, offsetMs, data, entry, result);
    }
    return result;
}

std::u16string LrcFile::LoadTextFile(const std::u16string& trackPath) {
    FilePtr file = Open(SidePath(trackPath, u".txt"));
    if (!file)
        return {};
    return LoadText(file.get());
}

std::u16string LrcFile::LoadText(std::FILE* file) {
    std::u16string result;
    if (file == nullptr)
        return result;
    std::u16string line;
    long long budget = kMaxFileBytes;
    while (ReadAnsiLine(file, line, budget)) {
        result += line;
        result += u"\r\n";
    }
    return result;
}
