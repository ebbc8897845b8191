#pragma once

#include "platform/WaveHeader.h"
#include "platform/WaveOut.h"
#include "runtime/MixChannel.h"
#include "runtime/RuntimeStream.h"
#include "runtime/SpectrumAnalyzer.h"
#include "runtime/fsound.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A DSP unit: called by the mixer once per block while active.
struct FSOUND_DSPUNIT {
    FSOUND_DSPCALLBACK callback = nullptr;
    int priority = 0;
    void* userdata = nullptr;
    std::atomic<bool> active{false};
};

// The library's state: the set-up values, the channels, the open streams, the DSP units and the
// mixer thread with its output. One per process, behind the exported functions.
//
// Locks: Lock() guards the channels and the streams; the mixer holds it while it mixes a block
// and while it calls end and sync callbacks. The DSP units have a lock of their own, held while
// the mixer calls them, so a unit is never called after FSOUND_DSP_Free returns. Both are
// recursive, so callbacks may call the library.
class SoundSystem {
public:
    // Frames of one mixed block, the unit the DSP units see.
    static constexpr int kBlockFrames = 1024;
    // Output blocks hold several mixed blocks, so the device is woken less often.
    static constexpr int kBlocksPerOutput = 4;
    static constexpr int kOutputFrames = kBlockFrames * kBlocksPerOutput;

    static SoundSystem& Instance();

    void SetError(int code) { m_error.store(code, std::memory_order_relaxed); }
    int Error() const { return m_error.load(std::memory_order_relaxed); }

    // Set-up values; false (FMOD_ERR_BUSY) once initialised.
    bool SetBufferSize(int ms);
    bool SetStreamBufferSize(int ms);
    bool SetMixer(int mixer);
    int Mixer() const { return m_mixer; }
    bool SetOutput(int output);
    int Output() const { return m_output; }
    bool SetDriver(int driver);
    bool SetSpeakerMode(unsigned int mode);

    bool Init(int rate, int channels);
    void Close();
    bool Initialized() const { return m_initialized; }
    int MixRate() const { return m_rate; }
    int BufferFrames() const { return m_mixBlocks * kBlockFrames; }
    float CpuUsage() const { return m_cpuUsage.load(std::memory_order_relaxed); }
    bool FatalErrorOccurred() const { return m_fatalError.load(std::memory_order_relaxed); }
    void SetMasterVolume(int volume);

    std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(m_lock); }
    // With Lock() held. The stream behind a handle, or null (FMOD_ERR_INVALID_PARAM) when the
    // handle is not an open stream; FindReadyStream also refuses one that is still opening.
    RuntimeStream* FindStream(FSOUND_STREAM* handle);
    RuntimeStream* FindReadyStream(FSOUND_STREAM* handle);
    FSOUND_STREAM* Handle(RuntimeStream* stream) {
        return reinterpret_cast<FSOUND_STREAM*>(stream);
    }
    // With Lock() held: the stream whose sample defaults `sample` are, or null.
    RuntimeStream* FindSample(FSOUND_SAMPLE* sample);
    // With Lock() held: the channel `number`, or null (FMOD_ERR_INVALID_PARAM).
    MixChannel* FindChannel(int number);
    // With Lock() held: every channel for FSOUND_ALL, else the one channel; false when none.
    template <typename F> bool ForChannels(int number, F apply);

    // With Lock() held: calls `visit` for each open stream until it answers true; answers whether
    // one did.
    template <typename F> bool ForEachStream(F visit);

    // Without the lock.
    FSOUND_STREAM* OpenStream(const char* name, unsigned int mode);
    bool CloseStream(FSOUND_STREAM* handle);
    // With Lock() held.
    int PlayStream(int channel, RuntimeStream* stream);
    void StopStream(RuntimeStream* stream);
    bool SeekStream(RuntimeStream* stream, int ms);
    // The stream's time in ms as heard: while it plays, what waits in the output is not yet.
    int HeardTime(RuntimeStream* stream);

    FSOUND_DSPUNIT* CreateUnit(FSOUND_DSPCALLBACK callback, int priority, void* userdata);
    void FreeUnit(FSOUND_DSPUNIT* unit);
    bool ValidUnit(FSOUND_DSPUNIT* unit);
    // Switches a valid unit on or off; the FFT unit's transform is planned when first switched on.
    void SetUnitActive(FSOUND_DSPUNIT* unit, bool active);
    FSOUND_DSPUNIT* FftUnit() { return m_fftUnit; }
    // The spectrum while the FFT unit is active, else null.
    float* Spectrum();
    void ClearMixBuffer();
    // Milliseconds from now until the next frame the mixer hands over is heard: what waits in
    // the output blocks and in the device.
    int LatencyMs();

