#include "runtime/SoundSystem.h"

#include "platform/Thread.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>

namespace {
constexpr int kFftPriority = 1000;
constexpr int kMaxChannels = 32;

int64_t ThreadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}
} // namespace

SoundSystem& SoundSystem::Instance() {
    static SoundSystem system;
    return system;
}

SoundSystem::SoundSystem() : m_mix(static_cast<size_t>(kBlockFrames) * 2, 0) {
    m_fftUnit = CreateUnit(&SoundSystem::FftCallback, kFftPriority, this);
}

SoundSystem::~SoundSystem() {
    Close();
}

// A set-up value: refused once initialised (FMOD_ERR_BUSY) or when `valid` is false
// (FMOD_ERR_INVALID_PARAM).
bool SoundSystem::AcceptSetUp(bool valid) {
    if (m_initialized) {
        SetError(FMOD_ERR_BUSY);
        return false;
    }
    if (!valid) {
        SetError(FMOD_ERR_INVALID_PARAM);
        return false;
    }
    return true;
}

bool SoundSystem::SetBufferSize(int ms) {
    if (!AcceptSetUp(ms > 0))
        return false;
    m_bufferMs = std::clamp(ms, 25, 2000);
    return true;
}

bool SoundSystem::SetStreamBufferSize(int ms) {
    if (!AcceptSetUp(ms > 0))
        return false;
    m_streamBufferMs = ms;
    return true;
}

bool SoundSystem::SetMixer(int mixer) {
    if (!AcceptSetUp(mixer >= FSOUND_MIXER_AUTODETECT && mixer <= FSOUND_MIXER_QUALITY_FPU))
        return false;
    m_mixer = mixer;
    return true;
}

bool SoundSystem::SetOutput(int output) {
    if (!AcceptSetUp(output >= FSOUND_OUTPUT_AUTODETECT && output <= FSOUND_OUTPUT_WAVEOUT))
        return false;
    m_output = output;
    return true;
}

bool SoundSystem::SetDriver(int driver) {
    return AcceptSetUp(driver == 0);
}

bool SoundSystem::SetSpeakerMode(unsigned int) {
    return true;
}

bool SoundSystem::Init(int rate, int channels) {
    if (!AcceptSetUp(rate >= 4000 && rate <= 192000 && channels > 0))
        return false;
    m_rate = rate;
    m_mixBlocks = std::max(2, (m_bufferMs * rate / 1000 + kBlockFrames - 1) / kBlockFrames);

    if (m_output != FSOUND_OUTPUT_NOSOUND) {
        m_out = WaveOut::Create();
        WaveOut::Format format;
        format.channels = 2;
        format.rate = rate;
        format.bits = 16;
        if (!m_out || m_out->Open(format, [this](WaveHeader* block) { OnBlockDone(block); }) !=
                          WaveOut::kOk) {
            m_out.reset();
            SetError(FMOD_ERR_INIT);
            return false;
        }
        int count = std::max(3, (m_mixBlocks + kBlocksPerOutput - 1) / kBlocksPerOutput);
        m_blocks.assign(static_cast<size_t>(count), WaveHeader{});
        m_blockData.assign(static_cast<size_t>(count) * kOutputFrames * 2, 0);
        for (int i = 0; i < count; ++i) {
            m_blocks[i].data = reinterpret_cast<uint8_t*>(m_blockData.data()) +
                               static_cast<size_t>(i) * kOutputFrames * 4;
            m_blocks[i].bufferLength = kOutputFrames * 4;
        }
        m_nextBlock = 0;
        m_filled = 0;
        m_playedFrames = 0;
        m_queuedBlocks = 0;
        m_mixedFrames = 0;
    }

    {
        auto lock = Lock();
        m_channels.clear();
        for (int i = 0; i < std::min(channels, kMaxChannels); ++i) {
            auto channel = std::make_unique<MixChannel>();
            channel->Prepare(rate, kBlockFrames);
            m_channels.push_back(std::move(channel));
        }
    }
    m_fatalError = false;
    m_outputStarted = false;
    m_cpuUsage = 0.0f;
    m_stop = false;
    m_streamStarted = false;
    m_initialized = true;
    m_thread = std::thread([this] { MixerLoop(); });
    return true;
}

void SoundSystem::Close() {
    if (!m_initialized)
        return;
    {
        std::lock_guard<std::mutex> lock(m_outLock);
        m_stop = true;
    }
    m_blockFree.notify_all();
    m_idleWake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    if (m_out) {
        m_out->Close();
        m_out.reset();
    }
    std::vector<std::unique_ptr<RuntimeStream>> streams;
    {
        auto lock = Lock();
        streams.swap(m_streams);
        m_channels.clear();
    }
    streams.clear(); // waits for open workers, without the lock
    {
        std::lock_guard<std::recursive_mutex> units(m_unitLock);
        std::erase_if(m_units, [this](const auto& unit) { return unit.get() != m_fftUnit; });
        m_fftUnit->active = false;
        m_spectrum.Clear();
    }
    m_blocks.clear();
    m_blockData.clear();
    m_output = FSOUND_OUTPUT_AUTODETECT;
    m_masterVolume = 255;
    m_initialized = false;
}

