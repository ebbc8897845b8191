#include "platform/NullWaveOut.h"

#include <algorithm>

namespace {

// The time `frames` sample frames take at `rate`.
std::chrono::nanoseconds Duration(uint64_t frames, int rate) {
    const auto perSecond = static_cast<uint64_t>(rate);
    return std::chrono::seconds(frames / perSecond) +
           std::chrono::nanoseconds((frames % perSecond) * 1'000'000'000 / perSecond);
}

} // namespace

NullWaveOut::NullWaveOut() : NullWaveOut(false) {}

NullWaveOut::NullWaveOut(bool fast) : fast_(fast) {}

NullWaveOut::~NullWaveOut() {
    Close();
}

int NullWaveOut::Open(const Format& format, DoneCallback done) {
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
    headFramesPlayed_ = 0;
    position_ = 0;
    paused_ = quit_ = resetRequested_ = running_ = false;
    if (!thread_.Start([this] { ThreadMain(); })) {
        CloseSink();
        return kError;
    }
    open_ = true;
    return kOk;
}

int NullWaveOut::Close() {
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

int NullWaveOut::Write(WaveHeader* block) {
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

int NullWaveOut::Pause() {
    std::lock_guard lock(mutex_);
    if (!open_)
        return kError;
    paused_ = true;
    wake_.notify_all();
    return kOk;
}

int NullWaveOut::Restart() {
    std::lock_guard lock(mutex_);
    if (!open_)
        return kError;
    paused_ = false;
    wake_.notify_all();
    return kOk;
}

int NullWaveOut::Reset() {
    std::unique_lock lock(mutex_);
    if (!open_ || quit_ || OnBackendThread())
        return kError;
    resetRequested_ = true;
    wake_.notify_all();
    resetDone_.wait(lock, [this] { return !resetRequested_; });
    return kOk;
}

uint64_t NullWaveOut::Position() {
    std::lock_guard lock(mutex_);
    return open_ ? position_ : 0;
}

int NullWaveOut::SetVolume(uint32_t volume) {
    std::lock_guard lock(mutex_);
    volume_ = volume;
    return kOk;
}

int NullWaveOut::GetVolume(uint32_t& volume) {
    std::lock_guard lock(mutex_);
    volume = volume_;
    return kOk;
}

int NullWaveOut::OpenSink(const Format&) {
    return kOk;
}

void NullWaveOut::CloseSink() {}

void NullWaveOut::Played(const uint8_t*, size_t, uint32_t) {}

void NullWaveOut::BlockPlayed() {}

void NullWaveOut::ThreadMain() {
    std::unique_lock lock(mutex_);
    threadId_ = std::this_thread::get_id();
    const size_t frameBytes = static_cast<size_t>(FrameBytes(format_));
    const size_t step = std::max(1, format_.rate / 100);
    const auto interrupted = [this] { return quit_ || resetRequested_ || paused_; };
    for (;;) {
        if (!head_ || paused_)
            running_ = false; // the clock starts afresh when playing resumes
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
        if (headFramesPlayed_ >= frames) {
            head_ = block->next;
            if (!head_)
                tail_ = nullptr;
            headFramesPlayed_ = 0;
            BlockPlayed();
            MarkDone(block);
            const DoneCallback& done = done_;
            lock.unlock();
            if (done)
                done(block);
            lock.lock();
            continue;
        }
        const size_t count = std::min(step, frames - headFramesPlayed_);
        if (!fast_) {
            if (!running_) {
                running_ = true;
                start_ = std::chrono::steady_clock::now();
                runFrames_ = 0;
            }
            if (wake_.wait_until(lock, start_ + Duration(runFrames_ + count, format_.rate),
                                 interrupted))
                continue; // not played; the step starts over
            runFrames_ += count;
        }
        Played(block->data + headFramesPlayed_ * frameBytes, count, volume_);
        headFramesPlayed_ += count;
        position_ += count;
    }
    threadId_ = std::thread::id();
}

void NullWaveOut::ReturnAll(std::unique_lock<std::mutex>& lock) {
    WaveHeader* block = head_;
    head_ = tail_ = nullptr;
    headFramesPlayed_ = 0;
    position_ = 0;
    running_ = false;
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
