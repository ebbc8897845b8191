#pragma once

#include "platform/Thread.h"
#include "platform/WaveOut.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

// The block queue and the backend thread every wave-out backend shares. Write links the blocks
// into a queue; the backend thread hands the head block's frames to the sink through PlayFrames
// and each block back through "done" once all its frames went out. Reset and Close make the
// backend thread hand every queued block back and return once "done" ran for all of them; from
// inside "done" they answer kError. Pause and Restart stop and resume the thread; the pause state
// outlives Reset.
//
// A backend implements the sink hooks below. They are called with the device's lock held; a
// derived class must Close() in its own destructor, while its hooks still exist.
class QueuedWaveOut : public WaveOut {
public:
    ~QueuedWaveOut() override;
    QueuedWaveOut(const QueuedWaveOut&) = delete;
    QueuedWaveOut& operator=(const QueuedWaveOut&) = delete;

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
    // `threadPriority`: the backend thread's level (Thread::kPriority...).
    explicit QueuedWaveOut(int threadPriority = Thread::kPriorityNormal);

    // Opens the sink for a valid format: kOk, or the answer Open gives.
    virtual int OpenSink(const Format& format) = 0;
    virtual void CloseSink() = 0;
    // Plays some of the `frames` sample frames at `data` (the head block's next ones), calling
    // Consumed with how many went out. May wait with WaitUntil; returns when interrupted.
    virtual void PlayFrames(std::unique_lock<std::mutex>& lock, const uint8_t* data,
                            size_t frames) = 0;
    // The last frame of a block was played; the block is handed back next.
    virtual void BlockPlayed() {}
    // The backend thread is about to wait with nothing to play (the queue is empty or paused).
    virtual void Stopped() {}
    // Every queued block is about to be handed back (Reset or Close): drop what is in flight.
    virtual void DropSink() {}
    // Pause while playing, and every Restart.
    virtual void PauseSink() {}
    virtual void RestartSink() {}
    // The position while open, given the frames consumed since Open or Reset.
    virtual uint64_t SinkPosition(uint64_t framesConsumed) { return framesConsumed; }

    // For PlayFrames: `frames` more frames of the head block went out.
    void Consumed(size_t frames);
    // For PlayFrames: waits with the lock off until `until`, or less when Pause, Reset or Close
    // interrupts; true when interrupted.
    bool WaitUntil(std::unique_lock<std::mutex>& lock, std::chrono::steady_clock::time_point until);
    const Format& OpenFormat() const { return m_format; }
    uint32_t CurrentVolume() const { return m_volume; }

private:
    void ThreadMain();
    // Hands every queued block back; takes the lock off while calling "done".
    void ReturnAll(std::unique_lock<std::mutex>& lock);
    bool OnBackendThread() const { return m_threadId.load() == std::this_thread::get_id(); }

    const int m_threadPriority;
    std::mutex m_mutex;
    std::condition_variable m_wake;      // to the backend thread
    std::condition_variable m_resetDone; // from the backend thread
    Thread m_thread;
    std::atomic<std::thread::id> m_threadId{};
    bool m_open = false;
    bool m_paused = false;
    bool m_quit = false;
    bool m_resetRequested = false;
    Format m_format;
    DoneCallback m_done;
    WaveHeader* m_head = nullptr; // the queue, linked through WaveHeader::next
    WaveHeader* m_tail = nullptr;
    size_t m_headFramesConsumed = 0;
    uint64_t m_framesConsumed = 0;
    uint32_t m_volume = kUnityVolume;
};
