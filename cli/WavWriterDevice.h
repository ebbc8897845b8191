#pragma once

#include "cli/WavWriter.h"
#include "platform/NullWaveOut.h"

#include <vector>

// A wave-out device that plays into a WavWriter as fast as blocks are queued, after the volume
// gain. The writer outlives the device: the engine makes a device whenever it opens the output.
class WavWriterDevice : public NullWaveOut {
public:
    explicit WavWriterDevice(WavWriter& writer);
    ~WavWriterDevice() override;

private:
    int OpenSink(const Format& format) override;
    void CloseSink() override;
    void Played(const uint8_t* data, size_t frames, uint32_t volume) override;
    void BlockPlayed() override;

    WavWriter& m_writer;
    Format m_format;
    std::vector<uint8_t> m_scratch;
};
