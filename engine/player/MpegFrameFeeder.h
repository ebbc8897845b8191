#pragma once

#include "engine/core/MpegHeader.h"
#include "engine/core/PlayerTypes.h"
#include "engine/decoders/MpegDecoder.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

class DecodeContext;

// Decodes the MPEG frames of an input window into output blocks with MpegDecoder, which also
// applies the equalizer to the subband samples. Shared by MPEG files and MPEG streams.
class MpegFrameFeeder {
public:
    enum Result { kNeedMore, kInterrupted };

    // Set from the view's thread; the decoding thread takes it over between two frames.
    void SetEqualizer(const EqualizerParams& eq);
    // Creates the decoder for frames like `header` (same version, layer and rate).
    void Prepare(const MpegHeaderInfo& header);
    void Release() { m_decoder.reset(); }
    bool Ready() const { return m_decoder != nullptr; }
    void Reset();

    // Decodes the frames in input[0, filled) into output blocks; `pos` is how far it got.
    Result Feed(DecodeContext& context, const uint8_t* input, size_t filled, size_t& pos);

private:
    bool IsStreamFrame(const uint8_t* bytes) const;

    MpegHeaderInfo m_header;
    std::mutex m_equalizerLock;
    EqualizerParams m_equalizer;
    std::atomic<bool> m_equalizerChanged{false};
    std::unique_ptr<MpegDecoder> m_decoder; // one per playback
};
