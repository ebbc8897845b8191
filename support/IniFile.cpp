#include "support/IniFile.h"

#include "platform/RegularFile.h"
#include "platform/TextCodec.h"
#include "support/TextFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes a descriptor that was opened for reading.
class ReadDescriptor {
public:
    explicit ReadDescriptor(int fd) : m_fd(fd) {}
    ReadDescriptor(const ReadDescriptor&) = delete;
    ReadDescriptor& operator=(const ReadDescriptor&) = delete;
    ~ReadDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Reads up to the size the file had when opened. False if it can't be opened or is no regular
// file (a FIFO would block, a device never end), its size can't be read, or a read fails.
bool ReadWholeFile(const std::string& path, std::string& bytes) {
    const ReadDescriptor file(RegularFile::Open(path));
    if (file.Get() < 0)
        return false;
    struct stat info;
    if (::fstat(file.Get(), &info) != 0 || info.st_size < 0)
        return false;
    try {
        bytes.resize(static_cast<size_t>(info.st_size));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(file.Get(), bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    return true;
}

bool IsAsciiAlnum(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsLineBreak(char16_t c) {
    return c == u'\r' || c == u'\n';
}

std::u16string FromAscii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

int ParseInt(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > limit)
            value = limit;
    }
    return static_cast<int>(negative ? -value : value);
}

// Up to three numbers separated by ",". Every digit of a number counts and everything else in it
// is ignored, so " 12 , 3x4 ,5" is 12, 34, 5. Numbers are cut to 8 bits; missing ones are 0.
std::uint32_t ParseColor(std::u16string_view text) {
    std::uint32_t parts[3] = {0, 0, 0};
    size_t index = 0;
    for (const char16_t c : text) {
        if (c == u',') {
            if (++index == 3)
                break;
        } else if (IsDigit(c)) {
            // Unsigned arithmetic wraps modulo 2^32, which leaves the low 8 bits exact.
            parts[index] = parts[index] * 10 + static_cast<std::uint32_t>(c - u'0');
        }
    }
    return (parts[0] & 0xFF) | (parts[1] & 0xFF) << 8 | (parts[2] & 0xFF) << 16;
}

// A new file beside `path`, opened for writing; -1 if none can be made.
int CreateTemporary(const std::string& path, std::string& tempPath) {
    tempPath = path + ".XXXXXX";
    const int fd = ::mkostemp(tempPath.data(), O_CLOEXEC);
    if (fd < 0)
        tempPath.clear();
    return fd;
}

} // namespace

bool IniFile::Load(const std::u16string& path) {
    Clear();
    m_path = path;
    std::string bytes;
    if (!ReadWholeFile(TextCodec::Utf16ToUtf8(path), bytes))
        return false;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        // UTF-16 little-endian after the mark; an odd last byte is dropped.
        std::u16string text(bytes.size() / 2 - 1, u'\0');
        for (size_t i = 0; i < text.size(); ++i) {
            text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i + 2]) |
                                            static_cast<unsigned char>(bytes[2 * i + 3]) << 8);
        }
        Parse(text);
        return true;
    }
    if (bytes.empty())
        return false;
    m_utf16 = false;
    m_codePage = TextCodec::IsValidUtf8(bytes) ? TextCodec::kUtf8 : TextCodec::LegacyCodePage();
    Parse(TextCodec::MultiByteToWide(bytes, TextCodec::kAnsi));
    return true;
}

