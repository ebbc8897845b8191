#include "engine/effects/BassBoostEffect.h"

#include "engine/effects/EffectMath.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

BassBoostEffect::BassBoostEffect(const BassBoostConstants& constants) : m_constants(constants) {}

BassBoostCoefficients BassBoostEffect::Design(const BassBoostConstants& constants, int level,
                                              int rate) {
    BassBoostCoefficients result;
    if (rate <= 0)
        return result;
    const double omega = 2.0 * std::numbers::pi * constants.cornerHz / rate;
    const double A = std::pow(10.0, constants.k * level);
    const double betaSquared = (A * A + 1.0) * constants.inverseS - (A - 1.0) * (A - 1.0);
    const double beta = std::sqrt(betaSquared > 0.0 ? betaSquared : 0.0);
    const double c = std::cos(omega);
    const double s = std::sin(omega);

    const double a0 = (A + 1.0) + (A - 1.0) * c + beta * s;
    const double scale = std::ldexp(1.0, constants.coefficientBits);
    auto fixed = [scale](double value) { return static_cast<int64_t>(value * scale); };
    result.b0 = fixed(A * ((A + 1.0) - (A - 1.0) * c + beta * s) / a0);
    result.b1 = fixed(2.0 * A * ((A - 1.0) - (A + 1.0) * c) / a0);
    result.b2 = fixed(A * ((A + 1.0) - (A - 1.0) * c - beta * s) / a0);
    result.a1 = fixed(-2.0 * ((A - 1.0) + (A + 1.0) * c) / a0);
    result.a2 = fixed(((A + 1.0) + (A - 1.0) * c - beta * s) / a0);
    return result;
}

int BassBoostEffect::OutputGain(int level) {
    return pcm::GainPercent(0.02, level);
}

void BassBoostEffect::SetLevel(int level) {
    CriticalSection::Lock lock(m_lock);
    m_level = level < 0 ? 0 : (level > kMaxLevel ? kMaxLevel : level);
    UpdateFilter();
}

int BassBoostEffect::GetLevel() const {
    CriticalSection::Lock lock(m_lock);
    return m_level;
}

void BassBoostEffect::Prepare(int channels, int rate) {
    CriticalSection::Lock lock(m_lock);
    m_channels = 0;
    m_rate = 0;
    m_histories.clear();
    if (channels <= 0 || rate <= 0)
        return;
    try {
        m_histories.assign(static_cast<size_t>(channels), History{});
    } catch (const std::bad_alloc&) {
        return;
    }
    m_channels = channels;
    m_rate = rate;
    UpdateFilter();
}

void BassBoostEffect::ClearHistory() {
    CriticalSection::Lock lock(m_lock);
    std::fill(m_histories.begin(), m_histories.end(), History{});
}

void BassBoostEffect::Release() {
    CriticalSection::Lock lock(m_lock);
    m_channels = 0;
    m_rate = 0;
    std::vector<History>().swap(m_histories);
}

void BassBoostEffect::UpdateFilter() {
    m_coefficients = Design(m_constants, m_level, m_rate);
    m_gain = OutputGain(m_level);
}

// Takes and returns a sample in the 16-bit range.
int32_t BassBoostEffect::Filter(const BassBoostConstants& constants, const BassBoostCoefficients& k,
                                int gain, BassBoostHistory& h, int32_t sample) {
    const int shift = constants.coefficientBits - 16;
    const int64_t x = static_cast<int64_t>(sample) << shift;
    const int64_t y = (k.b0 * x + k.b1 * h.x1 + k.b2 * h.x2 - k.a1 * h.y1 - k.a2 * h.y2) >>
                      constants.coefficientBits;
    h.x2 = h.x1;
    h.x1 = x;
    h.y2 = h.y1;
    h.y1 = y;
    return pcm::Clamp16((y >> shift) * gain / 100);
}

void BassBoostEffect::Process(int bits, uint8_t* data, size_t bytes) {
    CriticalSection::Lock lock(m_lock);
    if (m_level == 0 || m_channels == 0 || m_rate == 0 || data == nullptr)
        return;
    const size_t channels = static_cast<size_t>(m_channels);
    if (bits == 16) {
        for (size_t frames = bytes / (2 * channels); frames > 0; --frames) {
            for (size_t c = 0; c < channels; ++c, data += 2)
                pcm::Write16(data, Filter(m_constants, m_coefficients, m_gain, m_histories[c],
                                          pcm::Read16(data)));
        }
    } else if (bits == 8) {
        for (size_t frames = bytes / channels; frames > 0; --frames) {
            for (size_t c = 0; c < channels; ++c, ++data)
                pcm::Write8(data, Filter(m_constants, m_coefficients, m_gain, m_histories[c],
                                         pcm::Read8(data)));
        }
    }
}
