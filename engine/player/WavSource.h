#pragma once

#include "engine/core/FileReader.h"
#include "engine/decoders/WavReader.h"
#include "engine/player/Source.h"

// WAV files: 8- and 16-bit PCM as it is, other wave formats through the audio compression
// manager.
class WavSource : public Source {
public:
    PlayerSource Type() const override { return SourceWav; }
    bool Open(const std::u16string& path, const PlayerOptions& options, PlayerFileInfo& info,
              int64_t& totalSamples) override;
    void Close() override;
    int Bits() const override { return m_wav.Bits(); }
    LoopResult DecodeLoop(DecodeContext& context) override;
    bool Seek(int64_t ms, const PlayerOptions& options, int64_t& sample) override;
    void Rewind() override;

    const WavReader& Reader() const { return m_wav; }

private:
    FileReader m_file;
    WavReader m_wav;
};
