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
    void Release() { decoder_.reset(); }
    bool Ready() const { return decoder_ != nullptr; }
    void Reset();

    // Decodes the frames in input[0, filled) into output blocks; `pos` is how far it got.
    Result Feed(DecodeContext& context, const uint8_t* input, size_t filled, size_t& pos);

private:
    bool IsStreamFrame(const uint8_t* bytes) const;

    MpegHeaderInfo header_;
    std::mutex equalizerLock_;
    EqualizerParams equalizer_;
    std::atomic<bool> equalizerChanged_{false};
    std::unique_ptr<MpegDecoder> decoder_; // one per playback
};
