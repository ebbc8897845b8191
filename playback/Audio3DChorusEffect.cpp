#include "playback/Audio3DChorusEffect.h"

#include "engine/effects/Chorus3DEffect.h"
#include "playback/MixSample.h"

#include <algorithm>
#include <new>

Audio3DChorusEffect::Audio3DChorusEffect() {
    m_gain = Chorus3DEffect::Gain(m_level);
}

void Audio3DChorusEffect::SetStatus(int status) {
    std::lock_guard lock(m_lock);
    if (status == m_enabled)
        return;
    m_enabled = status;
    BuildLines();
}

void Audio3DChorusEffect::SetValue(int level) {
    std::lock_guard lock(m_lock);
    m_level = std::clamp(level, 0, 100);
    m_gain = Chorus3DEffect::Gain(m_level);
}

int Audio3DChorusEffect::GetStatus() const {
    std::lock_guard lock(m_lock);
    return m_enabled;
}

int Audio3DChorusEffect::GetValue() const {
    std::lock_guard lock(m_lock);
    return m_level;
}

void Audio3DChorusEffect::Prepare(int rate) {
    std::lock_guard lock(m_lock);
    m_rate = rate;
    BuildLines();
}

// The delay lines (a second of sound each) exist only while prepared and switched on.
void Audio3DChorusEffect::BuildLines() {
    m_length = 0;
    for (auto& line : m_lines)
        std::vector<int32_t>().swap(line);
    if (m_rate < 2 || m_enabled != 1)
        return;
    try {
        for (auto& line : m_lines)
            line.assign(static_cast<size_t>(m_rate), 0);
    } catch (const std::bad_alloc&) {
        for (auto& line : m_lines)
            std::vector<int32_t>().swap(line);
        return;
    }
    m_length = m_rate;
    m_baseDelay = Chorus3DEffect::BaseDelay(m_rate);
    ClearLocked();
}

void Audio3DChorusEffect::ClearHistory() {
    std::lock_guard lock(m_lock);
    ClearLocked();
}

void Audio3DChorusEffect::ClearLocked() {
    m_gain = Chorus3DEffect::Gain(m_level);
    m_write[0] = m_write[1] = 0;
    m_phase[0] = 0;
    m_phase[1] = m_length / 2;
    for (auto& line : m_lines)
        std::fill(line.begin(), line.end(), 0);
}

void Audio3DChorusEffect::Release() {
    std::lock_guard lock(m_lock);
    m_rate = 0;
    BuildLines();
}

void Audio3DChorusEffect::Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame) {
    std::lock_guard lock(m_lock);
    const int width = mix::SampleBytes(bytesPerStereoFrame);
    if (m_enabled != 1 || m_level == 0 || m_length == 0 || width == 0 || data == nullptr)
        return;
    for (size_t frames = bytes / (2 * width); frames > 0; --frames) {
        for (int c = 0; c < 2; ++c, data += width) {
            const int64_t y =
                Chorus3DEffect::Sweep(m_lines[c].data(), m_length, m_baseDelay, m_level, m_gain,
                                      m_write[c], m_phase[c], mix::Read(data, width));
            mix::Write(data, width, y);
        }
    }
}