void SoundSystem::SetMasterVolume(int volume) {
    auto lock = Lock();
    m_masterVolume = std::clamp(volume, 0, 255);
}

RuntimeStream* SoundSystem::FindStream(FSOUND_STREAM* handle) {
    for (auto& stream : m_streams)
        if (Handle(stream.get()) == handle && handle)
            return stream.get();
    SetError(FMOD_ERR_INVALID_PARAM);
    return nullptr;
}

RuntimeStream* SoundSystem::FindReadyStream(FSOUND_STREAM* handle) {
    RuntimeStream* stream = FindStream(handle);
    if (stream && !stream->Ready()) {
        SetError(stream->OpenState() == FSOUND_OPENSTATE_FAILED ? stream->OpenError()
                                                                : FMOD_ERR_FILE_BAD);
        return nullptr;
    }
    return stream;
}

RuntimeStream* SoundSystem::FindSample(FSOUND_SAMPLE* sample) {
    for (auto& stream : m_streams)
        if (sample && stream->Sample() == sample && stream->Ready())
            return stream.get();
    SetError(FMOD_ERR_INVALID_PARAM);
    return nullptr;
}

MixChannel* SoundSystem::FindChannel(int number) {
    if (number >= 0 && number < static_cast<int>(m_channels.size()) && m_channels[number]->InUse())
        return m_channels[number].get();
    SetError(FMOD_ERR_INVALID_PARAM);
    return nullptr;
}

FSOUND_STREAM* SoundSystem::OpenStream(const char* name, unsigned int mode) {
    if (!m_initialized) {
        SetError(FMOD_ERR_UNINITIALIZED);
        return nullptr;
    }
    if (!name) {
        SetError(FMOD_ERR_INVALID_PARAM);
        return nullptr;
    }
    int error = FMOD_ERR_NONE;
    auto stream = RuntimeStream::Open(name, (mode & FSOUND_MPEGACCURATE) != 0, error);
    if (!stream) {
        SetError(error);
        return nullptr;
    }
    auto lock = Lock();
    m_streams.push_back(std::move(stream));
    return Handle(m_streams.back().get());
}

bool SoundSystem::CloseStream(FSOUND_STREAM* handle) {
    std::unique_ptr<RuntimeStream> closing;
    {
        auto lock = Lock();
        RuntimeStream* stream = FindStream(handle);
        if (!stream)
            return false;
        StopStream(stream);
        auto it = std::find_if(m_streams.begin(), m_streams.end(),
                               [stream](const auto& open) { return open.get() == stream; });
        closing = std::move(*it);
        m_streams.erase(it);
    }
    return true; // `closing` waits for its worker without the lock
}

int SoundSystem::PlayStream(int number, RuntimeStream* stream) {
    if (stream->channel >= 0)
        return stream->channel;
    if (number == FSOUND_FREE) {
        for (size_t i = 0; i < m_channels.size(); ++i)
            if (!m_channels[i]->InUse()) {
                number = static_cast<int>(i);
                break;
            }
        if (number == FSOUND_FREE) {
            SetError(FMOD_ERR_CHANNEL_ALLOC);
            return -1;
        }
    }
    if (number < 0 || number >= static_cast<int>(m_channels.size())) {
        SetError(FMOD_ERR_INVALID_PARAM);
        return -1;
    }
    MixChannel& channel = *m_channels[number];
    if (!channel.Allocate(stream->Rate())) {
        SetError(FMOD_ERR_MEMORY);
        return -1;
    }
    if (RuntimeStream* previous = channel.Stream())
        previous->channel = -1;
    if (stream->Position() >= stream->LengthFrames() && stream->LengthFrames() > 0)
        stream->Seek(0); // a stream that played out starts again
    channel.Start(stream);
    stream->channel = number;
    stream->MarkStart();
    // The idle mixer mixes at once instead of at its next tick.
    m_streamStarted = true;
    { std::lock_guard<std::mutex> lock(m_outLock); }
    m_idleWake.notify_one();
    return number;
}

void SoundSystem::StopStream(RuntimeStream* stream) {
    if (stream->channel >= 0) {
        m_channels[stream->channel]->Stop();
        stream->channel = -1;
    }
}

bool SoundSystem::SeekStream(RuntimeStream* stream, int ms) {
    if (!stream->Seek(ms)) {
        SetError(FMOD_ERR_INVALID_PARAM);
        return false;
    }
    if (stream->channel >= 0)
        m_channels[stream->channel]->Flush();
    return true;
}

