#pragma once

#include "engine/core/MpegHeader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class FileReader;

// Everything that walks an MPEG audio file: the probe, the first frame, the length (from a
// "Xing" or "VBRI" frame, from the first frame, or by counting every frame) and seeking.
//
// The audio is taken to start at the first frame, so a leading ID3v2 tag (or any other data)
// counts neither into the bytes per frame nor into the bitrate, and a seek never lands in it.
class MpegFile {
public:
    MpegFile();

    // Reads the first 4096 bytes: "ID3", RIFF "RMP3", RIFF WAVE with format tag 0x55 or 0x50,
    // or two consecutive frame headers of one stream. The file position is restored.
    static bool Probe(FileReader& file);

    // Finds the first frame (a header whose successor header matches) and the length; with
    // `scanCompletely` by counting every frame. False when there is no frame. Leaves the file
    // positioned at the first frame.
    bool Open(FileReader& file, bool scanCompletely);

    // The first (counted) frame's header; its bitrate is the measured or VBR bitrate.
    const MpegHeaderInfo& Header() const { return m_header; }
    int64_t FirstFrameOffset() const { return m_firstFrame; }
    int64_t TotalSamples() const { return m_totalSamples; }
    int64_t BytesPerFrame() const { return m_bytesPerFrame; }

    // Positions the file at the frame that holds `ms`; `targetSample` = rate * ms * 0.001.
    // False past the last frame, with the old file position restored.
    bool Seek(FileReader& file, int64_t ms, bool scanCompletely, int64_t& targetSample);

private:
    // The 4 bytes at `offset` as a big-endian word, through a read-ahead window.
    bool ReadWord(FileReader& file, int64_t offset, uint32_t& word);
    // A frame of this stream starts at `offset` (and, if one follows, it matches too).
    bool FrameAt(FileReader& file, int64_t offset, MpegHeaderInfo& info);
    bool FindFirstFrame(FileReader& file);
    void LengthFromHeaders(FileReader& file);
    bool LengthByScan(FileReader& file);

    MpegHeaderInfo m_header;
    int64_t m_firstFrame = 0;
    int64_t m_totalSamples = 0;
    int64_t m_bytesPerFrame = 0;
    int64_t m_frames = 0;     // frames in the audio bytes, for the seek estimate
    int64_t m_audioBytes = 0; // file size minus the first frame's offset

    std::vector<uint8_t> m_window;
    int64_t m_windowStart = -1;
    size_t m_windowLength = 0;
};
