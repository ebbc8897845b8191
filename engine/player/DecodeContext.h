#pragma once

#include <cstdint>

class CriticalSection;
struct WaveHeader;

// What a decode loop needs from the Player: the flags it polls, the output block it fills and
// the way to hand a full block on.
class DecodeContext {
public:
    virtual ~DecodeContext() = default;

    virtual bool StopRequested() const = 0;
    virtual bool EndReached() const = 0;
    // Held around every read from the source, and by a seek.
    virtual CriticalSection& DecodeLock() = 0;
    // Under the decode lock: when a seek happened, flushes what was decoded for the old position
    // (effect histories, the output, the partly filled block) and answers true; the loop then
    // drops its own decoder state and continues.
    virtual bool TakeSeek() = 0;
    // The output block being filled (bytesUsed is its fill), taking a free one when none is held.
    // Null when a stop or a seek came while waiting for a free block.
    virtual WaveHeader* HoldBlock() = 0;
    // Size of the output's blocks.
    virtual uint32_t BlockSize() const = 0;
    // Hands the held block, with the bytes filled so far, to the block path.
    virtual void PassBlock() = 0;
    // Streams: true when the output has nothing queued (it ran dry).
    virtual bool OutputUnderrun() = 0;
    // Streams: a re-buffer begins (status "preparing" posted), or it succeeded (the output is
    // paused until the prebuffer is reached again and the status from before is posted).
    virtual void BeginRebuffer() = 0;
    virtual void EndRebuffer() = 0;
};
