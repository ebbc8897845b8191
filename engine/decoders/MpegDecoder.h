#pragma once

#include "engine/core/PlayerTypes.h"

#include <mad.h>

#include <cstddef>
#include <cstdint>

// The MPEG audio decoder state of one playback: libmad's stream, frame and synthesis states,
// the subband equalizer and the sample frames of the last MPEG frame not yet written out.
//
// Decode() takes one frame per call. libmad needs MAD_BUFFER_GUARD (kGuardBytes) bytes after a
// frame before it decodes it, so at the end of a file the caller appends that many zero bytes
// to decode the last frame.
class MpegDecoder {
public:
    enum Step {
        kFitted = 0,    // all samples written
        kNeedMore = 1,  // the frame is not complete in the input
        kBlockFull = 2, // the output is full; the rest is pending for the next call
        kSkipByte = -1, // a recoverable error: skip one byte and search the next header
        kRecreate = -2, // a fatal error: Reset() and skip one byte
    };
    static constexpr size_t kGuardBytes = MAD_BUFFER_GUARD;
    static constexpr int32_t kUnityGain = 0x10000000; // 1.0 in 4.28

    MpegDecoder();
    ~MpegDecoder();
    MpegDecoder(const MpegDecoder&) = delete;
    MpegDecoder& operator=(const MpegDecoder&) = delete;

    // Computes the 32 subband gains: level 31 is 0 dB, any other level L is 20 - L * 40/63 dB;
    // band and preamp decibels add up to at most +18 dB. On when `eq.enabled` is non-zero.
    void SetEqualizer(const EqualizerParams& eq);
    const int32_t* Gains() const { return m_gains; }
    bool EqualizerOn() const { return m_equalizerOn; }

    // Output layout: 0 (the default) writes each frame with its own channel count; 1 or 2 mixes
    // or duplicates so that a stream whose mode changes mid-way keeps the device's layout.
    void SetOutputChannels(int channels) {
        m_outputChannels = channels == 1 || channels == 2 ? channels : 0;
    }

    // Starts over as a new decoder (after a seek or a fatal error); keeps the equalizer and
    // libmad's buffers, drops the pending samples.
    void Reset();
    bool HasPending() const { return m_pending > 0; }

    // Writes pending samples if there are any (then nothing is consumed); otherwise decodes the
    // frame that starts at `in` into 16-bit little-endian interleaved PCM at `out`. `consumed`
    // runs to the end of the decoded frame.
    Step Decode(const uint8_t* in, size_t inBytes, uint8_t* out, size_t outSpace, size_t& consumed,
                size_t& produced);

    // Of the last decoded frame.
    int Channels() const { return m_synth.pcm.channels; }
    int Rate() const { return static_cast<int>(m_synth.pcm.samplerate); }

    // A 4.28 sample as 16 bits: round by half an output step, clip, shift.
    static int16_t ToPcm16(mad_fixed_t sample) {
        int64_t value = int64_t{sample} + (1 << 12);
        if (value > (1 << 28) - 1)
            value = (1 << 28) - 1;
        else if (value < -(1 << 28))
            value = -(1 << 28);
        return static_cast<int16_t>(value >> 13);
    }
    // A subband sample times a 4.28 gain, rounded and kept in range.
    static mad_fixed_t ApplyGain(mad_fixed_t sample, int32_t gain) {
        int64_t value = (int64_t{sample} * gain + (int64_t{1} << 27)) >> 28;
        if (value > INT32_MAX)
            value = INT32_MAX;
        else if (value < INT32_MIN)
            value = INT32_MIN;
        return static_cast<mad_fixed_t>(value);
    }

private:
    void Equalize();
    size_t WritePending(uint8_t* out, size_t outSpace);

    mad_stream m_stream;
    mad_frame m_frame;
    mad_synth m_synth;
    int32_t m_gains[32];
    bool m_equalizerOn = false;
    int m_outputChannels = 0;
    unsigned m_pending = 0; // sample frames of m_synth not yet written
    unsigned m_written = 0; // sample frames of m_synth already written
};
