#pragma once

#include "engine/decoders/OggFile.h"
#include "engine/player/Source.h"

// Ogg Vorbis files through the Vorbis file layer.
class OggSource : public Source {
public:
    PlayerSource Type() const override { return SourceOgg; }
    bool Open(const std::u16string& path, const PlayerOptions& options, PlayerFileInfo& info,
              int64_t& totalSamples) override;
    void Close() override { m_ogg.Close(); }
    LoopResult DecodeLoop(DecodeContext& context) override;
    bool Seek(int64_t ms, const PlayerOptions& options, int64_t& sample) override;
    void Rewind() override;

    const OggFile& File() const { return m_ogg; }

private:
    OggFile m_ogg;
};
