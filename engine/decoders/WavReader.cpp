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
    open_ = ReadChunks(file);
    if (!open_)
        Close();
    return open_;
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
    if (!ReadFormat(file, formatSize, source_) || source_.blockAlign > kInputBytes ||
        !Acm::SuggestPcm(source_, output_))
        return false;
    if ((formatSize & 1) && !file.Seek(file.Tell() + 1))
        return false;

    if (!FindData(file, fileSize))
        return false;
    if (dataStart_ + dataBytes_ > fileSize) // a short file plays what it has
        dataBytes_ = fileSize - dataStart_;

    raw_ = source_.formatTag == kWaveFormatPcm &&
           (source_.bitsPerSample == 8 || source_.bitsPerSample == 16);
    if (raw_) {
        // Handed out as it is, in whole sample frames, whatever the file says its blocks are.
        output_ = source_;
        output_.extra.clear();
        output_.blockAlign = static_cast<uint16_t>(source_.channels * source_.bitsPerSample / 8);
        output_.avgBytesPerSec = output_.samplesPerSec * output_.blockAlign;
        dataBytes_ -= dataBytes_ % output_.blockAlign;
    } else {
        if (!acm_.Open(source_, output_))
            return false;
        input_.resize(kInputBytes);
    }

    if (source_.formatTag == kWaveFormatPcm) {
        totalSamples_ = dataBytes_ / (source_.bitsPerSample * source_.channels / 8);
    } else if (hasFact_) {
        totalSamples_ = factSamples_;
    } else if (acm_.SourceBlockFrames() > 0) {
        // Whole blocks of a fixed length in samples.
        totalSamples_ = dataBytes_ / static_cast<int64_t>(acm_.SourceBlockBytes()) *
                        static_cast<int64_t>(acm_.SourceBlockFrames());
    } else if (source_.avgBytesPerSec > 0) {
        totalSamples_ = dataBytes_ / source_.avgBytesPerSec * source_.samplesPerSec;
    }

    return file.Seek(dataStart_);
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
            dataStart_ = pos + 8;
            dataBytes_ = size;
            return true;
        }
        uint8_t count[4];
        if (std::memcmp(chunk, "fact", 4) == 0 && size >= 4 && !hasFact_ &&
            ReadExactly(file, count, sizeof count)) {
            factSamples_ = Le32(count);
            hasFact_ = true;
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
        dataStart_ = at + 8;
        dataBytes_ = Le32(size);
        return true;
    }
    return false;
}

void WavReader::Close() {
    acm_.Close();
    open_ = raw_ = false;
    source_ = WaveFormat();
    output_ = WaveFormat();
    dataStart_ = dataBytes_ = consumed_ = totalSamples_ = 0;
    factSamples_ = 0;
    hasFact_ = false;
    fileEnded_ = false;
    input_.clear();
    inputFilled_ = 0;
}

long WavReader::Decode(FileReader& file, uint8_t* out, size_t space) {
    const size_t frame = output_.blockAlign;
    if (!open_ || !out || frame == 0 || space < frame)
        return -1;
    if (raw_) {
        const int64_t left = dataBytes_ - consumed_;
        if (left <= 0 || fileEnded_)
            return 0;
        const size_t bytes = static_cast<size_t>(std::min<int64_t>(left, space - space % frame));
        size_t got = 0;
        if (!file.Read(out, bytes, got))
            return -1;
        consumed_ += static_cast<int64_t>(got);
        if (got < bytes)
            fileEnded_ = true;
        return static_cast<long>(got);
    }

    for (;;) {
        size_t want = 0;
        if (!acm_.SourceBytesFor(space, want))
            return -1;
        want = std::min(want, kInputBytes);
        const int64_t left = fileEnded_ ? 0 : dataBytes_ - consumed_;
        if (inputFilled_ < want && left > 0) {
            const size_t bytes = static_cast<size_t>(std::min<int64_t>(want - inputFilled_, left));
            size_t got = 0;
            if (!file.Read(input_.data() + inputFilled_, bytes, got))
                return -1;
            inputFilled_ += got;
            consumed_ += static_cast<int64_t>(got);
            if (got < bytes)
                fileEnded_ = true;
        }
        const bool end = fileEnded_ || consumed_ >= dataBytes_;
        size_t used = 0, produced = 0;
        if (!acm_.Convert(input_.data(), inputFilled_, out, space, end, used, produced))
            return -1;
        std::memmove(input_.data(), input_.data() + used, inputFilled_ - used);
        inputFilled_ -= used;
        if (produced > 0)
            return static_cast<long>(produced);
        if (end || used == 0)
            return 0;
    }
}

bool WavReader::Seek(FileReader& file, int64_t ms, int64_t& sample) {
    if (!open_)
        return false;
    ms = std::max<int64_t>(ms, 0);
    const int64_t target = static_cast<int64_t>(ms * source_.samplesPerSec * 0.001);
    int64_t bytes;
    if (source_.formatTag == kWaveFormatPcm) {
        bytes = target * source_.channels * source_.bitsPerSample / 8;
    } else {
        bytes = static_cast<int64_t>(source_.avgBytesPerSec * ms * 0.001);
        bytes -= bytes % static_cast<int64_t>(std::max<size_t>(acm_.SourceBlockBytes(), 1));
    }
    if (!file.Seek(dataStart_ + bytes))
        return false;
    consumed_ = std::min(bytes, dataBytes_);
    fileEnded_ = false;
    ResetConversion();
    sample = target;
    return true;
}

void WavReader::ResetConversion() {
    inputFilled_ = 0;
    if (!raw_)
        acm_.Reset();
}
