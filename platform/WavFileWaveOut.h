#pragma once

#include "platform/NullWaveOut.h"

#include <string>
#include <vector>

// A wave-out device that records what it plays (after the volume gain) into a PCM WAV file with
// the plain 44-byte header, at the real rate or, with `fast`, as soon as blocks are queued.
//
// The file stays a valid WAV file: its header is brought up to date after every played block and
// at Close. The first Open in a process starts the file afresh; when the same object or another one
// opens the same path again in this process with the same format, the recording continues at the
// end of the file, and with another format the file starts over. One device at a time may have a
// path open; another Open of it answers kAllocated, as a busy device does.
//
// Beware of `fast` under a feeder that writes silence whenever it has nothing else to play: the
// file then grows as fast as the disk takes it.
class WavFileWaveOut : public NullWaveOut {
public:
    WavFileWaveOut(std::string path, bool fast);
    ~WavFileWaveOut() override;

private:
    int OpenSink(const Format& format) override;
    void CloseSink() override;
    void Played(const uint8_t* data, size_t frames, uint32_t volume) override;
    void BlockPlayed() override;
    // Opens the file for appending when this process wrote it with the same format; `m_dataBytes`
    // then holds its data size.
    bool Reopen(const Format& format);
    bool WriteHeader();
    void UpdateSizes();

    const std::string m_path;
    int m_fd = -1;
    Format m_format;
    uint32_t m_dataBytes = 0;
    std::vector<uint8_t> m_scratch;
};
