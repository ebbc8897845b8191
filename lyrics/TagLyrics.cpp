#include "lyrics/TagLyrics.h"

#include "lyrics/LyricsData.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

std::string_view Bytes(const uint8_t* data, int length) {
    return std::string_view(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
}

// The decimal value of up to `count` characters from `at`, stopping at the first non-digit or
// at the end of the field.
int Digits(const uint8_t* field, int length, int at, int count) {
    int value = 0;
    for (int i = at; i < at + count && i < length; ++i) {
        if (field[i] < '0' || field[i] > '9')
            break;
        value = value * 10 + (field[i] - '0');
    }
    return value;
}

// Each pair of blanks becomes one blank, in one pass from the front.
std::u16string HalveBlanks(const std::u16string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        out.push_back(text[i]);
        if (text[i] == u' ' && i + 1 < text.size() && text[i + 1] == u' ')
            ++i;
    }
    return out;
}

} // namespace

std::u16string TagLyrics::Read(const TagFieldFinder& finder, const char* name, LyricsData& data) {
    if (!finder || name == nullptr)
        return {};
    const uint8_t* field = nullptr;
    int length = 0;
    if (!finder(name, field, length) || field == nullptr || length <= 0)
        return {};
    if (std::strcmp(name, "SYLT") == 0 || std::strcmp(name, "JETAUDIO_SYNCLYRIC") == 0)
        return SyncedLyrics(name, field, length, data);
    if (std::strcmp(name, "WSLT") == 0 || std::strcmp(name, "USLT") == 0 ||
        std::strcmp(name, "WLDB") == 0 || std::strcmp(name, "LDB") == 0)
        return BlockLyrics(field, length, data);
    return {};
}

std::u16string TagLyrics::SyncedLyrics(const char* name, const uint8_t* field, int length,
                                       LyricsData& data) {
    if (name == nullptr)
        return {};
    if (std::strcmp(name, "SYLT") == 0)
        return ParseSylt(field, length, data);
    if (std::strcmp(name, "JETAUDIO_SYNCLYRIC") == 0)
        return ParseSynclyric(field, length, data);
    return {};
}

std::u16string TagLyrics::BlockLyrics(const uint8_t* field, int length, LyricsData& data) {
    return ParseBlock(field, length, data);
}

std::u16string TagLyrics::ParseSylt(const uint8_t* field, int length, LyricsData& data) {
    std::u16string result;
    // Encoding, language, time-stamp format, content type and an empty descriptor. Texts are
    // taken as 8-bit text and times as milliseconds, whatever the header says.
    constexpr int kHeader = 7;
    if (field == nullptr || length <= kHeader)
        return result;
    int pos = kHeader;
    while (pos < length) {
        const int start = pos;
        while (pos < length && field[pos] != 0)
            ++pos;
        if (pos + 1 + 4 > length)
            break; // no terminator or no time: the line is incomplete
        const int textLength = std::min(pos - start, kMaxLineBytes);
        const uint8_t* time = field + pos + 1;
        const uint32_t ms = (uint32_t(time[0]) << 24) | (uint32_t(time[1]) << 16) |
                            (uint32_t(time[2]) << 8) | uint32_t(time[3]);
        const std::u16string text =
            TextCodec::MultiByteToWide(Bytes(field + start, textLength), TextCodec::kAnsi);
        data.AddLyricLine(static_cast<int>(ms / LyricsData::kMsPerKey), text);
        result += text;
        result += u"\r\n";
        pos += 1 + 4;
    }
    return result;
}

std::u16string TagLyrics::ParseSynclyric(const uint8_t* field, int length, LyricsData& data) {
    std::u16string result;
    if (field == nullptr || length <= 0)
        return result;
    // [mm:ss.fff]text lines separated by line feeds, in UTF-8.
    constexpr int kTagLength = 11;
    std::string line;
    line.reserve(kMaxLineBytes);
    int t = 0;
    auto finish = [&] {
        std::string_view bytes(line);
        if (!bytes.empty() && bytes.back() == '\r')
            bytes.remove_suffix(1);
        const std::u16string text = TextCodec::Utf8ToUtf16(bytes);
        result += text;
        result += u"\r\n";
        data.AddLyricLine(t / LyricsData::kMsPerKey, text);
        line.clear();
        t = 0;
    };
    for (int pos = 0; pos < length;) {
        const uint8_t c = field[pos];
        if (c == '[') {
            t = Digits(field, length, pos + 1, 2) * 60000 +
                Digits(field, length, pos + 4, 2) * 1000 + Digits(field, length, pos + 7, 3);
            pos += kTagLength;
            continue;
        }
        if (c == '\n')
            finish();
        else if (static_cast<int>(line.size()) < kMaxLineBytes)
            line.push_back(static_cast<char>(c));
        ++pos;
    }
    if (!line.empty())
        finish();
    return result;
}

std::u16string TagLyrics::ParseBlock(const uint8_t* field, int length, LyricsData& data) {
    std::u16string result;
    constexpr int kMinLength = 70;
    if (field == nullptr || length <= kMinLength)
        return result;
    // Two layouts: an "?SLT" block with an 80-byte header and 8-bit texts, else a 70-byte header
    // and UTF-8 texts.
    const bool slt = field[1] == 'S' && field[2] == 'L' && field[3] == 'T';
    const int header = slt ? 80 : 70;
    const uint8_t* b = field + (slt ? 34 : 24);
    const int base = ((b[0] & 0x1F) | (b[1] & 0xE0)) + (((b[2] & 0x1F) + ((b[1] & 7) * 32)) * 2048);

    auto decode = [&](const uint8_t* text, int count) {
        return slt ? TextCodec::MultiByteToWide(Bytes(text, count), TextCodec::kAnsi)
                   : TextCodec::Utf8ToUtf16(Bytes(text, count));
    };
    // t counts hundredths of a second; a time key is half a second.
    int t = 0;
    std::u16string pending;
    auto finish = [&] {
        data.AddLyricLine(t / 50, HalveBlanks(pending));
        pending.clear();
    };
    constexpr int kRecord = 6;
    int pos = header;
    while (pos + kRecord <= length) {
        const uint8_t* r = field + pos;
        const int type = r[0];
        const int textLength = static_cast<int8_t>(r[5]);
        pos += kRecord;
        if (type != 8 && type != 7)
            continue;
        if (type == 8) {
            if (!pending.empty()) {
                finish();
                result += u"\r\n";
            }
            t = ((r[4] + r[2] * 128 - 20609) * 128) + r[3] - base;
        }
        if (textLength >= 1) {
            const int count = std::min(textLength, length - pos);
            const std::u16string text = decode(field + pos, count);
            if (type == 8)
                pending = text;
            else
                pending += text;
            result += text;
            pos += count;
        }
    }
    if (!pending.empty())
        finish();
    return result;
}
