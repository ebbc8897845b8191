#include "runtime/MixChannel.h"

#include "runtime/RuntimeStream.h"

#include <algorithm>
#include <cstdlib>

namespace {
// Source frames decoded per step of the converter path.
constexpr int kChunkFrames = 1024;
// The widest source the decoders deliver.
constexpr int kMaxSourceChannels = 8;
} // namespace

MixChannel::~MixChannel() {
    if (m_converter)
        src_delete(m_converter);
}

void MixChannel::Prepare(int mixRate, int blockFrames) {
    m_mixRate = mixRate;
    m_blockFrames = blockFrames;
    m_source.clear();
    if (m_converter)
        src_delete(m_converter);
    m_converter = nullptr;
}

bool MixChannel::Allocate(int rate) {
    if (m_source.empty()) {
        const int blockFrames = m_blockFrames;
        m_source.assign(
            static_cast<size_t>(std::max(kChunkFrames, blockFrames)) * kMaxSourceChannels, 0);
        m_stereo.assign(static_cast<size_t>(std::max(kChunkFrames, blockFrames)) * 2, 0);
        m_in.assign(static_cast<size_t>(kChunkFrames) * 2, 0.0f);
        m_outFloat.assign(static_cast<size_t>(blockFrames) * 2, 0.0f);
        m_out.assign(static_cast<size_t>(blockFrames) * 2, 0);
    }
    return rate == m_mixRate || MakeConverter();
}

bool MixChannel::MakeConverter() {
    if (m_converter)
        return true;
    int error = 0;
    m_converter = src_new(SRC_SINC_FASTEST, 2, &error);
    return m_converter != nullptr;
}

bool MixChannel::SetFrequency(int rate) {
    // A channel at rest gets its stream's rate when one starts.
    if (InUse() && rate != m_mixRate && !MakeConverter())
        return false;
    frequency = rate;
    return true;
}

void MixChannel::Start(RuntimeStream* stream) {
    m_stream = stream;
    paused = false;
    mute = false;
    surround = false;
    volume = stream->Sample()->volume;
    pan = stream->Sample()->pan;
    frequency = stream->Rate();
    m_ended = false;
    Flush();
    ClearLevels();
}

void MixChannel::Stop() {
    m_stream = nullptr;
    Flush();
    ClearLevels();
}

void MixChannel::Flush() {
    m_inFrames = 0;
    m_inOffset = 0;
    m_ended = false;
    if (m_converter)
        src_reset(m_converter);
}

void MixChannel::ClearLevels() {
    m_levelLeft.store(0.0f, std::memory_order_relaxed);
    m_levelRight.store(0.0f, std::memory_order_relaxed);
}

int MixChannel::Decode(int16_t* out, int frames) {
    StreamDecoder& decoder = m_stream->Decoder();
    int channels = m_stream->Channels();
    frames = std::min(frames, static_cast<int>(m_source.size()) / std::max(1, channels));
    int got = channels == 2 ? decoder.Read(out, frames) : decoder.Read(m_source.data(), frames);
    if (got < 0) {
        fatalError = true;
        return 0;
    }
    if (channels == 1) {
        for (int i = 0; i < got; ++i)
            out[2 * i] = out[2 * i + 1] = m_source[i];
    } else if (channels > 2) {
        for (int i = 0; i < got; ++i) {
            out[2 * i] = m_source[static_cast<size_t>(i) * channels];
            out[2 * i + 1] = m_source[static_cast<size_t>(i) * channels + 1];
        }
    }
    m_stream->SetPosition(m_stream->Position() + got);
    return got;
}

int MixChannel::Render(int frames) {
    if (frequency == m_mixRate) {
        int made = 0;
        while (made < frames && !m_ended) {
            int got = Decode(m_out.data() + 2 * made, frames - made);
            if (got == 0)
                m_ended = true;
            made += got;
        }
        return made;
    }

    if (!m_converter) {
        fatalError = true; // Allocate or SetFrequency made it, or said they could not
        return 0;
    }
    int made = 0;
    while (made < frames) {
        if (m_inFrames == 0 && !m_ended) {
            int got = Decode(m_stereo.data(), kChunkFrames);
            if (got == 0)
                m_ended = true;
            src_short_to_float_array(m_stereo.data(), m_in.data(), got * 2);
            m_inFrames = got;
            m_inOffset = 0;
        }
        SRC_DATA data{};
        data.data_in = m_in.data() + 2 * m_inOffset;
        data.input_frames = m_inFrames;
        data.data_out = m_outFloat.data() + 2 * made;
        data.output_frames = frames - made;
        data.src_ratio = static_cast<double>(m_mixRate) / frequency;
        data.end_of_input = m_ended ? 1 : 0;
        if (src_process(m_converter, &data) != 0)
            break;
        m_inOffset += static_cast<int>(data.input_frames_used);
        m_inFrames -= static_cast<int>(data.input_frames_used);
        made += static_cast<int>(data.output_frames_gen);
        if (m_ended && data.output_frames_gen == 0 && m_inFrames == 0)
            break;
    }
    src_float_to_short_array(m_outFloat.data(), m_out.data(), made * 2);
    return made;
}

bool MixChannel::Mix(int32_t* mix, int frames, int masterVolume) {
    if (!m_stream)
        return true;
    if (paused) {
        ClearLevels();
        return true;
    }
    frames = std::min(frames, m_blockFrames);
    int made = Render(frames);

    // Gain in 1/65536 steps: 255 * 255 is unity.
    int64_t gain = mute ? 0 : int64_t{volume} * masterVolume * 65536 / (255 * 255);
    int peakLeft = 0;
    int peakRight = 0;
    const int16_t* in = m_out.data();
    if (gain == 65536) {
        for (int i = 0; i < made; ++i) {
            int32_t left = in[2 * i];
            int32_t right = in[2 * i + 1];
            mix[2 * i] += left;
            mix[2 * i + 1] += right;
            peakLeft = std::max(peakLeft, std::abs(left));
            peakRight = std::max(peakRight, std::abs(right));
        }
    } else {
        for (int i = 0; i < made; ++i) {
            auto left = static_cast<int32_t>((in[2 * i] * gain) >> 16);
            auto right = static_cast<int32_t>((in[2 * i + 1] * gain) >> 16);
            mix[2 * i] += left;
            mix[2 * i + 1] += right;
            peakLeft = std::max(peakLeft, std::abs(left));
            peakRight = std::max(peakRight, std::abs(right));
        }
    }
    m_levelLeft.store(std::min(1.0f, peakLeft / 32768.0f), std::memory_order_relaxed);
    m_levelRight.store(std::min(1.0f, peakRight / 32768.0f), std::memory_order_relaxed);
    return !(m_ended && made < frames);
}
