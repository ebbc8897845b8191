#pragma once

#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/Thread.h"
#include "platform/WaveHeader.h"
#include "platform/WaveOut.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// The engine's output: a ring of equal blocks that the decoding thread fills and queues, played
// through a wave-out device.
//
// Direct mode writes each queued block to the device and closes the device when playback stops.
// Always-open mode keeps the device running on eight buffers of its own, which a feeder thread
// fills from the ring, or with silence while the ring is empty or output is paused.
//
// Locks: the device lock (device calls) is taken before the ring lock (blocks, indexes, counters),
// never the other way round. The device's "done" callback runs on the device's thread and takes
// the ring lock only.
class OutputDevice {
public:
    explicit OutputDevice(std::function<std::unique_ptr<WaveOut>()> makeDevice = &WaveOut::Create);
    ~OutputDevice();
    OutputDevice(const OutputDevice&) = delete;
    OutputDevice& operator=(const OutputDevice&) = delete;

    // False while open or for bufferMs < 10.
    bool Configure(int bufferMs, bool alwaysOpen, bool fadeIn);
    void GetConfiguration(int& bufferMs, bool& alwaysOpen, bool& fadeIn) const;
    // Keeps an open device whose format matches, with its queued blocks.
    bool Open(int channels, int rate, int bits);
    void Close();
    // Always-open: Reset only; direct: Close.
    void Stop();
    bool IsOpen() const;

    // Waits without limit for a free block and answers the one at the write index; null when
    // the device is closed (also for a waiter that Close released).
    WaveHeader* NextFreeBlock();
    // Waits on the free-block event only; true when it is signalled.
    bool WaitFreeBlock(uint32_t timeoutMs);
    // Queues the block NextFreeBlock gave (bytesUsed 0: an empty block, which only signals the
    // free-block event); a partial frame at its end is dropped. Any other block, e.g. one held
    // across a Reset, is ignored.
    void Queue(WaveHeader* block);
    // Direct: the device pauses or restarts; always-open: the feeder plays silence or the ring.
    void Pause(bool pause);
    // Drops every queued block and releases a thread waiting for a free block. Direct mode leaves
    // the device paused; always-open mode sets the paused flag.
    void Reset();

    // Direct: the device's position; always-open: frames moved to the device. 0 when closed.
    uint64_t SamplesPlayed();
    uint64_t SamplesWritten() const;
    bool Drained();           // played >= written
    uint64_t QueuedSamples(); // written - played, never below 0
    bool AllBlocksQueued() const;
    // Block size × block count and × queued blocks; 0, 0 when closed.
    void GetBufferInfo(uint32_t& totalBytes, uint32_t& queuedBytes) const;
    uint32_t BlockSize() const;
    int BlockAlign() const; // channels * bits / 8 of the open format

    void SetMeasuring(bool on);
    bool Measuring() const;
    // Percent, from the last finished block (direct) or device buffer (always-open).
    void GetLevels(int& left, int& right) const;
    void ClearLevels();
    void CancelFadeIn();

    // Bytes of silent sample frames at the head (or the tail) of the data.
    static size_t ZeroScan(bool fromTail, int channels, int bits, const uint8_t* data,
                           size_t bytes);
    // Scales PCM by gain / 256 with saturation; 256 leaves it as it is.
    static void Preamp(int bits, uint8_t* data, size_t bytes, int gain);
    // The global volume word, applied to every open device and to every device opened later.
    static void SetVolume(uint32_t volume);
    // An open device's volume, else the last word set (0xFFFFFFFF initially).
    static uint32_t GetVolume();

private:
    static constexpr int kDeviceBuffers = 8;

    void CloseLocked();
    std::unique_ptr<WaveOut> OpenDevice(const WaveOut::Format& format);
    bool AllocateRing(const WaveOut::Format& format);
    bool StartFeeder();
    void StopFeeder();
    void FeederMain();
    void FillDeviceBuffer(int index);
    void DirectDone(WaveHeader* block);
    void AlwaysOpenDone(WaveHeader* buffer);
    void ArmFadeIn();               // ring lock held
    void FadeIn(WaveHeader* block); // ring lock held
    void ClearRing();               // ring lock held
    void MeasurePeaks(const WaveHeader* block);

    const std::function<std::unique_ptr<WaveOut>()> makeDevice_;
    mutable std::mutex lifecycle_; // Open, Close and Configure one at a time

    // Configuration; fixed while open.
    std::atomic<int> bufferMs_{500};
    std::atomic<bool> alwaysOpen_{false};
    std::atomic<bool> fadeIn_{false};

    mutable CriticalSection deviceLock_;
    mutable CriticalSection ringLock_;
    std::unique_ptr<WaveOut> device_; // device lock
    std::atomic<bool> open_{false};
    WaveOut::Format format_{0, 0, 0}; // written under both locks, while open
    int blockAlign_ = 0;

    // The ring (ring lock). In always-open mode a header's user word is its read offset.
    Event freeBlock_{true, false};
    std::vector<WaveHeader> blocks_;
    std::vector<uint8_t> blockData_;
    uint32_t blockSize_ = 0;
    int blockCount_ = 0;
    int writeIndex_ = 0;
    int queuedBlocks_ = 0;
    int readIndex_ = 0;
    std::atomic<uint64_t> samplesWritten_{0};
    std::atomic<uint64_t> samplesMoved_{0};

    // Fade-in (ring lock): 16.16 gain.
    int32_t fadeStep_ = 0;
    int32_t fadeGain_ = 0;
    int32_t fadeFrames_ = 0;

    // Always-open mode: the feeder and its device buffers.
    Thread feeder_;
    Event feederWake_{true, false};
    std::atomic<bool> feederQuit_{false};
    std::atomic<bool> paused_{false};
    int32_t freeDeviceBuffers_ = 0; // Interlocked
    int nextDeviceBuffer_ = 0;      // feeder only
    std::array<WaveHeader, kDeviceBuffers> deviceBuffers_{};
    std::array<bool, kDeviceBuffers> silent_{};
    std::vector<uint8_t> deviceData_;

    std::atomic<bool> measuring_{false};
    std::atomic<int> levelLeft_{0};
    std::atomic<int> levelRight_{0};
};
