#include "skin/VuMeter.h"

#include <algorithm>

int VuMeter::Segments(float level) {
    if (level > 0.984f)
        level = 1.0f;
    int segments = static_cast<int>(level * kSegments);
    if (level > 0.01f && segments < 1)
        segments = 1;
    return std::clamp(segments, 0, kSegments);
}

void VuMeter::Step(int left, int right) {
    // The peaks' hold counters count on every second step.
    m_holdTurn = !m_holdTurn;
    const bool holdTurn = !m_holdTurn;
    StepChannel(m_channels[0], left, holdTurn);
    StepChannel(m_channels[1], right, holdTurn);
}

void VuMeter::StepChannel(Channel& channel, int value, bool holdTurn) {
    if (value == channel.value) {
        channel.shown = value;
    } else {
        channel.value = value;
        if (value < channel.shown) {
            channel.shown = std::max(0, channel.shown - kFall);
            channel.value = channel.shown;
        } else {
            channel.shown = value;
        }
    }
    if (channel.shown >= channel.peak) {
        channel.peak = channel.shown;
        channel.hold = 0;
    }
    if (holdTurn && channel.shown < channel.peak) {
        if (++channel.hold > kPeakHold)
            channel.peak = std::max(0, channel.peak - kFall);
    }
}

void VuMeter::Clear() {
    m_channels = {};
    m_holdTurn = false;
}

int VuMeter::Shown(int channel) const {
    return std::min(m_channels[channel & 1].shown, kSegments);
}

int VuMeter::Peak(int channel) const {
    return std::min(m_channels[channel & 1].peak, kSegments);
}
