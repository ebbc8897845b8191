#pragma once

#include "engine/core/PlayerTypes.h"

#include <cstdint>
#include <string>

class DecodeContext;

// One kind of source the Player can play: it opens, decodes into output blocks, seeks and
// rewinds. The Player runs it on its decoding thread and does the rest.
class Source {
public:
    // Results of a decode loop.
    enum LoopResult { kEndOfData = 0, kStopped = 1, kError = 2 };

    virtual ~Source() = default;

    virtual PlayerSource Type() const = 0;
    // Opens `path`; fills the file info (without the duration) and the total length in samples.
    virtual bool Open(const std::u16string& path, const PlayerOptions& options,
                      PlayerFileInfo& info, int64_t& totalSamples) = 0;
    virtual void Close() = 0;
    // Sample width of the decoded PCM.
    virtual int Bits() const { return 16; }
    // True when the source applies the whole equalizer itself (the Player's PCM preamp is skipped).
    virtual bool AppliesEqualizer() const { return false; }
    virtual void SetEqualizer(const EqualizerParams&) {}

    // First step of a playback, on the decoding thread before the output is prepared: a source
    // whose format is known only then (a stream) fills `info`. False finishes the playback.
    virtual bool Start(DecodeContext&, PlayerFileInfo&) { return true; }
    // At playback start and finish: decoder state for one playback.
    virtual bool Prepare() { return true; }
    virtual void Release() {}
    // Decodes until the end of the data, a stop request or an error.
    virtual LoopResult DecodeLoop(DecodeContext& context) = 0;
    // After kEndOfData: the data broke off before its end (a stream's lost connection). What
    // arrived is played, then the playback stops with the error flag as well.
    virtual bool EndedEarly() const { return false; }

    // Positions the source at `ms` (already clamped by the Player); `sample` is the sample
    // reached. Runs under the decode lock.
    virtual bool Seek(int64_t ms, const PlayerOptions& options, int64_t& sample) = 0;
    // Back to the start, after a playback ended.
    virtual void Rewind() = 0;
};
