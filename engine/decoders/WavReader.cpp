#include "engine/decoders/WavReader.h"

#include "engine/core/FileReader.h"

#include <algorithm>
#include <cstring>

namespace {

// A format chunk holds the 18-byte record and at most 65535 extra bytes.
constexpr uint32_t kMaxFormatBytes = 18 + 65535;
constexpr size_t kScanBytes = 4096;

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool ReadExactly(FileReader& file, void* buffer, size_t bytes) {
    size_t got = 0;
    return file.Read(buffer, bytes, got) && got == bytes;
}

bool IsRiffWave(FileReader& file) {
    uint8_t header[12];
    return file.Seek(0) && ReadExactly(file, header, sizeof header) &&
           std::memcmp(header, "RIFF", 4) == 0 && std::memcmp(header + 8, "WAVE", 4) == 0;
}

// Reads a format chunk's body of `size` bytes at the file position.
bool ReadFormat(FileReader& file, uint32_t size, WaveFormat& format) {
    if (size < 16 || size > kMaxFormatBytes)
        return false;
    std::vector<uint8_t> bytes(size);
    return ReadExactly(file, bytes.data(), size) &&
           WaveFormat::FromBytes(bytes.data(), size, format);
}

// Four printable characters, as chunk names are.
bool IsChunkName(const uint8_t* id) {
    return std::all_of(id, id + 4, [](uint8_t c) { return c >= 0x20 && c < 0x7F; });
}

} // namespace

bool WavReader::Probe(FileReader& file) {
    const int64_t start = file.Tell();
    uint8_t chunk[8];
    WaveFormat format, pcm;
    // The chunk after the RIFF header is taken as the format whatever its name.
    const bool valid = IsRiffWave(file) && ReadExactly(file, chunk, sizeof chunk) &&
                       ReadFormat(file, Le32(chunk + 4), format) && Acm::SuggestPcm(format, pcm);
    if (start >= 0)
        file.Seek(start);
    return valid;
}

bool WavReader::Open(FileReader& file) {
    Close();
    m_open = ReadChunks(file);
    if (!m_open)
        Close();
    return m_open;
}

bool WavReader::ReadChunks(FileReader& file) {
    const int64_t fileSize = file.Size();
    if (fileSize < 0 || !IsRiffWave(file))
        return false;

    // Chunks before "fmt " are passed over.
    uint8_t chunk[8];
    for (;;) {
        if (!ReadExactly(file, chunk, sizeof chunk))
            return false;
        if (std::memcmp(chunk, "fmt ", 4) == 0)
            break;
        const uint32_t size = Le32(chunk + 4);
        const int64_t next = file.Tell() + size + (size & 1);
        if (next > fileSize || !file.Seek(next))
            return false;
    }
    const uint32_t formatSize = Le32(chunk + 4);
    if (!ReadFormat(file, formatSize, m_source) || m_source.blockAlign > kInputBytes ||
        !Acm::SuggestPcm(m_source, m_output))
        return false;
    if ((formatSize & 1) && !file.Seek(file.Tell() + 1))
        return false;

    if (!FindData(file, fileSize))
        return false;
    if (m_dataStart + m_dataBytes > fileSize) // a short file plays what it has
        m_dataBytes = fileSize - m_dataStart;

    m_raw = m_source.formatTag == kWaveFormatPcm &&
            (m_source.bitsPerSample == 8 || m_source.bitsPerSample == 16);
    if (m_raw) {
        // Handed out as it is, in whole sample frames, whatever the file says its blocks are.
        m_output = m_source;
        m_output.extra.clear();
        m_output.blockAlign = static_cast<uint16_t>(m_source.channels * m_source.bitsPerSample / 8);
        m_output.avgBytesPerSec = m_output.samplesPerSec * m_output.blockAlign;
        m_dataBytes -= m_dataBytes % m_output.blockAlign;
    } else {
        if (!m_acm.Open(m_source, m_output))
            return false;
        m_input.resize(kInputBytes);
    }

    if (m_source.formatTag == kWaveFormatPcm) {
        m_totalSamples = m_dataBytes / (m_source.bitsPerSample * m_source.channels / 8);
    } else if (m_hasFact) {
        m_totalSamples = m_factSamples;
    } else if (m_acm.SourceBlockFrames() > 0) {
        // Whole blocks of a fixed length in samples.
        m_totalSamples = m_dataBytes / static_cast<int64_t>(m_acm.SourceBlockBytes()) *
                         static_cast<int64_t>(m_acm.SourceBlockFrames());
    } else if (m_source.avgBytesPerSec > 0) {
        m_totalSamples = m_dataBytes / m_source.avgBytesPerSec * m_source.samplesPerSec;
    }

    return file.Seek(m_dataStart);
}

