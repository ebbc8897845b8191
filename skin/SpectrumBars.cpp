#include "skin/SpectrumBars.h"

#include <algorithm>

void SpectrumBars::SetStyle(int style) {
    m_style = style >= 0 && style <= 7 ? style : 0;
    Reset();
}

int SpectrumBars::BarCount() const {
    return m_style >= 6 ? 42 : 21;
}
int SpectrumBars::IndexStep() const {
    return m_style >= 6 ? 1 : 2;
}
int SpectrumBars::BarWidth() const {
    return m_style >= 6 ? 6 : 16;
}
int SpectrumBars::BarPitch() const {
    return m_style >= 6 ? 10 : 20;
}
bool SpectrumBars::TopOnly() const {
    return m_style >= 3 && m_style <= 5;
}
bool SpectrumBars::Rising() const {
    return m_style == 1 || m_style == 4 || m_style == 7;
}

SpectrumBars::Marker SpectrumBars::DrawnMarker() const {
    if (Rising())
        return Marker::RisingMarker;
    return m_style == 2 || m_style == 5 ? Marker::None : Marker::FallingPeak;
}

void SpectrumBars::SetUpdateInterval(int interval) {
    m_rate = 10 - std::clamp(interval, 0, 10);
}

int SpectrumBars::BarHeight(float magnitude) {
    if (!(magnitude > 0.0f))
        return 0;
    return std::min(static_cast<int>(magnitude * 376.0f), kTopRow);
}

void SpectrumBars::Feed(const float* magnitudes, int count) {
    ++m_callbacks;
    const bool peakTurn = m_callbacks % kPeakTurn == 0;
    for (int i = 0; i < BarCount(); ++i) {
        const int index = i * IndexStep();
        const bool have = m_playing && magnitudes && index < count;
        const int h = have ? BarHeight(magnitudes[index]) : 0;
        Bar& bar = m_bars[i];
        // A bar never drops more than kFall rows per callback.
        bar.shown = h >= bar.shown ? h : std::max(h, bar.shown - kFall);
        if (Rising())
            MoveMarker(bar);
        else if (peakTurn)
            MovePeak(bar);
    }
}

void SpectrumBars::MovePeak(Bar& bar) {
    if (bar.marker <= bar.shown) {
        bar.marker = bar.shown;
        bar.hold = 0;
        return;
    }
    ++bar.hold;
    const int fall = bar.hold > 11 ? 12 : bar.hold > 9 ? 8 : bar.hold > 7 ? 4 : 0;
    bar.marker = std::max(bar.marker - fall, 0);
}

void SpectrumBars::MoveMarker(Bar& bar) {
    if (bar.marker < kMarkerOut)
        bar.marker += kMarkerRise;
    else if (bar.shown > 0)
        bar.marker = bar.shown;
}

bool SpectrumBars::AtRest() const {
    if (m_playing)
        return false;
    for (int i = 0; i < BarCount(); ++i) {
        const int row = m_bars[i].marker;
        if (Rising() ? row <= kTopRow + 1 : row > 0)
            return false;
    }
    return true;
}

void SpectrumBars::Reset() {
    m_bars.fill(Bar{});
    m_callbacks = 0;
}

bool SpectrumBars::MarkerVisible(int bar) const {
    const int row = m_bars[bar].marker;
    switch (DrawnMarker()) {
    case Marker::FallingPeak:
        return row > 3 && row <= kTopRow + 1;
    case Marker::RisingMarker:
        return row >= 1 && row <= kTopRow + 1;
    case Marker::None:
        break;
    }
    return false;
}
