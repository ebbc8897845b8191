#pragma once

#include "platform/Event.h"
#include "platform/WaveOut.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Speaks the time with the player's sound resources: an opener for the half of the day, the
// hour, then "o'clock" or the minutes. Each sound is a PCM WAV file; they are played one after
// another through the wave-out device, and Play returns when the last one has been heard.
//
// Sound ids: 326 opener before noon, 324 from noon on; 295 + (h - 12) for the hour, where h is the
// hour + 12 for hours 0..12 and the hour itself for 13..23 (295 and 307 both say twelve); 323
// "o'clock" on the full hour; otherwise, from minute 10 on, a tens sound (308 for 10..19 up to 312
// for 50..59), then the units sound (313 + units - 1, or 322 for units 0).
class CSpokenTime {
public:
    // The bytes of the WAV file of a sound id; empty when there is none.
    using SoundSource = std::function<std::string(int id)>;

    explicit CSpokenTime(SoundSource source);
    CSpokenTime(const CSpokenTime&) = delete;
    CSpokenTime& operator=(const CSpokenTime&) = delete;

    // The sounds that say hour:minute (0..23, 0..59); empty for a time out of range.
    static std::vector<int> SoundIds(int hour, int minute);

    // Plays the sounds in order, waiting for each to finish. A sound that is missing or is no
    // 8- or 16-bit PCM WAV file is left out. Returns how many were played; 0 when no wave-out
    // device opens.
    int Play(const std::vector<int>& ids);
    int SayTime(int hour, int minute) { return Play(SoundIds(hour, minute)); }

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

    SoundSource source_;
};
