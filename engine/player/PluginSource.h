#pragma once

#include "engine/player/Source.h"

class PluginRegistry;
struct DecoderPlugin;

// Files decoded by a decoder plug-in: the first registered plug-in that opens the file wins.
class PluginSource : public Source {
public:
    explicit PluginSource(const PluginRegistry& registry) : m_registry(registry) {}

    PlayerSource Type() const override { return SourcePlugin; }
    bool Open(const std::u16string& path, const PlayerOptions& options, PlayerFileInfo& info,
              int64_t& totalSamples) override;
    void Close() override;
    int Bits() const override { return m_bits; }
    bool AppliesEqualizer() const override;
    void Release() override;
    LoopResult DecodeLoop(DecodeContext& context) override;
    bool Seek(int64_t ms, const PlayerOptions& options, int64_t& sample) override;
    void Rewind() override {}

    // Index of the plug-in that decodes the open file, -1 for none.
    int Index() const { return m_index; }
    const DecoderPlugin* Table() const;

private:
    const PluginRegistry& m_registry;
    int m_index = -1;
    int m_bits = 0;
    int m_rate = 0;
    bool m_begun = false;
};
