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

    const std::function<std::unique_ptr<WaveOut>()> m_makeDevice;
    mutable std::mutex m_lifecycle; // Open, Close and Configure one at a time

    // Configuration; fixed while open.
    std::atomic<int> m_bufferMs{500};
    std::atomic<bool> m_alwaysOpen{false};
    std::atomic<bool> m_fadeIn{false};

    mutable CriticalSection m_deviceLock;
    mutable CriticalSection m_ringLock;
    std::unique_ptr<WaveOut> m_device; // device lock
    std::atomic<bool> m_open{false};
    WaveOut::Format m_format{0, 0, 0}; // written under both locks, while open
    int m_blockAlign = 0;

    // The ring (ring lock). In always-open mode a header's user word is its read offset.
    Event m_freeBlock{true, false};
    std::vector<WaveHeader> m_blocks;
    std::vector<uint8_t> m_blockData;
    uint32_t m_blockSize = 0;
    int m_blockCount = 0;
    int m_writeIndex = 0;
    int m_queuedBlocks = 0;
    int m_readIndex = 0;
    std::atomic<uint64_t> m_samplesWritten{0};
    std::atomic<uint64_t> m_samplesMoved{0};

    // Fade-in (ring lock): 16.16 gain.
    int32_t m_fadeStep = 0;
    int32_t m_fadeGain = 0;
    int32_t m_fadeFrames = 0;

    // Always-open mode: the feeder and its device buffers.
    Thread m_feeder;
    Event m_feederWake{true, false};
    std::atomic<bool> m_feederQuit{false};
    std::atomic<bool> m_paused{false};
    int32_t m_freeDeviceBuffers = 0; // Interlocked
    int m_nextDeviceBuffer = 0;      // feeder only
    std::array<WaveHeader, kDeviceBuffers> m_deviceBuffers{};
    std::array<bool, kDeviceBuffers> m_silent{};
    std::vector<uint8_t> m_deviceData;

    std::atomic<bool> m_measuring{false};
    std::atomic<int> m_levelLeft{0};
    std::atomic<int> m_levelRight{0};
};
