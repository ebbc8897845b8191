#include "platform/Acm.h"

#include "platform/AvCodec.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

const AvCodecFunctions& Av() {
    return AvCodec::Functions();
}

constexpr int kMaxChannels = 8;
constexpr uint32_t kMaxRate = 768000;
constexpr size_t kPacketBytes = 8192;
// Sample frames kept room for at open: more than an MPEG frame or a usual ADPCM block yields.
constexpr size_t kKeptFrames = 4608;

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// What decodes a format: the codec, a preferred decoder (the fixed-point one where libavcodec
// has both), whether blocks are single sample frames, and whether a frame splitter is needed.
struct Codec {
    AVCodecID id = AV_CODEC_ID_NONE;
    const char* name = nullptr;
    bool pcmLike = false;
    bool parsed = false;
    int sampleBytes = 0; // source bytes per sample for pcmLike formats
    bool eightBit = false;
};

// The tag an extensible format stands for: its sub-format GUID is the tag followed by the
// common tail {xxxxxxxx-0000-0010-8000-00AA00389B71}.
bool SubFormatTag(const WaveFormat& format, uint16_t& tag) {
    static const uint8_t kTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                      0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    if (format.extra.size() < 22 || std::memcmp(format.extra.data() + 8, kTail, 14) != 0)
        return false;
    tag = Le16(format.extra.data() + 6);
    return tag != kWaveFormatExtensible;
}

bool ChooseCodec(const WaveFormat& format, Codec& codec) {
    uint16_t tag = format.formatTag;
    if (tag == kWaveFormatExtensible && !SubFormatTag(format, tag))
        return false;
    const int bits = format.bitsPerSample;
    switch (tag) {
    case kWaveFormatPcm:
        codec.pcmLike = true;
        codec.sampleBytes = bits / 8;
        codec.eightBit = bits == 8;
        codec.id = bits == 8    ? AV_CODEC_ID_PCM_U8
                   : bits == 16 ? AV_CODEC_ID_PCM_S16LE
                   : bits == 24 ? AV_CODEC_ID_PCM_S24LE
                   : bits == 32 ? AV_CODEC_ID_PCM_S32LE
                                : AV_CODEC_ID_NONE;
        break;
    case kWaveFormatIeeeFloat:
        codec.pcmLike = true;
        codec.sampleBytes = bits / 8;
        codec.id = bits == 32   ? AV_CODEC_ID_PCM_F32LE
                   : bits == 64 ? AV_CODEC_ID_PCM_F64LE
                                : AV_CODEC_ID_NONE;
        break;
    case kWaveFormatAlaw:
    case kWaveFormatMulaw:
        codec.pcmLike = true;
        codec.sampleBytes = 1;
        codec.id = bits != 8                ? AV_CODEC_ID_NONE
                   : tag == kWaveFormatAlaw ? AV_CODEC_ID_PCM_ALAW
                                            : AV_CODEC_ID_PCM_MULAW;
        break;
    case kWaveFormatMsAdpcm:
        codec.id =
            format.blockAlign >= 7 * format.channels ? AV_CODEC_ID_ADPCM_MS : AV_CODEC_ID_NONE;
        break;
    case kWaveFormatImaAdpcm:
        codec.id =
            format.blockAlign > 4 * format.channels ? AV_CODEC_ID_ADPCM_IMA_WAV : AV_CODEC_ID_NONE;
        break;
    case kWaveFormatGsm610:
        codec.id = format.blockAlign > 0 && format.blockAlign % 65 == 0 ? AV_CODEC_ID_GSM_MS
                                                                        : AV_CODEC_ID_NONE;
        break;
    case kWaveFormatMpeg:
        codec.id = AV_CODEC_ID_MP2;
        codec.name = "mp2"; // decodes every layer, in fixed point
        codec.parsed = true;
        break;
    case kWaveFormatMpegLayer3:
        codec.id = AV_CODEC_ID_MP3;
        codec.name = "mp3";
        codec.parsed = true;
        break;
    default:
        return false;
    }
    return codec.id != AV_CODEC_ID_NONE;
}