bool WavReader::FindData(FileReader& file, int64_t fileSize) {
    const int64_t from = file.Tell();
    if (from < 0)
        return false;
    // Chunk by chunk while the chunks look like chunks; a "fact" chunk gives the length.
    int64_t pos = from;
    uint8_t chunk[8];
    while (pos + 8 <= fileSize && file.Seek(pos) && ReadExactly(file, chunk, sizeof chunk)) {
        const uint32_t size = Le32(chunk + 4);
        if (std::memcmp(chunk, "data", 4) == 0 && size > 0) {
            m_dataStart = pos + 8;
            m_dataBytes = size;
            return true;
        }
        uint8_t count[4];
        if (std::memcmp(chunk, "fact", 4) == 0 && size >= 4 && !m_hasFact &&
            ReadExactly(file, count, sizeof count)) {
            m_factSamples = Le32(count);
            m_hasFact = true;
        }
        if (!IsChunkName(chunk))
            break;
        pos += 8 + static_cast<int64_t>(size) + (size & 1);
    }
    // Padding or damage: the bytes are searched for the name "data".
    return ScanForData(file, from, fileSize);
}

bool WavReader::ScanForData(FileReader& file, int64_t from, int64_t fileSize) {
    std::vector<uint8_t> buffer(kScanBytes);
    int64_t pos = from;
    while (pos + 8 <= fileSize) {
        size_t got = 0;
        if (!file.Seek(pos) || !file.Read(buffer.data(), buffer.size(), got) || got < 8)
            return false;
        size_t i = 0;
        while (i + 4 <= got && std::memcmp(buffer.data() + i, "data", 4) != 0)
            ++i;
        if (i + 4 > got) {
            pos += static_cast<int64_t>(got) - 3; // a name may straddle two reads
            continue;
        }
        const int64_t at = pos + static_cast<int64_t>(i);
        uint8_t size[4];
        if (!file.Seek(at + 4) || !ReadExactly(file, size, sizeof size))
            return false;
        if (Le32(size) == 0) { // an empty "data" chunk: the search goes on after it
            pos = at + 8;
            continue;
        }
        m_dataStart = at + 8;
        m_dataBytes = Le32(size);
        return true;
    }
    return false;
}

void WavReader::Close() {
    m_acm.Close();
    m_open = m_raw = false;
    m_source = WaveFormat();
    m_output = WaveFormat();
    m_dataStart = m_dataBytes = m_consumed = m_totalSamples = 0;
    m_factSamples = 0;
    m_hasFact = false;
    m_fileEnded = false;
    m_input.clear();
    m_inputFilled = 0;
}

long WavReader::Decode(FileReader& file, uint8_t* out, size_t space) {
    const size_t frame = m_output.blockAlign;
    if (!m_open || !out || frame == 0 || space < frame)
        return -1;
    if (m_raw) {
        const int64_t left = m_dataBytes - m_consumed;
        if (left <= 0 || m_fileEnded)
            return 0;
        const size_t bytes = static_cast<size_t>(std::min<int64_t>(left, space - space % frame));
        size_t got = 0;
        if (!file.Read(out, bytes, got))
            return -1;
        m_consumed += static_cast<int64_t>(got);
        if (got < bytes)
            m_fileEnded = true;
        return static_cast<long>(got);
    }

    for (;;) {
        size_t want = 0;
        if (!m_acm.SourceBytesFor(space, want))
            return -1;
        want = std::min(want, kInputBytes);
        const int64_t left = m_fileEnded ? 0 : m_dataBytes - m_consumed;
        if (m_inputFilled < want && left > 0) {
            const size_t bytes = static_cast<size_t>(std::min<int64_t>(want - m_inputFilled, left));
            size_t got = 0;
            if (!file.Read(m_input.data() + m_inputFilled, bytes, got))
                return -1;
            m_inputFilled += got;
            m_consumed += static_cast<int64_t>(got);
            if (got < bytes)
                m_fileEnded = true;
        }
        const bool end = m_fileEnded || m_consumed >= m_dataBytes;
        size_t used = 0, produced = 0;
        if (!m_acm.Convert(m_input.data(), m_inputFilled, out, space, end, used, produced))
            return -1;
        std::memmove(m_input.data(), m_input.data() + used, m_inputFilled - used);
        m_inputFilled -= used;
        if (produced > 0)
            return static_cast<long>(produced);
        if (end || used == 0)
            return 0;
    }
}

bool WavReader::Seek(FileReader& file, int64_t ms, int64_t& sample) {
    if (!m_open)
        return false;
    ms = std::max<int64_t>(ms, 0);
    const int64_t target = static_cast<int64_t>(ms * m_source.samplesPerSec * 0.001);
    int64_t bytes;
    if (m_source.formatTag == kWaveFormatPcm) {
        bytes = target * m_source.channels * m_source.bitsPerSample / 8;
    } else {
        bytes = static_cast<int64_t>(m_source.avgBytesPerSec * ms * 0.001);
        bytes -= bytes % static_cast<int64_t>(std::max<size_t>(m_acm.SourceBlockBytes(), 1));
    }
    if (!file.Seek(m_dataStart + bytes))
        return false;
    m_consumed = std::min(bytes, m_dataBytes);
    m_fileEnded = false;
    ResetConversion();
    sample = target;
    return true;
}

void WavReader::ResetConversion() {
    m_inputFilled = 0;
    if (!m_raw)
        m_acm.Reset();
}
