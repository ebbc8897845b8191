#pragma once

#include "runtime/StreamDecoder.h"
#include "runtime/TagFields.h"
#include "runtime/fsound.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// The sample defaults a stream answers through FSOUND_Stream_GetSample.
struct FSOUND_SAMPLE {
    int frequency = 44100;
    int volume = 255;
    int pan = 128;
    int priority = 128;
};

// A sync point: a name at a sample frame of the stream.
struct FSOUND_SYNCPOINT {
    unsigned int frame = 0;
    std::string name;
};

// One opened file: its decoder, tags and play position. Opening with an exact length scans the
// file on a worker thread; until that ends, OpenState() answers FSOUND_OPENSTATE_OPENING and
// nothing else of the stream may be used.
class RuntimeStream {
public:
    // Opens `path`; on failure null with `error` set. With `exactLength` only the file's presence
    // is checked here, the rest runs on the worker.
    static std::unique_ptr<RuntimeStream> Open(const std::string& path, bool exactLength,
                                               int& error);
    ~RuntimeStream(); // waits for the worker

    RuntimeStream(const RuntimeStream&) = delete;
    RuntimeStream& operator=(const RuntimeStream&) = delete;

    int OpenState() const { return m_openState.load(std::memory_order_acquire); }
    // The FMOD_ERR_* code of a failed open on the worker.
    int OpenError() const { return m_openError; }
    bool Ready() const { return OpenState() == FSOUND_OPENSTATE_READY; }

    // Valid once ready.
    StreamDecoder& Decoder() { return *m_decoder; }
    int Rate() const { return m_sample.frequency; }
    int Channels() const { return m_channels; }
    int64_t LengthFrames() const { return m_lengthFrames; }
    // An estimated length (an MPEG file without a frame count, opened without a scan) can be
    // short: once the decoder has gone past it, the length is what was decoded.
    void CoverPosition() { m_lengthFrames = std::max(m_lengthFrames, m_position); }
    int LengthMs() const;
    int64_t FileBytes() const { return m_fileBytes; }
    const TagFields& Tags() const { return m_tags; }
    FSOUND_SAMPLE* Sample() { return &m_sample; }

    // Play position in source frames; written by the mixer and by seeks, under the library lock.
    int64_t Position() const { return m_position; }
    void SetPosition(int64_t frame) { m_position = frame; }
    // The position heard: `queuedFrames` of the stream's frames mixed but still waiting in the
    // output are taken off, never going back before the last start or seek.
    int PositionMs(int64_t queuedFrames = 0) const;
    // Marks where playing starts (Play, a seek).
    void MarkStart() { m_start = m_position; }
    // Moves the decoder to `ms` (clamped to the length).
    bool Seek(int ms);

    // The channel playing the stream, -1 when none.
    int channel = -1;
    FSOUND_STREAMCALLBACK endCallback = nullptr;
    void* endUserData = nullptr;
    FSOUND_STREAMCALLBACK syncCallback = nullptr;
    void* syncUserData = nullptr;
    std::vector<std::unique_ptr<FSOUND_SYNCPOINT>> syncPoints;

private:
    RuntimeStream() = default;
    // Opens the decoder and reads the tags; sets the open state.
    void Load(bool exactLength);

    std::string m_path;
    std::unique_ptr<StreamDecoder> m_decoder;
    TagFields m_tags;
    FSOUND_SAMPLE m_sample;
    int m_channels = 2;
    int64_t m_lengthFrames = 0;
    int64_t m_fileBytes = 0;
    int64_t m_position = 0;
    int64_t m_start = 0;
    int m_openError = 0;
    std::atomic<int> m_openState{FSOUND_OPENSTATE_OPENING};
    std::thread m_worker;
};
