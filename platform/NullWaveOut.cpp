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

int NullWaveOut::OpenSink(const Format&) {
    return kOk;
}

void NullWaveOut::CloseSink() {}

void NullWaveOut::Played(const uint8_t*, size_t, uint32_t) {}

void NullWaveOut::PlayFrames(std::unique_lock<std::mutex>& lock, const uint8_t* data,
                             size_t frames) {
    const Format& format = OpenFormat();
    // Real time goes in 10 ms steps; fast output takes the whole block at once.
    const size_t step = fast_ ? frames : std::max(1, format.rate / 100);
    const size_t count = std::min(step, frames);
    if (!fast_) {
        if (!running_) {
            running_ = true;
            start_ = std::chrono::steady_clock::now();
            runFrames_ = 0;
        }
        if (WaitUntil(lock, start_ + Duration(runFrames_ + count, format.rate)))
            return; // not played; the step starts over
        runFrames_ += count;
    }
    Played(data, count, CurrentVolume());
    Consumed(count);
}

void NullWaveOut::Stopped() {
    running_ = false; // the clock starts afresh when playing resumes
}

void NullWaveOut::DropSink() {
    running_ = false;
}