private:
    SoundSystem();
    ~SoundSystem();

    bool AcceptSetUp(bool valid);
    void MixerLoop();
    void MixBlock();
    void CallUnits();
    // Adds the final mix to the output block being filled, waiting for a free one, and queues a
    // full block: 1 done, 0 the device refused the block, -1 the mixer is stopping.
    int WriteOutput();
    int QueuedOutputBlocks() const;
    // Whether the device has played more than real time since `start`: a fast test device.
    bool DeviceAheadOfClock(std::chrono::steady_clock::time_point start) const;
    void Pace(std::chrono::steady_clock::time_point& next);
    void MeasureCpu(int64_t& lastCpuNs, std::chrono::steady_clock::time_point& lastWall);
    static void* FftCallback(void* original, void* buffer, int length, void* userdata);
    void OnBlockDone(WaveHeader* block);

    std::recursive_mutex m_lock;
    std::recursive_mutex m_unitLock;
    std::atomic<int> m_error{FMOD_ERR_NONE};

    int m_bufferMs = 200;
    int m_streamBufferMs = 1000;
    int m_mixer = FSOUND_MIXER_QUALITY_AUTODETECT;
    int m_output = FSOUND_OUTPUT_AUTODETECT;
    bool m_initialized = false;
    int m_rate = 44100;
    int m_masterVolume = 255;

    std::vector<std::unique_ptr<MixChannel>> m_channels;
    std::vector<std::unique_ptr<RuntimeStream>> m_streams;
    std::vector<std::unique_ptr<FSOUND_DSPUNIT>> m_units; // ascending priority
    FSOUND_DSPUNIT* m_fftUnit = nullptr;
    SpectrumAnalyzer m_spectrum;

    std::vector<int32_t> m_mix; // one block, stereo
    int32_t* m_final = nullptr; // what the last unit returned
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<float> m_cpuUsage{0.0f};
    std::atomic<bool> m_fatalError{false};

    // The mixing buffer's length in mixed blocks.
    int m_mixBlocks = 2;
    // Output: blocks of kOutputFrames 16-bit stereo frames, filled and queued in turn.
    std::unique_ptr<WaveOut> m_out;
    bool m_outputStarted = false; // a stream has played since Init (the mixer thread's)
    bool m_mixedSound = false;    // the last block held a playing stream (the mixer thread's)
    int m_filled = 0;             // frames in the block being filled
    std::vector<WaveHeader> m_blocks;
    std::vector<int16_t> m_blockData;
    int m_nextBlock = 0;
    std::mutex m_outLock;
    std::condition_variable m_blockFree;
    std::condition_variable m_idleWake; // a stream started while nothing has played
    std::atomic<bool> m_streamStarted{false};
    std::atomic<bool> m_waiting{false};
    std::atomic<int> m_queuedBlocks{0};     // written and not yet handed back
    std::atomic<int64_t> m_playedFrames{0}; // handed back by the device since Init
    std::atomic<int64_t> m_mixedFrames{0};  // put into output blocks since Init
};

template <typename F> bool SoundSystem::ForChannels(int number, F apply) {
    if (number == FSOUND_ALL) {
        for (auto& channel : m_channels)
            apply(*channel);
        return true;
    }
    MixChannel* channel = FindChannel(number);
    if (!channel)
        return false;
    apply(*channel);
    return true;
}

template <typename F> bool SoundSystem::ForEachStream(F visit) {
    for (auto& stream : m_streams)
        if (visit(*stream))
            return true;
    return false;
}
