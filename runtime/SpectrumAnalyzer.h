#pragma once

#include <fftw3.h>

#include <atomic>
#include <cstdint>
#include <vector>

struct FftwFunctions;

// The library's FFT unit: the magnitudes of a 1024-point transform of the mix (folded to mono,
// Hann window), FSOUND_SPECTRUM_BANDS of them, from 0 to 1, where a full-scale sine gives about
// 1 in its band. The transform is planned by Prepare, which binds FFTW (libsonvale-fftw.so): its
// planner walks all its codelets, a couple of megabytes of code, so a player that never shows the
// bars never pays for it.
class SpectrumAnalyzer {
public:
    static constexpr int kPoints = 1024;
    static constexpr int kBands = kPoints / 2;

    SpectrumAnalyzer();
    ~SpectrumAnalyzer();
    SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
    SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

    // Plans the transform once; called when the FFT unit is switched on, outside the mixer.
    void Prepare();
    // Takes the newest `frames` stereo frames of a 32-bit mix buffer (the last kPoints count);
    // does nothing before Prepare.
    void Process(const int32_t* mix, int frames);
    void Clear();
    float* Bands() { return m_bands.data(); }

private:
    const FftwFunctions* m_fftw = nullptr; // set by Prepare
    float* m_input = nullptr;
    fftwf_complex* m_output = nullptr;
    std::atomic<fftwf_plan> m_plan = nullptr; // set once by Prepare, read by the mixer
    std::vector<float> m_window;
    std::vector<float> m_bands;
    float m_scale = 1.0f;
};
