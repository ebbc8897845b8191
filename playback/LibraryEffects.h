#pragma once

#include "playback/Audio3DChorusEffect.h"
#include "playback/AudioAmplifier.h"
#include "playback/AudioBassBoostEffect.h"
#include "playback/AudioEchoEffect.h"
#include "playback/AudioSurroundEffect.h"

#include <cstddef>
#include <cstdint>

// The effects the run-time library's mix callback applies to its stereo mix buffer, in order:
// 3D chorus, surround, bass boost, echo, reverb, amplifier.
class LibraryEffects {
public:
    LibraryEffects() = default;
    LibraryEffects(const LibraryEffects&) = delete;
    LibraryEffects& operator=(const LibraryEffects&) = delete;

    // Builds the buffers and filters for a sampling rate.
    void Prepare(int rate);
    // One mix buffer; bytesPerStereoFrame is 2, 4 or 8.
    void Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame, int rate);
    void ClearHistory();
    void Release();

    Audio3DChorusEffect chorus;
    AudioSurroundEffect surround;
    AudioBassBoostEffect bassBoost;
    AudioEchoEffect echo{AudioEchoEffect::Kind::Echo};
    AudioEchoEffect reverb{AudioEchoEffect::Kind::Reverb};
    AudioAmplifier amplifier;
};