int SoundSystem::HeardTime(RuntimeStream* stream) {
    if (stream->channel < 0 || !m_out)
        return stream->PositionMs();
    int64_t queued = std::max<int64_t>(0, m_mixedFrames.load() - m_playedFrames.load());
    int frequency = m_channels[stream->channel]->frequency;
    return stream->PositionMs(queued * frequency / m_rate);
}

FSOUND_DSPUNIT* SoundSystem::CreateUnit(FSOUND_DSPCALLBACK callback, int priority, void* userdata) {
    if (!callback) {
        SetError(FMOD_ERR_INVALID_PARAM);
        return nullptr;
    }
    auto unit = std::make_unique<FSOUND_DSPUNIT>();
    unit->callback = callback;
    unit->priority = priority;
    unit->userdata = userdata;
    std::lock_guard<std::recursive_mutex> lock(m_unitLock);
    auto place = std::upper_bound(
        m_units.begin(), m_units.end(), priority,
        [](int value, const std::unique_ptr<FSOUND_DSPUNIT>& u) { return value < u->priority; });
    return m_units.insert(place, std::move(unit))->get();
}

void SoundSystem::FreeUnit(FSOUND_DSPUNIT* unit) {
    std::lock_guard<std::recursive_mutex> lock(m_unitLock);
    if (unit == m_fftUnit)
        return; // the library's own unit stays
    std::erase_if(m_units, [unit](const auto& u) { return u.get() == unit; });
}

bool SoundSystem::ValidUnit(FSOUND_DSPUNIT* unit) {
    std::lock_guard<std::recursive_mutex> lock(m_unitLock);
    for (auto& u : m_units)
        if (u.get() == unit && unit)
            return true;
    SetError(FMOD_ERR_INVALID_PARAM);
    return false;
}

void SoundSystem::SetUnitActive(FSOUND_DSPUNIT* unit, bool active) {
    if (!ValidUnit(unit))
        return;
    if (active && unit == m_fftUnit)
        m_spectrum.Prepare();
    unit->active = active;
}

float* SoundSystem::Spectrum() {
    return m_fftUnit->active ? m_spectrum.Bands() : nullptr;
}

int SoundSystem::LatencyMs() {
    if (!m_out)
        return 0;
    const int64_t waiting = m_mixedFrames.load() - static_cast<int64_t>(m_out->Position());
    return static_cast<int>(std::max<int64_t>(waiting, 0) * 1000 / m_rate);
}

void SoundSystem::ClearMixBuffer() {
    std::fill(m_mix.begin(), m_mix.end(), 0);
}

void* SoundSystem::FftCallback(void*, void* buffer, int length, void* userdata) {
    static_cast<SoundSystem*>(userdata)->m_spectrum.Process(static_cast<int32_t*>(buffer), length);
    return buffer;
}

void SoundSystem::MixerLoop() {
    Thread::SetCurrentPriority(Thread::kPriorityHighest);
    auto next = std::chrono::steady_clock::now();
    const auto start = next;
    auto lastWall = next;
    int64_t lastCpu = ThreadCpuNs();
    while (!m_stop.load(std::memory_order_acquire)) {
        MixBlock();
        CallUnits();
        // Nothing goes to the device before the first stream plays: the first sound is not
        // queued behind the silence of the start-up.
        int written = m_out && m_outputStarted ? WriteOutput() : 0;
        if (written < 0)
            break;
        // With sound the mixer keeps its own clock while the device holds enough, so DSP units
        // are called evenly; it runs ahead while the device is short (at the start, after a
        // stall) or takes blocks faster than real time, and waits when every block is queued.
        // Silence goes at real speed even to a device that takes blocks at once (a file).
        const bool ahead = DeviceAheadOfClock(start);
        if (written == 0 || (QueuedOutputBlocks() >= 2 && !ahead) || (!m_mixedSound && ahead))
            Pace(next);
        else
            next = std::chrono::steady_clock::now();
        MeasureCpu(lastCpu, lastWall);
    }
}

void SoundSystem::MixBlock() {
    std::fill(m_mix.begin(), m_mix.end(), 0);
    auto lock = Lock();
    m_mixedSound = false;
    for (auto& channel : m_channels) {
        RuntimeStream* stream = channel->Stream();
        if (!stream)
            continue;
        m_outputStarted = true;
        m_mixedSound = m_mixedSound || !channel->paused;
        int64_t before = stream->Position();
        bool playing = channel->Mix(m_mix.data(), kBlockFrames, m_masterVolume);
        if (channel->fatalError)
            m_fatalError = true;
        int64_t after = stream->Position();
        stream->CoverPosition();
        if (stream->syncCallback)
            for (auto& point : stream->syncPoints)
                if (point->frame >= before && point->frame < after)
                    stream->syncCallback(Handle(stream), point->name.data(),
                                         static_cast<int>(point->frame), stream->syncUserData);
        if (!playing) {
            // The stream played out: its time stays at its end, and the channel is free.
            stream->SetPosition(std::max(stream->Position(), stream->LengthFrames()));
            channel->Stop();
            stream->channel = -1;
            if (stream->endCallback)
                stream->endCallback(Handle(stream), nullptr, 0, stream->endUserData);
        }
    }
}

