#pragma once

#include <cstdlib>
#include <string>

// Chooses the wave-out backend ($SONVALE_AUDIO) for the devices opened while it lives.
class ScopedAudio {
public:
    explicit ScopedAudio(const std::string& backend) {
        setenv("SONVALE_AUDIO", backend.c_str(), 1);
    }
    ~ScopedAudio() { unsetenv("SONVALE_AUDIO"); }
    ScopedAudio(const ScopedAudio&) = delete;
    ScopedAudio& operator=(const ScopedAudio&) = delete;
};
