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

AlsaWaveOut::AlsaWaveOut(std::string device)
    : QueuedWaveOut(Thread::kPriorityHighest), m_device(std::move(device)) {}

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

int AlsaWaveOut::OpenSink(const Format& format) {
    SilenceLibrary();
    // Non-blocking: a busy device answers at once instead of waiting to be free.
    snd_pcm_t* pcm = nullptr;
    int result = snd_pcm_open(&pcm, m_device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
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
    m_canPause =
        snd_pcm_hw_params_current(pcm, hardware) == 0 && snd_pcm_hw_params_can_pause(hardware) == 1;
    snd_pcm_uframes_t bufferFrames = 0, periodFrames = 0;
    if (snd_pcm_get_params(pcm, &bufferFrames, &periodFrames) == 0 && periodFrames > 0)
        m_retryWait = std::chrono::milliseconds(
            std::clamp<long>(static_cast<long>(periodFrames * 1000 / 2 / format.rate), 1, 20));

    m_scratch.resize(kScratchFrames * static_cast<size_t>(FrameBytes(format)));
    m_pcm = pcm;
    return kOk;
}

void AlsaWaveOut::CloseSink() {
    snd_pcm_close(m_pcm);
    m_pcm = nullptr;
}

void AlsaWaveOut::PlayFrames(std::unique_lock<std::mutex>& lock, const uint8_t* data,
                             size_t frames) {
    const size_t count = std::min(kScratchFrames, frames);
    if (const uint32_t volume = CurrentVolume(); volume != kUnityVolume) {
        ApplyVolume(volume, OpenFormat(), data, m_scratch.data(), count);
        data = m_scratch.data();
    }
    const snd_pcm_sframes_t written = snd_pcm_writei(m_pcm, data, count);
    if (written > 0) {
        Consumed(static_cast<size_t>(written));
    } else if (written == 0 || written == -EAGAIN) {
        WaitUntil(lock, std::chrono::steady_clock::now() + m_retryWait); // the device is full
    } else if (snd_pcm_recover(m_pcm, static_cast<int>(written), 1) < 0) {
        // The device is gone: count the block as played so nobody waits for it forever, at the
        // pace of the retries.
        Consumed(frames);
        WaitUntil(lock, std::chrono::steady_clock::now() + m_retryWait);
    }
}

void AlsaWaveOut::DropSink() {
    snd_pcm_drop(m_pcm);
    snd_pcm_prepare(m_pcm);
}

void AlsaWaveOut::PauseSink() {
    if (m_canPause && snd_pcm_state(m_pcm) == SND_PCM_STATE_RUNNING)
        snd_pcm_pause(m_pcm, 1);
}

void AlsaWaveOut::RestartSink() {
    if (snd_pcm_state(m_pcm) == SND_PCM_STATE_PAUSED)
        snd_pcm_pause(m_pcm, 0);
}

uint64_t AlsaWaveOut::SinkPosition(uint64_t framesConsumed) {
    if (framesConsumed == 0)
        return 0;
    snd_pcm_sframes_t delay = 0;
    if (snd_pcm_delay(m_pcm, &delay) < 0 || delay < 0)
        delay = 0; // an underrun: everything written has been played
    return framesConsumed - std::min(static_cast<uint64_t>(delay), framesConsumed);
}