struct ContextDeleter {
    void operator()(AVCodecContext* context) const { Av().avcodec_free_context(&context); }
};
using ContextPtr = std::unique_ptr<AVCodecContext, ContextDeleter>;

// An opened decoder for `format`, or null.
ContextPtr OpenDecoder(const WaveFormat& format, const Codec& codec) {
    const AVCodec* decoder = codec.name ? Av().avcodec_find_decoder_by_name(codec.name) : nullptr;
    if (!decoder || decoder->id != codec.id)
        decoder = Av().avcodec_find_decoder(codec.id);
    if (!decoder)
        return nullptr;
    return ContextPtr(Acm::OpenDecoderFor(decoder, format));
}

bool Plausible(const WaveFormat& format) {
    return format.channels >= 1 && format.channels <= kMaxChannels && format.samplesPerSec >= 1 &&
           format.samplesPerSec <= kMaxRate;
}

// Sample frames one block of a block format yields.
size_t BlockFrames(const WaveFormat& format, AVCodecID id) {
    const size_t align = format.blockAlign, channels = format.channels;
    const size_t bits = std::max<size_t>(format.bitsPerSample, 1);
    const size_t named = format.extra.size() >= 2 ? Le16(format.extra.data()) : 0;
    switch (id) {
    case AV_CODEC_ID_ADPCM_MS:
        return named ? named : (align - 7 * channels) * 2 / channels + 2;
    case AV_CODEC_ID_ADPCM_IMA_WAV:
        return named ? named : (align - 4 * channels) * 8 / (bits * channels) + 1;
    case AV_CODEC_ID_GSM_MS:
        return align / 65 * 320;
    default:
        return 0;
    }
}

// Sample to 16 bits, for every sample format libavcodec hands out.
int16_t Clamp16(int64_t value) {
    return static_cast<int16_t>(std::clamp<int64_t>(value, -32768, 32767));
}

int16_t FromU8(uint8_t s) {
    return static_cast<int16_t>((s - 128) * 256);
}
int16_t FromS16(int16_t s) {
    return s;
}
int16_t FromS32(int32_t s) {
    return Clamp16((static_cast<int64_t>(s) + 0x8000) >> 16);
}
template <typename Float> int16_t FromFloat(Float s) {
    if (!(s > -1) || !(s < 1)) // out of range, or not a number
        return s >= 1 ? 32767 : (s <= -1 ? -32768 : 0);
    return Clamp16(std::lround(s * 32768));
}

// Writes the samples of `frame` as `outChannels` channels of `outBytes`-byte PCM. Output
// channels beyond the decoded ones repeat the last decoded one.
template <typename Sample, typename Convert>
void Interleave(const AVFrame& frame, bool planar, int outChannels, int outBytes, uint8_t* out,
                Convert convert) {
    const int inChannels = frame.ch_layout.nb_channels;
    for (int i = 0; i < frame.nb_samples; ++i) {
        for (int c = 0; c < outChannels; ++c) {
            const int from = std::min(c, inChannels - 1);
            const Sample* in = planar
                                   ? reinterpret_cast<const Sample*>(frame.extended_data[from]) + i
                                   : reinterpret_cast<const Sample*>(frame.extended_data[0]) +
                                         static_cast<size_t>(i) * inChannels + from;
            const int16_t value = convert(*in);
            if (outBytes == 1) {
                *out++ = static_cast<uint8_t>((value >> 8) + 128);
            } else {
                *out++ = static_cast<uint8_t>(value & 0xFF);
                *out++ = static_cast<uint8_t>((value >> 8) & 0xFF);
            }
        }
    }
}

} // namespace

bool WaveFormat::FromBytes(const uint8_t* bytes, size_t size, WaveFormat& format) {
    if (!bytes || size < 16)
        return false;
    format.formatTag = Le16(bytes);
    format.channels = Le16(bytes + 2);
    format.samplesPerSec = Le32(bytes + 4);
    format.avgBytesPerSec = Le32(bytes + 8);
    format.blockAlign = Le16(bytes + 12);
    format.bitsPerSample = Le16(bytes + 14);
    format.extra.clear();
    if (size >= 18) {
        const size_t extra = std::min<size_t>(Le16(bytes + 16), size - 18);
        format.extra.assign(bytes + 18, bytes + 18 + extra);
    }
    return true;
}

