#include "engine/decoders/MpegFile.h"

#include "engine/core/FileReader.h"

#include <cstring>

namespace {

constexpr size_t kProbeBytes = 4096;
constexpr size_t kWindowBytes = 4096;
constexpr uint32_t kXing = 0x58696E67; // "Xing"
constexpr uint32_t kVbri = 0x56425249; // "VBRI"
// No frame is shorter than this; a VBR frame count that would need shorter frames is corrupt.
constexpr int64_t kShortestFrame = 24;

} // namespace

MpegFile::MpegFile() : m_window(kWindowBytes) {}

bool MpegFile::Probe(FileReader& file) {
    const int64_t old = file.Tell();
    uint8_t bytes[kProbeBytes] = {};
    size_t got = 0;
    const bool read = file.Seek(0) && file.Read(bytes, sizeof bytes, got);
    if (old >= 0)
        file.Seek(old);
    if (!read || got < 4)
        return false;

    if (std::memcmp(bytes, "ID3", 3) == 0)
        return true;
    if (std::memcmp(bytes, "RIFF", 4) == 0) {
        if (got >= 12 && std::memcmp(bytes + 8, "RMP3", 4) == 0)
            return true;
        if (got >= 22 && std::memcmp(bytes + 8, "WAVE", 4) == 0 &&
            std::memcmp(bytes + 12, "fmt ", 4) == 0) {
            const int tag = bytes[20] | (bytes[21] << 8);
            return tag == 0x55 || tag == 0x50;
        }
        return false;
    }

    for (size_t i = 0; i + 4 < got; ++i) {
        MpegHeaderInfo first;
        if (!MpegHeader::Parse(MpegHeader::Read(bytes + i), first))
            continue;
        const size_t next = i + static_cast<size_t>(first.frameLength);
        MpegHeaderInfo second;
        if (next + 4 < got && MpegHeader::Parse(MpegHeader::Read(bytes + next), second) &&
            MpegHeader::SameStream(first, second))
            return true;
    }
    return false;
}

bool MpegFile::Open(FileReader& file, bool scanCompletely) {
    m_header = MpegHeaderInfo();
    m_firstFrame = m_totalSamples = m_bytesPerFrame = m_frames = m_audioBytes = 0;
    m_windowStart = -1;
    m_windowLength = 0;

    const int64_t size = file.Size();
    if (size < 4 || !FindFirstFrame(file))
        return false;
    m_audioBytes = size - m_firstFrame;
    if (scanCompletely) {
        if (!LengthByScan(file))
            return false;
    } else {
        LengthFromHeaders(file);
    }
    return file.Seek(m_firstFrame);
}

bool MpegFile::ReadWord(FileReader& file, int64_t offset, uint32_t& word) {
    if (offset < 0)
        return false;
    if (m_windowStart < 0 || offset < m_windowStart ||
        offset + 4 > m_windowStart + static_cast<int64_t>(m_windowLength)) {
        size_t got = 0;
        m_windowStart = -1;
        if (!file.Seek(offset) || !file.Read(m_window.data(), m_window.size(), got) || got < 4)
            return false;
        m_windowStart = offset;
        m_windowLength = got;
    }
    word = MpegHeader::Read(m_window.data() + (offset - m_windowStart));
    return true;
}

bool MpegFile::FrameAt(FileReader& file, int64_t offset, MpegHeaderInfo& info) {
    uint32_t word = 0;
    if (!ReadWord(file, offset, word) || !MpegHeader::Parse(word, info) ||
        !MpegHeader::SameStream(info, m_header))
        return false;
    MpegHeaderInfo next;
    if (!ReadWord(file, offset + info.frameLength, word))
        return true; // the last frame of the file
    return MpegHeader::Parse(word, next) && MpegHeader::SameStream(next, m_header);
}

bool MpegFile::FindFirstFrame(FileReader& file) {
    uint32_t word = 0;
    for (int64_t pos = 0; ReadWord(file, pos, word); ++pos) {
        MpegHeaderInfo info;
        if (!MpegHeader::Parse(word, info))
            continue;
        MpegHeaderInfo next;
        uint32_t nextWord = 0;
        if (ReadWord(file, pos + info.frameLength, nextWord) && MpegHeader::Parse(nextWord, next) &&
            MpegHeader::SameStream(info, next)) {
            m_header = info;
            m_firstFrame = pos;
            return true;
        }
    }
    return false;
}

