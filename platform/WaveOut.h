#pragma once

#include "platform/WaveHeader.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The wave-out device: PCM blocks are queued with Write, played in order and handed back through
// the "done" callback; the position counts the sample frames played.
//
// Behaviour common to every backend:
// - Formats: 8-bit unsigned or 16-bit signed little-endian PCM, 1 to 8 channels, 1 to 768000 Hz;
//   anything else is kInvalidParam. Only whole sample frames of a block are played.
// - Pause before anything was written leaves the device paused: written blocks wait in the queue
//   until Restart. Pause while paused and Restart while playing change nothing.
// - A block stays the caller's: the backend never writes to its data, only to its flags
// (WHDR_INQUEUE
//   while queued, WHDR_DONE once handed back). Writing a block that is still queued is kError.
// - Every call except Open, SetVolume and GetVolume answers kError on a device that is not open.
//   Reset and Close must not be called from inside the "done" callback (they answer kError there).
// - The volume word belongs to the device object and outlives Open and Close; it starts at
//   0xFFFFFFFF (unity on both sides). Mono uses the left half; with more channels, even channels
//   take the left half and odd channels the right one.
class WaveOut {
public:
    // Results as the handheld's wave-out calls answer them.
    enum Result : int {
        kOk = 0,
        kError = 1,
        kBadDevice = 2,
        kAllocated = 4,
        kNoDriver = 6,
        kInvalidParam = 11
    };
    struct Format {
        int channels = 2;
        int rate = 44100;
        int bits = 16;
    };
    // "done": a block written with Write has been played (or returned by Reset). Called on the
    // backend's own thread, in the order the blocks were written, with the block's flags WHDR_DONE
    // set.
    using DoneCallback = std::function<void(WaveHeader*)>;

    virtual ~WaveOut();

    // The backend named by $SONVALE_AUDIO: "alsa" (default), "null", "wav:PATH" or
    // "wav:PATH,fast". When no ALSA device opens, the null backend stands in (said once per process
    // on stderr). Null when $SONVALE_AUDIO names no backend (also said once on stderr).
    static std::unique_ptr<WaveOut> Create();
    // $SONVALE_AUDIO read, for outputs of other kinds that follow the same choice.
    struct Choice {
        enum Kind { kAlsa, kNull, kWav, kNone } kind = kNone;
        std::string path;
        bool fast = false;
        std::string setting;
    };
    static Choice Chosen();
    // Whether any wave-out device exists: false only when $SONVALE_AUDIO names no backend, since
    // "alsa" falls back to the null backend.
    static bool DevicePresent();

    virtual int Open(const Format& format, DoneCallback done) = 0;
    virtual int Close() = 0;                    // implies Reset
    virtual int Write(WaveHeader* block) = 0;   // queues block->data[0 .. bytesUsed)
    virtual int Pause() = 0;                    // playback and the position stop
    virtual int Restart() = 0;                  // playback continues
    virtual int Reset() = 0;                    // every queued block comes back; position 0
    virtual uint64_t Position() = 0;            // sample frames played since Open or Reset
    virtual int SetVolume(uint32_t volume) = 0; // left: low 16 bits, right: high 16 bits
    virtual int GetVolume(uint32_t& volume) = 0;

protected:
    static constexpr uint32_t kUnityVolume = 0xFFFFFFFF;

    static bool ValidFormat(const Format& format);
    static int FrameBytes(const Format& format) { return format.channels * format.bits / 8; }
    // kOk when the block may be queued; sets WHDR_INQUEUE and clears WHDR_DONE then.
    static int AcceptBlock(WaveHeader* block);
    // Marks a block handed back.
    static void MarkDone(WaveHeader* block);
    // Copies `frames` sample frames from `in` to `out`, scaled by the volume word (0xFFFF is
    // unity, 0 silence). `in` and `out` may be the same.
    static void ApplyVolume(uint32_t volume, const Format& format, const uint8_t* in, uint8_t* out,
                            size_t frames);
};
