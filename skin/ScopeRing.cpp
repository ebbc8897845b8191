#include "skin/ScopeRing.h"

#include <algorithm>

ScopeRing::ScopeRing(int blockFrames, int totalFrames)
    : m_blockFrames(std::max(blockFrames, 1)),
      m_samples(static_cast<size_t>(std::max(totalFrames / m_blockFrames, 1) * m_blockFrames)) {}

void ScopeRing::PushMono(const int16_t* mono, int frames) {
    int16_t* block = m_samples.data() + static_cast<size_t>(m_write) * m_blockFrames;
    const int taken = mono ? std::clamp(frames, 0, m_blockFrames) : 0;
    std::copy(mono, mono + taken, block);
    std::fill(block + taken, block + m_blockFrames, int16_t{0});
    m_write = (m_write + 1) % Blocks();
}

void ScopeRing::Clear() {
    std::fill(m_samples.begin(), m_samples.end(), int16_t{0});
    m_write = 0;
}

int ScopeRing::Row(int sample) {
    return static_cast<int>((sample + 32768) * 0.001434326171875);
}

std::vector<ScopeRing::Line> ScopeRing::Rows(int columns) const {
    std::vector<Line> lines(static_cast<size_t>(std::max(columns, 0)));
    const size_t size = m_samples.size();
    const size_t start = static_cast<size_t>(m_write) * m_blockFrames;
    const size_t step = static_cast<size_t>(std::max(m_blockFrames / std::max(columns, 1), 1));
    for (size_t x = 0; x < lines.size(); ++x) {
        const size_t at = start + x * step;
        Line& line = lines[x];
        line.from = Row(m_samples[at % size]);
        line.to = Row(m_samples[(at + step) % size]);
        if (line.from == line.to && line.from < 93)
            ++line.to;
    }
    return lines;
}
