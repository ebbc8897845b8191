#pragma once

#include "platform/Event.h"
#include "platform/WaveOut.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Plays the sounds that speak the time (input/SpokenTime.h names them for a time of day). Each
// sound is a PCM WAV file; they are played one after another through the wave-out device, and
// Play returns when the last one has been heard.
class SpokenTimePlayer {
public:
    // The bytes of the WAV file of a sound id; empty when there is none.
    using SoundSource = std::function<std::string(uint32_t id)>;

    explicit SpokenTimePlayer(SoundSource source);
    SpokenTimePlayer(const SpokenTimePlayer&) = delete;
    SpokenTimePlayer& operator=(const SpokenTimePlayer&) = delete;

    // Plays the sounds in order, waiting for each to finish. A sound that is missing or is no
    // 8- or 16-bit PCM WAV file is left out. Returns how many were played; 0 when no wave-out
    // device opens.
    int Play(const std::vector<uint32_t>& ids);

private:
    // The PCM samples of a WAV file, pointing into its bytes.
    struct Sound {
        WaveOut::Format format;
        const uint8_t* data = nullptr;
        size_t bytes = 0;
    };
    static bool ParseWav(const std::string& file, Sound& sound);
    // Queues the sound as one block and waits until the device hands it back.
    static bool PlaySound(WaveOut& device, const Sound& sound, Event& done);

    SoundSource m_source;
};
