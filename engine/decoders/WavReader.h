#pragma once

#include "platform/Acm.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class FileReader;

// A RIFF WAVE file: its format and the place of its sample data. 8- and 16-bit PCM is handed
// out as it is in the file; every other format goes through a conversion stream of the audio
// compression manager into the PCM format it suggests.
class WavReader {
public:
    // The most source bytes one conversion takes, and the largest block alignment accepted.
    static constexpr size_t kInputBytes = 4096;

    WavReader() = default;
    WavReader(const WavReader&) = delete;
    WavReader& operator=(const WavReader&) = delete;

    // "RIFF", any size, "WAVE", then the next chunk taken as the format whatever its name: the
    // compression manager must be able to turn it into PCM.
    static bool Probe(FileReader& file);

    // Reads the chunks up to the sample data and opens the conversion. Leaves the file at the
    // start of the data. Closes what was open before.
    bool Open(FileReader& file);
    void Close();
    bool IsOpen() const { return m_open; }

    // Of the PCM handed out.
    int Channels() const { return m_output.channels; }
    int Rate() const { return static_cast<int>(m_output.samplesPerSec); }
    int Bits() const { return m_output.bitsPerSample; }
    int Bitrate() const { return static_cast<int>(m_source.avgBytesPerSec / 125); } // kbit/s
    int64_t TotalSamples() const { return m_totalSamples; }
    const WaveFormat& SourceFormat() const { return m_source; }
    const WaveFormat& OutputFormat() const { return m_output; }
    int64_t DataStart() const { return m_dataStart; }
    int64_t DataBytes() const { return m_dataBytes; }

    // One round of decoding into out[0, space): PCM is read as it is (whole sample frames),
    // other formats run a conversion of up to kInputBytes source bytes. Answers the bytes
    // written (> 0), 0 at the end of the data, -1 on a read or conversion error. `space` must
    // hold at least one sample frame.
    long Decode(FileReader& file, uint8_t* out, size_t space);

    // Positions the file at `ms`: PCM at the sample, other formats at average bytes per second
    // times the time, rounded down to whole blocks. `sample` is the sample aimed at. What was
    // read or converted for the old position is dropped.
    bool Seek(FileReader& file, int64_t ms, int64_t& sample);
    // Drops what the conversion holds (after a seek, before decoding resumes).
    void ResetConversion();

private:
    bool ReadChunks(FileReader& file);
    // Finds the "data" chunk from the current position; m_dataStart and m_dataBytes tell where.
    bool FindData(FileReader& file, int64_t fileSize);
    bool ScanForData(FileReader& file, int64_t from, int64_t fileSize);

    bool m_open = false;
    bool m_raw = false; // 8- or 16-bit PCM, read without conversion
    WaveFormat m_source;
    WaveFormat m_output;
    Acm m_acm;
    int64_t m_dataStart = 0;
    int64_t m_dataBytes = 0;
    int64_t m_consumed = 0;   // data bytes read so far
    bool m_fileEnded = false; // the file ended before the data did
    uint32_t m_factSamples = 0;
    bool m_hasFact = false;
    int64_t m_totalSamples = 0;

    std::vector<uint8_t> m_input; // source bytes read and not yet converted
    size_t m_inputFilled = 0;
};
