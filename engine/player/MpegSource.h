#pragma once

#include "engine/decoders/MpegDecoder.h"
#include "engine/decoders/MpegFile.h"
#include "engine/player/FileReader.h"
#include "engine/player/Source.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

// MPEG audio files: the frame search and length of MpegFile, decoding with MpegDecoder, which
// also applies the equalizer to the subband samples.
class MpegSource : public Source {
public:
    PlayerSource Type() const override { return SourceMpeg; }
    bool Open(const std::u16string& path, const PlayerOptions& options, PlayerFileInfo& info,
              int64_t& totalSamples) override;
    void Close() override;
    bool AppliesEqualizer() const override { return true; }
    void SetEqualizer(const EqualizerParams& eq) override;
    bool Prepare() override;
    void Release() override;
    LoopResult DecodeLoop(DecodeContext& context) override;
    bool Seek(int64_t ms, const PlayerOptions& options, int64_t& sample) override;
    void Rewind() override;

private:
    enum FeedResult { kNeedMore, kInterrupted };
    // Decodes the frames in input[0, filled) into output blocks; `consumed` is how far it got.
    FeedResult Feed(DecodeContext& context, size_t filled, size_t& consumed);
    bool IsFileFrame(const uint8_t* bytes) const;

    FileReader file_;
    MpegFile mpeg_;
    // The equalizer is set from the view's thread and taken over by the decoding thread between
    // two frames.
    std::mutex equalizerLock_;
    EqualizerParams equalizer_;
    std::atomic<bool> equalizerChanged_{false};
    std::unique_ptr<MpegDecoder> decoder_; // one per playback
    std::vector<uint8_t> input_;
};