Acm::Acm() = default;

Acm::~Acm() {
    Close();
}

bool Acm::SuggestPcm(const WaveFormat& source, WaveFormat& pcm) {
    Codec codec;
    if (!Plausible(source) || !ChooseCodec(source, codec) || !AvCodec::Load() ||
        !OpenDecoder(source, codec))
        return false;
    pcm = WaveFormat();
    pcm.formatTag = kWaveFormatPcm;
    pcm.channels = source.channels;
    pcm.samplesPerSec = source.samplesPerSec;
    pcm.bitsPerSample = codec.eightBit ? 8 : 16;
    pcm.blockAlign = static_cast<uint16_t>(pcm.channels * pcm.bitsPerSample / 8);
    pcm.avgBytesPerSec = pcm.samplesPerSec * pcm.blockAlign;
    return true;
}

bool Acm::Open(const WaveFormat& source, const WaveFormat& pcm) {
    Close();
    WaveFormat suggested;
    if (!SuggestPcm(source, suggested) || pcm.formatTag != suggested.formatTag ||
        pcm.channels != suggested.channels || pcm.samplesPerSec != suggested.samplesPerSec ||
        pcm.bitsPerSample != suggested.bitsPerSample)
        return false;
    Codec codec;
    ChooseCodec(source, codec);
    ContextPtr context = OpenDecoder(source, codec);
    m_packet = Av().av_packet_alloc();
    m_frame = Av().av_frame_alloc();
    if (codec.parsed)
        m_parser = Av().av_parser_init(codec.id);
    if (!context || !m_packet || !m_frame || (codec.parsed && !m_parser)) {
        Close();
        return false;
    }
    m_context = context.release();

    m_pcmLike = codec.pcmLike;
    m_channels = pcm.channels;
    m_outBytes = pcm.bitsPerSample / 8;
    m_avgBytes = source.avgBytesPerSec;
    m_rate = source.samplesPerSec;
    if (codec.pcmLike) {
        m_blockBytes = static_cast<size_t>(codec.sampleBytes) * source.channels;
        m_blockFrames = 1;
    } else if (codec.parsed) {
        m_blockBytes = 1;
        m_blockFrames = 0;
    } else {
        m_blockBytes = source.blockAlign;
        m_blockFrames = BlockFrames(source, codec.id);
    }
    const size_t packetBytes = std::max(kPacketBytes, m_blockBytes);
    if (Av().av_new_packet(m_packet, static_cast<int>(packetBytes)) < 0) {
        Close();
        return false;
    }
    m_kept.resize(std::max(kKeptFrames, m_blockFrames) * m_channels * m_outBytes);
    if (m_parser)
        m_parseInput.assign(kPacketBytes + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    m_keptStart = m_keptEnd = 0;
    m_drained = false;
    return true;
}

void Acm::Close() {
    if (m_parser)
        Av().av_parser_close(m_parser);
    m_parser = nullptr;
    if (m_context || m_packet || m_frame) {
        Av().avcodec_free_context(&m_context);
        Av().av_packet_free(&m_packet);
        Av().av_frame_free(&m_frame);
    }
    m_kept.clear();
    m_parseInput.clear();
    m_keptStart = m_keptEnd = 0;
    m_blockBytes = m_blockFrames = 0;
    m_drained = false;
}

bool Acm::SourceBytesFor(size_t destBytes, size_t& sourceBytes) const {
    sourceBytes = 0;
    if (!m_context)
        return false;
    const size_t kept = m_keptEnd - m_keptStart;
    if (kept >= destBytes)
        return true;
    const size_t frames = (destBytes - kept) / (static_cast<size_t>(m_channels) * m_outBytes);
    if (m_blockFrames > 0) {
        sourceBytes = std::max<size_t>(1, frames / m_blockFrames) * m_blockBytes;
    } else if (m_avgBytes > 0 && m_rate > 0) {
        sourceBytes = std::max<size_t>(
            1, static_cast<size_t>(static_cast<uint64_t>(frames) * m_avgBytes / m_rate));
    } else {
        sourceBytes = kPacketBytes;
    }
    return true;
}

size_t Acm::NextPacket(const uint8_t* source, size_t bytes, size_t destRoom, bool end,
                       const uint8_t*& packet, size_t& packetBytes) {
    packet = nullptr;
    packetBytes = 0;
    if (m_parser) {
        if (bytes == 0 && !end)
            return 0;
        // The frame splitter reads past the end of what it is given (libavcodec asks for zeroed
        // padding after every input), so it works on a padded copy, never on the caller's bytes.
        const size_t chunk = std::min(bytes, kPacketBytes);
        if (chunk > 0)
            std::memcpy(m_parseInput.data(), source, chunk);
        std::memset(m_parseInput.data() + chunk, 0, AV_INPUT_BUFFER_PADDING_SIZE);
        uint8_t* out = nullptr;
        int outSize = 0;
        const int taken = Av().av_parser_parse2(
            m_parser, m_context, &out, &outSize, chunk ? m_parseInput.data() : nullptr,
            static_cast<int>(chunk), AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (outSize > 0) {
            packet = out;
            packetBytes = static_cast<size_t>(outSize);
        }
        return taken > 0 ? static_cast<size_t>(taken) : 0;
    }
    if (bytes < m_blockBytes)
        return 0;
    size_t blocks = 1;
    if (m_pcmLike) {
        const size_t fit = destRoom / (static_cast<size_t>(m_channels) * m_outBytes);
        const size_t most = std::max<size_t>(1, kPacketBytes / m_blockBytes);
        blocks = std::clamp<size_t>(fit, 1, std::min(most, bytes / m_blockBytes));
    }
    packet = source;
    packetBytes = blocks * m_blockBytes;
    return packetBytes;
}

bool Acm::Convert(const uint8_t* source, size_t sourceBytes, uint8_t* dest, size_t destBytes,
                  bool end, size_t& sourceUsed, size_t& destUsed) {
    sourceUsed = destUsed = 0;
    if (!m_context || (!source && sourceBytes) || (!dest && destBytes))
        return false;
    const size_t frameBytes = static_cast<size_t>(m_channels) * m_outBytes;
    destUsed = TakeKept(dest, destBytes);
    while (m_keptStart == m_keptEnd && destBytes - destUsed >= frameBytes && !m_drained) {
        const uint8_t* packet;
        size_t packetBytes;
        const size_t taken = NextPacket(source + sourceUsed, sourceBytes - sourceUsed,
                                        destBytes - destUsed, end, packet, packetBytes);
        sourceUsed += taken;
        if (packetBytes > 0) {
            if (!Decode(packet, packetBytes))
                return false;
        } else if (taken == 0) {
            if (!end)
                break;
            // The end: a partial block is dropped, and the decoder gives what it holds back.
            sourceUsed = sourceBytes;
            if (!Decode(nullptr, 0))
                return false;
            m_drained = true;
        }
        destUsed += TakeKept(dest + destUsed, destBytes - destUsed);
    }
    return true;
}

bool Acm::Decode(const uint8_t* data, size_t size) {
    if (data) {
        const size_t capacity =
            m_packet->buf ? m_packet->buf->size - AV_INPUT_BUFFER_PADDING_SIZE : 0;
        // The decoder lets go of the packet once it has given every frame of it, so the buffer is
        // normally ours again; a new one is made only when it is not, or too small.
        if (!m_packet->buf || !Av().av_buffer_is_writable(m_packet->buf) || capacity < size) {
            Av().av_packet_unref(m_packet);
            if (Av().av_new_packet(m_packet, static_cast<int>(std::max(size, kPacketBytes))) < 0)
                return false;
        }
        std::memcpy(m_packet->data, data, size);
        std::memset(m_packet->data + size, 0, AV_INPUT_BUFFER_PADDING_SIZE);
        m_packet->size = static_cast<int>(size);
    }
    int result = Av().avcodec_send_packet(m_context, data ? m_packet : nullptr);
    if (result < 0 && result != AVERROR_INVALIDDATA && result != AVERROR_EOF)
        return false;
    for (;;) {
        result = Av().avcodec_receive_frame(m_context, m_frame);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return true;
        if (result == AVERROR_INVALIDDATA)
            continue; // a damaged block or frame: nothing comes of it
        if (result < 0 || !KeepFrame())
            return false;
    }
}

bool Acm::KeepFrame() {
    const AVFrame& frame = *m_frame;
    const size_t frames = frame.nb_samples > 0 ? static_cast<size_t>(frame.nb_samples) : 0;
    if (frames == 0 || frame.ch_layout.nb_channels < 1) {
        Av().av_frame_unref(m_frame);
        return true;
    }
    const size_t bytes = frames * m_channels * m_outBytes;
    if (m_keptStart > 0) {
        std::memmove(m_kept.data(), m_kept.data() + m_keptStart, m_keptEnd - m_keptStart);
        m_keptEnd -= m_keptStart;
        m_keptStart = 0;
    }
    if (m_kept.size() < m_keptEnd + bytes)
        m_kept.resize(m_keptEnd + bytes); // a frame larger than any before
    uint8_t* out = m_kept.data() + m_keptEnd;
    const auto format = static_cast<AVSampleFormat>(frame.format);
    const bool planar = Av().av_sample_fmt_is_planar(format) != 0;
    bool known = true;
    switch (Av().av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
        Interleave<uint8_t>(frame, planar, m_channels, m_outBytes, out, FromU8);
        break;
    case AV_SAMPLE_FMT_S16:
        Interleave<int16_t>(frame, planar, m_channels, m_outBytes, out, FromS16);
        break;
    case AV_SAMPLE_FMT_S32:
        Interleave<int32_t>(frame, planar, m_channels, m_outBytes, out, FromS32);
        break;
    case AV_SAMPLE_FMT_FLT:
        Interleave<float>(frame, planar, m_channels, m_outBytes, out, FromFloat<float>);
        break;
    case AV_SAMPLE_FMT_DBL:
        Interleave<double>(frame, planar, m_channels, m_outBytes, out, FromFloat<double>);
        break;
    default:
        known = false;
        break;
    }
    Av().av_frame_unref(m_frame);
    if (known)
        m_keptEnd += bytes;
    return known;
}

size_t Acm::TakeKept(uint8_t* dest, size_t destBytes) {
    const size_t frameBytes = static_cast<size_t>(m_channels) * m_outBytes;
    const size_t bytes = std::min(m_keptEnd - m_keptStart, destBytes - destBytes % frameBytes);
    if (bytes == 0)
        return 0;
    std::memcpy(dest, m_kept.data() + m_keptStart, bytes);
    m_keptStart += bytes;
    if (m_keptStart == m_keptEnd)
        m_keptStart = m_keptEnd = 0;
    return bytes;
}

bool Acm::Reset() {
    if (!m_context)
        return false;
    m_keptStart = m_keptEnd = 0;
    m_drained = false;
    Av().avcodec_flush_buffers(m_context);
    if (m_parser) {
        // A frame splitter has no reset of its own; a new one forgets the bytes it held.
        const int id = m_parser->parser->codec_ids[0];
        Av().av_parser_close(m_parser);
        m_parser = Av().av_parser_init(id);
        if (!m_parser)
            return false;
    }
    return true;
}

AVCodecContext* Acm::OpenDecoderFor(const AVCodec* decoder, const WaveFormat& format) {
    ContextPtr context(Av().avcodec_alloc_context3(decoder));
    if (!context)
        return nullptr;
    context->sample_rate = static_cast<int>(format.samplesPerSec);
    Av().av_channel_layout_default(&context->ch_layout, format.channels);
    context->block_align = format.blockAlign;
    context->bits_per_coded_sample = format.bitsPerSample;
    context->bit_rate = static_cast<int64_t>(format.avgBytesPerSec) * 8;
    context->thread_count = 1;
    if (!format.extra.empty() && format.formatTag != kWaveFormatExtensible) {
        const size_t size = format.extra.size();
        context->extradata =
            static_cast<uint8_t*>(Av().av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!context->extradata)
            return nullptr;
        std::memcpy(context->extradata, format.extra.data(), size);
        context->extradata_size = static_cast<int>(size);
    }
    if (Av().avcodec_open2(context.get(), decoder, nullptr) < 0)
        return nullptr;
    return context.release();
}
