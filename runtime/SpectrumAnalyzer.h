#pragma once

#include <fftw3.h>

#include <cstdint>
#include <vector>

// The library's FFT unit: the magnitudes of a 1024-point transform of the mix (folded to mono,
// Hann window), FSOUND_SPECTRUM_BANDS of them, from 0 to 1, where a full-scale sine gives about
// 1 in its band.
class SpectrumAnalyzer {
public:
    static constexpr int kPoints = 1024;
    static constexpr int kBands = kPoints / 2;

    SpectrumAnalyzer();
    ~SpectrumAnalyzer();
    SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
    SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

    // Takes the newest `frames` stereo frames of a 32-bit mix buffer (the last kPoints count).
    void Process(const int32_t* mix, int frames);
    void Clear();
    float* Bands() { return m_bands.data(); }

private:
    float* m_input = nullptr;
    fftwf_complex* m_output = nullptr;
    fftwf_plan m_plan = nullptr;
    std::vector<float> m_window;
    std::vector<float> m_bands;
    float m_scale = 1.0f;
};
