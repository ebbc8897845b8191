#pragma once

#include <samplerate.h>

#include <atomic>
#include <cstdint>
#include <vector>

class RuntimeStream;

// One of the mixer's channels: the stream it plays, its volume, pause and mute, and its playback
// frequency. At the stream's own rate and a mix rate equal to it, decoded frames go straight into
// the mix; any other frequency runs them through a libsamplerate converter, so pitch follows the
// speed. Used under the library lock; the levels may be read without it.
class MixChannel {
public:
    MixChannel() = default;
    ~MixChannel();
    MixChannel(const MixChannel&) = delete;
    MixChannel& operator=(const MixChannel&) = delete;

    // Sets the channel up for blocks of up to `blockFrames` at `mixRate`. Its buffers come with
    // Allocate, before a stream first starts on it (a player uses two or three of the channels),
    // and its rate converter (about 120 KB) once it plays at another rate than the mix.
    void Prepare(int mixRate, int blockFrames);
    // Allocates the buffers once, and the converter for a stream of `rate`, outside the mixer;
    // false when it cannot.
    bool Allocate(int rate);
    // The rate the channel plays its stream at; false, leaving it, when the converter a playing
    // channel needs for it cannot be made.
    bool SetFrequency(int rate);

    // On an allocated channel.
    void Start(RuntimeStream* stream);
    void Stop();
    RuntimeStream* Stream() const { return m_stream; }
    bool InUse() const { return m_stream != nullptr; }
    // Drops what the converter holds; after a seek.
    void Flush();

    // Adds `frames` stereo frames of the stream to `mix`, scaled by the channel's volume and
    // `masterVolume` (0..255). Answers false when the stream has ended (it played out or failed).
    bool Mix(int32_t* mix, int frames, int masterVolume);

    bool paused = false;
    bool mute = false;
    bool surround = false;
    int volume = 255;
    int pan = 128;
    int frequency = 44100;

    float LevelLeft() const { return m_levelLeft.load(std::memory_order_relaxed); }
    float LevelRight() const { return m_levelRight.load(std::memory_order_relaxed); }
    void ClearLevels();

    // Set when a decoder reported a read or decoding error.
    bool fatalError = false;

private:
    bool MakeConverter();
    // Fills m_out with up to `frames` stereo frames at the mix rate; answers the frames made.
    int Render(int frames);
    // Decodes up to `frames` source frames as stereo into `out`; answers the count, 0 at the end.
    int Decode(int16_t* out, int frames);

    RuntimeStream* m_stream = nullptr;
    int m_mixRate = 44100;
    int m_blockFrames = 0;
    bool m_ended = false;
    SRC_STATE* m_converter = nullptr;
    std::vector<int16_t> m_source; // native channels, one decode chunk
    std::vector<int16_t> m_stereo; // the chunk as stereo
    std::vector<float> m_in;       // converter input (stereo)
    int m_inFrames = 0;            // frames waiting in m_in
    int m_inOffset = 0;
    std::vector<float> m_outFloat;
    std::vector<int16_t> m_out; // one block at the mix rate, stereo
    std::atomic<float> m_levelLeft{0.0f};
    std::atomic<float> m_levelRight{0.0f};
};
