#pragma once

#include "engine/player/Source.h"

class PluginRegistry;
struct DecoderPlugin;

// Files decoded by a decoder plug-in: the first registered plug-in that opens the file wins.
class PluginSource : public Source {
public:
    explicit PluginSource(const PluginRegistry& registry) : registry_(registry) {}

    PlayerSource Type() const override { return SourcePlugin; }
    bool Open(const std::u16string& path, const PlayerOptions& options, PlayerFileInfo& info,
              int64_t& totalSamples) override;
    void Close() override;
    int Bits() const override { return bits_; }
    bool AppliesEqualizer() const override;
    void Release() override;
    LoopResult DecodeLoop(DecodeContext& context) override;
    bool Seek(int64_t ms, const PlayerOptions& options, int64_t& sample) override;
    void Rewind() override {}

    // Index of the plug-in that decodes the open file, -1 for none.
    int Index() const { return index_; }
    const DecoderPlugin* Table() const;

private:
    const PluginRegistry& registry_;
    int index_ = -1;
    int bits_ = 0;
    int rate_ = 0;
    bool begun_ = false;
};
