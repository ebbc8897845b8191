#include "playback/LibraryEffects.h"

void LibraryEffects::Prepare(int rate) {
    chorus.Prepare(rate);
    bassBoost.Prepare(rate);
    echo.Prepare(rate);
    reverb.Prepare(rate);
}

void LibraryEffects::Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame, int rate) {
    chorus.Process(data, bytes, bytesPerStereoFrame);
    surround.Process(data, bytes, bytesPerStereoFrame);
    bassBoost.Process(data, bytes, bytesPerStereoFrame, rate);
    echo.Process(data, bytes, bytesPerStereoFrame);
    reverb.Process(data, bytes, bytesPerStereoFrame);
    amplifier.Process(data, bytes, bytesPerStereoFrame);
}

void LibraryEffects::ClearHistory() {
    chorus.ClearHistory();
    bassBoost.ClearHistory();
    echo.ClearHistory();
    reverb.ClearHistory();
}

void LibraryEffects::Release() {
    chorus.Release();
    echo.Release();
    reverb.Release();
}
