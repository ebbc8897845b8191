#pragma once

#include "platform/Thread.h"
#include "platform/WaveOut.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// A wave-out device without sound: a clock consumes the queued blocks at the format's real rate,
// in 10 ms steps, advancing the position and handing each block back when its last frame is
// played. Pause stops the clock. Sinks that keep what is played derive from it (WavFileWaveOut).
class NullWaveOut : public WaveOut {
public:
    NullWaveOut();
    ~NullWaveOut() override;
    NullWaveOut(const NullWaveOut&) = delete;
    NullWaveOut& operator=(const NullWaveOut&) = delete;

    int Open(const Format& format, DoneCallback done) override;
    int Close() override;
    int Write(WaveHeader* block) override;
    int Pause() override;
    int Restart() override;
    int Reset() override;
    uint64_t Position() override;
    int SetVolume(uint32_t volume) override;
    int GetVolume(uint32_t& volume) override;

protected:
    // `fast`: consume each block as soon as it is queued instead of at the real rate.
    explicit NullWaveOut(bool fast);

    // Sink hooks, called with the device's lock held. A derived class must Close() in its own
    // destructor, while its hooks still exist.
    virtual int OpenSink(const Format& format);
    virtual void CloseSink();
    // `frames` sample frames just played, before the volume is applied.
    virtual void Played(const uint8_t* data, size_t frames, uint32_t volume);
    // The last frame of a block was played.
    virtual void BlockPlayed();

private:
    void ThreadMain();
    // Hands every queued block back; takes the lock off while calling "done".
    void ReturnAll(std::unique_lock<std::mutex>& lock);
    bool OnBackendThread() const { return threadId_.load() == std::this_thread::get_id(); }

    const bool fast_;
    std::mutex mutex_;
    std::condition_variable wake_;      // to the backend thread
    std::condition_variable resetDone_; // from the backend thread
    Thread thread_;
    std::atomic<std::thread::id> threadId_{};
    bool open_ = false;
    bool paused_ = false;
    bool quit_ = false;
    bool resetRequested_ = false;
    Format format_;
    DoneCallback done_;
    WaveHeader* head_ = nullptr; // the queue, linked through WaveHeader::next
    WaveHeader* tail_ = nullptr;
    size_t headFramesPlayed_ = 0;
    uint64_t position_ = 0;
    uint32_t volume_ = kUnityVolume;
    // The clock: frames played since it last started running at `start_`.
    bool running_ = false;
    std::chrono::steady_clock::time_point start_;
    uint64_t runFrames_ = 0;
};
