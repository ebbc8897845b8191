#include "platform/QueuedWaveOut.h"

QueuedWaveOut::QueuedWaveOut(int threadPriority) : m_threadPriority(threadPriority) {}

QueuedWaveOut::~QueuedWaveOut() = default;

int QueuedWaveOut::Open(const Format& format, DoneCallback done) {
    std::lock_guard lock(m_mutex);
    if (m_open)
        return kError;
    if (!ValidFormat(format))
        return kInvalidParam;
    if (const int result = OpenSink(format); result != kOk)
        return result;
    m_format = format;
    m_done = std::move(done);
    m_head = m_tail = nullptr;
    m_headFramesConsumed = 0;
    m_framesConsumed = 0;
    m_paused = m_quit = m_resetRequested = false;
    if (!m_thread.Start([this] { ThreadMain(); }, m_threadPriority)) {
        CloseSink();
        m_done = nullptr;
        return kError;
    }
    m_open = true;
    return kOk;
}

int QueuedWaveOut::Close() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_open || m_quit || OnBackendThread())
            return kError;
        m_resetRequested = m_quit = true; // the thread hands every block back, then ends
        m_wake.notify_all();
    }
    m_thread.Wait();
    std::lock_guard lock(m_mutex);
    CloseSink();
    m_open = m_quit = false;
    m_done = nullptr;
    m_resetDone.notify_all();
    return kOk;
}

int QueuedWaveOut::Write(WaveHeader* block) {
    std::lock_guard lock(m_mutex);
    if (!m_open || m_quit)
        return kError;
    if (const int result = AcceptBlock(block); result != kOk)
        return result;
    // The backend thread waits for a block only when the queue is empty; while it plays one, a
    // block added behind it need not wake it.
    const bool wasEmpty = !m_head;
    if (m_tail)
        m_tail->next = block;
    else
        m_head = block;
    m_tail = block;
    if (wasEmpty)
        m_wake.notify_all();
    return kOk;
}

int QueuedWaveOut::Pause() {
    std::lock_guard lock(m_mutex);
    if (!m_open)
        return kError;
    if (!m_paused)
        PauseSink();
    m_paused = true;
    m_wake.notify_all();
    return kOk;
}

int QueuedWaveOut::Restart() {
    std::lock_guard lock(m_mutex);
    if (!m_open)
        return kError;
    RestartSink();
    m_paused = false;
    m_wake.notify_all();
    return kOk;
}

int QueuedWaveOut::Reset() {
    std::unique_lock lock(m_mutex);
    if (!m_open || m_quit || OnBackendThread())
        return kError;
    m_resetRequested = true;
    m_wake.notify_all();
    m_resetDone.wait(lock, [this] { return !m_resetRequested; });
    return kOk;
}

uint64_t QueuedWaveOut::Position() {
    std::lock_guard lock(m_mutex);
    return m_open ? SinkPosition(m_framesConsumed) : 0;
}

int QueuedWaveOut::SetVolume(uint32_t volume) {
    std::lock_guard lock(m_mutex);
    m_volume = volume;
    return kOk;
}

int QueuedWaveOut::GetVolume(uint32_t& volume) {
    std::lock_guard lock(m_mutex);
    volume = m_volume;
    return kOk;
}

void QueuedWaveOut::Consumed(size_t frames) {
    m_headFramesConsumed += frames;
    m_framesConsumed += frames;
}

bool QueuedWaveOut::WaitUntil(std::unique_lock<std::mutex>& lock,
                              std::chrono::steady_clock::time_point until) {
    return m_wake.wait_until(lock, until,
                             [this] { return m_quit || m_resetRequested || m_paused; });
}

void QueuedWaveOut::ThreadMain() {
    std::unique_lock lock(m_mutex);
    m_threadId = std::this_thread::get_id();
    const size_t frameBytes = static_cast<size_t>(FrameBytes(m_format));
    for (;;) {
        if (!m_head || m_paused)
            Stopped();
        m_wake.wait(lock, [this] { return m_quit || m_resetRequested || (m_head && !m_paused); });
        if (m_resetRequested) {
            ReturnAll(lock);
            m_resetRequested = false;
            m_resetDone.notify_all();
            continue;
        }
        if (m_quit)
            break;

        WaveHeader* block = m_head;
        const size_t frames = block->bytesUsed / frameBytes;
        if (m_headFramesConsumed >= frames) {
            m_head = block->next;
            if (!m_head)
                m_tail = nullptr;
            m_headFramesConsumed = 0;
            BlockPlayed();
            MarkDone(block);
            const DoneCallback& done = m_done;
            lock.unlock();
            if (done)
                done(block);
            lock.lock();
            continue;
        }
        PlayFrames(lock, block->data + m_headFramesConsumed * frameBytes,
                   frames - m_headFramesConsumed);
    }
    m_threadId = std::thread::id();
}

void QueuedWaveOut::ReturnAll(std::unique_lock<std::mutex>& lock) {
    DropSink();
    WaveHeader* block = m_head;
    m_head = m_tail = nullptr;
    m_headFramesConsumed = 0;
    m_framesConsumed = 0;
    const DoneCallback& done = m_done;
    lock.unlock();
    while (block) {
        WaveHeader* next = block->next;
        MarkDone(block);
        if (done)
            done(block);
        block = next;
    }
    lock.lock();
}
