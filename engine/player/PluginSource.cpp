#include "engine/player/PluginSource.h"

#include "engine/player/DecodeContext.h"
#include "engine/plugins/PluginRegistry.h"
#include "platform/CriticalSection.h"
#include "platform/RegularFile.h"
#include "platform/WaveHeader.h"

#include <cstddef>

// The block handed to a plug-in is the output ring's own header.
static_assert(sizeof(DecoderPluginBlock) == sizeof(WaveHeader));
static_assert(offsetof(DecoderPluginBlock, bytesUsed) == offsetof(WaveHeader, bytesUsed));
static_assert(offsetof(DecoderPluginBlock, reserved) == offsetof(WaveHeader, reserved));

const DecoderPlugin* PluginSource::Table() const {
    return m_index >= 0 ? m_registry.At(static_cast<size_t>(m_index)).table : nullptr;
}

bool PluginSource::AppliesEqualizer() const {
    return m_index >= 0 && (m_registry.At(static_cast<size_t>(m_index)).caps & DECODER_PLUGIN_EQ);
}

bool PluginSource::Open(const std::u16string& path, const PlayerOptions&, PlayerFileInfo& info,
                        int64_t& totalSamples) {
    // Plug-ins open the file themselves: a FIFO or a device would block them.
    if (!RegularFile::Check(path))
        return false;
    for (size_t i = 0; i < m_registry.Count(); ++i) {
        const PluginRegistry::Entry& entry = m_registry.At(i);
        if (!(entry.caps & DECODER_PLUGIN_FILES))
            continue;
        DecoderPluginFileInfo file{};
        if (!entry.table->OpenFile(path.c_str(), &file))
            continue;
        // A plug-in that reports a format the output can't take is as good as one that refused.
        if (file.channels < 1 || file.channels > 8 || file.sampleRate <= 0 ||
            (file.bitsPerSample != 8 && file.bitsPerSample != 16)) {
            entry.table->CloseFile();
            continue;
        }
        m_index = static_cast<int>(i);
        m_bits = file.bitsPerSample;
        m_rate = file.sampleRate;
        info.channels = file.channels;
        info.sampleRate = file.sampleRate;
        info.bitrate = file.bitrate;
        totalSamples =
            static_cast<int64_t>(file.duration * static_cast<double>(file.sampleRate) * 0.001);
        return true;
    }
    return false;
}

void PluginSource::Close() {
    Release();
    if (const DecoderPlugin* table = Table())
        table->CloseFile();
    m_index = -1;
    m_bits = 0;
}

void PluginSource::Release() {
    if (m_begun)
        Table()->End();
    m_begun = false;
}

Source::LoopResult PluginSource::DecodeLoop(DecodeContext& context) {
    const DecoderPlugin* table = Table();
    if (!table)
        return kError;
    if (!m_begun) {
        if (!table->Begin())
            return kError;
        m_begun = true;
    }
    while (!context.StopRequested()) {
        WaveHeader* block = context.HoldBlock();
        int32_t result;
        {
            CriticalSection::Lock lock(context.DecodeLock());
            if (context.TakeSeek())
                continue;
            if (!block)
                return context.StopRequested() ? kStopped : kError;
            block->bufferLength = context.BlockSize();
            block->bytesUsed = 0;
            result = table->Decode(reinterpret_cast<DecoderPluginBlock*>(block));
        }
        if (result == DECODER_PLUGIN_ERROR)
            return kError;
        if (block->bytesUsed > block->bufferLength) // never trust a plug-in past the block
            block->bytesUsed = block->bufferLength;
        context.PassBlock();
        if (result == DECODER_PLUGIN_LAST || context.EndReached())
            return kEndOfData;
    }
    return kStopped;
}

bool PluginSource::Seek(int64_t ms, const PlayerOptions&, int64_t& sample) {
    const DecoderPlugin* table = Table();
    if (!table || !(m_registry.At(static_cast<size_t>(m_index)).caps & DECODER_PLUGIN_SEEK))
        return false;
    const int32_t reached = table->Seek(static_cast<int32_t>(ms));
    if (reached < 0)
        return false;
    sample = static_cast<int64_t>(reached * static_cast<double>(m_rate) * 0.001);
    return true;
}