void SoundSystem::CallUnits() {
    std::lock_guard<std::recursive_mutex> lock(m_unitLock);
    void* buffer = m_mix.data();
    for (size_t i = 0; i < m_units.size(); ++i) {
        FSOUND_DSPUNIT* unit = m_units[i].get();
        if (!unit->active.load(std::memory_order_relaxed))
            continue;
        void* result = unit->callback(m_mix.data(), buffer, kBlockFrames, unit->userdata);
        if (result)
            buffer = result;
    }
    m_final = static_cast<int32_t*>(buffer);
}

int SoundSystem::WriteOutput() {
    WaveHeader* block = &m_blocks[m_nextBlock];
    if (m_filled == 0) {
        std::unique_lock<std::mutex> lock(m_outLock);
        m_waiting = true;
        const int count = static_cast<int>(m_blocks.size());
        m_blockFree.wait(lock, [&] { return m_stop.load() || m_queuedBlocks.load() < count; });
        m_waiting = false;
        if (m_stop.load())
            return -1;
    }
    auto* out = reinterpret_cast<int16_t*>(block->data) + 2 * m_filled;
    for (int i = 0; i < kBlockFrames * 2; ++i)
        out[i] = static_cast<int16_t>(std::clamp(m_final[i], -32768, 32767));
    m_filled += kBlockFrames;
    m_mixedFrames.fetch_add(kBlockFrames, std::memory_order_relaxed);
    if (m_filled < kOutputFrames)
        return 1;
    m_filled = 0;
    block->bytesUsed = kOutputFrames * 4;
    // Counted before it goes, since a backend may hand it back from inside Write (which is why
    // m_outLock is not held here either).
    m_queuedBlocks.fetch_add(1);
    if (m_out->Write(block) != WaveOut::kOk) {
        m_queuedBlocks.fetch_sub(1);
        return 0;
    }
    m_nextBlock = (m_nextBlock + 1) % static_cast<int>(m_blocks.size());
    return 1;
}

bool SoundSystem::DeviceAheadOfClock(std::chrono::steady_clock::time_point start) const {
    auto elapsed = std::chrono::steady_clock::now() - start;
    int64_t realTime =
        std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count() * m_rate / 1000000;
    return m_playedFrames.load(std::memory_order_relaxed) > realTime + 2 * kOutputFrames;
}

int SoundSystem::QueuedOutputBlocks() const {
    return m_queuedBlocks.load();
}

// Blocks come back in the order they were written, so the count of queued blocks tells whether
// the next one in the ring is free.
void SoundSystem::OnBlockDone(WaveHeader* block) {
    m_playedFrames.fetch_add(block->bytesUsed / 4, std::memory_order_relaxed);
    m_queuedBlocks.fetch_sub(1); // the block is the mixer's again from here
    if (!m_waiting.load())
        return;
    { std::lock_guard<std::mutex> lock(m_outLock); }
    m_blockFree.notify_one();
}

void SoundSystem::Pace(std::chrono::steady_clock::time_point& next) {
    using namespace std::chrono;
    next += nanoseconds(int64_t{kBlockFrames} * 1000000000 / m_rate);
    auto now = steady_clock::now();
    if (now - next > seconds(1))
        next = now; // fell far behind (a stopped process, a slow machine): start afresh
    if (m_outputStarted) {
        std::this_thread::sleep_until(next);
        return;
    }
    // Before the first sound the mixer only ticks; a stream that starts wakes it.
    std::unique_lock<std::mutex> lock(m_outLock);
    if (m_idleWake.wait_until(lock, next,
                              [&] { return m_stop.load() || m_streamStarted.exchange(false); }))
        next = steady_clock::now();
}

void SoundSystem::MeasureCpu(int64_t& lastCpuNs, std::chrono::steady_clock::time_point& lastWall) {
    auto now = std::chrono::steady_clock::now();
    auto wallNs = std::chrono::duration_cast<std::chrono::nanoseconds>(now - lastWall).count();
    if (wallNs < 1000000000)
        return;
    int64_t cpu = ThreadCpuNs();
    m_cpuUsage.store(static_cast<float>(cpu - lastCpuNs) * 100.0f / static_cast<float>(wallNs),
                     std::memory_order_relaxed);
    lastCpuNs = cpu;
    lastWall = now;
}
