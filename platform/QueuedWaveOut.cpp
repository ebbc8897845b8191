#include "platform/QueuedWaveOut.h"

QueuedWaveOut::QueuedWaveOut(int threadPriority) : threadPriority_(threadPriority) {}

QueuedWaveOut::~QueuedWaveOut() = default;

int QueuedWaveOut::Open(const Format& format, DoneCallback done) {
    std::lock_guard lock(mutex_);
    if (open_)
        return kError;
    if (!ValidFormat(format))
        return kInvalidParam;
    if (const int result = OpenSink(format); result != kOk)
        return result;
    format_ = format;
    done_ = std::move(done);
    head_ = tail_ = nullptr;
    headFramesConsumed_ = 0;
    framesConsumed_ = 0;
    paused_ = quit_ = resetRequested_ = false;
    if (!thread_.Start([this] { ThreadMain(); }, threadPriority_)) {
        CloseSink();
        done_ = nullptr;
        return kError;
    }
    open_ = true;
    return kOk;
}

int QueuedWaveOut::Close() {
    {
        std::lock_guard lock(mutex_);
        if (!open_ || quit_ || OnBackendThread())
            return kError;
        resetRequested_ = quit_ = true; // the thread hands every block back, then ends
        wake_.notify_all();
    }
    thread_.Wait();
    std::lock_guard lock(mutex_);
    CloseSink();
    open_ = quit_ = false;
    done_ = nullptr;
    resetDone_.notify_all();
    return kOk;
}

int QueuedWaveOut::Write(WaveHeader* block) {
    std::lock_guard lock(mutex_);
    if (!open_ || quit_)
        return kError;
    if (const int result = AcceptBlock(block); result != kOk)
        return result;
    if (tail_)
        tail_->next = block;
    else
        head_ = block;
    tail_ = block;
    wake_.notify_all();
    return kOk;
}

int QueuedWaveOut::Pause() {
    std::lock_guard lock(mutex_);
    if (!open_)
        return kError;
    if (!paused_)
        PauseSink();
    paused_ = true;
    wake_.notify_all();
    return kOk;
}

int QueuedWaveOut::Restart() {
    std::lock_guard lock(mutex_);
    if (!open_)
        return kError;
    RestartSink();
    paused_ = false;
    wake_.notify_all();
    return kOk;
}

int QueuedWaveOut::Reset() {
    std::unique_lock lock(mutex_);
    if (!open_ || quit_ || OnBackendThread())
        return kError;
    resetRequested_ = true;
    wake_.notify_all();
    resetDone_.wait(lock, [this] { return !resetRequested_; });
    return kOk;
}

uint64_t QueuedWaveOut::Position() {
    std::lock_guard lock(mutex_);
    return open_ ? SinkPosition(framesConsumed_) : 0;
}

int QueuedWaveOut::SetVolume(uint32_t volume) {
    std::lock_guard lock(mutex_);
    volume_ = volume;
    return kOk;
}

int QueuedWaveOut::GetVolume(uint32_t& volume) {
    std::lock_guard lock(mutex_);
    volume = volume_;
    return kOk;
}

void QueuedWaveOut::Consumed(size_t frames) {
    headFramesConsumed_ += frames;
    framesConsumed_ += frames;
}

bool QueuedWaveOut::WaitUntil(std::unique_lock<std::mutex>& lock,
                              std::chrono::steady_clock::time_point until) {
    return wake_.wait_until(lock, until, [this] { return quit_ || resetRequested_ || paused_; });
}

void QueuedWaveOut::ThreadMain() {
    std::unique_lock lock(mutex_);
    threadId_ = std::this_thread::get_id();
    const size_t frameBytes = static_cast<size_t>(FrameBytes(format_));
    for (;;) {
        if (!head_ || paused_)
            Stopped();
        wake_.wait(lock, [this] { return quit_ || resetRequested_ || (head_ && !paused_); });
        if (resetRequested_) {
            ReturnAll(lock);
            resetRequested_ = false;
            resetDone_.notify_all();
            continue;
        }
        if (quit_)
            break;

        WaveHeader* block = head_;
        const size_t frames = block->bytesUsed / frameBytes;
        if (headFramesConsumed_ >= frames) {
            head_ = block->next;
            if (!head_)
                tail_ = nullptr;
            headFramesConsumed_ = 0;
            BlockPlayed();
            MarkDone(block);
            const DoneCallback& done = done_;
            lock.unlock();
            if (done)
                done(block);
            lock.lock();
            continue;
        }
        PlayFrames(lock, block->data + headFramesConsumed_ * frameBytes,
                   frames - headFramesConsumed_);
    }
    threadId_ = std::thread::id();
}

void QueuedWaveOut::ReturnAll(std::unique_lock<std::mutex>& lock) {
    DropSink();
    WaveHeader* block = head_;
    head_ = tail_ = nullptr;
    headFramesConsumed_ = 0;
    framesConsumed_ = 0;
    const DoneCallback& done = done_;
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
