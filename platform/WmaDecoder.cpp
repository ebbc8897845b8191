#include "platform/WmaDecoder.h"

#include "platform/AvCodec.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const AvCodecFunctions& Av() {
    return AvCodec::Functions();
}

int16_t ToS16(float v) {
    const float scaled = std::nearbyint(v * 32768.0f);
    return static_cast<int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

} // namespace

WmaDecoder::WmaDecoder() = default;

WmaDecoder::~WmaDecoder() {
    Close();
}

bool WmaDecoder::Open(const WaveFormat& format) {
    Close();
    AVCodecID id = AV_CODEC_ID_NONE;
    switch (format.formatTag) {
    case kWaveFormatWmaV1:
        id = AV_CODEC_ID_WMAV1;
        break;
    case kWaveFormatWmaV2:
        id = AV_CODEC_ID_WMAV2;
        break;
    case kWaveFormatWmaPro:
        id = AV_CODEC_ID_WMAPRO;
        break;
    default:
        return false;
    }
    if (format.channels < 1 || format.channels > 8 || format.samplesPerSec == 0 ||
        format.samplesPerSec > 192000 || format.blockAlign == 0)
        return false;
    if (!AvCodec::Load())
        return false;
    const AVCodec* decoder = Av().avcodec_find_decoder(id);
    if (!decoder)
        return false;
    m_context = Acm::OpenDecoderFor(decoder, format);
    m_packet = Av().av_packet_alloc();
    m_frame = Av().av_frame_alloc();
    if (!m_context || !m_packet || !m_frame) {
        Close();
        return false;
    }
    m_blockBytes = format.blockAlign;
    m_channels = format.channels;
    m_block.assign(m_blockBytes + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    return true;
}

void WmaDecoder::Close() {
    if (m_context || m_packet || m_frame) {
        Av().avcodec_free_context(&m_context);
        Av().av_packet_free(&m_packet);
        Av().av_frame_free(&m_frame);
    }
    m_blockBytes = 0;
    m_channels = 0;
    m_input.clear();
    m_block.clear();
    m_pcm.clear();
    m_pcmStart = 0;
}

bool WmaDecoder::Input(const uint8_t* data, size_t size) {
    if (!m_context)
        return false;
    while (size > 0) {
        const size_t take = std::min(size, m_blockBytes - m_input.size());
        m_input.insert(m_input.end(), data, data + take);
        data += take;
        size -= take;
        if (m_input.size() == m_blockBytes) {
            std::memcpy(m_block.data(), m_input.data(), m_blockBytes);
            m_input.clear();
            if (!Decode(m_block.data(), m_blockBytes))
                return false;
        }
    }
    return true;
}

bool WmaDecoder::Drain() {
    if (!m_context)
        return false;
    if (!m_input.empty()) {
        std::memset(m_block.data(), 0, m_block.size());
        std::memcpy(m_block.data(), m_input.data(), m_input.size());
        m_input.clear();
        if (!Decode(m_block.data(), m_blockBytes))
            return false;
    }
    return Decode(nullptr, 0);
}

void WmaDecoder::Flush() {
    if (m_context)
        Av().avcodec_flush_buffers(m_context);
    m_input.clear();
    m_pcm.clear();
    m_pcmStart = 0;
}

size_t WmaDecoder::Output(uint8_t* dest, size_t room) {
    const size_t frameBytes = 2 * static_cast<size_t>(std::max(m_channels, 1));
    const size_t n = std::min(Pending(), room / frameBytes * frameBytes);
    std::memcpy(dest, m_pcm.data() + m_pcmStart, n);
    m_pcmStart += n;
    if (m_pcmStart == m_pcm.size()) {
        m_pcm.clear();
        m_pcmStart = 0;
    }
    return n;
}

bool WmaDecoder::Decode(const uint8_t* data, size_t size) {
    Av().av_packet_unref(m_packet);
    m_packet->data = const_cast<uint8_t*>(data);
    m_packet->size = static_cast<int>(size);
    int result = Av().avcodec_send_packet(m_context, data ? m_packet : nullptr);
    if (result < 0 && result != AVERROR_INVALIDDATA && result != AVERROR_EOF)
        return false;
    for (;;) {
        result = Av().avcodec_receive_frame(m_context, m_frame);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            break;
        if (result == AVERROR_INVALIDDATA)
            continue;
        if (result < 0)
            return false;
        const bool kept = KeepFrame();
        Av().av_frame_unref(m_frame);
        if (!kept)
            return false;
    }
    if (!data)
        Av().avcodec_flush_buffers(m_context); // ready for input again after the drain
    return true;
}

bool WmaDecoder::KeepFrame() {
    const int channels = m_frame->ch_layout.nb_channels;
    const int frames = m_frame->nb_samples;
    if (channels != m_channels)
        return true; // a frame of another layout cannot be played in this stream
    if (m_pcmStart > 0) {
        m_pcm.erase(m_pcm.begin(), m_pcm.begin() + static_cast<std::ptrdiff_t>(m_pcmStart));
        m_pcmStart = 0;
    }
    const size_t at = m_pcm.size();
    m_pcm.resize(at + static_cast<size_t>(frames) * channels * 2);
    auto* out = m_pcm.data() + at;
    const auto format = static_cast<AVSampleFormat>(m_frame->format);
    const bool planar = Av().av_sample_fmt_is_planar(format);
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const int plane = planar ? c : 0;
            const int index = planar ? i : i * channels + c;
            int16_t s = 0;
            switch (Av().av_get_packed_sample_fmt(format)) {
            case AV_SAMPLE_FMT_FLT:
                s = ToS16(reinterpret_cast<const float*>(m_frame->extended_data[plane])[index]);
                break;
            case AV_SAMPLE_FMT_S16:
                s = reinterpret_cast<const int16_t*>(m_frame->extended_data[plane])[index];
                break;
            case AV_SAMPLE_FMT_S32:
                s = static_cast<int16_t>(
                    reinterpret_cast<const int32_t*>(m_frame->extended_data[plane])[index] >> 16);
                break;
            default:
                return false;
            }
            *out++ = static_cast<uint8_t>(s & 0xFF);
            *out++ = static_cast<uint8_t>((s >> 8) & 0xFF);
        }
    }
    return true;
}