void IniFile::Parse(std::u16string_view text) {
    enum class State {
        BeforeFirstSection,
        SectionName,
        BetweenEntries,
        KeyName,
        BeforeValue,
        Value
    };
    State state = State::BeforeFirstSection;
    IniSection* section = nullptr;
    std::u16string sectionName;
    std::u16string key;
    size_t start = 0;
    size_t keyStart = 0;
    // Where the text not yet taken into a piece begins.
    size_t rest = 0;
    std::u16string lineEnd;
    auto addText = [&](size_t end) {
        if (end > rest)
            m_pieces.push_back(
                {Piece::Text, {}, {}, std::u16string(text.substr(rest, end - rest)), {}});
    };
    auto addEntry = [&](size_t valueStart, size_t valueEnd) {
        const std::u16string_view value = text.substr(valueStart, valueEnd - valueStart);
        section->SetValue(key, value);
        m_flags |= kModified;
        addText(keyStart);
        m_pieces.push_back({Piece::Entry, sectionName, key,
                            std::u16string(text.substr(keyStart, valueStart - keyStart)),
                            std::u16string(value)});
        rest = valueEnd;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsLineBreak(c) && lineEnd.empty())
            lineEnd = c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n'
                          ? std::u16string(u"\r\n")
                          : std::u16string(1, c);
        switch (state) {
        case State::BeforeFirstSection:
        case State::BetweenEntries:
            if (c == u'[') {
                start = i + 1;
                state = State::SectionName;
            } else if (state == State::BetweenEntries && IsAsciiAlnum(c)) {
                keyStart = i;
                state = State::KeyName;
            }
            break;
        case State::SectionName:
            if (c == u']') {
                sectionName.assign(text.substr(start, i - start));
                section = &SectionFor(sectionName);
                addText(start - 1);
                m_pieces.push_back({Piece::Header, sectionName, {}, {}, {}});
                rest = i + 1;
                state = State::BetweenEntries;
            }
            break;
        case State::KeyName:
            if (c == u'=') {
                key.assign(text.substr(keyStart, i - keyStart));
                state = State::BeforeValue;
            }
            break;
        case State::BeforeValue:
            if (c == u' ' || c == u'\t')
                break;
            if (IsLineBreak(c)) {
                addEntry(i, i);
                state = State::BetweenEntries;
            } else {
                start = i;
                state = State::Value;
            }
            break;
        case State::Value:
            if (IsLineBreak(c)) {
                addEntry(start, i);
                state = State::BetweenEntries;
            }
            break;
        }
    }
    // Only a value is complete without its line break; a key without "=" or value, or an
    // unclosed section name, is dropped (and kept as text).
    if (state == State::Value)
        addEntry(start, text.size());
    if (state == State::SectionName || state == State::KeyName || state == State::BeforeValue) {
        const size_t tail = state == State::SectionName ? start - 1 : keyStart;
        addText(tail);
        m_pieces.push_back({Piece::Tail, {}, {}, std::u16string(text.substr(tail)), {}});
    } else {
        addText(text.size());
    }
    // New lines end as the file's first line does.
    if (!lineEnd.empty())
        m_lineEnd = lineEnd;
}

bool IniFile::Save(const std::u16string& path) {
    m_path = path;
    return Save();
}

