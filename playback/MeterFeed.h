#pragma once

#include "runtime/fsound.h"

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

struct FmodFunctions;

// What the meter window draws from, taken from the run-time library's mix: a DSP unit after the
// library's FFT unit copies, once per mixed block, the low bands of the spectrum and the block
// folded to mono, stamped with the moment the block will be heard. The window takes the blocks
// that are due, so that its picture follows the sound and not the mixer, which runs ahead by the
// output's latency.
//
// Threads: the unit runs on the library's mixer thread; everything else on the UI thread. The
// blocks sit in a ring allocated when the feed starts, so the mixer never allocates.
class MeterFeed {
public:
    // The bands the bars read: 21 bars stepping 2, or 42 stepping 1.
    static constexpr int kBands = 42;
    // Blocks kept waiting to be heard; enough for about three quarters of a second of output.
    static constexpr int kRingBlocks = 32;
    // Runs after the library's FFT unit (1000), on the final mix.
    static constexpr int kPriority = 1010;

    struct Block {
        int64_t dueMs = 0; // the steady clock's milliseconds at which the block starts to sound
        bool hasSpectrum = false;
        std::array<float, kBands> bands{};
        std::vector<int16_t> mono; // the block folded to mono, (left + right) / 2
        int frames = 0;
    };

    MeterFeed() = default;
    ~MeterFeed();
    MeterFeed(const MeterFeed&) = delete;
    MeterFeed& operator=(const MeterFeed&) = delete;

    // Creates the unit, inactive; false when the library refused it. Stop before the library
    // closes.
    bool Start(const FmodFunctions& fsound);
    void Stop();
    bool Started() const { return m_unit != nullptr; }
    // The library's spectrum and this unit on or off. Off forgets the blocks not yet taken.
    void SetHooks(bool on);
    bool HooksOn() const { return m_hooksOn; }
    // Frames of one mixed block and of the library's whole mixing buffer (0 before Start).
    int BlockFrames() const { return m_blockFrames; }
    int TotalFrames() const { return m_totalFrames; }

    // Calls `take` for every block due at `nowMs` (oldest first) and forgets them.
    void TakeDue(int64_t nowMs, const std::function<void(const Block&)>& take);
    // When the `index`-th block waiting (from 0, the oldest) is due; nothing when fewer wait.
    std::optional<int64_t> DueOf(int index);
    // The steady clock in milliseconds, the clock of dueMs.
    static int64_t NowMs();

    // Allocates the ring for blocks of `blockFrames` (Start does it with the library's values).
    void Prepare(int blockFrames, int totalFrames);
    // One mixed block (32-bit integer stereo frames), heard `latencyMs` from now: the unit's
    // work, open to tests. A block past the ring's capacity replaces the oldest.
    void Push(const int32_t* stereo, int frames, const float* spectrum, int latencyMs);

private:
    static void* Callback(void* original, void* buffer, int length, void* feed);

    const FmodFunctions* m_fsound = nullptr;
    FSOUND_DSPUNIT* m_unit = nullptr;
    bool m_hooksOn = false;
    int m_blockFrames = 0;
    int m_totalFrames = 0;

    std::mutex m_lock;
    std::vector<Block> m_ring;
    int m_first = 0; // the oldest block waiting
    int m_count = 0; // blocks waiting
};
