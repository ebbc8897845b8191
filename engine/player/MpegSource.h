#pragma once

#include "engine/core/FileReader.h"
#include "engine/decoders/MpegFile.h"
#include "engine/player/MpegFrameFeeder.h"
#include "engine/player/Source.h"

#include <vector>

#include <vector>

// MPEG audio files: the frame search and length of MpegFile, decoding with MpegFrameFeeder.
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
    FileReader m_file;
    MpegFile m_mpeg;
    MpegFrameFeeder m_feeder;
    std::vector<uint8_t> m_input;
};