bool IniFile::Save() {
    if (m_path.empty())
        return false;
    const std::string bytes = Encode();
    // Replace what a symbolic link points to, not the link.
    std::string target = TextCodec::Utf16ToUtf8(m_path);
    struct stat info;
    if (::lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* real = ::realpath(target.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    const bool exists = ::stat(target.c_str(), &info) == 0;

    // The new text of an existing file goes to a temporary file that then replaces the old one,
    // so that a write that fails half-way (a full disk) leaves the old file whole. New files,
    // devices, pipes and the like are written in place, as is a file in a folder where no
    // temporary file can be made.
    if (exists && S_ISREG(info.st_mode)) {
        std::string tempPath;
        TextFile temp(CreateTemporary(target, tempPath));
        if (temp.IsOpen()) {
            if (::fchown(temp.GetHandle(), info.st_uid, info.st_gid) != 0) {
                // Not ours to give away; the file then belongs to whoever saves it.
            }
            ::fchmod(temp.GetHandle(), info.st_mode & 07777);
            bool written = temp.WriteBytes(bytes) && temp.Flush();
            written = temp.Close() && written;
            if (written && ::rename(tempPath.c_str(), target.c_str()) == 0) {
                m_flags &= ~kModified;
                return true;
            }
            ::unlink(tempPath.c_str());
            return false;
        }
    }

    TextFile file(::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!file.IsOpen())
        return false;
    bool written = file.WriteBytes(bytes) && file.Flush();
    written = file.Close() && written;
    if (!written)
        return false;
    m_flags &= ~kModified;
    return true;
}

std::u16string IniFile::GetText() const {
    std::u16string text;
    for (const Piece& piece : m_pieces) {
        text.append(piece.text);
        if (piece.kind == Piece::Header)
            text.append(u"[").append(piece.section).append(u"]");
        else if (piece.kind == Piece::Entry)
            text.append(piece.value);
    }
    // An empty value at the very end would be read as no entry at all.
    for (auto it = m_pieces.rbegin(); it != m_pieces.rend(); ++it) {
        if (it->kind == Piece::Entry && it->value.empty())
            text.append(m_lineEnd);
        if (it->kind != Piece::Text || !it->text.empty())
            break;
    }
    return text;
}

std::string IniFile::Encode() const {
    const std::u16string text = GetText();
    // 8-bit only if reading the bytes back gives the same text (and an empty file, which reads
    // as no document, isn't the result); else UTF-16, which holds anything.
    if (!m_utf16 && !text.empty()) {
        std::string bytes = TextCodec::WideToMultiByte(text, m_codePage);
        if (TextCodec::MultiByteToWide(bytes, TextCodec::kAnsi) == text)
            return bytes;
    }
    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + text.size() * 2);
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

bool IniFile::GetValue(std::u16string_view section, std::u16string_view key,
                       std::u16string& value) const {
    const IniSection* found = GetSection(section);
    return found != nullptr && found->GetValue(key, value);
}

bool IniFile::GetInt(std::u16string_view section, std::u16string_view key, int& value) const {
    std::u16string text;
    if (!GetValue(section, key, text))
        return false;
    value = ParseInt(text);
    return true;
}

bool IniFile::GetColor(std::u16string_view section, std::u16string_view key,
                       std::uint32_t& color) const {
    std::u16string text;
    if (!GetValue(section, key, text))
        return false;
    color = ParseColor(text);
    return true;
}

bool IniFile::SetValue(std::u16string_view section, std::u16string_view key,
                       std::u16string_view value) {
    if (FindSection(section) == nullptr)
        AppendHeader(section);
    SectionFor(section).SetValue(key, value);
    SetInText(section, key, value);
    m_flags |= kModified;
    return true;
}

bool IniFile::SetInt(std::u16string_view section, std::u16string_view key, int value) {
    return SetValue(section, key, FromAscii(std::to_string(value)));
}

bool IniFile::SetColor(std::u16string_view section, std::u16string_view key, std::uint32_t color) {
    char text[16];
    std::snprintf(text, sizeof text, "%u,%u,%u", color & 0xFF, (color >> 8) & 0xFF,
                  (color >> 16) & 0xFF);
    return SetValue(section, key, FromAscii(text));
}

bool IniFile::AddSection(std::u16string_view section) {
    if (GetSection(section) != nullptr)
        return false;
    AppendHeader(section);
    SectionFor(section);
    return true;
}

bool IniFile::Delete(std::u16string_view section) {
    const auto it = m_sections.find(section);
    if (it == m_sections.end())
        return false;
    m_sections.erase(it);
    std::erase_if(m_sectionOrder,
                  [section](const std::u16string& name) { return name == section; });
    // Every stretch of the section, from its header up to the next section's header, goes.
    bool inSection = false;
    std::erase_if(m_pieces, [&](const Piece& piece) {
        if (piece.kind == Piece::Header)
            inSection = piece.section == section;
        return inSection;
    });
    m_flags |= kModified;
    return true;
}

bool IniFile::Delete(std::u16string_view section, std::u16string_view key) {
    IniSection* found = FindSection(section);
    if (found == nullptr)
        return false;
    m_flags |= kModified;
    if (!found->Delete(key))
        return false;
    // Every line that set the key goes, or reading the file again would bring it back.
    for (size_t i = m_pieces.size(); i-- > 0;) {
        if (m_pieces[i].kind == Piece::Entry && m_pieces[i].section == section &&
            m_pieces[i].key == key)
            RemoveEntryPiece(i);
    }
    return true;
}

const IniSection* IniFile::GetSection(std::u16string_view section) const {
    const auto it = m_sections.find(section);
    return it == m_sections.end() ? nullptr : &it->second;
}

IniSection* IniFile::FindSection(std::u16string_view section) {
    const auto it = m_sections.find(section);
    return it == m_sections.end() ? nullptr : &it->second;
}

std::uint32_t IniFile::SetModified(bool modified) {
    const std::uint32_t old = m_flags;
    if (modified)
        m_flags |= kModified;
    else
        m_flags &= ~kModified;
    return old;
}

void IniFile::Clear() {
    m_sectionOrder.clear();
    m_sections.clear();
    m_flags = 0;
    m_pieces.clear();
    m_utf16 = true;
    m_codePage = 0;
    m_lineEnd = u"\r\n";
}

IniSection& IniFile::SectionFor(std::u16string_view section) {
    auto it = m_sections.find(section);
    if (it == m_sections.end()) {
        it = m_sections.emplace(std::u16string(section), IniSection()).first;
        m_sectionOrder.emplace_back(section);
        m_flags |= kModified;
    }
    return it->second;
}

void IniFile::AppendHeader(std::u16string_view section) {
    // An empty line before the section, as in a new file.
    const std::u16string text = GetText();
    Piece header{Piece::Header, std::u16string(section), {}, m_lineEnd, {}};
    if (!text.empty() && !IsLineBreak(text.back()))
        header.text.insert(0, m_lineEnd);
    auto at = m_pieces.end();
    if (!m_pieces.empty() && m_pieces.back().kind == Piece::Tail) {
        --at;
        header.text = m_lineEnd;
    }
    m_pieces.insert(at, {header, Piece{Piece::Text, {}, {}, m_lineEnd, {}}});
}

void IniFile::SetInText(std::u16string_view section, std::u16string_view key,
                        std::u16string_view value) {
    // The last line that sets the key is the one that counts.
    for (size_t i = m_pieces.size(); i-- > 0;) {
        Piece& piece = m_pieces[i];
        if (piece.kind == Piece::Entry && piece.section == section && piece.key == key) {
            piece.value.assign(value);
            return;
        }
    }
    // A new key goes on a line of its own after the section's last entry (or its last header).
    size_t at = m_pieces.size();
    for (size_t i = 0; i < m_pieces.size(); ++i) {
        if ((m_pieces[i].kind == Piece::Header || m_pieces[i].kind == Piece::Entry) &&
            m_pieces[i].section == section)
            at = i + 1;
    }
    std::vector<Piece> line{{Piece::Text, {}, {}, m_lineEnd, {}},
                            {Piece::Entry, std::u16string(section), std::u16string(key),
                             std::u16string(key) + u"=", std::u16string(value)}};
    // What follows a header on its line moves to the next line.
    size_t next = at;
    while (next < m_pieces.size() && m_pieces[next].kind == Piece::Text &&
           m_pieces[next].text.empty())
        ++next;
    if (next < m_pieces.size() &&
        (m_pieces[next].kind != Piece::Text || !IsLineBreak(m_pieces[next].text[0])))
        line.push_back({Piece::Text, {}, {}, m_lineEnd, {}});
    m_pieces.insert(m_pieces.begin() + static_cast<std::ptrdiff_t>(at), line.begin(), line.end());
}

void IniFile::RemoveEntryPiece(size_t index) {
    // An entry that stands on a line of its own takes the line with it: the blanks before it
    // and the line break after it.
    bool ownLine = index == 0;
    if (index > 0 && m_pieces[index - 1].kind == Piece::Text) {
        std::u16string& before = m_pieces[index - 1].text;
        size_t end = before.size();
        while (end > 0 && (before[end - 1] == u' ' || before[end - 1] == u'\t'))
            --end;
        ownLine = end == 0 ? index == 1 : IsLineBreak(before[end - 1]);
        if (ownLine)
            before.resize(end);
    }
    m_pieces.erase(m_pieces.begin() + static_cast<std::ptrdiff_t>(index));
    if (ownLine && index < m_pieces.size() && m_pieces[index].kind == Piece::Text) {
        std::u16string& after = m_pieces[index].text;
        const size_t breakLength = after.starts_with(u"\r\n")                ? 2
                                   : !after.empty() && IsLineBreak(after[0]) ? 1
                                                                             : 0;
        after.erase(0, breakLength);
    }
}
