#include "engine/effects/SurroundEffect.h"

#include "engine/effects/EffectMath.h"

namespace {
constexpr int kDefaultRate = 20;
}

SurroundEffect::SurroundEffect() {
    m_rate = kDefaultRate;
    m_gain = pcm::GainPercent(0.00175, m_rate);
}

void SurroundEffect::SetParams(const EffectParams& params) {
    CriticalSection::Lock lock(m_lock);
    m_enabled = params.enabled;
    m_rate = params.rate < 1 ? 0 : (params.rate > 99 ? 100 : params.rate);
    m_gain = pcm::GainPercent(0.00175, m_rate);
}

EffectParams SurroundEffect::GetParams() const {
    CriticalSection::Lock lock(m_lock);
    return EffectParams{m_enabled, 0, m_rate};
}

void SurroundEffect::Prepare(int channels, int /*rate*/) {
    CriticalSection::Lock lock(m_lock);
    m_channels = channels;
}

int32_t SurroundEffect::Mix(int gain, int rate, int32_t own, int32_t other) {
    const int64_t widened = own + int64_t{rate} * (int64_t{own} - other) / 100;
    return pcm::Clamp16(gain * widened / 100);
}

void SurroundEffect::Process(int bits, uint8_t* data, size_t bytes) {
    CriticalSection::Lock lock(m_lock);
    if (m_enabled != 1 || m_rate == 0 || m_channels != 2 || data == nullptr)
        return;
    if (bits == 16) {
        for (size_t frames = bytes / 4; frames > 0; --frames, data += 4) {
            const int32_t left = pcm::Read16(data);
            const int32_t right = pcm::Read16(data + 2);
            pcm::Write16(data, Mix(m_gain, m_rate, left, right));
            pcm::Write16(data + 2, Mix(m_gain, m_rate, right, left));
        }
    } else if (bits == 8) {
        for (size_t frames = bytes / 2; frames > 0; --frames, data += 2) {
            const int32_t left = pcm::Read8(data);
            const int32_t right = pcm::Read8(data + 1);
            pcm::Write8(data, Mix(m_gain, m_rate, left, right));
            pcm::Write8(data + 1, Mix(m_gain, m_rate, right, left));
        }
    }
}