void MpegFile::LengthFromHeaders(FileReader& file) {
    // A VBR frame count sits right after the side information ("Xing", only when its flags say
    // the count is there) or at 32 bytes after the header ("VBRI", whatever the mode).
    int64_t count = 0;
    uint32_t word = 0;
    const int64_t tagAt = m_firstFrame + 4 + MpegHeader::SideInfoSize(m_header);
    if (ReadWord(file, tagAt, word) && word == kXing) {
        uint32_t flags = 0;
        if (ReadWord(file, tagAt + 4, flags) && (flags & 1) && ReadWord(file, tagAt + 8, word))
            count = word;
    } else {
        for (const int64_t at : {tagAt, m_firstFrame + 36}) {
            if (ReadWord(file, at, word) && word == kVbri && ReadWord(file, at + 14, word)) {
                count = word;
                break;
            }
        }
    }
    if (count > m_audioBytes / kShortestFrame)
        count = 0;

    if (count > 0) {
        m_frames = count;
        m_totalSamples = count * m_header.samplesPerFrame;
        m_bytesPerFrame = m_audioBytes / count;
        const int64_t seconds = m_totalSamples / m_header.rate;
        const int64_t ms = m_totalSamples * 1000 / m_header.rate;
        if (seconds > 0)
            m_header.bitrate = static_cast<int32_t>((m_audioBytes * 8 / seconds + 500) / 1000);
        else if (ms > 0) // under a second: bits per millisecond are kbit/s
            m_header.bitrate = static_cast<int32_t>((m_audioBytes * 8 + ms / 2) / ms);
    } else {
        m_frames = m_audioBytes / m_header.frameLength;
        m_totalSamples = m_frames * m_header.samplesPerFrame;
        m_bytesPerFrame = m_header.frameLength;
    }
}

bool MpegFile::LengthByScan(FileReader& file) {
    int64_t count = 0, lengths = 0, bitrates = 0;
    int64_t lastLength = 0, lastBitrate = 0;
    bool inSync = true;
    int64_t pos = m_firstFrame;
    uint32_t word = 0;
    while (ReadWord(file, pos, word)) {
        MpegHeaderInfo info;
        if (MpegHeader::Parse(word, info) && MpegHeader::SameStream(info, m_header)) {
            ++count;
            lengths += lastLength = info.frameLength;
            bitrates += lastBitrate = info.bitrate;
            inSync = true;
            pos += info.frameLength;
        } else {
            // Lost sync: the frame before may have been a false one; drop it once and search on.
            if (inSync && count > 0) {
                --count;
                lengths -= lastLength;
                bitrates -= lastBitrate;
            }
            inSync = false;
            ++pos;
        }
    }
    if (count == 0)
        return false;
    m_frames = count;
    m_totalSamples = count * m_header.samplesPerFrame;
    m_bytesPerFrame = lengths / count;
    m_header.bitrate = static_cast<int32_t>((bitrates + count / 2) / count);
    return true;
}

bool MpegFile::Seek(FileReader& file, int64_t ms, bool scanCompletely, int64_t& targetSample) {
    if (m_header.rate == 0)
        return false;
    const int64_t old = file.Tell();
    targetSample =
        static_cast<int64_t>(m_header.rate * static_cast<double>(ms < 0 ? 0 : ms) * 0.001);
    const int64_t frameIndex = targetSample / m_header.samplesPerFrame;

    int64_t found = -1;
    uint32_t word = 0;
    if (scanCompletely) {
        int64_t index = 0;
        for (int64_t pos = m_firstFrame; found < 0 && ReadWord(file, pos, word);) {
            MpegHeaderInfo info;
            if (MpegHeader::Parse(word, info) && MpegHeader::SameStream(info, m_header)) {
                if (index++ == frameIndex)
                    found = pos;
                pos += info.frameLength;
            } else {
                ++pos;
            }
        }
    } else {
        int64_t pos = m_firstFrame + (m_frames > 0 ? frameIndex * m_audioBytes / m_frames
                                                   : frameIndex * m_bytesPerFrame);
        for (MpegHeaderInfo info; found < 0 && ReadWord(file, pos, word); ++pos) {
            if (FrameAt(file, pos, info))
                found = pos;
        }
    }
    if (found < 0 || !file.Seek(found)) {
        if (old >= 0)
            file.Seek(old);
        return false;
    }
    return true;
}
