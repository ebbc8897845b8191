#include "runtime/SpectrumAnalyzer.h"

#include "platform/PrivateModule.h"
#include "runtime/FftwLibrary.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>

namespace {
// FFTW's planner is not thread-safe; plans are made under this lock.
std::mutex g_plannerLock;
} // namespace

SpectrumAnalyzer::SpectrumAnalyzer() : m_window(kPoints), m_bands(kBands, 0.0f) {
    float sum = 0.0f;
    for (int i = 0; i < kPoints; ++i) {
        m_window[i] = 0.5f - 0.5f * std::cos(2.0f * std::numbers::pi_v<float> * i / (kPoints - 1));
        sum += m_window[i];
    }
    // A sine of amplitude A gives a peak of A * sum / 2; full scale is 32768.
    m_scale = 2.0f / (sum * 32768.0f);
}

SpectrumAnalyzer::~SpectrumAnalyzer() {
    if (!m_plan.load())
        return;
    std::lock_guard<std::mutex> lock(g_plannerLock);
    m_fftw->fftwf_destroy_plan(m_plan.load());
    m_fftw->fftwf_free(m_input);
    m_fftw->fftwf_free(m_output);
}

void SpectrumAnalyzer::Prepare() {
    std::lock_guard<std::mutex> lock(g_plannerLock);
    if (m_plan.load())
        return;
    m_fftw = PrivateModule::LoadTable<FftwFunctions>(kFftwModuleFile, kFftwModuleEntry);
    if (!m_fftw)
        return; // no transform: the bands stay 0
    m_input = m_fftw->fftwf_alloc_real(kPoints);
    m_output = m_fftw->fftwf_alloc_complex(kPoints / 2 + 1);
    m_plan.store(m_fftw->fftwf_plan_dft_r2c_1d(kPoints, m_input, m_output, FFTW_ESTIMATE));
}

void SpectrumAnalyzer::Process(const int32_t* mix, int frames) {
    const fftwf_plan plan = m_plan.load();
    if (!plan)
        return;
    int take = std::min(frames, kPoints);
    const int32_t* start = mix + 2 * (frames - take);
    for (int i = 0; i < take; ++i)
        m_input[i] = 0.5f * (static_cast<float>(start[2 * i]) + start[2 * i + 1]) * m_window[i];
    std::fill(m_input + take, m_input + kPoints, 0.0f);
    m_fftw->fftwf_execute(plan);
    for (int i = 0; i < kBands; ++i) {
        float magnitude = std::hypot(m_output[i][0], m_output[i][1]) * m_scale;
        m_bands[i] = std::min(1.0f, magnitude);
    }
}

void SpectrumAnalyzer::Clear() {
    std::fill(m_bands.begin(), m_bands.end(), 0.0f);
}
