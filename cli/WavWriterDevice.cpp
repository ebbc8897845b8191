#include "cli/WavWriterDevice.h"

#include <algorithm>

namespace {

constexpr size_t kScratchBytes = 8192;

} // namespace

WavWriterDevice::WavWriterDevice(WavWriter& writer) : NullWaveOut(true), writer_(writer) {}

WavWriterDevice::~WavWriterDevice() {
    Close();
}

int WavWriterDevice::OpenSink(const Format& format) {
    if (!writer_.Start(format.channels, format.rate, format.bits))
        return kError;
    format_ = format;
    scratch_.resize(kScratchBytes);
    return NullWaveOut::OpenSink(format);
}

void WavWriterDevice::CloseSink() {
    writer_.UpdateHeader();
    NullWaveOut::CloseSink();
}

void WavWriterDevice::Played(const uint8_t* data, size_t frames, uint32_t volume) {
    const size_t frameBytes = static_cast<size_t>(FrameBytes(format_));
    if (volume == kUnityVolume) {
        writer_.Append(data, frames * frameBytes);
        return;
    }
    const size_t pieceFrames = scratch_.size() / frameBytes;
    while (frames > 0) {
        const size_t count = std::min(frames, pieceFrames);
        ApplyVolume(volume, format_, data, scratch_.data(), count);
        if (!writer_.Append(scratch_.data(), count * frameBytes))
            return;
        data += count * frameBytes;
        frames -= count;
    }
}

void WavWriterDevice::BlockPlayed() {
    writer_.UpdateHeader();
}
