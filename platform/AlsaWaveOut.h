#pragma once

#include "platform/Thread.h"
#include "platform/WaveOut.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct _snd_pcm;

// The wave-out device over an ALSA playback device. A thread moves the queued blocks into the
// device (through a scratch copy when the volume is not unity) and hands each block back once its
// last frame went into the device; the position is the frames written minus the device's delay.
//
// Pause uses the device's pause where it has one; elsewhere the thread stops writing and the
// device plays out what it holds (about 100 ms) before the position stops.
class AlsaWaveOut : public WaveOut {
public:
    explicit AlsaWaveOut(std::string device = "default");
    ~AlsaWaveOut() override;
    AlsaWaveOut(const AlsaWaveOut&) = delete;
    AlsaWaveOut& operator=(const AlsaWaveOut&) = delete;

    // Whether the default playback device opens (or exists but is busy).
    static bool DeviceExists();

    int Open(const Format& format, DoneCallback done) override;
    int Close() override;
    int Write(WaveHeader* block) override;
    int Pause() override;
    int Restart() override;
    int Reset() override;
    uint64_t Position() override;
    int SetVolume(uint32_t volume) override;
    int GetVolume(uint32_t& volume) override;

private:
    void ThreadMain();
    // Drops what the device holds and hands every queued block back; takes the lock off while
    // calling "done".
    void ReturnAll(std::unique_lock<std::mutex>& lock);
    bool OnBackendThread() const { return threadId_.load() == std::this_thread::get_id(); }

    const std::string device_;
    std::mutex mutex_; // also serialises every call into the device
    std::condition_variable wake_;
    std::condition_variable resetDone_;
    Thread thread_;
    std::atomic<std::thread::id> threadId_{};
    _snd_pcm* pcm_ = nullptr;
    bool canPause_ = false;
    bool paused_ = false;
    bool quit_ = false;
    bool resetRequested_ = false;
    Format format_;
    DoneCallback done_;
    WaveHeader* head_ = nullptr; // the queue, linked through WaveHeader::next
    WaveHeader* tail_ = nullptr;
    size_t headFramesWritten_ = 0;
    uint64_t framesWritten_ = 0;
    uint32_t volume_ = kUnityVolume;
    std::vector<uint8_t> scratch_;
    std::chrono::milliseconds retryWait_{5}; // while the device is full
};
