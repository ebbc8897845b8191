#include "engine/decoders/MpegDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

namespace {

// The equalizer band of each subband (a subband spans rate / 64 Hz).
constexpr int kBandOfSubband[32] = {0, 1, 2, 3, 4, 5, 6, 6, 7, 7, 7, 7, 8, 8, 8, 8,
                                    8, 8, 8, 8, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};

double LevelToDecibels(int32_t level) {
    level = std::clamp(level, 0, 63);
    return level == 31 ? 0.0 : 20.0 - level * 40.0 / 63.0;
}

void WriteSample(uint8_t* out, int16_t sample) {
    const auto bits = static_cast<uint16_t>(sample);
    out[0] = static_cast<uint8_t>(bits & 0xFF);
    out[1] = static_cast<uint8_t>(bits >> 8);
}

} // namespace

MpegDecoder::MpegDecoder() {
    mad_stream_init(&m_stream);
    mad_frame_init(&m_frame);
    mad_synth_init(&m_synth);
    // libmad allocates these on the first Layer III frame (with malloc/calloc, and frees them in
    // its finish calls); allocating them here keeps the decoding thread free of allocations.
    m_stream.main_data =
        static_cast<unsigned char(*)[MAD_BUFFER_MDLEN]>(std::malloc(MAD_BUFFER_MDLEN));
    m_frame.overlap =
        static_cast<mad_fixed_t(*)[2][32][18]>(std::calloc(2 * 32 * 18, sizeof(mad_fixed_t)));
    std::fill(std::begin(m_gains), std::end(m_gains), kUnityGain);
}

MpegDecoder::~MpegDecoder() {
    mad_synth_finish(&m_synth);
    mad_frame_finish(&m_frame);
    mad_stream_finish(&m_stream);
}

void MpegDecoder::SetEqualizer(const EqualizerParams& eq) {
    const double preamp = LevelToDecibels(eq.preamp);
    for (int subband = 0; subband < 32; ++subband) {
        const double total =
            std::min(LevelToDecibels(eq.bands[kBandOfSubband[subband]]) + preamp, 18.0);
        m_gains[subband] =
            static_cast<int32_t>(std::lround(std::pow(10.0, total / 20.0) * kUnityGain));
    }
    m_equalizerOn = eq.enabled != 0;
}

void MpegDecoder::Reset() {
    // A fresh stream, frame and synthesis state, but on the buffers already allocated.
    auto* mainData = m_stream.main_data;
    mad_stream_init(&m_stream);
    m_stream.main_data = mainData;
    mad_frame_mute(&m_frame);
    mad_synth_init(&m_synth);
    m_pending = m_written = 0;
}

MpegDecoder::Step MpegDecoder::Decode(const uint8_t* in, size_t inBytes, uint8_t* out,
                                      size_t outSpace, size_t& consumed, size_t& produced) {
    consumed = produced = 0;
    if (m_pending > 0) {
        produced = WritePending(out, outSpace);
        return m_pending > 0 ? kBlockFull : kFitted;
    }

    mad_stream_buffer(&m_stream, in, inBytes);
    if (mad_frame_decode(&m_frame, &m_stream) != 0) {
        if (m_stream.error == MAD_ERROR_BUFLEN)
            return kNeedMore;
        return MAD_RECOVERABLE(m_stream.error) ? kSkipByte : kRecreate;
    }
    if (m_equalizerOn)
        Equalize();
    mad_synth_frame(&m_synth, &m_frame);
    consumed = static_cast<size_t>(m_stream.next_frame - in);

    m_pending = m_synth.pcm.length;
    m_written = 0;
    produced = WritePending(out, outSpace);
    return m_pending > 0 ? kBlockFull : kFitted;
}

void MpegDecoder::Equalize() {
    const int channels = MAD_NCHANNELS(&m_frame.header);
    const int slots = MAD_NSBSAMPLES(&m_frame.header);
    for (int channel = 0; channel < channels; ++channel) {
        for (int slot = 0; slot < slots; ++slot) {
            mad_fixed_t* samples = m_frame.sbsample[channel][slot];
            for (int subband = 0; subband < 32; ++subband)
                samples[subband] = ApplyGain(samples[subband], m_gains[subband]);
        }
    }
}

size_t MpegDecoder::WritePending(uint8_t* out, size_t outSpace) {
    const int decoded = m_synth.pcm.channels;
    const int channels = m_outputChannels > 0 ? m_outputChannels : decoded;
    const size_t frameBytes = 2 * static_cast<size_t>(channels);
    const unsigned count =
        static_cast<unsigned>(std::min<size_t>(m_pending, outSpace / frameBytes));
    const mad_fixed_t* left = m_synth.pcm.samples[0] + m_written;
    const mad_fixed_t* right = m_synth.pcm.samples[decoded > 1 ? 1 : 0] + m_written;
    for (unsigned i = 0; i < count; ++i) {
        if (channels == 1) {
            // A stereo frame mixed down is the mean of both channels.
            WriteSample(out, ToPcm16(decoded == 1 ? left[i] : left[i] / 2 + right[i] / 2));
            out += 2;
        } else {
            WriteSample(out, ToPcm16(left[i]));
            WriteSample(out + 2, ToPcm16(right[i]));
            out += 4;
        }
    }
    m_pending -= count;
    m_written += count;
    return count * frameBytes;
}
