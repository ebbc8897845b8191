#include "platform/AlsaWaveOut.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <cerrno>

namespace {

constexpr unsigned kLatencyUs = 100000;
constexpr size_t kScratchFrames = 1024;

void Quiet(const char*, int, const char*, int, const char*, ...) {}

// The library prints its own complaints on stderr (several lines for a missing card); the result
// codes say all the program needs.
void SilenceLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(&Quiet); });
}

} // namespace

AlsaWaveOut::AlsaWaveOut(std::string device) : device_(std::move(device)) {}

AlsaWaveOut::~AlsaWaveOut() {
    Close();
}

bool AlsaWaveOut::DeviceExists() {
    SilenceLibrary();
    snd_pcm_t* pcm = nullptr;
    const int result = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (result == 0)
        snd_pcm_close(pcm);
    return result == 0 || result == -EBUSY;
}

int AlsaWaveOut::Open(const Format& format, DoneCallback done) {
    std::lock_guard lock(mutex_);
    if (pcm_)
        return kError;
    if (!ValidFormat(format))
        return kInvalidParam;
    SilenceLibrary();
    // Non-blocking: a busy device answers at once instead of waiting to be free.
    snd_pcm_t* pcm = nullptr;
    int result = snd_pcm_open(&pcm, device_.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (result == -EBUSY)
        return kAllocated;
    if (result < 0)
        return kBadDevice;
    const auto fail = [pcm](int answer) {
        snd_pcm_close(pcm);
        return answer;
    };
    result =
        snd_pcm_set_params(pcm, format.bits == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE,
                           SND_PCM_ACCESS_RW_INTERLEAVED, static_cast<unsigned>(format.channels),
                           static_cast<unsigned>(format.rate), 1, kLatencyUs);
    if (result < 0)
        return fail(kInvalidParam);

    // Start with the first frame written: a short sound must play even if it never fills the
    // device's buffer.
    snd_pcm_sw_params_t* software = nullptr;
    snd_pcm_sw_params_alloca(&software);
    if (snd_pcm_sw_params_current(pcm, software) < 0 ||
        snd_pcm_sw_params_set_start_threshold(pcm, software, 1) < 0 ||
        snd_pcm_sw_params(pcm, software) < 0)
        return fail(kError);
    snd_pcm_hw_params_t* hardware = nullptr;
    snd_pcm_hw_params_alloca(&hardware);
    canPause_ =
        snd_pcm_hw_params_current(pcm, hardware) == 0 && snd_pcm_hw_params_can_pause(hardware) == 1;
    snd_pcm_uframes_t bufferFrames = 0, periodFrames = 0;
    if (snd_pcm_get_params(pcm, &bufferFrames, &periodFrames) == 0 && periodFrames > 0)
        retryWait_ = std::chrono::milliseconds(
            std::clamp<long>(static_cast<long>(periodFrames * 1000 / 2 / format.rate), 1, 20));

    scratch_.resize(kScratchFrames * static_cast<size_t>(FrameBytes(format)));
    pcm_ = pcm;
    format_ = format;
    done_ = std::move(done);
    head_ = tail_ = nullptr;
    headFramesWritten_ = 0;
    framesWritten_ = 0;
    paused_ = quit_ = resetRequested_ = false;
    if (!thread_.Start([this] { ThreadMain(); }, Thread::kPriorityHighest)) {
        pcm_ = nullptr;
        done_ = nullptr;
        return fail(kError);
    }
    return kOk;
}

int AlsaWaveOut::Close() {
    {
        std::lock_guard lock(mutex_);
        if (!pcm_ || quit_ || OnBackendThread())
            return kError;
        resetRequested_ = quit_ = true; // the thread hands every block back, then ends
        wake_.notify_all();
    }
    thread_.Wait();
    std::lock_guard lock(mutex_);
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
    quit_ = false;
    done_ = nullptr;
    return kOk;
}

int AlsaWaveOut::Write(WaveHeader* block) {
    std::lock_guard lock(mutex_);
    if (!pcm_ || quit_)
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

int AlsaWaveOut::Pause() {
    std::lock_guard lock(mutex_);
    if (!pcm_)
        return kError;
    if (!paused_ && canPause_ && snd_pcm_state(pcm_) == SND_PCM_STATE_RUNNING)
        snd_pcm_pause(pcm_, 1);
    paused_ = true;
    wake_.notify_all();
    return kOk;
}

int AlsaWaveOut::Restart() {
    std::lock_guard lock(mutex_);
    if (!pcm_)
        return kError;
    if (snd_pcm_state(pcm_) == SND_PCM_STATE_PAUSED)
        snd_pcm_pause(pcm_, 0);
    paused_ = false;
    wake_.notify_all();
    return kOk;
}

int AlsaWaveOut::Reset() {
    std::unique_lock lock(mutex_);
    if (!pcm_ || quit_ || OnBackendThread())
        return kError;
    resetRequested_ = true;
    wake_.notify_all();
    resetDone_.wait(lock, [this] { return !resetRequested_; });
    return kOk;
}

uint64_t AlsaWaveOut::Position() {
    std::lock_guard lock(mutex_);
    if (!pcm_ || framesWritten_ == 0)
        return 0;
    snd_pcm_sframes_t delay = 0;
    if (snd_pcm_delay(pcm_, &delay) < 0 || delay < 0)
        delay = 0; // an underrun: everything written has been played
    return framesWritten_ - std::min(static_cast<uint64_t>(delay), framesWritten_);
}

int AlsaWaveOut::SetVolume(uint32_t volume) {
    std::lock_guard lock(mutex_);
    volume_ = volume;
    return kOk;
}

int AlsaWaveOut::GetVolume(uint32_t& volume) {
    std::lock_guard lock(mutex_);
    volume = volume_;
    return kOk;
}

void AlsaWaveOut::ThreadMain() {
    std::unique_lock lock(mutex_);
    threadId_ = std::this_thread::get_id();
    const size_t frameBytes = static_cast<size_t>(FrameBytes(format_));
    const auto interrupted = [this] { return quit_ || resetRequested_ || paused_; };
    for (;;) {
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
        if (headFramesWritten_ >= frames) {
            head_ = block->next;
            if (!head_)
                tail_ = nullptr;
            headFramesWritten_ = 0;
            MarkDone(block);
            const DoneCallback& done = done_;
            lock.unlock();
            if (done)
                done(block);
            lock.lock();
            continue;
        }
        const size_t count = std::min(kScratchFrames, frames - headFramesWritten_);
        const uint8_t* data = block->data + headFramesWritten_ * frameBytes;
        if (volume_ != kUnityVolume) {
            ApplyVolume(volume_, format_, data, scratch_.data(), count);
            data = scratch_.data();
        }
        const snd_pcm_sframes_t written = snd_pcm_writei(pcm_, data, count);
        if (written > 0) {
            headFramesWritten_ += static_cast<size_t>(written);
            framesWritten_ += static_cast<uint64_t>(written);
        } else if (written == 0 || written == -EAGAIN) {
            wake_.wait_for(lock, retryWait_, interrupted); // the device is full
        } else if (snd_pcm_recover(pcm_, static_cast<int>(written), 1) < 0) {
            // The device is gone: count the block as played so nobody waits for it forever,
            // at the pace of the retries.
            framesWritten_ += frames - headFramesWritten_;
            headFramesWritten_ = frames;
            wake_.wait_for(lock, retryWait_, interrupted);
        }
    }
    threadId_ = std::thread::id();
}

void AlsaWaveOut::ReturnAll(std::unique_lock<std::mutex>& lock) {
    snd_pcm_drop(pcm_);
    snd_pcm_prepare(pcm_);
    WaveHeader* block = head_;
    head_ = tail_ = nullptr;
    headFramesWritten_ = 0;
    framesWritten_ = 0;
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
