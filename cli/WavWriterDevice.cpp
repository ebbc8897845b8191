#include "cli/WavWriterDevice.h"

#include <algorithm>

namespace {

constexpr size_t kScratchBytes = 8192;

} // namespace

WavWriterDevice::WavWriterDevice(WavWriter& writer) : NullWaveOut(true), m_writer(writer) {}

WavWriterDevice::~WavWriterDevice() {
    Close();
}

int WavWriterDevice::OpenSink(const Format& format) {
    if (!m_writer.Start(format.channels, format.rate, format.bits))
        return kError;
    m_format = format;
    m_scratch.resize(kScratchBytes);
    return NullWaveOut::OpenSink(format);
}

void WavWriterDevice::CloseSink() {
    m_writer.UpdateHeader();
    NullWaveOut::CloseSink();
}

void WavWriterDevice::Played(const uint8_t* data, size_t frames, uint32_t volume) {
    const size_t frameBytes = static_cast<size_t>(FrameBytes(m_format));
    if (volume == kUnityVolume) {
        m_writer.Append(data, frames * frameBytes);
        return;
    }
    const size_t pieceFrames = m_scratch.size() / frameBytes;
    while (frames > 0) {
        const size_t count = std::min(frames, pieceFrames);
        ApplyVolume(volume, m_format, data, m_scratch.data(), count);
        if (!m_writer.Append(m_scratch.data(), count * frameBytes))
            return;
        data += count * frameBytes;
        frames -= count;
    }
}

void WavWriterDevice::BlockPlayed() {
    m_writer.UpdateHeader();
}
